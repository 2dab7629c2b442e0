#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/uAccTaxCmp.h"
#include "support/ScriptedUi.h"

namespace {

TEST(AmountTexts, TextToAmountAndFormatAmount) {
  struct Case { const char* text; int64_t raw; };
  const Case cases[] = {
      {"1,234", 12340000}, {"△1,234", -12340000}, {"abc", 0}, {"", 0},
      {"△", 0},           {"1,234.5", 12345000},  {"-12", -120000},
  };
  for (const auto& c : cases) EXPECT_EQ(TextToAmount(c.text).Raw(), c.raw) << c.text;

  EXPECT_EQ(FormatAmount(0), "0");
  EXPECT_EQ(FormatAmount(999), "999");
  EXPECT_EQ(FormatAmount(1000), "1,000");
  EXPECT_EQ(FormatAmount(1234567), "1,234,567");
  EXPECT_EQ(FormatAmount(-1234), "-1,234");
  EXPECT_EQ(FormatAmount(std::numeric_limits<int32_t>::min()), "-2,147,483,648");
}

TEST(SeparatedItems, ItemsFromOneAndLineBreaksSplitToo) {
  struct Case { const char* text; const char* sep; int index; const char* item; };
  const Case cases[] = {
      {"a,b,c", ",", 3, "c"},  {"a,b,c", ",", 4, ""},     {"a,b,c", ",", 0, ""},
      {"a,b,c", ",", 1, "a"},  {"a,,c", ",", 2, ""},      {"a,,c", ",", 3, "c"},
      {"a,b,", ",", 3, ""},    {"a\rb\nc\r\nd", ",", 4, "d"}, {"a\rb\nc\r\nd", ",", 3, "c"},
      {"", ",", 1, ""},        {"帳簿|ポ|x", "|", 2, "ポ"},  {"12,34", "", 1, "12,34"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetSeparatedItem(c.text, c.sep, c.index), c.item) << c.text << " " << c.index;
  EXPECT_EQ(RemoveTabCrLf("a\tb\r\nc\n\rd"), "abcd");
  EXPECT_EQ(RemoveTabCrLf(""), "");
}

TEST(ZeroPad, FillsOrKeepsTheLastBytes) {
  EXPECT_EQ(ZeroPad("7", 3), "007");
  EXPECT_EQ(ZeroPad("12345", 3), "345");
  EXPECT_EQ(ZeroPad("", 2), "00");
  EXPECT_EQ(ZeroPad("1", 257), std::string(256, '0') + "1");
  EXPECT_EQ(ZeroPad("1", 0), "");
}

TEST(LCMapText, FullWidthMapping) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"Abc 123!~", "Ａｂｃ　１２３！～"},
      {"ｶﾞｷﾞﾂﾞﾊﾟﾎﾟｳﾞ", "ガギヅパポヴ"},
      {"ｱｲｳｴｵﾝｰ｡｢｣､･ｦｯ", "アイウエオンー。「」、・ヲッ"},
      {"ｱﾞﾏﾟﾞ", "ア゛マ゜゛"},   // kana that take no mark keep it as its own character
      {"ﾊﾞﾋﾟﾌﾍﾞﾎ", "バピフベホ"},
      {"漢字ａ　ガ", "漢字ａ　ガ"},  // already full width
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LCMapText(LCMAP_FULLWIDTH, c.in), c.out) << c.in;
  EXPECT_EQ(LCMapText(0, "ｶﾞ a"), "ｶﾞ a");
  EXPECT_EQ(LCMapText(0x100, "ｶﾞ a"), "ｶﾞ a");
}

TEST(ZenToUpper, OnlyFullWidthSmallLatinLetters) {
  EXPECT_EQ(ZenToUpper("ａｂｚ"), "ＡＢＺ");
  EXPECT_EQ(ZenToUpper("abcＡ"), "abcＡ");
  // Katakana and kanji whose second byte lies in 0x81-0x9A under another lead byte:
  // メ 83 81, ン 83 93, 椙 90 9A, 梶 8A 81; ｙ is 82 99.
  EXPECT_EQ(ZenToUpper("メン椙梶ｙゃ"), "メン椙梶Ｙゃ");
  // The search use: width and case of Latin letters are ignored.
  EXPECT_EQ(ZenToUpper(LCMapText(LCMAP_FULLWIDTH, "abcｶﾞ")), ZenToUpper("ＡｂＣガ"));
}

