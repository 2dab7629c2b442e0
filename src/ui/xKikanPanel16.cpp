#include "ui/xKikanPanel16.h"

#include <algorithm>
#include <string>

using namespace forms;

namespace {

constexpr int kLastCell = TxKikanPanel16::kCellCount - 1;

bool IsQuarterCell(int j) { return j == 3 || j == 7 || j == 11; }

}  // namespace

TxKikanPanel16::TxKikanPanel16(QWidget* parent) : TxKikanPanelBase(parent, kCellCount) {
  resize(242, 22);
  int year, month, day;
  DecodeDate(Today(), year, month, day);
  SetKikan(99, EncodeDate(year, 1, 1), EncodeDate(year, 12, 31), EncodeDate(year, 1, 1));
}

// ---- properties ----

void TxKikanPanel16::SetStno(int value) {
  if (stno_ == value) return;
  stno_ = value;
  PaintRange();
}

void TxKikanPanel16::SetEdno(int value) {
  if (edno_ == value) return;
  edno_ = std::min(value, lastNo_);
  PaintRange();
}

void TxKikanPanel16::SetDisabelColor(TColor color) {
  if (disabelColor_ == color) return;
  disabelColor_ = color;
  PaintRange();
}

void TxKikanPanel16::SetKESSAN(bool value) {
  if (kessan_ == value) return;
  kessan_ = value;
  if (!value) {
    if (lastSel_ >= 0 && lastSel_ <= kLastCell) DisableCell(lastSel_);
    --lastSel_;
  } else if (lastSel_ < kLastCell) {
    // The panel has sixteen cells: the closing cell never moves past the last of them.
    ++lastSel_;
    if (lastSel_ >= 0) {
      CellAt(lastSel_)->SetCellEnabled(true);
      CellAt(lastSel_)->SetCaption("決");
    }
  }
}

int TxKikanPanel16::StMonthNo() const {
  return stno_ >= 0 && stno_ <= kLastCell ? periods_[stno_] : stno_;
}

int TxKikanPanel16::EdMonthNo() const {
  return edno_ >= 0 && edno_ <= kLastCell ? periods_[edno_] : edno_;
}

// ---- SetKikan ----

void TxKikanPanel16::SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) {
  // A fiscal year longer than twelve months would put its end or its start past the closing
  // cell; both are held to the last cell the strip has.
  const int endCell = kikan::CellOfDate(Sime, Kishu, Kimatu);
  lastNo_ = std::min(endCell + 1, kLastCell);
  lastSel_ = kessan_ ? lastNo_ : lastNo_ - 1;
  firstSel_ = std::min(kikan::CellOfDate(Sime, Kishu, Kaisi), kLastCell);
  stno_ = firstSel_;
  edno_ = kikanMove_ ? lastSel_ : firstSel_;

  periods_.fill(-1);
  ClearCells();
  for (int j = 0; j <= lastNo_; ++j) {
    const TDateTime date = kikan::PeriodClosingDate(j - j / 4, Sime, Kishu);
    TxKikanCell* cell = CellAt(j);
    if (j == lastNo_) {
      cell->SetCaption("決");
      periods_[j] = kLastCell;
    } else if (IsQuarterCell(j)) {
      cell->SetCaption("・");
      periods_[j] = j;
    } else if (j == kLastCell) {
      cell->SetCaption("決");
      periods_[j] = j;
    } else {
      int y, m, d;
      DecodeDate(date, y, m, d);
      cell->SetCaption(std::to_string(m));
      periods_[j] = j;
    }
  }
  for (int i = kessan_ ? lastNo_ + 1 : lastNo_; i <= kLastCell; ++i) DisableCell(i);
  ResetWorkPair();
  LayoutCells(false);
  ProcessPaint();
}
