// The procedure texts that the later company steps write: each version compiles on a company
// database brought to 0.1.5, and the procedures page and add as the accounting screens expect.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/LegacyCompanyDb.h"
#include "platform/db/IBSQL.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate014.h"
#include "upgrade/z5UserDbUpdateProcs.h"

namespace fs = std::filesystem;
using namespace userprocs;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

int32_t (*const kSteps[])() = {ExecUserDbUpdate011, ExecUserDbUpdate012, ExecUserDbUpdate013, ExecUserDbUpdate014,
                               ExecUserDbUpdate015};

constexpr TListMember kMembers[] = {
    TListMember::MonitorListUp,   TListMember::MonitorListDown, TListMember::MonitorListUpEntryOrder,
    TListMember::MonitorListDownEntryOrder, TListMember::SiwakeListUp, TListMember::SiwakeListDown,
    TListMember::SiwakeListIn,    TListMember::MotochoListUp,   TListMember::MotochoListDown,
    TListMember::MotochoListIn,
};

// A statement of the generators without its script terminator.
std::string Statement(std::string text) {
  const size_t end = text.find_last_of('^');
  return end == std::string::npos ? text : text.substr(0, end);
}

// A company database brought from the 0.1.0 fixture to 0.1.5 by the steps, built once per test
// program and copied into each test's folder.
class UpgradedCompany : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Cache(); }
  static TempDir& Cache() {
    static TempDir cache;
    return cache;
  }

  void SetUp() override {
    saved_ = SystemDef;
    savedAcc_ = AccInf;
    savedMode_ = ConnectMode;
    ConnectMode = 0;
    SystemDef.DataDir = MadeDir(tmp.Path() / "data");
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    fw::AccDbFile = "qvacc.fdb";
    ResetDbErrorTerminating();
    CreateDataModule();
    const fs::path kept = Cache().Path() / "company-0.1.5.fdb";
    if (!fs::exists(kept)) {
      fixtures::CreateLegacyCompanyDatabase(file());
      for (auto step : kSteps) ASSERT_EQ(step(), kStepOk);
      fs::copy_file(file(), kept);
    } else {
      fs::copy_file(kept, file(), fs::copy_options::overwrite_existing);
    }
  }
  void TearDown() override {
    FreeDataModule();
    SystemDef = saved_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
  }

  fs::path file() const { return tmp.Path() / "data" / "qvacc.fdb"; }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }
  void Exec(const std::vector<std::string>& sql) {
    fixtures::DbSession s(file());
    for (const std::string& q : sql) s.Exec(Statement(q));
    s.Commit();
  }
  // The rows of a query, each as its columns joined by ':', joined by blanks.
  std::string Rows(const std::string& sql) {
    fixtures::DbSession s(file());
    TIBSQL q;
    s.Prepare(q, sql);
    q.ExecQuery();
    std::string out;
    for (; !q.Eof(); q.Next()) {
      std::string row;
      for (int i = 0; i < q.FieldCount(); ++i) row += (i ? ":" : "") + q.Fields(i).AsString();
      out += (out.empty() ? "" : " ") + row;
    }
    q.Close();
    return out;
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
};

// ------------------------------------------------------------------ journal paging lists

class JournalListProcedures : public UpgradedCompany {
 protected:
  // Writes the members in the version of `step` (the newest by default).
  void Install(int32_t step = kStep204) {
    std::vector<std::string> sql;
    for (TListMember m : kMembers) {
      const bool monitorUpDown = m == TListMember::MonitorListUp || m == TListMember::MonitorListDown;
      if (step == kStep103 && !monitorUpDown) continue;
      sql.push_back(JournalListProcedure(m, step));
    }
    Exec(sql);
  }
  // One journal line: entry `swk` (record, number and branch number alike unless given).
  static std::string Line(int rec, int swk, int taishaku, const char* date, int kessan, const char* kcode,
                          int taxuh = 0, int zei = 0, const char* scode = "01", int delflg = 0, int sitrec = -1) {
    return "INSERT INTO SIWAKE (REC, SWKREC, SWKNO, SITREC, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, SCODE, KCODE, "
           "HCODE, BCODE, TAXUH, NUK, ZEI) VALUES (" +
           std::to_string(rec) + ", " + std::to_string(swk) + ", " + std::to_string(swk) + ", " +
           std::to_string(sitrec < 0 ? swk : sitrec) + ", " + std::to_string(delflg) + ", " +
           std::to_string(taishaku) + ", '" + date + "', 1, " + std::to_string(kessan) + ", '" + scode + "', '" +
           kcode + "', ' ', ' ', " + std::to_string(taxuh) + ", 1000, " + std::to_string(zei) + ")";
  }
  // The journal of branch 01: entries 1 to 5 between the bank (debit) and 1306 (credit), entry 3
  // a closing entry of the last day of April; 6 and 7 sales with and without tax received, 8 an
  // expense with tax paid, 9 deleted. Entries 1 and 2 carry each other's branch numbers.
  void SeedJournal() {
    Exec({
        Line(1, 1, 1, "2008-04-10", 0, "1102", 0, 0, "01", 0, 2),   Line(2, 1, 2, "2008-04-10", 0, "1306", 0, 0, "01", 0, 2),
        Line(3, 2, 1, "2008-04-30", 0, "1102", 0, 0, "01", 0, 1),   Line(4, 2, 2, "2008-04-30", 0, "1306", 0, 0, "01", 0, 1),
        Line(5, 3, 1, "2008-04-30", 1, "1102"),   Line(6, 3, 2, "2008-04-30", 1, "1306"),
        Line(7, 4, 1, "2008-04-30", 0, "1102"),   Line(8, 4, 2, "2008-04-30", 0, "1306"),
        Line(9, 5, 1, "2008-05-01", 0, "1102"),   Line(10, 5, 2, "2008-05-01", 0, "1306"),
        Line(11, 6, 1, "2008-04-20", 0, "1102"),  Line(12, 6, 2, "2008-04-20", 0, "5606", 1, 80),
        Line(13, 7, 1, "2008-04-21", 0, "1102"),  Line(14, 7, 2, "2008-04-21", 0, "5606", 1, 0),
        Line(15, 8, 1, "2008-04-22", 0, "6107", 2, 50), Line(16, 8, 2, "2008-04-22", 0, "1102"),
        Line(17, 9, 1, "2008-04-15", 0, "1102", 0, 0, "01", 1), Line(18, 9, 2, "2008-04-15", 0, "1306", 0, 0, "01", 1),
    });
  }
  // Entry numbers of a page, with the side for ledger pages.
  std::string Page(const std::string& call, bool sides = false) {
    return Rows(std::string("SELECT SWKNO") + (sides ? ", TAISHAKU" : "") + " FROM " + call);
  }
};

