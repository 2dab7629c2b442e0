#pragma once
// The lookups that turn record fields into drawing values (colours, backgrounds, alignments,
// font styles and faces, character sets) and the paper helpers: paper sizes by number and
// the scale between the job's paper and the paper in the printer.
//
// Colours are $00BBGGRR, $FF0000nn for system colour nn (ui/forms/Graphics.h draws them).
// Real numbers become integers by rounding halves to the even neighbour.
#include <string>
#include <string_view>

#include "ui/forms/Graphics.h"

using forms::TColor;

// The layers a page is drawn in: the job's form, the data, and a form placed by a FORM record.
inline constexpr std::string_view kLayerForm = "FOM";
inline constexpr std::string_view kLayerData = "DAT";
inline constexpr std::string_view kLayerSubForm = "SUBFORM";

// The colour a form layer takes on screen when the form is not printed.
inline constexpr TColor kUnprintedFormColor = 0xE6E6E6;

// A colour field: the sixteen names, the shading names and the job's user and OCR colours,
// else a number through ColorByIndex; the result in grey with the job's GrayScale. On the
// form layers with the job's PrintFom off every colour is kUnprintedFormColor.
TColor ColorByName(std::string_view value, std::string_view layer);
// 0..15 the named colours, 16..35 system colours 1..20, 40..43 the job's NetColor1,
// NetColor2, UserColor1, UserColor2; any other number is the colour value itself.
TColor ColorByIndex(int n);
// A background field: 1 transparent ("1", "OFF"), $FFFFFF ("ON"), else a colour.
TColor BackgroundByName(std::string_view value, std::string_view layer);
// With the job's GrayScale, every colour but black and white as its grey.
TColor ToGrayScale(TColor c);
// 0 left, 1 centre ("CENTER", "1"), 2 right ("RIGHT", "2", "BOTTOM"); compared exactly.
int AlignmentByName(std::string_view value);
// The font styles of a style code ("B", "BIU", "DU" ...), compared exactly; else plain.
forms::TFontStyles StyleFromCode(std::string_view code);
// The left edge of a text of width `w` at `x`: centred (1), right-aligned (2), else with
// `anchor` 1 the first character (width `c`) centred on x.
int AlignX(int alignment, int x, int w, int c, int anchor);
// The face a font field selects: "ＭＳ 明朝" for an empty field, for "OCR-B" the first
// installed of "OCR-B" and "OCRB" (else "ＭＳ ゴシック"), otherwise the field itself. The MS
// faces are drawn with their IPA stand-ins (forms::SubstituteFontName).
std::string MapFontName(std::string_view field);
// 128, 2, 238 or 255 by the font list holding the face, else 0.
int CharsetOfFont(std::string_view name);

struct TPaperMM {
  int Width = 0;
  int Height = 0;
  bool operator==(const TPaperMM&) const = default;
};
// The size of a paper number in millimetres; for a number outside the table the printer's
// printable area with 20 mm added to each side's length, and PaperMode becomes 2.
TPaperMM PaperSizeMM(int paper);

// The scale between the job's paper and the paper set in the printer: the job's own
// corrections on the same paper, the paper-pair ratios otherwise, and no scaling for a pair
// outside the table.
void UpdateScaleRatios();
// A value in device units scaled by the current ratios; the sub-form layer is left alone
// while the form is not printed.
int ScaleX(int v, std::string_view layer);
int ScaleY(int v, std::string_view layer);
