#include "ui/xKikanPanel4.h"

#include <string>

using namespace forms;

TxKikanPanel4::TxKikanPanel4(QWidget* parent) : TxKikanPanelBase(parent, 4) {
  resize(80, 22);
  for (int i = 0; i < 4; ++i) {
    CellAt(i)->SetCaption(std::to_string(i + 1));
    CellAt(i)->SetCellEnabled(true);
  }
  stno_ = 0;
  edno_ = 3;
  ResetWorkPair();
  KeyBounds();
  LayoutCells(false);
}

int TxKikanPanel4::CellOfMonthOffset(int e) const {
  if (e < 0 || e > 11) e = 11;
  return btnCnt_ == 2 ? (e < 6 ? 0 : 1) : e / 3;
}

void TxKikanPanel4::KeyBounds() {
  firstSel_ = -1;
  lastSel_ = -1;
  for (int i = 0; i < btnCnt_; ++i) {
    if (!Cell(i)->CellEnabled()) continue;
    if (firstSel_ < 0) firstSel_ = i;
    lastSel_ = i;
  }
  if (firstSel_ < 0) {
    // No enabled cell: the keys stay on the first one.
    firstSel_ = lastSel_ = 0;
  }
}

void TxKikanPanel4::SetStno(int value) {
  if (stno_ == value) return;
  stno_ = value;
  PaintRange();
}

void TxKikanPanel4::SetEdno(int value) {
  if (edno_ == value) return;
  edno_ = value;
  PaintRange();
}

void TxKikanPanel4::SetBtnCnt(int value) {
  if ((value != 2 && value != 4) || value == btnCnt_) return;
  btnCnt_ = value;
  for (int i = 0; i < 4; ++i) {
    TxKikanCell* cell = CellAt(i);
    if (value == 2) {
      cell->SetCaption(i == 0 ? "上" : i == 1 ? "下" : "");
      cell->setVisible(i < 2);
    } else {
      cell->SetCaption(std::to_string(i + 1));
      cell->setVisible(true);
    }
  }
  stno_ = 0;
  edno_ = btnCnt_ - 1;
  KeyBounds();
  LayoutCells(true);
  PaintRange();
}

void TxKikanPanel4::SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) {
  const int s = kikan::YearMonthOffset(Sime, Kishu, Kaisi);
  const int t = kikan::YearMonthOffset(Sime, Kishu, Kimatu);
  for (int i = 0; i < 4; ++i) {
    TxKikanCell* cell = CellAt(i);
    // The half-year strip keeps its last two cells hidden.
    cell->setVisible(i < btnCnt_);
    cell->SetCellEnabled(false);
    cell->SetColors(clBtnFace, clWindowText);
  }
  stno_ = CellOfMonthOffset(s);
  edno_ = CellOfMonthOffset(t);
  for (int i = stno_; i <= edno_; ++i) CellAt(i)->SetCellEnabled(true);
  KeyBounds();
  if (!kikanMove_) edno_ = stno_;
  for (int i = stno_; i <= edno_; ++i) CellAt(i)->SetColors(BackColor(), FontColor());
  ResetWorkPair();
  LayoutCells(false);
  ProcessPaint();
}

void TxKikanPanel4::StepAnchor(bool left) {
  // Unlike the longer strips, a Left at the first cell stays there and a Right at the last
  // wraps round to the first; either way the range collapses onto the anchor.
  if (left) anchor_ = anchor_ > firstSel_ ? anchor_ - 1 : firstSel_;
  else anchor_ = anchor_ < lastSel_ ? anchor_ + 1 : firstSel_;
  moving_ = anchor_;
  PaintWorkRange();
}