TEST_F(JournalListProcedures, EveryVersionCompilesWithItsColumns) {
  struct Case {
    TListMember member;
    int32_t step;
    int nameWidth, tekWidth;
  } cases[] = {
      {TListMember::MonitorListUp, kStep103, 56, 200},   {TListMember::MonitorListDown, kStep103, 56, 200},
      {TListMember::MonitorListUp, kStep200, 112, 400},  {TListMember::MonitorListDown, kStep200, 112, 400},
      {TListMember::MonitorListUpEntryOrder, kStep200, 112, 400},
      {TListMember::MonitorListDownEntryOrder, kStep200, 112, 400},
      {TListMember::SiwakeListUp, kStep200, 28, 100},    {TListMember::SiwakeListDown, kStep200, 28, 100},
      {TListMember::SiwakeListIn, kStep200, 28, 100},    {TListMember::MotochoListUp, kStep200, 112, 400},
      {TListMember::MotochoListDown, kStep200, 112, 400}, {TListMember::MotochoListIn, kStep200, 112, 400},
      {TListMember::MonitorListUp, kStep204, 112, 400},  {TListMember::MonitorListDown, kStep204, 112, 400},
  };
  for (const Case& c : cases) {
    const std::string name = ListMemberName(c.member);
    SCOPED_TRACE(name + " " + std::to_string(c.step));
    Exec({JournalListProcedure(c.member, c.step)});
    const std::string params = "FROM RDB$PROCEDURE_PARAMETERS P JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = "
                               "P.RDB$FIELD_SOURCE WHERE P.RDB$PROCEDURE_NAME = '" + name + "' AND ";
    EXPECT_EQ(Scalar("SELECT COUNT(*) " + params + "P.RDB$PARAMETER_TYPE = 1"), 71);
    EXPECT_EQ(Scalar("SELECT F.RDB$CHARACTER_LENGTH " + params + "P.RDB$PARAMETER_NAME = 'R_HNAME'"), c.nameWidth);
    EXPECT_EQ(Scalar("SELECT F.RDB$CHARACTER_LENGTH " + params + "P.RDB$PARAMETER_NAME = 'TEKTEXT'"), c.tekWidth);
  }
  // The steps that follow 2.0.0 alter the monitor lists in place.
  Exec({JournalListProcedure(TListMember::MonitorListUp, kStep204, "ALTER"),
        JournalListProcedure(TListMember::MonitorListDown, kStep204, "ALTER")});
  EXPECT_THROW(JournalListProcedure(TListMember::SiwakeListUp, kStep103), std::invalid_argument);
}

