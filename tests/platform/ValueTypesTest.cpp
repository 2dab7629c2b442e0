#include <gtest/gtest.h>

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
