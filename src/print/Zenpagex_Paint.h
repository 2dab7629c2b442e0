#pragma once
// The page renderer: draws one page of a record file onto a canvas, the form layer ("FOM"),
// the data layer ("DAT") or a form placed by a FORM record ("SUBFORM").
//
// A point (x, y) of a record, in 0.1 mm, lands at device point
//   ScaleX(nearest(x × hFactor) + XOff + BaseX), ScaleY(nearest(y × vFactor) + YOff + BaseY)
// where XOff/YOff are the layer's offsets (the page origin, even-page shift, on the printer the
// job's corrections, on the form layer the form margins) and BaseX/BaseY the layer's base
// point (moved by BP records). The canvas zoom magnifies the whole page.
//
// A record that cannot be drawn is logged ("ImageOut.(KIND):reason") and skipped; the rest of
// the page is still drawn and the engine's PaintFailed flag tells the printing loop.
#include <QImage>
#include <string>
#include <string_view>

#include "print/Zenpagex_Canvas.h"
#include "print/Zenpagex_Record.h"

// Draws the page `f` stands at, reading up to and including its "E" record. True when the file
// ended without one (the last page), false after an "E" record.
bool PaintPart(std::string_view layer, TTextFile& f, TCanvas& canvas, int dpi, double hFactor, double vFactor,
               int zoom, bool evenPage, int formPage, int baseX, int baseY);

// The second line of the "DU" style: blanks as many as the text's CP932 bytes (1..126) in the
// current underlined font, 0.4 mm below the text.
void DoubleUnderline(TCanvas& canvas, int x, int y, double vFactor, std::string_view text);

// The picture stretched into (x1, y1)-(x2, y2), ANDed onto the page with `andMode`. A picture
// that cannot be drawn is logged under `context` and draws nothing.
void DrawBitmapDIB(TCanvas& canvas, int x1, int y1, std::string_view context, bool andMode, const QImage& bitmap,
                   int y2, int x2);

// `format` with its "%d" placeholders (any case) replaced by the numbers in order; other text,
// "%" signs included, stays as written.
std::string FormatPageNumber(std::string_view format, int page, int pages);