TEST_F(JournalListProcedures, APageHoldsFiftyLinesUnlessToldOtherwise) {
  Install();
  std::vector<std::string> sql;
  for (int i = 0; i < 60; ++i) sql.push_back(Line(100 + i, 100 + i, 1, "2008-06-01", 0, "1102", 0, 0, "02"));
  Exec(sql);
  struct Case {
    const char* call;  // up to the offset and page size
  } cases[] = {
      {"SP_MONITOR_LISTUP('02', 0, 0, 0, 0, 0, "},
      {"SP_MONITOR_LISTDOWN('02', 0, 0, 0, 0, 0, "},
      {"SP_MONITOR_LISTUP_ENTRYORDER('02', 0, 0, 0, 0, 0, "},
      {"SP_MONITOR_LISTDOWN_ENTRYORDER('02', 0, 0, 0, 0, 0, "},
      {"SP_SIWAKE_LISTUP('02', 0, '2008-06-01', '2008-06-30', 0, 0, "},
      {"SP_SIWAKE_LISTDOWN('02', 0, '2008-06-01', '2008-06-30', 0, 0, "},
      {"SP_SIWAKE_LISTIN('02', -1, '2008-06-01', '2008-06-30', 0, 0, "},
      {"SP_MOTOCHO_LISTUP(0, '02', '1102', '', '', 0, '2008-06-01', '2008-06-30', 0, 0, 0, "},
      {"SP_MOTOCHO_LISTDOWN(0, '02', '1102', '', '', 0, '2008-06-01', '2008-06-30', 0, 0, 0, "},
      {"SP_MOTOCHO_LISTIN(0, '02', '1102', '', '', -1, '2008-06-01', '2008-06-30', 0, 0, 0, "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    const std::string select = std::string("SELECT COUNT(*), MIN(RECORDCNT), MAX(RECORDCNT) FROM ") + c.call;
    EXPECT_EQ(Rows(select + "0, 0)"), "50:1:50");
    EXPECT_EQ(Rows(select + "5, 0)"), "50:6:55");
    EXPECT_EQ(Rows(select + "55, 0)"), "5:56:60");
    EXPECT_EQ(Rows(select + "0, 7)"), "7:1:7");
  }
  // The ledger leaves the spare columns empty.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_MOTOCHO_LISTUP(0, '02', '1102', '', '', 0, '2008-06-01', '2008-06-30', "
                   "0, 0, 0, 0, 0) WHERE RESERVE1 IS NULL AND RESERVE2 IS NULL AND KINGAKU = 1000"),
            50);
}

TEST_F(JournalListProcedures, LedgerAndJournalBookPages) {
  Install();
  SeedJournal();
  const std::string range = "'2008-04-01', '2008-05-31'";
  struct Case {
    const char* what;
    std::string call;
    const char* page;
  } cases[] = {
      // The ledger of 1306 backwards from the end of May: the closing entry of 30 April after
      // the ordinary ones of that day, counted newest first.
      {"ledger", "SP_MOTOCHO_LISTUP(0, '01', '1306', '', '', 0, " + range + ", 0, 0, 0, 0, 0)", "5 3 4 2 1"},
      {"tax received adds the taxed sales lines", "SP_MOTOCHO_LISTUP(1, '01', '1306', '', '', 0, " + range +
           ", 0, 0, 0, 0, 0)", "5 3 4 2 6 1"},
      {"tax paid adds the taxed expense lines", "SP_MOTOCHO_LISTUP(2, '01', '1306', '', '', 0, " + range +
           ", 0, 0, 0, 0, 0)", "5 3 4 2 8 1"},
      {"an ordinary end leaves the day's closing entry out",
       "SP_MOTOCHO_LISTUP(0, '01', '1306', '', '', 0, '2008-04-01', '2008-04-30', 0, 0, 0, 0, 0)", "4 2 1"},
      {"a closing end takes it first",
       "SP_MOTOCHO_LISTUP(0, '01', '1306', '', '', 1, '2008-04-01', '2008-04-30', 0, 0, 0, 0, 0)", "3 4 2 1"},
      {"from an entry and side",
       "SP_MOTOCHO_LISTUP(0, '01', '1306', '', '', 0, '2008-04-01', '2008-04-30', 2, 2, 0, 0, 0)", "2 1"},
      {"forwards, closing after the ordinary entries",
       "SP_MOTOCHO_LISTDOWN(0, '01', '1306', '', '', 0, '2008-04-30', '2008-05-31', 0, 0, 0, 0, 0)", "2 4 3 5"},
      {"deleted lines", "SP_MOTOCHO_LISTUP(0, '01', '1306', '', '', 0, " + range + ", 0, 0, 1, 0, 0)", "9"},
      {"ledger by entry number, both kinds, tax paid",
       "SP_MOTOCHO_LISTIN(2, '01', '1306', '', '', -1, " + range + ", 0, 0, 0, 0, 0)", "8 5 4 3 2 1"},
      {"ledger by entry number, ordinary only",
       "SP_MOTOCHO_LISTIN(2, '01', '1306', '', '', 0, " + range + ", 0, 0, 0, 0, 0)", "8 5 4 2 1"},
      // The journal book lists entries (debit lines) of the branch.
      {"journal book from a closing end", "SP_SIWAKE_LISTUP('01', 1, '2008-04-01', '2008-04-30', 0, 0, 0, 0)",
       "3 4 2 8 7 6 1"},
      {"journal book from an ordinary end", "SP_SIWAKE_LISTUP('01', 0, '2008-04-01', '2008-04-30', 0, 0, 0, 0)",
       "4 2 8 7 6 1"},
      {"journal book up to an entry", "SP_SIWAKE_LISTUP('01', 0, '2008-04-01', '2008-04-30', 2, 0, 0, 0)",
       "2 8 7 6 1"},
      {"journal book, every flag", "SP_SIWAKE_LISTUP('01', 0, '2008-04-01', '2008-04-20', 0, -1, 0, 0)", "6 9 1"},
      {"journal book forwards", "SP_SIWAKE_LISTDOWN('01', 0, '2008-04-30', '2008-05-31', 0, 0, 0, 0)", "2 4 3 5"},
      {"a reversed range forwards runs to the year end",
       "SP_SIWAKE_LISTDOWN('01', 0, '2008-05-01', '2008-04-01', 0, 0, 0, 0)", "5"},
      {"a reversed range backwards runs from the year start",
       "SP_SIWAKE_LISTUP('01', 0, '2008-05-01', '2008-04-10', 0, 0, 0, 0)", "1"},
      {"by entry number, ordinary only", "SP_SIWAKE_LISTIN('01', 0, " + range + ", 0, 0, 0, 0)", "8 7 6 5 4 2 1"},
      {"by entry number, both kinds", "SP_SIWAKE_LISTIN('01', -1, " + range + ", 0, 0, 0, 0)", "8 7 6 5 4 3 2 1"},
      {"by entry number, closing only", "SP_SIWAKE_LISTIN('01', 1, " + range + ", 0, 0, 0, 0)", "3"},
      {"by entry number up to an entry", "SP_SIWAKE_LISTIN('01', -1, '2008-04-01', '2008-04-30', 3, 0, 0, 0)",
       "8 7 6 3 2 1"},
      {"by entry number, deleted", "SP_SIWAKE_LISTIN('01', 0, " + range + ", 0, 1, 0, 0)", "9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Page(c.call), c.page);
  }
}

TEST_F(JournalListProcedures, MonitorPagesByVersion) {
  SeedJournal();
  struct Case {
    int32_t step;
    const char* call;
    const char* page;
  } cases[] = {
      // From the newest entry; entries 1 and 2 swap places by branch number.
      {kStep204, "SP_MONITOR_LISTUP('01', 0, 0, 0, 0, 0, 0, 0)", "8 7 6 5 4 3 1 2"},
      {kStep204, "SP_MONITOR_LISTUP('01', 0, 0, -1, 0, 0, 0, 0)", "9 8 7 6 5 4 3 1 2"},
      {kStep204, "SP_MONITOR_LISTUP('01', 3, 1, 0, 0, 0, 0, 0)", "2"},
      {kStep204, "SP_MONITOR_LISTUP('03', 0, 0, 0, 0, 0, 0, 0)", ""},
      {kStep204, "SP_MONITOR_LISTDOWN('01', 0, 0, 0, 0, 0, 0, 0)", "2 1 3 4 5 6 7 8"},
      {kStep204, "SP_MONITOR_LISTDOWN('01', 4, 4, 0, 1, 0, 0, 0)", "4 5 6 7 8 9"},
      {kStep204, "SP_MONITOR_LISTUP_ENTRYORDER('01', 0, 0, 0, 0, 0, 0, 0)", "8 7 6 5 4 3 2 1"},
      {kStep204, "SP_MONITOR_LISTDOWN_ENTRYORDER('01', 5, 0, 0, 0, 0, 0, 0)", "5 6 7 8"},
      // 2.0.0 orders by entry record.
      {kStep200, "SP_MONITOR_LISTUP('01', 0, 0, 0, 0, 0, 0, 0)", "8 7 6 5 4 3 2 1"},
      {kStep200, "SP_MONITOR_LISTDOWN('01', 0, 0, 0, 0, 0, 0, 0)", "1 2 3 4 5 6 7 8"},
      // 1.0.3 positions on the entry number.
      {kStep103, "SP_MONITOR_LISTUP('01', 3, 1, 0, 0, 0, 0, 0)", "1"},
      {kStep103, "SP_MONITOR_LISTDOWN('01', 7, 7, 0, 0, 0, 0, 0)", "7 8"},
  };
  int32_t installed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.step) + " " + c.call);
    if (installed != c.step) Install(installed = c.step);
    EXPECT_EQ(Page(c.call), c.page);
  }
}

