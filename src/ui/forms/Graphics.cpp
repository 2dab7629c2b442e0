#include "ui/forms/Graphics.h"

#include <QPainter>
#include <array>
#include <cmath>

namespace forms {
namespace {

// The classic defaults of the platform's system colours, by index.
std::array<TColor, 31>& SystemColors() {
  static std::array<TColor, 31> table = {
      RGB(200, 200, 200),  // 0 scroll bar
      RGB(0, 0, 0),        // 1 desktop
      RGB(153, 180, 209),  // 2 active caption
      RGB(191, 205, 219),  // 3 inactive caption
      RGB(240, 240, 240),  // 4 menu
      RGB(255, 255, 255),  // 5 window
      RGB(100, 100, 100),  // 6 window frame
      RGB(0, 0, 0),        // 7 menu text
      RGB(0, 0, 0),        // 8 window text
      RGB(0, 0, 0),        // 9 caption text
      RGB(180, 180, 180),  // 10 active border
      RGB(244, 247, 252),  // 11 inactive border
      RGB(171, 171, 171),  // 12 application workspace
      RGB(51, 153, 255),   // 13 highlight
      RGB(255, 255, 255),  // 14 highlight text
      RGB(240, 240, 240),  // 15 button face
      RGB(160, 160, 160),  // 16 button shadow
      RGB(109, 109, 109),  // 17 grey text
      RGB(0, 0, 0),        // 18 button text
      RGB(67, 78, 84),     // 19 inactive caption text
      RGB(255, 255, 255),  // 20 button highlight
      RGB(105, 105, 105),  // 21 3-D dark shadow
      RGB(227, 227, 227),  // 22 3-D light
      RGB(0, 0, 0),        // 23 tooltip text
      RGB(255, 255, 225),  // 24 tooltip background
      RGB(0, 0, 0),        // 25 (unused)
      RGB(0, 102, 204),    // 26 hot-tracked item
      RGB(185, 209, 234),  // 27 gradient active caption
      RGB(215, 228, 242),  // 28 gradient inactive caption
      RGB(51, 153, 255),   // 29 menu highlight
      RGB(240, 240, 240),  // 30 menu bar
  };
  return table;
}

struct FontStandIn {
  const char* name;
  const char* family;
};

// Proportional names go to the proportional IPA faces, fixed-pitch ones to the fixed faces.
constexpr FontStandIn kFontStandIns[] = {
    {"ＭＳ ゴシック", "IPAGothic"},   {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS UI Gothic", "IPAPGothic"},
    {"ＭＳ 明朝", "IPAMincho"},       {"ＭＳ Ｐ明朝", "IPAPMincho"},     {"MS Gothic", "IPAGothic"},
    {"MS PGothic", "IPAPGothic"},     {"MS Mincho", "IPAMincho"},       {"MS PMincho", "IPAPMincho"},
};

}  // namespace

TColor ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault) return clBlack;
  if (IsSystemColor(color)) {
    const unsigned index = static_cast<std::uint32_t>(color) & 0xFF;
    const auto& table = SystemColors();
    return index < table.size() ? table[index] : clBlack;
  }
  return color & 0x00FFFFFF;
}

QColor ToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

void SetSystemColor(int index, TColor rgb) {
  auto& table = SystemColors();
  if (index >= 0 && static_cast<size_t>(index) < table.size()) table[index] = rgb & 0x00FFFFFF;
}

int TFontSpec::Size(int ppi) const {
  if (ppi <= 0) ppi = 96;
  return static_cast<int>(std::lround(-static_cast<double>(Height) * 72.0 / ppi));
}

void TFontSpec::SetSize(int points, int ppi) {
  if (ppi <= 0) ppi = 96;
  Height = -static_cast<int>(std::lround(static_cast<double>(points) * ppi / 72.0));
}

std::string SubstituteFontName(const std::string& name) {
  for (const auto& s : kFontStandIns) {
    if (name == s.name) return s.family;
  }
  return name;
}

void InstallFontSubstitutions() {
  for (const auto& s : kFontStandIns) QFont::insertSubstitution(QString::fromUtf8(s.name), QString::fromUtf8(s.family));
}

QFont ToQFont(const TFontSpec& fontSpec) {
  QFont font(QString::fromStdString(SubstituteFontName(fontSpec.Name)));
  // A positive height counts the internal leading too; the character height is then about
  // seven eighths of it, as with the platform's fonts of these faces.
  const int pixels = fontSpec.Height < 0 ? -fontSpec.Height : (fontSpec.Height * 7 + 4) / 8;
  font.setPixelSize(pixels > 0 ? pixels : 12);
  font.setBold((fontSpec.Style & fsBold) != 0);
  font.setItalic((fontSpec.Style & fsItalic) != 0);
  font.setUnderline((fontSpec.Style & fsUnderline) != 0);
  font.setStrikeOut((fontSpec.Style & fsStrikeOut) != 0);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void Frame3D(QPainter& painter, QRect& rect, TColor topColor, TColor bottomColor, int width) {
  int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
  const QColor top = ToQColor(topColor), bottom = ToQColor(bottomColor);
  for (; width > 0; --width) {
    if (r < l || b < t) break;
    // Top and left ring in the top colour (the bottom-left corner is repainted below).
    painter.fillRect(l, t, 1, b - t, top);
    painter.fillRect(l, t, r - l, 1, top);
    // Right and bottom ring in the bottom colour.
    painter.fillRect(r, t, 1, b - t + 1, bottom);
    painter.fillRect(l, b, r - l + 1, 1, bottom);
    ++l, ++t, --r, --b;
  }
  rect = QRect(QPoint(l, t), QPoint(r, b));
}

}  // namespace forms
