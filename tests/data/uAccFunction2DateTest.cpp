// The western and era date texts of the date-style and period formats.
#include <gtest/gtest.h>

#include <string>

#include "data/EraState.h"
#include "data/uAccFunction2Date.h"
#include "platform/DateTime.h"

namespace {

TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

TEST_F(EraState, SlashPatterns) {
  struct Case { const char* pattern; TDateTime date; const char* western; const char* era; };
  const TDateTime d = D(2014, 4, 5);
  const Case cases[] = {
      {"yyyy/mm/dd", d, "2014/04/05", "平成 26/04/05"}, {"yy/mm/dd", d, "14/04/05", "平成 26/04/05"},
      {"yyyy/mm", d, "2014/04", "平成 26/04"},          {"yy/mm", d, "14/04", "平成 26/04"},
      {"yyyy", d, "2014", "平成 26"},                   {"yy", d, "14", "平成 26"},
      {"yyyy/m/d", d, "2014/ 4/ 5", "平成 26/ 4/ 5"},    {"yy/m/d", D(2005, 4, 5), " 5/ 4/ 5", "平成 17/ 4/ 5"},
      {"y/m/d", d, "14/ 4/ 5", "平成 26/ 4/ 5"},        {"yyyy/m", d, "2014/ 4", "平成 26/ 4"},
      {"yy/m", d, "14/ 4", "平成 26/ 4"},               {"y/m", d, "14/4", "平成 26/ 4"},
      {"y", d, "14", "平成 26"},                        {"yy2/mm/dd", d, "14/04/05", "平成26/04/05"},
      {"y/m/", d, "14/ 4", ""},                         {"dd.mm.yyyy", d, "05.04.2014", ""},
      {"yyyy/mm/dd", D(1989, 1, 8), "1989/01/08", "平成 01/01/08"},
  };
  for (const auto& c : cases) {
    SystemDef.R4Bit10 = 0;
    EXPECT_EQ(FormatDateStyle(c.pattern, 1, c.date), c.western) << c.pattern;
    SystemDef.R4Bit10 = 1;
    EXPECT_EQ(FormatDateStyle(c.pattern, 1, c.date), c.era) << c.pattern;
  }
  // Any switch value other than 1 is the western form.
  SystemDef.R4Bit10 = 2;
  EXPECT_EQ(FormatDateStyle("yyyy/mm/dd", 1, d), "2014/04/05");
}

TEST_F(EraState, EraTextKinds) {
  SystemDef.R4Bit10 = 1;
  const TDateTime d = D(2014, 4, 5);
  struct Case { int kind; const char* pattern; const char* text; };
  const Case cases[] = {
      {0, "yyyy/mm/dd", "26/04/05"},  {1, "yyyy/mm/dd", "平成 26/04/05"}, {2, "yyyy/mm/dd", "H 26/04/05"},
      {3, "yyyy/mm/dd", "H26/04/05"}, {3, "yyyy/m/d", "H26/4/5"},         {7, "yyyy/mm/dd", "平成 26/04/05"},
      {0, "yyyy/m/d", "26/ 4/ 5"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateStyle(c.pattern, c.kind, d), c.text) << c.kind << c.pattern;

  // Kind 3 means the sign only for the slash patterns; elsewhere it is the era name.
  EXPECT_EQ(FormatDateStyleJ("yyyy年m月d日", 3, d), "平成 26年 4月 5日");
  EXPECT_EQ(FormatDateStyleJ("yyyy年m月d日", 0, d), "26年 4月 5日");
  EXPECT_EQ(FormatDateStyleJ("yyyy年m月d日", 2, d), "H 26年 4月 5日");
  EXPECT_EQ(FormatWarekiText("gg ee年", 2, d), "H 26年");
  EXPECT_EQ(FormatWarekiText("gg ee年", 0, D(1989, 1, 8)), "01年");
}

TEST_F(EraState, KanjiPatterns) {
  struct Case { const char* pattern; TDateTime date; const char* western; const char* era; };
  const TDateTime d = D(2014, 4, 5);
  const TDateTime e = D(2005, 11, 25);
  const Case cases[] = {
      {"yyyy年mm月dd日", d, "2014年04月05日", "平成 26年04月05日"},
      {"yy年mm月dd日", d, "14年04月05日", "平成 26年04月05日"},
      {"yyyy年mm月", d, "2014年04月", "平成 26年04月"},
      {"yy年mm月", d, "14年04月", "平成 26年04月"},
      {"yyyy年", d, "2014年", "平成 26年"},
      {"yy年", d, "14年", "平成 26年"},
      {"yyyy年 mm月 dd日", d, "2014年 04月 05日", "平成 26年 04月 05日"},
      {"yy年 mm月 dd日", d, "14年 04月 05日", "平成 26年 04月 05日"},
      {"yyyy年 mm月", d, "2014年 04月", "平成 26年 04月"},
      {"yy年 mm月", d, "14年 04月", "平成 26年 04月"},
      {"yyyy年m月d日", d, "2014年 4月 5日", "平成 26年 4月 5日"},
      {"yy年m月d日", D(2005, 4, 5), " 5年 4月 5日", "平成 17年 4月 5日"},
      {"y年m月d日", d, "14年 4月 5日", "平成 26年 4月 5日"},
      {"yyyy年m月", d, "2014年 4月", "平成 26年 4月"},
      {"yy年m月", D(2005, 4, 5), "05年 4月", "平成 17年 4月"},
      {"y年m月", d, "14年 4月", "平成 26年 4月"},
      {"y", d, "14", "平成 26年"},
      {"yyyy年 m月 d日", e, "2005年 11月 25日", "平成 17年 11月 25日"},
      {"yyyy年 m月 d日", d, "2014年 4月 5日", "平成 26年 4月 5日"},
      {"yy年 m月 d日", e, "05年 11月 25日", "平成 17年 11月 25日"},
      {"y年 m月 d日", d, "14年 4月 5日", "平成 26年 4月 5日"},
      {"yyyy年 m月", e, "2005年 11月", "平成 17年 11月"},
      {"yy年 m月", D(2005, 4, 5), "05年 4月", "平成 17年 4月"},
      {"y年 m月", d, "14年 4月", "平成 26年 4月"},
      {"yyyy/mm/dd", d, "2014/04/05", ""},
  };
  for (const auto& c : cases) {
    SystemDef.R4Bit10 = 0;
    EXPECT_EQ(FormatDateStyleJ(c.pattern, 1, c.date), c.western) << c.pattern;
    SystemDef.R4Bit10 = 1;
    EXPECT_EQ(FormatDateStyleJ(c.pattern, 1, c.date), c.era) << c.pattern;
  }
}

TEST_F(EraState, WarekiPatternsWhateverTheSwitch) {
  const TDateTime d = D(2014, 4, 5);
  struct Case { const char* pattern; int kind; TDateTime date; const char* text; };
  const Case cases[] = {
      {"", 1, d, "平成 26年"},
      {"gg ee年", 1, d, "平成 26年"},
      {"gg ee年mm月dd日", 1, d, "平成 26年04月05日"},
      {"e", 0, d, "26"},
      {"e", 0, D(1989, 1, 8), "1"},
      {"ee", 0, D(1989, 1, 8), "01"},
      {"ggee･mm･dd", 1, d, "平成26･04･05"},
      {"ggee･mm･dd", 2, d, "H26･04･05"},
      {"ee.mm.dd", 0, d, "26.04.05"},
      {"yyyy", 1, d, ""},
      // The zero date.
      {"e", 0, 0, ""},
      {"ee", 1, 0, ""},
      {"gg ee年", 1, 0, " 1899年"},
      {"ggee･mm･dd", 1, 0, "   ･  ･  "},
      {"ee.mm.dd", 1, 0, "  ･  ･  "},
  };
  for (int sw : {0, 1}) {
    SystemDef.R4Bit10 = sw;
    for (const auto& c : cases) EXPECT_EQ(FormatWarekiText(c.pattern, c.kind, c.date), c.text) << c.pattern;
  }
}

TEST_F(EraState, PeriodText) {
  const TDateTime from = D(2014, 4, 1), to = D(2015, 3, 31);
  EXPECT_EQ(FormatKikanText(from, to), "2014/04/01 ～ 2015/03/31");
  SystemDef.R4Bit10 = 1;
  EXPECT_EQ(FormatKikanText(from, to), "H 26/04/01 ～ H 27/03/31");
}

}  // namespace