// ------------------------------------------------------------------ balance procedures

class BalanceProcedures : public UpgradedCompany {
 protected:
  // The trial balances call the tax-table addition, which the 0.1.0 data does not have yet.
  void SetUp() override {
    UpgradedCompany::SetUp();
    Exec({ZeigakuAddProcedure("CREATE OR ALTER")});
  }
  // An opening-balance row of branch 01 with the same allocation rate in every slot, or the
  // rate of each slot given by `perSlot` (slot n -> n %).
  static std::string Opening(const char* kcode, const char* hcode, const char* bcode, int kaisizan, int rate,
                             bool perSlot = false) {
    std::string cols, vals;
    for (int i = 1; i <= 16; ++i) {
      cols += std::string(", HAIBUN") + (i < 10 ? "0" : "") + std::to_string(i);
      vals += ", " + std::to_string(perSlot ? i : rate);
    }
    return std::string("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN") + cols + ") VALUES ('01', '" +
           kcode + "', '" + hcode + "', '" + bcode + "', " + std::to_string(kaisizan) + vals + ")";
  }
  // A slot's totals of branch 01.
  static std::string Month(const char* kcode, const char* hcode, const char* bcode, int mnum, int kar, int kas,
                           int karTax = 0, int byosan = 0) {
    return std::string("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, KAR_TAX, KAS_NUK, BYOSAN) "
                       "VALUES ('01', '") +
           bcode + "', '" + kcode + "', '" + hcode + "', " + std::to_string(mnum) + ", " + std::to_string(kar) + ", " +
           std::to_string(karTax) + ", " + std::to_string(kas) + ", " + std::to_string(byosan) + ")";
  }
  static std::string PastYear(const char* kcode, const char* bcode, int mnum, int nukizan, int zeigaku, int rate) {
    return std::string("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU, HAIBUN) VALUES "
                       "('01', '") +
           kcode + "', ' ', '" + bcode + "', " + std::to_string(mnum) + ", " + std::to_string(nukizan) + ", " +
           std::to_string(zeigaku) + ", " + std::to_string(rate) + ")";
  }
  int64_t Outputs(const std::string& procedure) {
    return Scalar("SELECT COUNT(*) FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME = '" + procedure +
                  "' AND RDB$PARAMETER_TYPE = 1");
  }
  // SP_ZEIGAKU_ADD with every KAR input 1, every KAS input 2 and every rate `rate`.
  std::string ZeigakuAdd(const char* scode, const char* bcode, int kind, const char* rate) {
    std::string args = std::string("'") + scode + "', '" + bcode + "', " + std::to_string(kind);
    for (int i = 0; i < 16; ++i) args += ", 1";
    for (int i = 0; i < 16; ++i) args += ", 2";
    for (int i = 0; i < 16; ++i) args += std::string(", ") + rate;
    return Rows("SELECT RKAR01, RKAS01, RKAR02, RKAS02, RKAR03, RKAR16, RKAS16 FROM SP_ZEIGAKU_ADD(" + args + ")");
  }
};

