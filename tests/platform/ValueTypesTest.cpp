#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"

TEST(Encoding, RoundTripsJapaneseThroughCp932) {
  const std::string text = "～－①髙ｶﾞ漢字\\~";
  std::string cp;
  ASSERT_TRUE(sjis::TryFromUtf8(text, cp));
  EXPECT_EQ(cp, "\x81\x60\x81\x7c\x87\x40\xfb\xfc\xb6\xde\x8a\xbf\x8e\x9a\\~");
  EXPECT_EQ(sjis::ToUtf8(cp), text);
  EXPECT_EQ(sjis::ByteLength("ｱｲ"), 2u);  // half-width katakana is one byte each
  EXPECT_EQ(sjis::ByteLength("あい"), 4u);
}

TEST(Encoding, SubstitutesWhatCp932CannotHold) {
  std::string cp;
  EXPECT_FALSE(sjis::TryFromUtf8("a\xF0\x9F\x98\x80" "b", cp));  // an emoji
  EXPECT_EQ(cp, "a?b");
  EXPECT_EQ(sjis::FromUtf8("x\xff" "y"), "x?y");  // malformed UTF-8
  std::string u;
  EXPECT_FALSE(sjis::TryToUtf8("a\x82", u));  // lone lead byte at the end
  EXPECT_EQ(u, "a?");
}

TEST(Encoding, CutNeverSplitsACharacter) {
  EXPECT_EQ(sjis::CutToBytes("あいう", 3), "あ");
  EXPECT_EQ(sjis::CutToBytes("あいう", 4), "あい");
  EXPECT_EQ(sjis::CutToBytes("ｱｲｳ", 2), "ｱｲ");
  EXPECT_EQ(sjis::CutToBytes("ab", 10), "ab");
}

TEST(Currency, ParsesAndPrintsShortestForm) {
  struct Case { const char* text; bool ok; int64_t raw; const char* printed; };
  const Case cases[] = {
      {"1234", true, 12340000, "1234"},     {" -12.5 ", true, -125000, "-12.5"},
      {"0.0001", true, 1, "0.0001"},        {"0.00005", true, 1, "0.0001"},
      {"+.5", true, 5000, "0.5"},           {"abc", false, 0, ""},
      {"1,234", false, 0, ""},              {"", false, 0, ""},
      {"-", false, 0, ""},                  {"99999999999999999999", false, 0, ""},
  };
  for (const auto& c : cases) {
    Currency v;
    EXPECT_EQ(Currency::TryParse(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v.Raw(), c.raw) << c.text;
      EXPECT_EQ(v.ToString(), c.printed) << c.text;
    }
  }
}

TEST(Currency, MulDivRoundsHalfAwayInWideArithmetic) {
  // 900,000,000,000,000 yen × 8 / 108 would overflow 64 bits before the division.
  Currency big = Currency::FromYen(900'000'000'000'000LL);
  EXPECT_EQ(big.MulDiv(8, 108).Raw(), 666666666666666667LL);
  EXPECT_EQ(Currency::FromRaw(5).MulDiv(1, 10).Raw(), 1);
  EXPECT_EQ(Currency::FromRaw(-5).MulDiv(1, 10).Raw(), -1);
  EXPECT_EQ((Currency::FromYen(3) * Currency::FromRaw(9500)).Raw(), 28500);  // 3 × 0.95
}

