// Closing dates, period numbers and the first and last days of the 16 period slots.
#include <gtest/gtest.h>

#include <string>

#include "data/uAccDateCmp.h"
#include "platform/DateTime.h"

namespace {

TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }
std::string Text(TDateTime t) { return FormatDateTime("yyyy/mm/dd", t); }

TEST(CalendarSteps, IncMonthClampAndLeapYears) {
  struct Case { int n; TDateTime date; TDateTime want; };
  const Case cases[] = {
      {1, D(2016, 1, 31), D(2016, 2, 29)},  {-1, D(2015, 12, 31), D(2015, 11, 30)},
      {12, D(2016, 2, 29), D(2017, 2, 28)}, {-13, D(2015, 1, 15), D(2013, 12, 15)},
      {0, D(2014, 4, 5), D(2014, 4, 5)},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(IncMonthClamp(c.n, c.date)), Text(c.want)) << c.n << " " << Text(c.date);

  EXPECT_TRUE(IsLeapYearSafe(2016));
  EXPECT_TRUE(IsLeapYearSafe(2000));
  EXPECT_FALSE(IsLeapYearSafe(1900));
  EXPECT_FALSE(IsLeapYearSafe(2015));
  EXPECT_FALSE(IsLeapYearSafe(0));
  EXPECT_FALSE(IsLeapYearSafe(10000));
  EXPECT_EQ(AddDays(-1, D(2014, 3, 1)), D(2014, 2, 28));
  EXPECT_EQ(DayOfDate(D(2014, 3, 31) + 0.5), 31);
}