TEST_F(BalanceProcedures, TaxTableAddedToSlotTotals) {
  Exec({ZeigakuAddProcedure("RECREATE")});
  Exec({
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '00', 1, 1, 1000, 10)",
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '01', 1, 1, 333, 5)",
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '01', 1, 3, 9000000000, 0)",
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('02', ' ', 1, 2, 7, 3)",
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '01', 2, 1, 999, 999)",
  });
  struct Case {
    const char* what;
    const char* scode;
    const char* bcode;
    int kind;
    const char* rate;
    const char* row;
  } cases[] = {
      {"the whole company", "", "", 1, "0", "1334:17:8:5:9000000001:1:2"},
      {"one branch", "01", "", 1, "0", "1334:17:1:2:9000000001:1:2"},
      // A department's share is rounded half up per slot: 333 x 0.3 = 99.9, 5 x 0.3 = 1.5.
      {"a department at 30 %", "01", "01", 1, "0.3",
       "101:4:1:2:2700000001:1:2"},
      {"a department at 100 %", "01", "01", 1, "1",
       "334:7:1:2:9000000001:1:2"},
      {"the other tax kind", "01", "01", 2, "1", "1000:1001:1:2:1:1:2"},
      {"a department without tax rows returns its inputs", "01", "02", 1, "0.3",
       "1:2:1:2:1:1:2"},
      {"a tax kind without rows returns its inputs", "", "", 3, "0",
       "1:2:1:2:1:1:2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ZeigakuAdd(c.scode, c.bcode, c.kind, c.rate), c.row);
  }
}

TEST_F(BalanceProcedures, EveryVersionCompilesWithItsColumns) {
  // Nothing beyond the 0.1.0 data is needed: the form columns of the account master, the form
  // lines and the allocation rates belong to it.
  struct Case {
    std::string text;
    const char* name;
    int outputs;
  };
  std::vector<Case> cases;
  for (int32_t step : {kStep102, kStep103})
    cases.push_back({SisanhyoBumonProcedure(step, "CREATE OR ALTER"), "SP_SISANHYO_BUMON", 43});
  for (TFixedForm form : {TFixedForm::A4, TFixedForm::A3}) {
    for (int32_t step : {kStep200, kStep204})
      cases.push_back({SisanhyoFormProcedure(form, step, "CREATE OR ALTER"),
                       form == TFixedForm::A4 ? "SP_SISANHYO_A4" : "SP_SISANHYO_A3", 42});
    for (int32_t step : {kStep103, kStep200, kStep204})
      cases.push_back({SisanhyoBumonFormProcedure(form, step, "CREATE OR ALTER"),
                       form == TFixedForm::A4 ? "SP_SISANHYO_BUMON_A4" : "SP_SISANHYO_BUMON_A3", 42});
  }
  // 2.0.0 returns the previous year's balances only.
  cases.push_back({SisanhyoKessanProcedure(kStep200, "CREATE OR ALTER"), "SP_SISANHYO_KESSAN", 42 + 16});
  cases.push_back({SisanhyoKessanProcedure(kStep204, "CREATE OR ALTER"), "SP_SISANHYO_KESSAN", 42 + 31});
  for (TKanendoMember m : {TKanendoMember::Zandaka, TKanendoMember::BumonZandaka, TKanendoMember::GroupZandaka,
                           TKanendoMember::BumonGroupZandaka})
    cases.push_back({KanendoProcedure(m, "CREATE OR ALTER"), KanendoMemberName(m), 3 + 48 + 15});
  cases.push_back({KanendoProcedure(TKanendoMember::BumonZandakaA4, "RECREATE"), "SP_KANENDO_BUMON_ZANDAKA_A4",
                   4 + 48 + 15});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Exec({c.text});
    EXPECT_EQ(Outputs(c.name), c.outputs);
  }
  // The later steps alter what the earlier ones wrote, and the reader of a department group
  // keeps the signature that callers of the earlier form use.
  Exec({SisanhyoBumonProcedure(kStep103, "ALTER"), SisanhyoBumonFormProcedure(TFixedForm::A4, kStep204, "ALTER"),
        SisanhyoKessanProcedure(kStep204, "ALTER"), KanendoProcedure(TKanendoMember::BumonGroupZandaka, "ALTER")});
  EXPECT_THROW(SisanhyoFormProcedure(TFixedForm::A4, kStep103, "ALTER"), std::invalid_argument);
  EXPECT_THROW(SisanhyoKessanProcedure(kStep103, "ALTER"), std::invalid_argument);
}

