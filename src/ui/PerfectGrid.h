#pragma once
// The list grid of the framework dialogs: a table of text, picture and check cells with one
// heading row, frozen columns at the left, per-row and per-cell colours and fonts, and events
// for the current cell, clicks and keys.
//
// Numbering follows the dialogs: data columns 0 .. Cols - 1 and data rows 0 .. Rows - 1; the
// frozen columns at the left are -FixedLefts .. -1 (the row header is column -1), the heading
// row is row -1. A frozen column keeps its place while the others scroll sideways; a column of
// width 0 is hidden and skipped by the cursor keys. Row() is kNoRow when no cell is current.
//
//   grid->SetCols(3);
//   grid->SetCellText(0, TPerfectGrid::kHeadingRow, "No");
//   grid->InsertRows(0, 2);
//   grid->SetCellText(1, 0, "データ1");
//   grid->SetRowBackColor(1, grid->OddRowBackColor());
//   grid->OnCellGotFocus = [](QObject*, int col, int row) { ... };
//   grid->SetCurCell(0, 0);
//
// It is a QTableView over a model of its own: cells are painted by one delegate, never built
// from widgets. Cell events are raised only for changes of the current cell (by the user or
// by SetCurCell); deleting the current row makes no cell current, without events.
#include <QTableView>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"
#include "ui/forms/Graphics.h"
#include "ui/forms/Image.h"

class TPerfectGridModel;
class QHeaderView;

enum TGridSelectMode { gsCell, gsRow };
enum TGridCellKind { gkText, gkCheck };
enum TGridSortMark { gsNone, gsAscending, gsDescending };

using TGridCellEvent = std::function<void(QObject* Sender, int Col, int Row)>;
using TGridCheckEvent = std::function<void(QObject* Sender, int Col, int Row, bool Checked)>;

class TPerfectGrid : public forms::TWidgetControl<QTableView> {
 public:
  static constexpr int kNoRow = 32700;   // Row() when no cell is current
  static constexpr int kMaxRows = 32700; // rows are numbered below this
  static constexpr int kHeadingRow = -1;

  explicit TPerfectGrid(QWidget* parent);
  ~TPerfectGrid() override;

  // ---- shape ----
  int Rows() const;
  void SetRows(int rows);
  int Cols() const;
  void SetCols(int cols);
  int FixedLefts() const;
  void SetFixedLefts(int count);
  // 1 with the heading row, 0 without.
  int FixedTops() const;
  void SetFixedTops(int count);
  int MaxRows() const { return kMaxRows; }
  // Inserts empty rows before `row` (Rows() appends); the total stays below kMaxRows.
  void InsertRows(int row, int count);
  void DeleteRows(int row, int count);
  void DeleteAllRows();

  // ---- sizes ----
  // The height of every row (a change resets rows given their own height).
  int DefHeight() const { return defHeight_; }
  void SetDefHeight(int height);
  // The width a new column gets.
  int DefWidth() const { return defWidth_; }
  void SetDefWidth(int width);
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  // Row -1 is the heading row.
  int RowHeight(int row) const;
  void SetRowHeight(int row, int height);
  forms::TAlignment ColAlign(int col) const;
  void SetColAlign(int col, forms::TAlignment alignment);
  TGridCellKind ColKind(int col) const;
  void SetColKind(int col, TGridCellKind kind);

  // ---- cells (row -1: the heading) ----
  std::string CellText(int col, int row) const;
  void SetCellText(int col, int row, std::string_view text);
  const forms::TPicture& CellPicture(int col, int row) const;
  void SetCellPicture(int col, int row, const forms::TPicture& picture);
  bool CellChecked(int col, int row) const;
  void SetCellChecked(int col, int row, bool checked);
  // clDefault: the row's colour, and for that the grid's.
  forms::TColor CellBackColor(int col, int row) const;
  void SetCellBackColor(int col, int row, forms::TColor color);
  forms::TColor CellForeColor(int col, int row) const;
  void SetCellForeColor(int col, int row, forms::TColor color);
  forms::TFontSpec CellFont(int col, int row) const;
  void SetCellFont(int col, int row, const forms::TFontSpec& font);

  // ---- rows: what every cell of the row shows unless the cell says otherwise ----
  // Setting a row's colour or font clears the cells' own ones of that row.
  forms::TColor RowBackColor(int row) const;  // clDefault: the grid's alternating colours
  void SetRowBackColor(int row, forms::TColor color);
  forms::TColor RowForeColor(int row) const;  // clDefault: ForeColor
  void SetRowForeColor(int row, forms::TColor color);
  forms::TFontSpec RowFont(int row) const;
  void SetRowFont(int row, const forms::TFontSpec& font);
  // Back to the grid's font.
  void ResetRowFont(int row);

