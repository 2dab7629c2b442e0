#pragma once
// What the period selectors share: a bevelled panel holding a strip of cells, the month
// arithmetic, the cell colours, the mouse drag that selects a contiguous range, the Left and
// Right keys, and the report of a keyboard change through OnMouseUp (on Enter or when the
// focus leaves), so that callers have one place to react. The strips differ in how many cells
// they have, how SetKikan labels them and how Stno and Edno are held.
#include <QWidget>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "ui/forms/Panel.h"

class TxKikanPanelBase;

// One cell: a flat panel with a centred caption, not a component of the form (the panel owns
// it). Its mouse input goes to the panel's Cell... handlers with the cell as Sender.
class TxKikanCell : public QWidget {
 public:
  TxKikanCell(TxKikanPanelBase* panel, int index);

  int Tag() const { return index_; }
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  forms::TColor BackColor() const { return back_; }
  forms::TColor FontColor() const { return fore_; }
  void SetColors(forms::TColor back, forms::TColor fore);
  // The cell's own enabled state (its input is ignored while false).
  bool CellEnabled() const { return enabled_; }
  void SetCellEnabled(bool value);
  // Whether mouse moves reach the panel (only while the panel has the focus).
  void SetMoveHandler(bool value) { moveHandler_ = value; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TxKikanPanelBase* panel_;
  int index_;
  std::string caption_;
  forms::TColor back_ = forms::clNavy;
  forms::TColor fore_ = forms::clWhite;
  bool enabled_ = true;
  bool moveHandler_ = false;
};

class TxKikanPanelBase : public forms::TPanel {
 public:
  int Stno() const { return stno_; }
  virtual void SetStno(int value) = 0;
  int Edno() const { return edno_; }
  virtual void SetEdno(int value) = 0;
  forms::TColor BackColor() const { return backColor_; }
  void SetBackColor(forms::TColor color);
  forms::TColor FontColor() const { return fontColor_; }
  void SetFontColor(forms::TColor color);
  bool KikanMove() const { return kikanMove_; }
  void SetKikanMove(bool value);
  bool KBDMOUSE() const { return kbdMouse_; }
  void SetKBDMOUSE(bool value) { kbdMouse_ = value; }

  // Sime: closing day 1 to 28, or 99 for month end; Kishu and Kimatu: first and last day of
  // the fiscal year; Kaisi: the earliest date that may be selected.
  virtual void SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) = 0;

  // The cell handlers (Sender is the cell).
  virtual void CellDblClick(QObject* Sender);
  virtual void CellMouseDown(QObject* Sender, forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void CellMouseMove(QObject* Sender, forms::TShiftState Shift, int X, int Y);
  virtual void CellMouseUp(QObject* Sender, forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  // Recolours the cells from Stno, Edno, the enabled state and the confirmed periods.
  virtual void PaintRange();

  // The cells, for reading.
  int CellCount() const { return static_cast<int>(cells_.size()); }
  const TxKikanCell* Cell(int index) const { return cells_.at(static_cast<size_t>(index)); }
  int FirstSelectable() const { return firstSel_; }
  int LastSelectable() const { return lastSel_; }

  bool WantsKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyUp(int& key, forms::TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  // A panel of `cellCount` cells named "No1", "No2" ...; the derived panel sizes itself and
  // labels them.
  TxKikanPanelBase(QWidget* parent, int cellCount);

  // The confirmed periods (the panels that show them publish these).
  bool KakuteiMode() const { return kakuteiMode_; }
  void SetKakuteiMode(bool value);
  int KakuteiMNo() const { return kakuteiMNo_; }
  void SetKakuteiMNo(int value);
  forms::TColor KakuteiBackColor() const { return kakuteiBackColor_; }
  void SetKakuteiBackColor(forms::TColor color);
  forms::TColor KakuteiFontColor() const { return kakuteiFontColor_; }
  void SetKakuteiFontColor(forms::TColor color);

  // The background of selected cells while the panel is disabled.
  virtual forms::TColor DisabledRangeColor() const { return forms::clSilver; }
  // How PaintRange ends: by default it paints at once (pending paints processed once).
  virtual void PaintRangeDone() { ProcessPaint(); }
  // How many cells the strip lays out, from the left (the others are hidden).
  virtual int LaidOutCells() const { return CellCount(); }
  // A plain Left or Right (no Shift, or no range): moves the anchor by one within the
  // selectable cells and leaves it at the end when it cannot move.
  virtual void StepAnchor(bool left);

  void Resized() override;
  void changeEvent(QEvent* event) override;

  TxKikanCell* CellAt(int index) { return cells_[static_cast<size_t>(index)]; }
  // The mouse-up event of the panel, as a keyboard change reports it too.
  void MouseUp(forms::TMouseButton button, forms::TShiftState shift, int x, int y);
  void LayoutCells(bool resize);
  // Disabled, captionless, in button face with window text.
  void DisableCell(int index);
  // Every cell shown, enabled, captionless in the panel's colours; the cells before the first
  // selectable one then disabled in button face.
  void ClearCells();
  // Colours cell `i` as an enabled panel's PaintRange does with the range [from, to].
  void ColorCell(int i, int from, int to);
  void PaintWorkRange();
  void ProcessPaint();
  bool Built() const { return built_; }
  // Sets the working pair to the selection.
  void ResetWorkPair() { anchor_ = stno_, moving_ = edno_; }

  int stno_ = 0;
  int edno_ = 0;
  bool kikanMove_ = true;
  int firstSel_ = 0;
  int lastSel_ = 0;
  int anchor_ = 0;
  int moving_ = 0;

 private:
  std::vector<TxKikanCell*> cells_;
  // Hit-test rectangles in strip coordinates; right and bottom are exclusive.
  struct HitRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  };
  std::vector<HitRect> hits_;
  int cellW_ = 18;
  int cellH_ = 18;
  bool built_ = false;

  forms::TColor backColor_ = forms::clNavy;
  forms::TColor fontColor_ = forms::clWhite;
  bool kbdMouse_ = false;
  bool kakuteiMode_ = false;
  int kakuteiMNo_ = 0;
  forms::TColor kakuteiBackColor_ = forms::RGB(255, 128, 64);
  forms::TColor kakuteiFontColor_ = forms::clWhite;
  bool dragging_ = false;
};

namespace kikan {
// n months after `date` (before it when negative); the day is cut to the month's length.
TDateTime AddMonths(TDateTime date, int n);
// The closing date of the period `n` periods after the one that holds `date`, for closing day
// `sime` (1 to 28, 99 = month end). Any other closing day beeps and gives `date` itself.
TDateTime PeriodClosingDate(int n, int sime, TDateTime date);
// Months from the closing month of the fiscal start `kishu` to that of `date` (negative
// before it, unbounded).
int MonthOffset(int sime, TDateTime kishu, TDateTime date);
// The month offset held to a twelve-month year: anything outside 0 to 11 counts as 11.
int YearMonthOffset(int sime, TDateTime kishu, TDateTime date);
// The cell of the 16-cell strip that holds `date` in the fiscal year starting `kishu`: month
// cells 0-2, 4-6, 8-10, 12-14 for the twelve months, 16-18 for a thirteenth to fifteenth month
// (no such cell exists), 15 for anything else, earlier dates included.
int CellOfDate(int sime, TDateTime kishu, TDateTime date);
}  // namespace kikan