TEST_F(BalanceProcedures, DepartmentTrialBalanceSharesTheCommonDepartmentRoundingEachShare) {
  // The data starts in month 4. 6107: the common department keeps 70 % and department 01 takes
  // 30 % in every slot; 6109: the common department is fully allocated (0 %) to 01 (100 %).
  Exec({
      Opening("6107", " ", "00", 1001, 70), Opening("6107", " ", "01", 10, 30),
      Month("6107", " ", "00", 1, 1001, 0, 100), Month("6107", " ", "00", 2, 0, 5), Month("6107", " ", "01", 1, 100, 0),
      Opening("6109", " ", "00", 7, 0), Opening("6109", " ", "01", 1, 100), Month("6109", " ", "00", 3, 3, 1),
  });
  struct Case {
    int32_t step;
    const char* call;
    const char* rows;  // KCODE:KAISIZAN:KAR01:KAS02:KAR03:KAS03 of each account
  } cases[] = {
      // 1001 x 0.3 = 300.3 -> 300 and 5 x 0.3 = 1.5 -> 2, each added to the own amount; with tax
      // the common 1101 gives 330.3 -> 330.
      {kStep103, "1, 1, '01', '01'", "6107:310:400:2:0:0 6109:8:0:0:3:1"},
      {kStep103, "0, 1, '01', '01'", "6107:310:430:2:0:0 6109:8:0:0:3:1"},
      // 1001 x 0.7 = 700.7 -> 701, 5 x 0.7 = 3.5 -> 4; what is fully allocated leaves 0.
      {kStep103, "1, 1, '01', '00'", "6107:701:701:4:0:0 6109:0:0:0:0:0"},
      // Without allocation every department reports its own amounts, mid-year as well.
      {kStep103, "1, 0, '01', '01'", "6107:10:100:0:0:0 6109:1:0:0:0:0"},
      {kStep103, "1, 0, '01', '00'", "6107:1001:1001:5:0:0 6109:7:0:0:3:1"},
      {kStep102, "1, 1, '01', '01'", "6107:310:400:2:0:0 6109:8:0:0:3:1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.step) + " " + c.call);
    Exec({SisanhyoBumonProcedure(c.step, "CREATE OR ALTER")});
    EXPECT_EQ(Rows(std::string("SELECT KCODE, KAISIZAN, KAR01, KAS02, KAR03, KAS03 FROM SP_SISANHYO_BUMON(") + c.call +
                   ") WHERE KCODE IN ('6107', '6109') ORDER BY KCODE"),
              c.rows);
  }
}

TEST_F(BalanceProcedures, SuspenseTaxAccountsTakeTheTaxTable) {
  Exec({
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('2104', '仮受消費税')",
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('1306', '仮払消費税')",
      Opening("2104", " ", "00", 0, 70), Opening("2104", " ", "01", 0, 30),
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '01', 1, 1, 11, 0)",
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '00', 1, 1, 1001, 0)",
      "INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', '01', 2, 1, 500, 0)",
  });
  struct Case {
    int32_t step;
    const char* call;
    const char* kar01;
  } cases[] = {
      // The department's own tax, then 30 % of the common department's: 11 + 300.
      {kStep103, "1, 1, '01', '01'", "311"},
      {kStep103, "1, 0, '01', '01'", "11"},
      // The common department keeps 70 % of its own: 700.7 -> 701.
      {kStep103, "1, 1, '01', '00'", "701"},
      // Tax included in the amounts: no table.
      {kStep103, "0, 1, '01', '01'", "0"},
      // 1.0.2 adds tax only when allocating, the department's own table at its rates: 11 x 0.3.
      {kStep102, "1, 1, '01', '01'", "3"},
      {kStep102, "1, 0, '01', '01'", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.step) + " " + c.call);
    Exec({SisanhyoBumonProcedure(c.step, "CREATE OR ALTER")});
    EXPECT_EQ(Rows(std::string("SELECT KAR01 FROM SP_SISANHYO_BUMON(") + c.call + ") WHERE KCODE = '2104'"), c.kar01);
  }
}

