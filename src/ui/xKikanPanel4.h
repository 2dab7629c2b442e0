#pragma once
// The period selector of four quarter cells, or of two half-year cells ("上", "下") with
// BtnCnt 2. Only the cells of the data's span are enabled; the keyboard moves within them
// (a plain Right past the last wraps to the first).
#include "ui/xKikanPanelBase.h"

class TxKikanPanel4 : public TxKikanPanelBase {
 public:
  explicit TxKikanPanel4(QWidget* parent);

  void SetStno(int value) override;
  void SetEdno(int value) override;
  // 4 (quarters) or 2 (half years); any other value is ignored.
  int BtnCnt() const { return btnCnt_; }
  void SetBtnCnt(int value);

  void SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) override;

  // The cell that holds month offset `e` of the fiscal year (0 to 11; anything else counts
  // as 11) for the current BtnCnt.
  int CellOfMonthOffset(int e) const;

 protected:
  int LaidOutCells() const override { return btnCnt_; }
  void StepAnchor(bool left) override;

 private:
  // The keyboard's bounds: the first and the last enabled cell.
  void KeyBounds();

  int btnCnt_ = 4;
};