TEST(Currency, RoundsToAUnitByMode) {
  using M = RoundMode;
  constexpr M kZero = M::TowardZero, kAway = M::AwayFromZero, kHalf = M::HalfAwayFromZero;
  struct Case { M mode; int64_t unitRaw; const char* amount; const char* rounded; };
  const Case cases[] = {
      // To the yen.
      {kZero, 1'0000, "2.9999", "2"},      {kZero, 1'0000, "-2.9999", "-2"},
      {kAway, 1'0000, "2.0001", "3"},      {kAway, 1'0000, "-2.0001", "-3"},
      {kHalf, 1'0000, "2.5", "3"},         {kHalf, 1'0000, "-2.5", "-3"},
      {kHalf, 1'0000, "2.4999", "2"},      {kHalf, 1'0000, "-2.4999", "-2"},
      // To 100 and 1,000 yen: the half is 50 and 500 yen.
      {kZero, 100'0000, "199.9999", "100"}, {kZero, 100'0000, "-199", "-100"},
      {kAway, 100'0000, "100.0001", "200"}, {kAway, 100'0000, "-100.0001", "-200"},
      {kHalf, 100'0000, "150", "200"},      {kHalf, 100'0000, "-149.9999", "-100"},
      {kZero, 1000'0000, "1999", "1000"},   {kZero, 1000'0000, "-999.9999", "0"},
      {kAway, 1000'0000, "-1", "-1000"},    {kHalf, 1000'0000, "-1500", "-2000"},
      {kHalf, 1000'0000, "1499.9999", "1000"},
      // To the smallest step: nothing to round.
      {kAway, 1, "-0.0001", "-0.0001"},     {kHalf, 1, "12.3456", "12.3456"},
      // Multiples of the unit and zero stay as they are in every mode.
      {kAway, 100'0000, "-300", "-300"},    {kHalf, 1000'0000, "0", "0"},
      {kAway, 1'0000, "0", "0"},
  };
  for (const auto& c : cases) {
    Currency amount, rounded;
    ASSERT_TRUE(Currency::TryParse(c.amount, amount)) << c.amount;
    ASSERT_TRUE(Currency::TryParse(c.rounded, rounded)) << c.rounded;
    EXPECT_EQ(Round(amount, c.mode, Currency::FromRaw(c.unitRaw)).Raw(), rounded.Raw())
        << static_cast<int>(c.mode) << " " << c.unitRaw << " " << c.amount;
  }
}

TEST(Currency, RoundingRaisesInsteadOfWrappingOrDividingByNothing) {
  const Currency max = Currency::FromRaw(std::numeric_limits<int64_t>::max());
  const Currency min = Currency::FromRaw(std::numeric_limits<int64_t>::min());
  const Currency thousand = Currency::FromYen(1000);
  EXPECT_EQ(Round(max, RoundMode::TowardZero, thousand).Raw(), 9223372036850000000LL);
  EXPECT_EQ(Round(min, RoundMode::TowardZero, thousand).Raw(), -9223372036850000000LL);
  EXPECT_THROW(Round(max, RoundMode::HalfAwayFromZero, Currency::FromYen(1)), std::overflow_error);
  EXPECT_THROW(Round(min, RoundMode::AwayFromZero, thousand), std::overflow_error);
  EXPECT_THROW(Round(Currency::FromYen(1), RoundMode::TowardZero, Currency()), std::invalid_argument);
  EXPECT_THROW(Round(Currency::FromYen(1), RoundMode::TowardZero, -thousand), std::invalid_argument);
}

TEST(DateTime, EncodesTheStoredDayCount) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(2014, 4, 1), 41730.0);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);
  int y, m, d;
  for (TDateTime t : {41730.0, 0.0, 1.0, -1.0, 60.0, 73050.0, 2958465.0}) {
    DecodeDate(t, y, m, d);
    EXPECT_EQ(EncodeDate(y, m, d), t);
  }
  DecodeDate(EncodeDate(2024, 2, 29), y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  TDateTime bad;
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, bad));
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);  // a Tuesday
  DecodeDate(IncMonth(EncodeDate(2024, 1, 31), 1), y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  DecodeDate(IncMonth(EncodeDate(2024, 1, 15), -13), y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20221215);
}

TEST(DateTime, FormatsAndReadsPatterns) {
  TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", t), "2024/03/05 14:07");
  EXPECT_EQ(FormatDateTime("yy/m/d", t), "24/3/5");
  EXPECT_EQ(FormatDateTime("yyyymmddhhnnss", t), "20240305140709");
  EXPECT_EQ(FormatDateTime("hh:mm", t), "14:07");
  EXPECT_EQ(FormatDateTime("\"at\" yyyy", t), "at 2024");
  TDateTime r;
  ASSERT_TRUE(TryStrToDate("2024/3/5", r));
  EXPECT_EQ(r, EncodeDate(2024, 3, 5));
  ASSERT_TRUE(TryStrToDate("2024/03/05 14:07", r));
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", r), "2024/03/05 14:07");
  EXPECT_FALSE(TryStrToDate("2024/02/30", r));
  EXPECT_FALSE(TryStrToDate("tomorrow", r));
}