TEST_F(BalanceProcedures, SubAccountRowsAndTheAccountsOwnPostings) {
  // 1102 has the sub-account 001; its own postings (' ') are shown only when not all zero.
  Exec({Opening("1102", " ", "01", 0, 0), Opening("1102", "001", "01", 50, 0), Month("1102", " ", "01", 1, 0, 0),
        Month("1102", "001", "01", 1, 20, 0), SisanhyoBumonProcedure(kStep103, "CREATE OR ALTER")});
  const std::string query = "SELECT TRIM(HCODE), HOJCNT, HNAME, KAISIZAN, KAR01 FROM SP_SISANHYO_BUMON(0, 0, '01', '01') "
                            "WHERE KCODE = '1102'";
  EXPECT_EQ(Rows(query), ":1::50:20 001:0:第一銀行:50:20");
  Exec({"UPDATE KAMOKU_MS SET KAS_NUK = 4 WHERE KCODE = '1102' AND HCODE = ' '"});
  EXPECT_EQ(Rows(query), ":1::50:20 :0:科目1102:0:0 001:0:第一銀行:50:20");
}

TEST_F(BalanceProcedures, MidYearOpeningShareTakesTheSlotOfTheStartMonth) {
  // The common opening balance 10000 and rates of n % in slot n: the share shows the slot.
  Exec({Opening("6202", " ", "00", 10000, 0, true), Opening("6202", " ", "01", 0, 0, true),
        "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (9, 1, '', '6200')",
        "UPDATE KAMOKUMST SET EXT1_A4 = 9 WHERE KCODE = '6202'", SisanhyoBumonProcedure(kStep103, "CREATE OR ALTER"),
        SisanhyoBumonFormProcedure(TFixedForm::A4, kStep204, "CREATE OR ALTER")});
  struct Case {
    int month;
    int slot;         // of the start month: the department trial balance
    int slotBefore;   // of the month before: the fixed forms of a department
  } cases[] = {{2, 2, 1},   {3, 3, 2},    {4, 5, 3},    {5, 6, 5},    {6, 7, 6},    {7, 9, 7},
               {8, 10, 9},  {9, 11, 10},  {10, 13, 11}, {11, 14, 13}, {12, 15, 14}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.month);
    Exec({"UPDATE ACCDEF1 SET KAISINO = " + std::to_string(c.month) + " WHERE REC = 1"});
    EXPECT_EQ(Scalar("SELECT KAISIZAN FROM SP_SISANHYO_BUMON(0, 1, '01', '01') WHERE KCODE = '6202'"), 100 * c.slot);
    EXPECT_EQ(Scalar("SELECT KAISIZAN FROM SP_SISANHYO_BUMON_A4(0, 1, '01', '01') WHERE MSTREC = 9"),
              100 * c.slotBefore);
  }
  // Data that starts in the first month shares by slot 1 when every account is kept by department.
  Exec({"UPDATE ACCDEF1 SET KAISINO = 1 WHERE REC = 1"});
  EXPECT_EQ(Scalar("SELECT KAISIZAN FROM SP_SISANHYO_BUMON(0, 1, '01', '01') WHERE KCODE = '6202'"), 100);
  Exec({"UPDATE ACCDEF1 SET BUMON = 0 WHERE REC = 1"});
  EXPECT_EQ(Scalar("SELECT KAISIZAN FROM SP_SISANHYO_BUMON(0, 1, '01', '01') WHERE KCODE = '6202'"), 0);
}