TEST(ClosingDates, GetSimeDate) {
  struct Case { int n; int sime; TDateTime date; TDateTime want; };
  const Case cases[] = {
      {0, 20, D(2014, 1, 25), D(2014, 2, 20)},   {0, 20, D(2014, 1, 20), D(2014, 1, 20)},
      {0, 25, D(2014, 1, 25), D(2014, 1, 25)},   {0, 99, D(2016, 2, 10), D(2016, 2, 29)},
      {1, 99, D(2014, 1, 31), D(2014, 2, 28)},   {-1, 20, D(2014, 1, 10), D(2013, 12, 20)},
      {12, 99, D(2015, 2, 1), D(2016, 2, 29)},   {0, 28, D(2014, 12, 29), D(2015, 1, 28)},
      {0, 1, D(2014, 3, 1), D(2014, 3, 1)},      {0, 1, D(2014, 3, 2), D(2014, 4, 1)},
      {-2, 99, D(2014, 4, 15), D(2014, 2, 28)},
      // No closing arithmetic: the date itself.
      {0, 31, D(2014, 1, 25), D(2014, 1, 25)},   {3, 0, D(2014, 1, 25), D(2014, 1, 25)},
      {0, 29, D(2014, 1, 25), D(2014, 1, 25)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Text(GetSimeDate(c.n, c.sime, c.date)), Text(c.want)) << c.n << " " << c.sime << " " << Text(c.date);

  EXPECT_EQ(Text(GetSimeStartDate(0, 99, D(2014, 4, 15))), "2014/04/01");
  EXPECT_EQ(Text(GetSimeStartDate(1, 20, D(2014, 4, 21))), "2014/05/21");
  EXPECT_EQ(GetMonthOffset(99, D(2014, 4, 1), D(2015, 3, 31)), 11);
  EXPECT_EQ(GetMonthOffset(20, D(2014, 4, 21), D(2014, 4, 20)), -1);
  EXPECT_EQ(GetMonthOffset(20, D(2014, 4, 21), D(2014, 5, 20)), 0);
}

struct KikanNoCase { TDateTime date; int kessan; int want; };

TEST(PeriodNumbers, MonthEndClosingFromApril) {
  const TDateTime start = D(2014, 4, 1), end = D(2015, 3, 31);
  const KikanNoCase cases[] = {
      {D(2014, 4, 1), 0, 1},   {D(2014, 4, 30), 0, 1},  {D(2014, 5, 1), 0, 2},   {D(2014, 5, 15), 1, 2},
      {D(2014, 6, 15), 0, 3},  {D(2014, 6, 15), 1, 4},  {D(2014, 6, 15), 2, 3},  {D(2014, 7, 1), 0, 5},
      {D(2014, 9, 30), 0, 7},  {D(2014, 9, 30), 1, 8},  {D(2014, 10, 1), 1, 9},  {D(2014, 12, 31), 0, 11},
      {D(2014, 12, 31), 1, 12}, {D(2015, 1, 1), 0, 13}, {D(2015, 2, 28), 1, 14}, {D(2015, 3, 15), 0, 15},
      {D(2015, 3, 15), 1, 16}, {D(2015, 3, 31), 0, 15}, {D(2015, 3, 31), 1, 16},
      // After the fiscal end: its month. Before the start: -1.
      {D(2015, 5, 15), 0, 15}, {D(2014, 3, 31), 0, -1}, {D(2013, 4, 1), 1, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetKikanNo(99, c.kessan, start, c.date, end), c.want) << Text(c.date) << " flag " << c.kessan;
}

TEST(PeriodNumbers, Day20ClosingFromApril21) {
  const TDateTime start = D(2014, 4, 21), end = D(2015, 4, 20);
  const KikanNoCase cases[] = {
      {D(2014, 4, 21), 0, 1},  {D(2014, 5, 20), 0, 1},  {D(2014, 5, 21), 0, 2},  {D(2014, 7, 20), 0, 3},
      {D(2014, 7, 20), 1, 4},  {D(2014, 7, 21), 1, 5},  {D(2015, 1, 20), 0, 11}, {D(2015, 1, 20), 1, 12},
      {D(2015, 1, 21), 0, 13}, {D(2015, 4, 20), 0, 15}, {D(2015, 4, 20), 1, 16}, {D(2014, 4, 20), 0, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetKikanNo(20, c.kessan, start, c.date, end), c.want) << Text(c.date) << " flag " << c.kessan;
}

struct SlotCase { const char* start; const char* end; };

void ExpectSlots(int sime, TDateTime kishu, TDateTime kimatu, const SlotCase (&slots)[16]) {
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(Text(GetKikanStartDate(k, sime, true, kishu, kimatu)), slots[k].start) << "slot " << k;
    EXPECT_EQ(Text(GetKikanEndDate(k, sime, true, kishu, kimatu)), slots[k].end) << "slot " << k;
  }
}

TEST(PeriodSlots, MonthEndClosingFromApril) {
  // Slots 3, 7, 11 and 15 are the closing adjustments: the quarter's last month again.
  const SlotCase slots[16] = {
      {"2014/04/01", "2014/04/30"}, {"2014/05/01", "2014/05/31"}, {"2014/06/01", "2014/06/30"},
      {"2014/06/01", "2014/06/30"}, {"2014/07/01", "2014/07/31"}, {"2014/08/01", "2014/08/31"},
      {"2014/09/01", "2014/09/30"}, {"2014/09/01", "2014/09/30"}, {"2014/10/01", "2014/10/31"},
      {"2014/11/01", "2014/11/30"}, {"2014/12/01", "2014/12/31"}, {"2014/12/01", "2014/12/31"},
      {"2015/01/01", "2015/01/31"}, {"2015/02/01", "2015/02/28"}, {"2015/03/01", "2015/03/31"},
      {"2015/03/01", "2015/03/31"},
  };
  ExpectSlots(99, D(2014, 4, 1), D(2015, 3, 31), slots);
}

TEST(PeriodSlots, Day20ClosingFromApril21) {
  const SlotCase slots[16] = {
      {"2014/04/21", "2014/05/20"}, {"2014/05/21", "2014/06/20"}, {"2014/06/21", "2014/07/20"},
      {"2014/06/21", "2014/07/20"}, {"2014/07/21", "2014/08/20"}, {"2014/08/21", "2014/09/20"},
      {"2014/09/21", "2014/10/20"}, {"2014/09/21", "2014/10/20"}, {"2014/10/21", "2014/11/20"},
      {"2014/11/21", "2014/12/20"}, {"2014/12/21", "2015/01/20"}, {"2014/12/21", "2015/01/20"},
      {"2015/01/21", "2015/02/20"}, {"2015/02/21", "2015/03/20"}, {"2015/03/21", "2015/04/20"},
      {"2015/03/21", "2015/04/20"},
  };
  ExpectSlots(20, D(2014, 4, 21), D(2015, 4, 20), slots);
}

TEST(PeriodSlots, ShortYearClampsToTheFiscalEnd) {
  const TDateTime start = D(2014, 4, 1), end = D(2014, 9, 30);
  EXPECT_EQ(Text(GetKikanStartDate(9, 99, true, start, end)), "2014/09/30");
  EXPECT_EQ(Text(GetKikanEndDate(9, 99, true, start, end)), "2014/09/30");
  EXPECT_EQ(Text(GetKikanStartDate(9, 99, false, start, end)), "2014/11/01");
  EXPECT_EQ(Text(GetKikanEndDate(9, 99, false, start, end)), "2014/11/30");
  EXPECT_EQ(Text(GetKikanEndDate(7, 99, true, start, end)), "2014/09/30");
  // A slot outside 0 to 15 starts at the fiscal start.
  EXPECT_EQ(Text(GetKikanStartDate(16, 99, true, start, end)), "2014/04/01");
  EXPECT_EQ(Text(GetKikanStartDate(-1, 99, true, start, end)), "2014/04/01");
}

TEST(PeriodSlots, MonthToKikanIndex) {
  const int want[14] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0};  // months 0 to 13
  for (int m = 0; m < 14; ++m) EXPECT_EQ(MonthToKikanIndex(m), want[m]) << m;
  EXPECT_EQ(MonthToKikanIndex(-3), 0);
}

}  // namespace