  // ---- heading ----
  TGridSortMark SortMark(int col) const;
  // Shows "▲" or "▼" after the column's heading text.
  void SetSortMark(int col, TGridSortMark mark);

  // ---- colour roles ----
  forms::TColor ForeColor() const { return foreColor_; }
  void SetForeColor(forms::TColor color);
  forms::TColor FixedBackColor() const { return fixedBackColor_; }
  void SetFixedBackColor(forms::TColor color);
  forms::TColor FixedBorderColor() const { return fixedBorderColor_; }
  void SetFixedBorderColor(forms::TColor color);
  forms::TColor BackColor() const { return backColor_; }
  void SetBackColor(forms::TColor color);
  forms::TColor OddRowBackColor() const { return oddRowBackColor_; }
  void SetOddRowBackColor(forms::TColor color);
  forms::TColor FocusBorderColor() const { return focusBorderColor_; }
  void SetFocusBorderColor(forms::TColor color);
  forms::TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(forms::TColor color);
  // The line between the frozen columns and the others, and under the heading.
  forms::TColor ThruBorderColor() const { return thruBorderColor_; }
  void SetThruBorderColor(forms::TColor color);
  // Text colour while the grid is disabled.
  forms::TColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(forms::TColor color);
  // The area right of the last column and below the last row.
  forms::TColor VoidAreaColor() const { return voidAreaColor_; }
  void SetVoidAreaColor(forms::TColor color);

  // ---- current cell, selection and scrolling ----
  int Col() const;  // 0 when no cell is current
  int Row() const;  // kNoRow when none
  void SetCurCell(int col, int row);
  // gsCell frames the current cell, gsRow the whole current row.
  TGridSelectMode SelectMode() const { return selectMode_; }
  void SetSelectMode(TGridSelectMode mode);
  int TopRow() const;
  void SetTopRow(int row);
  // Rows that fit wholly into the visible area.
  int VisibleRows() const;
  // A cell's rectangle in the grid's coordinates (empty when it is not shown).
  QRect CellRect(int col, int row) const;

  // Drawing off while many cells change; switching it on again repaints once.
  bool Redraw() const { return redraw_; }
  void SetRedraw(bool value);
  // No beep when a key leads nowhere.
  bool NoBeep() const { return noBeep_; }
  void SetNoBeep(bool value) { noBeep_ = value; }

  // ---- events ----
  TGridCellEvent OnCellGotFocus;
  TGridCellEvent OnCellLostFocus;
  // A left click released on the cell it was pressed on; row -1 for a heading.
  TGridCellEvent OnCellClick;
  // The user ticked or cleared a check cell (click or Space).
  TGridCheckEvent OnCheckChange;

  bool WantsKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;

  // Layer internal: the model, the delegate and the frozen view read the grid through these.
  TPerfectGridModel& Model() const { return *model_; }
  int CurrentModelRow() const;
  int CurrentModelColumn() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyboardSearch(const QString& search) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TPerfectGridModel;
  void CurrentChanged(const QModelIndex& now, const QModelIndex& before);
  void PressAt(QTableView* view, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void ReleaseAt(QTableView* view, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void DoubleClickAt(QTableView* view, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  void HeadingClicked(int section);
  void ToggleCheck(int modelCol, int modelRow);
  void ApplyColumn(int modelCol);
  void ApplyAllColumns();
  void UpdateFrozenGeometry();
  void ApplyViewColors();
  void Repaint();
  void ClearCurrentQuietly();
  int ModelCol(int col) const;

  std::unique_ptr<TPerfectGridModel> model_;
  QHeaderView* header_ = nullptr;
  QTableView* frozen_ = nullptr;
  QHeaderView* frozenHeader_ = nullptr;

  int defHeight_ = 18;
  int defWidth_ = 64;
  TGridSelectMode selectMode_ = gsCell;
  bool redraw_ = true;
  bool noBeep_ = true;
  bool quiet_ = false;  // no cell events while rows come and go
  int pressCol_ = -1, pressRow_ = -1;
  bool pressed_ = false;

  forms::TColor foreColor_ = forms::clWindowText;
  forms::TColor fixedBackColor_ = forms::clBtnFace;
  forms::TColor fixedBorderColor_ = forms::clGray;
  forms::TColor backColor_ = forms::clWindow;
  forms::TColor oddRowBackColor_ = forms::clWindow;
  forms::TColor focusBorderColor_ = forms::clHighlight;
  forms::TColor borderColor_ = forms::clSilver;
  forms::TColor thruBorderColor_ = forms::clGray;
  forms::TColor disabledColor_ = forms::clGrayText;
  forms::TColor voidAreaColor_ = forms::clAppWorkSpace;
};