TEST_F(BalanceProcedures, FixedFormLinesAreNamedAfterTheirOnlyAccount) {
  // Line 1 (no name): 1101 and 1102; line 2 (no name): 1306; line 3 named as its account 6107;
  // line 4 with a name of its own: 6109; line 5: 6202, which has no row in the data.
  Exec({
      "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (1, 1, '', '1100')",
      "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (2, 2, '', '1100')",
      "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (3, 1, '科目6107', '6100')",
      "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (4, 2, '雑費', '6100')",
      "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (5, 3, '', '6100')",
      "UPDATE KAMOKUMST SET EXT1_A4 = 1 WHERE KCODE IN ('1101', '1102')",
      "UPDATE KAMOKUMST SET EXT1_A4 = 2 WHERE KCODE = '1306'",
      "UPDATE KAMOKUMST SET EXT1_A4 = 3 WHERE KCODE = '6107'",
      "UPDATE KAMOKUMST SET EXT1_A4 = 4 WHERE KCODE = '6109'",
      "UPDATE KAMOKUMST SET EXT1_A4 = 5 WHERE KCODE = '6202'",
      Opening("1101", " ", "01", 100, 0), Opening("1102", " ", "01", 20, 0), Opening("1306", " ", "01", 3, 0),
      Opening("6107", " ", "01", 0, 0), Opening("6109", " ", "01", 0, 0),
      Month("1101", " ", "01", 1, 1, 0), Month("6107", " ", "01", 1, 4, 0), Month("6109", " ", "01", 1, 5, 0),
  });
  struct Case {
    int32_t step;
    bool department;
    const char* rows;  // MSTREC:USERCODE:KCODE:KNAME:KAISIZAN:KAR01
  } cases[] = {
      {kStep204, false,
       "1:-:-:科目1101:120:1 2:1306:1306:科目1306:3:0 3:6107:6107:科目6107:0:4 4:-:-:雑費:0:5"},
      // 2.0.0 does not yet count a line named like its account as named after it.
      {kStep200, false, "1:-:-:科目1101:120:1 2:1306:1306:科目1306:3:0 3:-:-:科目6107:0:4 4:-:-:雑費:0:5"},
      {kStep204, true, "1:-:-:科目1101:120:1 2:1306:1306:科目1306:3:0 3:6107:6107:科目6107:0:4 4:-:-:雑費:0:5"},
      // 1.0.3 counts the accounts with slot totals, and one account names the line.
      {kStep103, true, "1:1101:1101:科目1101:100:1 3:6107:6107:科目6107:0:4 4:6109:6109:科目6109:0:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.step) + (c.department ? " department" : ""));
    Exec({c.department ? SisanhyoBumonFormProcedure(TFixedForm::A4, c.step, "CREATE OR ALTER")
                       : SisanhyoFormProcedure(TFixedForm::A4, c.step, "CREATE OR ALTER")});
    const std::string call = c.department ? "SP_SISANHYO_BUMON_A4(0, 0, '01', '01')" : "SP_SISANHYO_A4(0, '01', '')";
    EXPECT_EQ(Rows("SELECT MSTREC, USERCODE, KCODE, KNAME, KAISIZAN, KAR01 FROM " + call), c.rows);
  }
  // A branch group that holds no branch leaves every line out.
  EXPECT_EQ(Rows("SELECT MSTREC FROM SP_SISANHYO_A4(0, '', 'G9')"), "");
}

TEST_F(BalanceProcedures, ClosingFormAddsPastYearBalances) {
  Exec({"INSERT INTO EXTERKS (REC, SUBREC, KNAME1, KGROUP) VALUES (1, 1, '', '6100')",
        "UPDATE KAMOKUMST SET EXT1_KS = 1 WHERE KCODE = '6107'", Opening("6107", " ", "01", 0, 0),
        PastYear("6107", "01", -1, 50, 5, 0), PastYear("6107", "01", 3, 7, 0, 0),
        PastYear("6107", "01", -16, 9, 0, 0)});
  Exec({SisanhyoKessanProcedure(kStep200, "CREATE OR ALTER")});
  EXPECT_EQ(Rows("SELECT KCODE, ZANM01, ZANM15 FROM SP_SISANHYO_KESSAN(0)"), "6107:55:0");
  Exec({SisanhyoKessanProcedure(kStep204, "CREATE OR ALTER")});
  EXPECT_EQ(Rows("SELECT KCODE, ZANM01, ZANP03 FROM SP_SISANHYO_KESSAN(0)"), "6107:55:7");
  // Net amounts leave out the tax part of an ordinary account.
  EXPECT_EQ(Rows("SELECT ZANM01 FROM SP_SISANHYO_KESSAN(1)"), "50");
}

TEST_F(BalanceProcedures, PastYearReadersShareTheCommonDepartment) {
  // Slot -5: the common department 1001 at 70 %, department 01 its own 100 at 30 %; budgets of
  // slot 1: common 5, own 10, rates of the opening rows.
  Exec({Opening("6107", " ", "00", 0, 70), Opening("6107", " ", "01", 0, 30), PastYear("6107", "00", -5, 1001, 0, 70),
        PastYear("6107", "01", -5, 100, 0, 30), Month("6107", " ", "00", 1, 0, 0, 0, 5),
        Month("6107", " ", "01", 1, 0, 0, 0, 10), "INSERT INTO EXTERA4 (REC, SUBREC, KNAME1, KGROUP) VALUES (3, 1, '', '6100')",
        "UPDATE KAMOKUMST SET EXT1_A4 = 3, BPFLG = 'P' WHERE KCODE = '6107'"});
  for (TKanendoMember m : {TKanendoMember::Zandaka, TKanendoMember::BumonZandaka, TKanendoMember::BumonZandakaA4})
    Exec({KanendoProcedure(m, "CREATE OR ALTER")});
  struct Case {
    const char* query;
    const char* rows;
  } cases[] = {
      // 100 + 1001 x 0.3 (300.3) and 10 + 5 x 0.3 (1.5 -> 2).
      {"SELECT KCODE, ZANM05, YOSAN01 FROM SP_KANENDO_BUMON_ZANDAKA('01', '01', 1) WHERE KCODE = '6107'", "6107:400:12"},
      {"SELECT KCODE, ZANM05, YOSAN01 FROM SP_KANENDO_BUMON_ZANDAKA('01', '00', 1) WHERE KCODE = '6107'", "6107:701:4"},
      {"SELECT KCODE, ZANM05, YOSAN01 FROM SP_KANENDO_BUMON_ZANDAKA('01', '01', 0) WHERE KCODE = '6107'", "6107:100:10"},
      {"SELECT KCODE, ZANM05, YOSAN01 FROM SP_KANENDO_ZANDAKA('') WHERE KCODE = '6107'", "6107:1101:15"},
      {"SELECT MSTREC, ZANM05, YOSAN01 FROM SP_KANENDO_BUMON_ZANDAKA_A4('01', '01', 1)", "3:400:12"},
      {"SELECT MSTREC, ZANM05, YOSAN01 FROM SP_KANENDO_BUMON_ZANDAKA_A4('01', '00', 0)", "3:1001:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    EXPECT_EQ(Rows(c.query), c.rows);
  }
}

}  // namespace
