#include "ui/xKikanPanel12.h"

#include <algorithm>
#include <string>

using namespace forms;

namespace {

// The period index of each month cell: the adjustment periods of the quarters are skipped.
constexpr int kPeriodOfCell[TxKikanPanel12::kCellCount] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};

}  // namespace

TxKikanPanel12::TxKikanPanel12(QWidget* parent) : TxKikanPanelBase(parent, kCellCount) {
  resize(242, 22);
  int year, month, day;
  DecodeDate(Today(), year, month, day);
  SetKikan(99, EncodeDate(year, 1, 1), EncodeDate(year, 12, 31), EncodeDate(year, 1, 1));
}

void TxKikanPanel12::Normalise() {
  const int s = std::clamp(stno_, 0, lastSel_), e = std::clamp(edno_, 0, lastSel_);
  stno_ = std::min(s, e);
  edno_ = std::max(s, e);
  ResetWorkPair();
  PaintRange();
}

void TxKikanPanel12::SetStno(int value) {
  if (stno_ == value) return;
  stno_ = value;
  Normalise();
}

void TxKikanPanel12::SetEdno(int value) {
  if (edno_ == value) return;
  edno_ = value;
  Normalise();
}

int TxKikanPanel12::StMonNo() const { return stno_ >= 0 && stno_ < kCellCount ? kPeriodOfCell[stno_] : stno_; }

int TxKikanPanel12::EdMonNo() const { return edno_ >= 0 && edno_ < kCellCount ? kPeriodOfCell[edno_] : edno_; }

void TxKikanPanel12::SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) {
  // Month offsets are held to 0 to 11, so no index leaves the strip.
  const int last = kikan::YearMonthOffset(Sime, Kishu, Kimatu);
  lastNo_ = lastSel_ = last;
  firstSel_ = kikan::YearMonthOffset(Sime, Kishu, Kaisi);
  stno_ = firstSel_;
  edno_ = kikanMove_ ? last : firstSel_;
  ClearCells();
  for (int i = 0; i <= last; ++i) {
    int y, m, d;
    DecodeDate(kikan::PeriodClosingDate(i, Sime, Kishu), y, m, d);
    CellAt(i)->SetCaption(std::to_string(m));
  }
  for (int i = last + 1; i < kCellCount; ++i) DisableCell(i);
  ResetWorkPair();
  LayoutCells(false);
  ProcessPaint();
}
