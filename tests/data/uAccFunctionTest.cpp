#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/uAccFunction.h"
#include "data/uAccTaxCmp.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"

namespace {

TEST(FormatDateText, StylesAndTheZeroDate) {
  const TDateTime d = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 0, 0);
  EXPECT_EQ(FormatDateText(2, d), "24/03/05");
  EXPECT_EQ(FormatDateText(4, d), "2024/03/05");
  EXPECT_EQ(FormatDateText(3, d), "2024/03/05 14:07");
  EXPECT_EQ(FormatDateText(4, 0), "");
  EXPECT_EQ(FormatDateText(0, 0), "");
}

TEST(TrimZenkaku, StripsHalfAndFullWidthBlanksAtBothEnds) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"　 あ　 ", "あ"},
      {" 　\t\r\n　", ""},
      {"", ""},
      {"\t 　　a b　c 　\r\n", "a b　c"},  // inner blanks stay
      {"＝@", "＝@"},                       // CP932 81 81 40: its tail is no full-width space
      {"ｱ　", "ｱ"},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimZenkaku(c.in), c.out) << c.in;
}

TEST(RemoveBlanks, RemovesEveryHalfAndFullWidthSpace) {
  EXPECT_EQ(RemoveBlanks("平成 元年　１月"), "平成元年１月");
  EXPECT_EQ(RemoveBlanks(" 　 "), "");
  EXPECT_EQ(RemoveBlanks("＝@\tx"), "＝@\tx");  // tabs and look-alike byte pairs stay
}

// Widths count CP932 bytes; the result is again UTF-8.
TEST(FixedWidthFields, PadAndCutInCp932BytesWithoutSplittingACharacter) {
  struct Case { const char* in; int width; const char* right; const char* left; };
  const Case cases[] = {
      {"あい", 3, "あ ", " い"},  // the cut character's remaining byte becomes a blank
      {"ab", 5, "ab   ", "   ab"},
      {"123", 5, "123  ", "  123"},
      {"12345", 3, "123", "345"},
      {"ｱｲｳ", 2, "ｱｲ", "ｲｳ"},     // half-width katakana is one byte
      {"aｶﾞ漢", 4, "aｶﾞ ", "ｶﾞ漢"},
      {"漢aｶﾞ", 4, "漢aｶ", " aｶﾞ"},
      {"abc", 0, "", ""},
      {"abc", -3, "", ""},
      {"", 2, "  ", "  "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PadRightSJIS(c.in, c.width), c.right) << c.in << " " << c.width;
    EXPECT_EQ(PadLeft(c.in, c.width), c.left) << c.in << " " << c.width;
  }
}

TEST(FixedWidthFields, WideFieldsArePaddedFully) {
  EXPECT_EQ(MakeBlanks(0), "");
  EXPECT_EQ(MakeBlanks(-1), "");
  EXPECT_EQ(MakeBlanks(600), std::string(600, ' '));
  const std::string right = PadRightSJIS("漢字", 1000);
  EXPECT_EQ(sjis::ByteLength(right), 1000u);
  EXPECT_EQ(right.substr(0, 6), "漢字");
  const std::string left = PadLeft("12", 700);
  EXPECT_EQ(left, std::string(698, ' ') + "12");
}

