// Closing dates, period numbers and the first and last days of the 16 period slots; the era
// table (built-in and from the system database) and era conversion at the era boundaries.
#include <gtest/gtest.h>

#include <string>

#include "data/EraState.h"
#include "data/uAccDateCmp.h"
#include "data/uAccFunction2Date.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "platform/DateTime.h"
#include "platform/db/IBDatabase.h"
#include "support/ScratchDb.h"
#include "support/TempDir.h"

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

// An embedded system database made from schema/system.sql.
class SystemDb : public ScratchDb {
 public:
  explicit SystemDb(bool withSchema = true) : ScratchDb("qvaccdef.fdb") {
    if (withSchema) Script(TempDir::Read(fixtures::SchemaDir() / "system.sql"));
  }

  // The eras of a current installation, inserted out of order.
  void InsertCurrentEras() {
    Exec("INSERT INTO GENGO VALUES ('昭和', 'S', '1926-12-25', 1926)");
    Exec("INSERT INTO GENGO VALUES ('令和', 'R', '2019-05-01', 2019)");
    Exec("INSERT INTO GENGO VALUES ('明治', 'M', '1868-09-08', 1868)");
    Exec("INSERT INTO GENGO VALUES ('平成', 'H', '1989-01-08', 1989)");
    Exec("INSERT INTO GENGO VALUES ('大正', 'T', '1912-07-30', 1912)");
  }
};

std::string Names() {
  std::string s;
  for (const auto& g : GengoArray) s += g.Name + g.Sign + " ";
  return s;
}

TEST_F(EraState, BuiltInTableEndsAtHeisei) {
  ASSERT_EQ(GengoArray.size(), 4u);
  EXPECT_EQ(Names(), "平成H 昭和S 大正T 明治M ");
  EXPECT_EQ(GengoArray[0].StartDate, D(1989, 1, 8));
  EXPECT_EQ(GengoArray[0].YearOffset, 1989);
  EXPECT_EQ(GengoArray[3].StartDate, D(1868, 9, 8));
  EXPECT_EQ(GengoArray[3].YearOffset, 1868);
}

TEST_F(EraState, EraBoundaries) {
  struct Case { TDateTime date; const char* name; const char* sign; int year; };
  const Case builtIn[] = {
      {D(1899, 12, 31), "明治", "M", 32}, {D(1912, 7, 29), "明治", "M", 45}, {D(1912, 7, 30), "大正", "T", 1},
      {D(1926, 12, 24), "大正", "T", 15}, {D(1926, 12, 25), "昭和", "S", 1}, {D(1989, 1, 7), "昭和", "S", 64},
      {D(1989, 1, 8), "平成", "H", 1},   {D(2019, 4, 30), "平成", "H", 31}, {D(2019, 5, 1), "平成", "H", 31},
      {D(2030, 1, 1), "平成", "H", 42},
      // The zero date (1899-12-30) and earlier have no era.
      {0, "", "", 1899},                 {-1, "", "", 1899},                {D(1868, 9, 8), "", "", 1868},
  };
  for (const auto& c : builtIn) {
    const TWarekiRec w = DateToWareki(c.date);
    EXPECT_EQ(w.GengoName, c.name) << FormatDateTime("yyyy/mm/dd", c.date);
    EXPECT_EQ(w.GengoSign, c.sign) << FormatDateTime("yyyy/mm/dd", c.date);
    EXPECT_EQ(w.Year, c.year) << FormatDateTime("yyyy/mm/dd", c.date);
  }
  const TWarekiRec w = DateToWareki(D(2014, 4, 5) + 0.75);
  EXPECT_EQ(w.Month, 4);
  EXPECT_EQ(w.Day, 5);
}

TEST_F(EraState, EmptyOrPartialTables) {
  GengoArray.clear();
  TWarekiRec w = DateToWareki(D(2014, 4, 5));
  EXPECT_EQ(w.GengoName, "");
  EXPECT_EQ(w.Year, 2014);

  // Before the oldest era known: its name with a year counting back from its year 1.
  InitGengoTable();
  GengoArray.resize(1);
  w = DateToWareki(D(1988, 6, 1));
  EXPECT_EQ(w.GengoName, "平成");
  EXPECT_EQ(w.Year, 0);
  EXPECT_EQ(DateToWareki(D(1980, 1, 1)).Year, -8);
  EXPECT_EQ(FormatWarekiText("ee.mm.dd", 0, D(1980, 1, 1)), "-08.01.01");

  // The walk stops at a row without a name: eras behind it are never reached.
  InitGengoTable();
  GengoArray.insert(GengoArray.begin() + 1, TGengoRec{});
  w = DateToWareki(D(1980, 1, 1));
  EXPECT_EQ(w.GengoName, "平成");
  EXPECT_EQ(w.Year, -8);
}

TEST_F(EraState, LoadsTheSystemDatabaseErasNewestFirst) {
  SystemDb sys;
  sys.InsertCurrentEras();
  GengoArray.clear();
  LoadGengoTableFrom(sys.db, sys.tr);
  ASSERT_EQ(GengoArray.size(), 5u);
  EXPECT_EQ(Names(), "令和R 平成H 昭和S 大正T 明治M ");
  EXPECT_EQ(GengoArray[0].StartDate, D(2019, 5, 1));
  EXPECT_EQ(GengoArray[0].YearOffset, 2019);
  EXPECT_FALSE(sys.tr.InTransaction()) << "the transaction it started is ended";

  struct Case { TDateTime date; const char* name; int year; };
  const Case cases[] = {{D(2019, 4, 30), "平成", 31}, {D(2019, 5, 1), "令和", 1}, {D(2020, 1, 1), "令和", 2},
                        {D(1989, 1, 7), "昭和", 64}};
  for (const auto& c : cases) {
    const TWarekiRec w = DateToWareki(c.date);
    EXPECT_EQ(w.GengoName, c.name);
    EXPECT_EQ(w.Year, c.year);
  }

  // A caller's open transaction stays the caller's.
  sys.tr.StartTransaction();
  LoadGengoTableFrom(sys.db, sys.tr);
  EXPECT_TRUE(sys.tr.InTransaction());
  sys.tr.Commit();
  EXPECT_EQ(GengoArray.size(), 5u);
}

TEST_F(EraState, FallsBackToBuiltInErasWithoutRaising) {
  {
    SystemDb sys;  // GENGO without rows
    GengoArray.clear();
    LoadGengoTableFrom(sys.db, sys.tr);
    EXPECT_EQ(Names(), "平成H 昭和S 大正T 明治M ");
  }
  {
    SystemDb bare(false);  // no GENGO table at all
    GengoArray = {TGengoRec{"x", "X", 1, 1}};
    EXPECT_NO_THROW(LoadGengoTableFrom(bare.db, bare.tr));
    EXPECT_EQ(Names(), "平成H 昭和S 大正T 明治M ");
    EXPECT_FALSE(bare.tr.InTransaction());

    bare.db.Close();  // not connected: the transaction cannot even start
    GengoArray.clear();
    EXPECT_NO_THROW(LoadGengoTableFrom(bare.db, bare.tr));
    EXPECT_EQ(GengoArray.size(), 4u);
  }
}

}  // namespace
