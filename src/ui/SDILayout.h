#pragma once
// What the dialog base form records of a form's layout on its first show, and the arithmetic
// of rescaling a form to the operator's font and the screen (the operations themselves are
// members of TBSDI, in SDILayout.cpp).
#include <map>
#include <memory>
#include <vector>

#include "ui/forms/Graphics.h"

struct TAppFont;

// The sizes of a grid (or another list) as recorded: row height and column widths, any
// number of columns, frozen ones (negative numbers) included.
struct TColumnLayoutRec {
  double SizeA = 0;     // row height: DefHeight, or a spread grid's RowHeightMin
  double DividerV = 0;  // spread grid: WindowDividerVert
  double SizeB = 0;     // column width: DefWidth, or ColWidthMin
  double DividerH = 0;  // spread grid: WindowDividerHorz
  // Spread grid: heights of rows 0 .. RowsFrozen (-1 where the grid's text is no number).
  std::vector<int> FrozenHeights;
  std::map<int, int> ColWidths;  // column number -> width
};

// One component's design bounds.
struct TLayoutRec {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int Tag = 0;
  int ItemHeight = 0;  // combo boxes
  std::unique_ptr<TColumnLayoutRec> Columns;  // grids only
};

// number × numerator / denominator in 64 bits, rounded half away from zero; -1 for a zero
// denominator or a result that does not fit. The report engine uses the same one.
int MulDiv(int number, int numerator, int denominator);

// How a form follows the operator's font: with the screen's pixels per inch and the point
// sizes of the base font (the main form's) and the environment font (the operator's):
//   baseDpi  the screen's dpi when the base font's size is 10, else 96;
//   scale    percent of the environment size to the base size, each first taken to the
//            screen's dpi;
//   ppi      baseDpi × scale / 100, rounded half up: the form's new pixels per inch.
// When either size is 0 or below there is no font to compare: scale 100 at the screen's dpi.
struct TFontScale {
  int baseDpi = 96;
  int scale = 100;
  int ppi = 96;
};
TFontScale ComputeFontScale(int screenDpi, int baseFontSize, int envFontSize);

// A font of the settings as the forms describe it, sized for `ppi`.
forms::TFontSpec FontSpecOf(const TAppFont& font, int ppi);
