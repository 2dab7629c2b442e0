#pragma once
// Colours, fonts and the few drawing primitives the controls share.
//
// Colours are 32-bit values in the byte order the stored settings and the print files use:
// $00BBGGRR for a plain colour ($0000FF is red), $FF0000nn for system colour nn. Every
// conversion to a QColor goes through ToQColor, so the system colour table below is the one
// place that decides what "button face" looks like; the table holds fixed values (not the
// Qt style's palette) so that painting is the same on every machine.
//
// Fonts are described as the forms describe them: a face name (the MS names are mapped to
// the IPA fonts installed on this system), a height in pixels (negative = character height
// without internal leading, as the form resources write it), styles and a colour.
#include <QColor>
#include <QFont>
#include <QRect>
#include <cstdint>
#include <string>

class QPainter;

namespace forms {

using TColor = std::int32_t;

constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((static_cast<std::uint32_t>(b & 0xFF) << 16) |
                             (static_cast<std::uint32_t>(g & 0xFF) << 8) |
                             static_cast<std::uint32_t>(r & 0xFF));
}
constexpr int GetRValue(TColor c) { return static_cast<int>(static_cast<std::uint32_t>(c) & 0xFF); }
constexpr int GetGValue(TColor c) { return static_cast<int>((static_cast<std::uint32_t>(c) >> 8) & 0xFF); }
constexpr int GetBValue(TColor c) { return static_cast<int>((static_cast<std::uint32_t>(c) >> 16) & 0xFF); }

constexpr std::uint32_t kSystemColorFlag = 0xFF000000u;
constexpr TColor SystemColor(int index) { return static_cast<TColor>(kSystemColorFlag | static_cast<std::uint32_t>(index)); }
// True for a system colour reference. Older stored values carry the flag as $80000000; both
// forms name the same system colour.
constexpr bool IsSystemColor(TColor c) { return (static_cast<std::uint32_t>(c) & 0xFF000000u) != 0; }

// Plain colours.
constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clMaroon = RGB(128, 0, 0);
constexpr TColor clGreen = RGB(0, 128, 0);
constexpr TColor clOlive = RGB(128, 128, 0);
constexpr TColor clNavy = RGB(0, 0, 128);
constexpr TColor clPurple = RGB(128, 0, 128);
constexpr TColor clTeal = RGB(0, 128, 128);
constexpr TColor clGray = RGB(128, 128, 128);
constexpr TColor clSilver = RGB(192, 192, 192);
constexpr TColor clRed = RGB(255, 0, 0);
constexpr TColor clLime = RGB(0, 255, 0);
constexpr TColor clYellow = RGB(255, 255, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clFuchsia = RGB(255, 0, 255);
constexpr TColor clAqua = RGB(0, 255, 255);
constexpr TColor clWhite = RGB(255, 255, 255);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours, by the platform's colour index.
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

// The plain colour a value stands for: system colours are looked up in the table; clNone and
// clDefault read as black. Unknown system indexes read as black too.
TColor ColorToRGB(TColor color);
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
// Replaces one entry of the system colour table (tests, or a theme read from settings).
void SetSystemColor(int index, TColor rgb);

// ---- fonts ----

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

constexpr int SHIFTJIS_CHARSET = 128;
constexpr int DEFAULT_CHARSET = 1;

struct TFontSpec {
  std::string Name = "ＭＳ Ｐゴシック";
  int Height = -12;  // pixels; negative = character height (the usual form value)
  TFontStyles Style = 0;
  int Charset = SHIFTJIS_CHARSET;
  TColor Color = clWindowText;

  // Point size at `ppi`, as the form designer shows it: −Height × 72 / ppi, rounded.
  int Size(int ppi = 96) const;
  void SetSize(int points, int ppi = 96);
  bool operator==(const TFontSpec&) const = default;
};

// The installed family that stands in for a face name ("ＭＳ Ｐゴシック" -> "IPAPGothic"); names
// without a stand-in are returned unchanged.
std::string SubstituteFontName(const std::string& name);
// Registers the MS names as substitutions with Qt, so that a QFont made from a stored face
// name anywhere still finds the IPA font.
void InstallFontSubstitutions();
QFont ToQFont(const TFontSpec& fontSpec);

// ---- drawing ----

// A 3-D frame of `width` rings inside `rect`: top and left in `topColor`, bottom and right in
// `bottomColor`; `rect` shrinks by the width (the client rectangle left inside the frame).
void Frame3D(QPainter& painter, QRect& rect, TColor topColor, TColor bottomColor, int width);

}  // namespace forms
