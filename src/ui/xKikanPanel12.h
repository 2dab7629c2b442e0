#pragma once
// The period selector of twelve month cells, without adjustment and closing cells. The
// selection never leaves the selectable cells: Stno and Edno are held within them and in
// order, and the keyboard and mouse continue from what the program set.
#include "ui/xKikanPanelBase.h"

class TxKikanPanel12 : public TxKikanPanelBase {
 public:
  static constexpr int kCellCount = 12;

  explicit TxKikanPanel12(QWidget* parent);

  void SetStno(int value) override;
  void SetEdno(int value) override;
  // The period index (MNUM - 1) of cell Stno or Edno; the value itself outside the cells.
  int StMonNo() const;
  int EdMonNo() const;
  // The last month cell of the fiscal year.
  int LastNo() const { return lastNo_; }
  using TxKikanPanelBase::KakuteiMode;
  using TxKikanPanelBase::SetKakuteiMode;
  using TxKikanPanelBase::KakuteiMNo;
  using TxKikanPanelBase::SetKakuteiMNo;
  using TxKikanPanelBase::KakuteiBackColor;
  using TxKikanPanelBase::SetKakuteiBackColor;
  using TxKikanPanelBase::KakuteiFontColor;
  using TxKikanPanelBase::SetKakuteiFontColor;

  void SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) override;

 private:
  void Normalise();

  int lastNo_ = kCellCount - 1;
};
