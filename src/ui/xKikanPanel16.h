#pragma once
// The period selector: a strip of 16 cells that follow the period numbering of the accounting
// data (three month cells and the quarter's adjustment cell, four times; the sixteenth is the
// closing period). The operator selects a contiguous range by clicking, dragging or with the
// Left and Right keys; the program reads it as cell indexes (Stno, Edno) or as period indexes
// (StMonthNo, EdMonthNo).
#include <array>

#include "ui/xKikanPanelBase.h"

class TxKikanPanel16 : public TxKikanPanelBase {
 public:
  static constexpr int kCellCount = 16;

  explicit TxKikanPanel16(QWidget* parent);

  void SetStno(int value) override;
  void SetEdno(int value) override;
  forms::TColor DisabelColor() const { return disabelColor_; }
  void SetDisabelColor(forms::TColor color);
  bool KESSAN() const { return kessan_; }
  void SetKESSAN(bool value);
  int StMonthNo() const;
  int EdMonthNo() const;
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

 protected:
  forms::TColor DisabledRangeColor() const override { return disabelColor_; }
  // The 16-cell strip only invalidates itself; the paint follows with the event loop.
  void PaintRangeDone() override { update(); }

 private:
  std::array<int, kCellCount> periods_{};
  forms::TColor disabelColor_ = forms::clSilver;
  bool kessan_ = true;
  int lastNo_ = 15;
};
