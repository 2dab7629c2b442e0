// Colours, fonts, key codes and the panel's painted edges.
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/forms/Graphics.h"
#include "ui/forms/Keys.h"
#include "ui/forms/Panel.h"

using namespace forms;

namespace {

TEST(Colors, StoredValuesAreBgrAndSystemIndexes) {
  struct Case {
    TColor color;
    QColor expected;
  } cases[] = {
      {0x0000FF, QColor(255, 0, 0)},
      {0xFF0000, QColor(0, 0, 255)},
      {clNavy, QColor(0, 0, 128)},
      {RGB(255, 128, 64), QColor(255, 128, 64)},
      {clBtnFace, QColor(240, 240, 240)},
      {clWindow, QColor(255, 255, 255)},
      {static_cast<TColor>(0x8000000F), QColor(240, 240, 240)},  // older flag, same colour
      {clBtnShadow, QColor(160, 160, 160)},
      {static_cast<TColor>(0xFF0000FE), QColor(0, 0, 0)},  // unknown index
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.color);
    EXPECT_EQ(ToQColor(c.color), c.expected);
  }
  EXPECT_EQ(FromQColor(QColor(1, 2, 3)), 0x030201);
  EXPECT_EQ(ColorToRGB(clHighlight), RGB(51, 153, 255));
}

TEST(Fonts, MsNamesUseTheIpaFontsAtPixelHeight) {
  struct Case {
    const char* name;
    const char* family;
  } cases[] = {
      {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"}, {"MS UI Gothic", "IPAPGothic"},
      {"ＭＳ 明朝", "IPAMincho"},       {"ＭＳ Ｐ明朝", "IPAPMincho"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TFontSpec fontSpec;
    fontSpec.Name = c.name;
    fontSpec.Height = -13;
    const QFont font = ToQFont(fontSpec);
    EXPECT_EQ(QFontInfo(font).family(), c.family);
    EXPECT_EQ(font.pixelSize(), 13);
    // A font made from the stored name elsewhere finds the same face.
    EXPECT_EQ(QFontInfo(QFont(QString::fromUtf8(c.name))).family(), c.family);
  }
  TFontSpec fontSpec;
  fontSpec.Height = -16;
  EXPECT_EQ(fontSpec.Size(96), 12);
  EXPECT_EQ(fontSpec.Size(120), 10);
  fontSpec.SetSize(9, 96);
  EXPECT_EQ(fontSpec.Height, -12);
}

TEST(Keys, VirtualKeyCodesOfQtKeys) {
  struct Case {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    int vk;
  } cases[] = {
      {Qt::Key_Return, {}, VK_RETURN},    {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN},
      {Qt::Key_Tab, {}, VK_TAB},          {Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB},
      {Qt::Key_Escape, {}, VK_ESCAPE},    {Qt::Key_Left, {}, VK_LEFT},
      {Qt::Key_Down, {}, VK_DOWN},        {Qt::Key_F1, {}, VK_F1},
      {Qt::Key_F12, {}, VK_F12},          {Qt::Key_A, {}, 'A'},
      {Qt::Key_7, {}, '7'},               {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD0 + 7},
      {Qt::Key_Asterisk, {}, VK_OEM_1},   {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT},
      {Qt::Key_Delete, {}, VK_DELETE},    {Qt::Key_unknown, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.qtKey);
    QKeyEvent event(QEvent::KeyPress, c.qtKey, c.modifiers);
    EXPECT_EQ(VirtualKeyOf(event), c.vk);
  }
  EXPECT_EQ(QtKeyOf(VK_F5), Qt::Key_F5);
  EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton), ssShift | ssCtrl | ssLeft);
}

// The panel paints its edges itself: outer bevel, border in the panel colour, inner bevel.
TEST(PanelPainting, BevelsInTheSystemColours) {
  TPanel panel(nullptr);
  panel.resize(40, 20);
  panel.SetColor(clNavy);
  panel.SetBevelOuter(bvRaised);
  panel.SetBorderWidth(1);
  panel.SetBevelInner(bvLowered);
  const QImage image = panel.grab().toImage();
  const QColor highlight(255, 255, 255), shadow(160, 160, 160), navy(0, 0, 128);
  EXPECT_EQ(image.pixelColor(0, 0), highlight);   // outer top-left
  EXPECT_EQ(image.pixelColor(0, 18), highlight);  // left edge ends one above the corner
  EXPECT_EQ(image.pixelColor(0, 19), shadow);     // bottom edge takes the corner
  EXPECT_EQ(image.pixelColor(39, 0), shadow);     // right edge takes the top corner
  EXPECT_EQ(image.pixelColor(1, 1), navy);        // the border ring
  EXPECT_EQ(image.pixelColor(2, 2), shadow);      // lowered inner bevel: shadow top-left
  EXPECT_EQ(image.pixelColor(37, 17), highlight);
  EXPECT_EQ(image.pixelColor(20, 10), navy);      // the inside
  EXPECT_EQ(panel.AlignRect(), QRect(3, 3, 34, 14));
}

}  // namespace