TEST(GetValueOfText, WholeLineOfTheNameIgnoringCase) {
  const char* text = "FormStyle=2\r\nsyoritype=3\r\nSyoriType=9\nJyokenSet=1";
  EXPECT_EQ(GetValueOfText(text, "SyoriType"), "syoritype=3");
  EXPECT_EQ(GetValueOfText(text, "JYOKENSET"), "JyokenSet=1");
  EXPECT_EQ(GetValueOfText(text, "Syori"), "");
  EXPECT_EQ(GetValueOfText(text, ""), "");
  EXPECT_EQ(GetValueOfText("", "SyoriType"), "");
  EXPECT_EQ(GetValueOfText("a=b=c", "a"), "a=b=c");
  EXPECT_EQ(GetValueOfText("a", "a"), "");
}

TEST(RoundToDigits, ToleranceAndNegativeSteps) {
  struct Case { int16_t digits; long double value; long double expected; };
  const Case cases[] = {
      {2, 1.25L, 1.2L},       {1, 0.9999995L, 1.0L},  {1, 0.0L, 0.0L},
      {1, 2.9L, 2.0L},        {1, -2.5L, -3.0L},      {1, -2.0L, -2.0L},
      {2, 12.34L, 12.3L},     {0, 123.456L, 120.0L},  {-1, 1234.0L, 1200.0L},
      {3, 0.105L, 0.1L},      {1, -0.1L, -1.0L},      {1, 7.0L, 7.0L},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(static_cast<double>(RoundToDigits(c.digits, c.value)), static_cast<double>(c.expected), 1e-12)
        << c.digits << " " << static_cast<double>(c.value);
  EXPECT_EQ(PowerOf(0, 3), 0);
  EXPECT_NEAR(static_cast<double>(PowerOf(10, 2)), 100.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(PowerOf(2, -1)), 0.5, 1e-15);
}

TEST(FlagBits, SetKindsOneToTwentyFourTestAnyBit) {
  int32_t flags = 0;
  SetFlagBit(flags, 1);
  SetFlagBit(flags, 24);
  EXPECT_EQ(flags, 0x800001);
  for (uint32_t kind : {0u, 25u, 32u, 0xFFFFFFFFu}) SetFlagBit(flags, kind);
  EXPECT_EQ(flags, 0x800001);

  struct Case { uint32_t flags; uint8_t bit; int set; };
  const Case cases[] = {
      {0x8, 4, 1}, {0x8, 3, 0}, {0x1, 1, 1}, {0x80000000u, 32, 1}, {0x80000000u, 0, 1},
      {0x1, 33, 1}, {0x7FFFFFFF, 32, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TestFlagBit(c.flags, c.bit), c.set) << c.flags << " " << int(c.bit);
}

TEST(ScreenHelpers, ScaleByDpi) {
  EXPECT_EQ(ScaleByDpi(300, 144, 96), 450);
  EXPECT_EQ(ScaleByDpi(300, 96, 96), 300);
  EXPECT_EQ(ScaleByDpi(7, 120, 96), 8);    // 8.75, integer part
  EXPECT_EQ(ScaleByDpi(-7, 120, 96), -8);  // toward zero
  ScriptedUi ui;
  ScopedUi use(ui);
  ui.dpi = 120;
  EXPECT_EQ(ScaleByDpi(96, 144, 0), 115);  // from the screen's 120 to 144
  EXPECT_EQ(ScaleByDpi(50, 120, 0), 50);
}

TEST(ScreenHelpers, SysMetricFrameCorrection) {
  for (uint8_t kind : {0, 1, 2}) EXPECT_EQ(GetSysMetric(100, kind), 100);  // frames of 4 here
  struct Case { int frame; uint8_t kind; int out; };
  const Case cases[] = {
      {3, 0, 100}, {3, 1, 100}, {4, 0, 100}, {5, 0, 98}, {5, 1, 96}, {5, 2, 100}, {6, 1, 92},
  };
  for (const auto& c : cases) EXPECT_EQ(GetSysMetricForFrame(100, c.kind, c.frame), c.out) << c.frame;
}

TEST(ScreenHelpers, GrayColor) {
  struct Case { uint32_t in; uint32_t out; };
  const Case cases[] = {
      {0xFFFFFF, 0xFFFFFF}, {0x000000, 0x000000}, {0x0000FF, 0x555555},  // pure red
      {0xFF0000, 0x555555}, {0x000002, 0x010101},                         // 2/3 rounds up
      {0x000001, 0x000000}, {0x808080, 0x808080}, {0x102030, 0x202020},
  };
  for (const auto& c : cases) EXPECT_EQ(GrayColor(c.in), c.out) << std::hex << c.in;
}

}  // namespace