TEST(SplitText, SplitsAtTheSeparatorAfterCuttingTheComment) {
  struct Case {
    const char* text;
    const char* sep;
    int separators;
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {"a,,b", ",", 2, {"a", "", "b"}},
      {"x//comment", ",", 0, {"x"}},
      {"", ",", 0, {}},
      {"//only a comment,with,commas", ",", 0, {}},
      {",a,", ",", 2, {"", "a", ""}},
      {"abc", ",", 0, {"abc"}},
      {"ポ|ソ|x", "|", 2, {"ポ", "ソ", "x"}},  // their CP932 trail bytes are '|' and '\'
      {"件名：済,金額", ",", 1, {"件名：済", "金額"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> parts{"stale"};
    EXPECT_EQ(SplitText(c.text, c.sep, parts, 51), c.separators) << c.text;
    EXPECT_EQ(parts, c.parts) << c.text;
  }
}

TEST(SplitText, NeverFillsMorePartsThanTheCapacity) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += std::to_string(i) + ",";
  text += "last";
  std::vector<std::string> parts;
  EXPECT_EQ(SplitText(text, ",", parts, 51), 60);  // still counts every separator
  ASSERT_EQ(parts.size(), 51u);
  EXPECT_EQ(parts.front(), "0");
  EXPECT_EQ(parts.back(), "50");
  EXPECT_EQ(SplitText("a|b", "|", parts, 0), 1);
  EXPECT_TRUE(parts.empty());
}

TEST(ShiftJisBytes, LeadAndTrailRanges) {
  struct Case { unsigned char b; bool lead; bool trail; };
  const Case cases[] = {
      {0x3F, false, false}, {0x40, false, true}, {0x7E, false, true}, {0x7F, false, false},
      {0x80, false, true},  {0x81, true, true},  {0x9F, true, true},  {0xA0, false, true},
      {0xDF, false, true},  {0xE0, true, true},  {0xFC, true, true},  {0xFD, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSJISLeadByte(c.b), c.lead) << int(c.b);
    EXPECT_EQ(IsSJISTrailByte(c.b), c.trail) << int(c.b);
  }
}

TEST(BlankSplitSJIS, BlanksBrokenPairsAndKeepsTheLength) {
  struct Case { std::string in; std::string out; };
  const Case cases[] = {
      {"ab\x82", "ab "},                  // lone lead byte at the end
      {"\x82" "1x", "  x"},               // lead byte followed by a digit
      {"\x82\xA0\x82", "\x82\xA0 "},      // a whole あ stays
      {"\x82\xA0\x82\x7F", "\x82\xA0  "}, // 0x7F cannot follow a lead byte
      {"\xB1\x82\x40", "\xB1\x82\x40"},   // half-width katakana, then a valid pair
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(BlankSplitSJISBytes(c.in), c.out);
  EXPECT_EQ(BlankSplitSJIS("あｱ漢"), "あｱ漢");  // a UTF-8 text holds only whole characters
}

TEST(SettingConversions, TextsOfBooleansAmountsAndDates) {
  EXPECT_TRUE(TextIsTrue("TRUE"));
  EXPECT_TRUE(TextIsTrue("true"));
  EXPECT_TRUE(TextIsTrue("True"));
  EXPECT_FALSE(TextIsTrue(" TRUE"));
  EXPECT_FALSE(TextIsTrue("1"));
  EXPECT_FALSE(TextIsTrue(""));
  EXPECT_EQ(BoolToText(true), "TRUE");
  EXPECT_EQ(BoolToText(false), "FALSE");
  EXPECT_TRUE(TextIsTrue(BoolToText(true)));
  EXPECT_FALSE(TextIsTrue(BoolToText(false)));

  EXPECT_EQ(SafeStrToCurr("1234.5").Raw(), 12345000);
  EXPECT_EQ(SafeStrToCurr("-0.0001").Raw(), -1);
  EXPECT_EQ(SafeStrToCurr(" ").Raw(), 0);  // an empty stored value reads as one blank
  EXPECT_EQ(SafeStrToCurr("1,000").Raw(), 0);
  EXPECT_EQ(SafeStrToCurr("abc").Raw(), 0);

  const TDateTime d = EncodeDate(2024, 2, 29);
  EXPECT_EQ(SafeStrToDate(FormatDateText(4, d)), d);
  EXPECT_EQ(SafeStrToDate("2024/3/5"), EncodeDate(2024, 3, 5));
  for (const char* bad : {"", " ", "2023/02/29", "2024/13/01", "abc", "2024/03/05 14:07", "2024-03-05"})
    EXPECT_EQ(SafeStrToDate(bad), 0) << bad;
}

Currency Yen(const char* text) {
  Currency c;
  EXPECT_TRUE(Currency::TryParse(text, c)) << text;
  return c;
}

// RoundCurrency and RoundYen must round alike; both are checked against one table.
TEST(RoundingToWholeYen, ModeTable) {
  struct Case { int mode; const char* amount; int64_t yen; };
  const Case cases[] = {
      {0, "1.4", 1},     {0, "1.5", 1},     {0, "-1.5", -1},   {0, "2.0001", 2},
      {0, "-1.9", -1},   {0, "2.9", 2},     {0, "-0.0001", 0},
      {2, "1.4", 2},     {2, "1.5", 2},     {2, "-1.5", -2},   {2, "2.0001", 3},
      {2, "3", 3},       {2, "-0.0001", -1}, {2, "-1.4", -2},  {2, "-3", -3},
      {1, "1.4", 1},     {1, "1.5", 2},     {1, "-1.5", -2},   {1, "2.0001", 2},
      {1, "2.5", 3},     {1, "1.4999", 1},  {1, "-1.4999", -1}, {1, "-2.5", -3},
      {7, "2.5", 3},     {-1, "2.5", 3},    {7, "-0.5", -1},
      {0, "0", 0},       {1, "0", 0},       {2, "0", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundCurrency(c.mode, Yen(c.amount)), Currency::FromYen(c.yen)) << c.mode << " " << c.amount;
    EXPECT_EQ(RoundYen(c.mode, Yen(c.amount)), Currency::FromYen(c.yen)) << c.mode << " " << c.amount;
  }
}

TEST(RoundingToWholeYen, ExtremesRaiseInsteadOfWrapping) {
  const Currency max = Currency::FromRaw(std::numeric_limits<int64_t>::max());
  const Currency min = Currency::FromRaw(std::numeric_limits<int64_t>::min());
  EXPECT_EQ(RoundCurrency(0, max).Raw(), 9223372036854770000LL);
  EXPECT_EQ(RoundCurrency(0, min).Raw(), -9223372036854770000LL);
  EXPECT_THROW(RoundCurrency(2, max), std::overflow_error);
  EXPECT_THROW(RoundYen(1, min), std::overflow_error);
}


}  // namespace
