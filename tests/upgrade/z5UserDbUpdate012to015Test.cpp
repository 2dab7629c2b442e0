// Company steps 0.1.2, 0.1.4 and 0.1.5 on a database brought from 0.1.0 by the steps before
// them, and the run of the steps 0.1.1 to 0.1.5 through the upgrade dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QTreeWidget>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "fixtures/LegacyCompanyDb.h"
#include "platform/db/IBSQL.h"
#include "support/DataModuleTestBase.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"
#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate014.h"
#include "upgrade/CompanyUpgradeTestBase.h"

namespace fs = std::filesystem;
using namespace forms;

namespace {

// The company steps from 0.1.1 on, in order.
int32_t (*const kSteps[])() = {ExecUserDbUpdate011, ExecUserDbUpdate012, ExecUserDbUpdate013, ExecUserDbUpdate014,
                               ExecUserDbUpdate015};

// A company database in the test's data folder at 0.1.`step` - 1: the 0.1.0 fixture and the
// steps before. Each starting version is built once per test program and then copied.
class CompanyStepBase : public upgradetest::CompanyUpgradeBase {
 protected:
  // Made before any test points TEMP to a folder of its own.
  static void SetUpTestSuite() { Cache(); }
  static TempDir& Cache() {
    static TempDir cache;
    return cache;
  }

  // Leaves the database before step 0.1.`step` in file().
  void Before(int step) {
    const fs::path kept = Cache().Path() / ("before-" + std::to_string(step) + ".fdb");
    if (!fs::exists(kept)) {
      fixtures::CreateLegacyCompanyDatabase(file());
      for (int i = 1; i < step; ++i) ASSERT_EQ(kSteps[i - 1](), kStepOk) << "0.1." << i << "\n" << ErrDataup();
      fs::copy_file(file(), kept);
      return;
    }
    fs::copy_file(kept, file(), fs::copy_options::overwrite_existing);
  }

  void Exec(const std::vector<std::string>& sql) {
    fixtures::DbSession s(file());
    for (const std::string& q : sql) s.Exec(q);
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
};

// ------------------------------------------------------------------ step 0.1.2

class CompanyUpgrade012 : public CompanyStepBase {};

TEST_F(CompanyUpgrade012, AddsTheThreeReconciliationProcedures) {
  Before(2);
  ASSERT_EQ(ExecUserDbUpdate012(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "0.1.2");
  EXPECT_TRUE(ui.messages.empty());
  // Seventy columns in each list; the counter first, the two spare columns returned null.
  EXPECT_EQ(Rows("SELECT TRIM(RDB$PROCEDURE_NAME), RDB$PROCEDURE_OUTPUTS FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME "
                 "STARTING WITH 'SP_TOUZACHOSEIHYO' ORDER BY 1"),
            "SP_TOUZACHOSEIHYO_LISTDOWN:70 SP_TOUZACHOSEIHYO_LISTUP:70 SP_TOUZACHOSEIHYO_ZENZAN:1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$PROCEDURE_PARAMETERS WHERE RDB$PROCEDURE_NAME='SP_TOUZACHOSEIHYO_LISTUP' "
                   "AND RDB$PARAMETER_TYPE=1 AND RDB$PARAMETER_NAME='RECORDCNT' AND RDB$PARAMETER_NUMBER=0"),
            1);
  // The settings blocks are not this step's.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='ACCDEF1' AND "
                   "RDB$FIELD_NAME='SDAI_HASUU3'"),
            1);
}

// A small bank account journal: ordinary and closing sides on one day, two sides of one entry,
// a deleted side, a side marked as reconciled (FUSEN2), and a side of another account.
class BankReconciliation : public CompanyStepBase {
 protected:
  void SetUp() override {
    CompanyStepBase::SetUp();
    Before(2);
    ASSERT_EQ(ExecUserDbUpdate012(), kStepOk) << ErrDataup();
    struct Side {
      int rec, swkno, taishaku;
      const char* date;
      int mnum, kessan, delflg, fusen2;
      const char* kcode;
      int nuk, zei;
    } sides[] = {
        {1, 1, 1, "2008-04-05", 1, 0, 0, 0, "1102", 1000, 80}, {2, 2, 1, "2008-04-10", 1, 0, 0, 0, "1102", 500, 0},
        {3, 2, 2, "2008-04-10", 1, 0, 0, 0, "1102", 200, 0},   {4, 3, 2, "2008-04-10", 1, 0, 0, 0, "1102", 300, 0},
        {5, 4, 1, "2008-04-30", 1, 0, 0, 0, "1102", 400, 0},   {6, 1, 1, "2008-04-30", 4, 1, 0, 0, "1102", 700, 0},
        {7, 5, 1, "2008-05-01", 2, 0, 0, 0, "1102", 800, 0},   {8, 6, 1, "2008-04-10", 1, 0, 1, 0, "1102", 9000, 0},
        {9, 7, 2, "2008-04-20", 1, 0, 0, 1, "1102", 50, 0},    {10, 2, 2, "2008-04-10", 1, 0, 0, 0, "1101", 500, 0},
    };
    std::vector<std::string> sql;
    for (const Side& s : sides) {
      sql.push_back("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, SCODE, KCODE, "
                    "HCODE, BCODE, NUK, ZEI, FUSEN2) VALUES (" +
                    std::to_string(s.rec) + ", " + std::to_string(s.swkno * 10 + s.kessan) + ", " +
                    std::to_string(s.swkno) + ", " + std::to_string(s.delflg) + ", " + std::to_string(s.taishaku) +
                    ", '" + s.date + "', " + std::to_string(s.mnum) + ", " + std::to_string(s.kessan) + ", '01', '" +
                    s.kcode + "', ' ', ' ', " + std::to_string(s.nuk) + ", " + std::to_string(s.zei) + ", " +
                    std::to_string(s.fusen2) + ")");
    }
    Exec(sql);
  }
  // "REC:RECORDCNT" of the page.
  std::string Page(const char* procedure, int procType, int mnum, int kessan, const char* from, const char* to,
                   int swkno, int taishaku, int delflg, int offset, int limit) {
    return Rows(std::string("SELECT REC, RECORDCNT FROM ") + procedure + "(" + std::to_string(procType) +
                ", '01', '1102', ' ', '', " + std::to_string(mnum) + ", " + std::to_string(kessan) + ", '" + from +
                "', '" + to + "', " + std::to_string(swkno) + ", " + std::to_string(taishaku) + ", " +
                std::to_string(delflg) + ", " + std::to_string(offset) + ", " + std::to_string(limit) + ")");
  }
};

TEST_F(BankReconciliation, PagesBackwardsAndForwardsFromTheCursor) {
  const char* up = "SP_TOUZACHOSEIHYO_LISTUP";
  const char* down = "SP_TOUZACHOSEIHYO_LISTDOWN";
  struct Case {
    const char* what;
    const char* procedure;
    int procType, mnum, kessan;
    const char* from;
    const char* to;
    int swkno, taishaku, delflg, offset, limit;
    const char* page;
  } cases[] = {
      // Backwards: newest first; a closing side of the end date counts a day later.
      {"the whole day", up, 0, 0, 0, "2008-04-01", "2008-04-30", 0, 0, 0, 0, 0, "5:1 9:2 4:3 3:4 2:5 1:6"},
      {"the cursor is a closing side", up, 0, 0, 1, "2008-04-01", "2008-04-30", 0, 0, 0, 0, 0,
       "6:1 5:2 9:3 4:4 3:5 2:6 1:7"},
      {"an entry and side as cursor", up, 0, 0, 0, "2008-04-01", "2008-04-10", 2, 1, 0, 0, 0, "2:1 1:2"},
      {"the cursor's other side", up, 0, 0, 0, "2008-04-01", "2008-04-10", 2, 2, 0, 0, 0, "3:1 2:2 1:3"},
      {"reconciliation list", up, 1, 0, 0, "2008-04-01", "2008-04-30", 0, 0, 0, 0, 0, "5:1 4:2 3:3 2:4 1:5"},
      {"second page", up, 0, 0, 0, "2008-04-01", "2008-04-30", 0, 0, 0, 2, 2, "4:3 3:4"},
      {"deleted sides", up, 0, 0, 0, "2008-04-01", "2008-04-30", 0, 0, 1, 0, 0, "8:1"},
      {"an end before the start lists from the fiscal start", up, 0, 0, 0, "2008-05-01", "2008-04-10", 0, 0, 0, 0, 0,
       "4:1 3:2 2:3 1:4"},
      {"an unknown kind lists nothing", up, 2, 0, 0, "2008-04-01", "2008-04-30", 0, 0, 0, 0, 0, ""},
      // Forwards: oldest first, within the month slot but for the cursor's own day.
      {"from a side on", down, 0, 4, 0, "2008-04-10", "2008-05-31", 2, 2, 0, 0, 0, "3:1 4:2 9:3 5:4 6:5 7:6"},
      {"later slots left out", down, 0, 1, 0, "2008-04-10", "2008-05-31", 0, 0, 0, 0, 0, "2:1 3:2 4:3 9:4 5:5"},
      {"the closing cursor's day keeps its later slots", down, 0, 1, 1, "2008-04-30", "2008-05-31", 0, 0, 0, 0, 0,
       "6:1 7:2"},
      {"closing after the ordinary sides of the day", down, 0, 4, 0, "2008-04-30", "2008-05-31", 4, 1, 0, 0, 0,
       "5:1 6:2 7:3"},
      {"forwards reconciliation list", down, 1, 1, 0, "2008-04-01", "2008-05-31", 0, 0, 0, 0, 0, "1:1 2:2 3:3 4:4 5:5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Page(c.procedure, c.procType, c.mnum, c.kessan, c.from, c.to, c.swkno, c.taishaku, c.delflg, c.offset,
                   c.limit),
              c.page);
  }
}

TEST_F(BankReconciliation, APageHoldsFiftySidesUnlessToldOtherwise) {
  std::vector<std::string> sql;
  for (int i = 0; i < 60; ++i) {
    sql.push_back("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, NUK) "
                  "VALUES (" +
                  std::to_string(100 + i) + ", " + std::to_string(100 + i) + ", " + std::to_string(100 + i) +
                  ", 1, '2008-06-01', 3, '01', '1306', ' ', ' ', 1)");
  }
  Exec(sql);
  for (const char* procedure : {"SP_TOUZACHOSEIHYO_LISTUP", "SP_TOUZACHOSEIHYO_LISTDOWN"}) {
    SCOPED_TRACE(procedure);
    const std::string call = std::string(" FROM ") + procedure + "(0, '', '1306', '', '', 3, 0, '2008-06-01', "
                             "'2008-06-30', 0, 0, 0, ";
    EXPECT_EQ(Rows("SELECT COUNT(*), MIN(RECORDCNT), MAX(RECORDCNT)" + call + "0, 0)"), "50:1:50");
    EXPECT_EQ(Rows("SELECT COUNT(*), MIN(RECORDCNT), MAX(RECORDCNT)" + call + "5, 0)"), "50:6:55");
    EXPECT_EQ(Rows("SELECT COUNT(*), MIN(RECORDCNT), MAX(RECORDCNT)" + call + "55, 0)"), "5:56:60");
    EXPECT_EQ(Rows("SELECT COUNT(*), MIN(RECORDCNT), MAX(RECORDCNT)" + call + "0, 7)"), "7:1:7");
  }
  // The row carries the side's columns and names; the spare columns stay null.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_TOUZACHOSEIHYO_LISTUP(0, '', '1306', '', '', 3, 0, '2008-06-01', "
                   "'2008-06-30', 0, 0, 0, 0, 0) P JOIN KAMOKUMST K ON K.KCODE=P.KCODE AND K.KNAME=P.KNAME AND "
                   "K.USERCODE=P.USERCODE WHERE P.NUK=1 AND P.KINGAKU=1 AND P.RESERVE1 IS NULL AND P.RESERVE2 IS NULL "
                   "AND P.SWKREC=P.REC AND P.HIZUKE='2008-06-01'"),
            50);
}

TEST_F(BankReconciliation, RunningBalanceCountsTheSidesReversed) {
  // The bank account is a debit account (1); the balance procedure adds a side on the account's
  // own side, and the statement hands every side over reversed: debits lower the balance here.
  struct Case {
    const char* what;
    int procType, calcType, zeiKbn, mnum;
    const char* date;
    int swkrec, taishaku;
    int64_t balance;
  } cases[] = {
      {"to the end of slot 1, with tax", 0, 1, 0, 1, "2008-04-01", 0, 0, 10000 - 1080 - 500 + 200 + 300 + 50 - 400},
      {"without tax", 0, 1, 1, 1, "2008-04-01", 0, 0, 10000 - 1000 - 500 + 200 + 300 + 50 - 400},
      {"reconciliation list leaves marked sides out", 1, 1, 0, 1, "2008-04-01", 0, 0,
       10000 - 1080 - 500 + 200 + 300 - 400},
      {"to the end of slot 4", 0, 1, 0, 4, "2008-04-01", 0, 0, 10000 - 1080 - 500 + 200 + 300 + 50 - 400 - 700 - 800},
      {"up to a side", 0, 0, 0, 1, "2008-04-10", 20, 2, 10000 - 1080 - 500},
      {"a side that is not there: the whole slot up to the date", 0, 0, 0, 1, "2008-04-10", 999, 1,
       10000 - 1080 - 500 + 200 + 300},
      {"an unknown kind", 2, 1, 0, 1, "2008-04-01", 0, 0, 10000},
      {"an unknown calculation", 0, 2, 0, 1, "2008-04-01", 0, 0, 10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Scalar("SELECT ZANDAKA FROM SP_TOUZACHOSEIHYO_ZENZAN(" + std::to_string(c.procType) + ", " +
                     std::to_string(c.calcType) + ", '01', '1102', '', '', " + std::to_string(c.zeiKbn) + ", " +
                     std::to_string(c.mnum) + ", '" + c.date + "', 0, 1, " + std::to_string(c.swkrec) + ", " +
                     std::to_string(c.taishaku) + ", 10000)"),
              c.balance);
  }
  // Amounts far above the range of scaled 32-bit arithmetic.
  EXPECT_EQ(Scalar("SELECT ZANDAKA FROM SP_TOUZACHOSEIHYO_ZENZAN(0, 1, '01', '1102', '', '', 1, 1, '2008-04-01', 0, "
                   "1, 0, 0, 90000000000000)"),
            90000000000000 - 1350);
}

// ------------------------------------------------------------------ step 0.1.4

TEST(CashFlowLines, TheLayoutTable) {
  const auto& lines = userupdate::CashFlowLines();
  const auto& accounts = userupdate::CashFlowAccounts();
  ASSERT_EQ(lines.size(), 102u);
  ASSERT_EQ(accounts.size(), 502u);
  EXPECT_EQ(accounts.back().CfRec, 499);
  // Lines numbered 1 to 102; kinds by range.
  int indirect = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].Rec, static_cast<int>(i) + 1);
    indirect += lines[i].Kind;
  }
  EXPECT_EQ(indirect, 59);
  auto entries = [&](int line) {
    std::string out;
    for (const auto& a : accounts) {
      if (a.CmRec == line) out += std::string(out.empty() ? "" : " ") + a.Cal + a.KCode + "/" + std::to_string(a.CType);
    }
    return out;
  };
  EXPECT_EQ(entries(19), "-1201/2 -1202/2 -1203/2 -1204/2 -1205/2 -1206/2");
  EXPECT_EQ(entries(76), entries(33));
  EXPECT_EQ(entries(77) + " +8101/2 -8201/2 -8202/2", entries(34));
  EXPECT_NE(entries(97).find("-3315/3 -3316/3 -3317/3"), std::string::npos);
  EXPECT_EQ(entries(54).find("3316"), std::string::npos);
  // Line 34's last four rows share number 97.
  std::vector<int> shared;
  for (const auto& a : accounts) {
    if (a.CfRec == 97) shared.push_back(a.CmRec);
  }
  EXPECT_EQ(shared, (std::vector<int>{34, 34, 34, 34}));
  // The flags follow the group; the profit before tax is the one item that cannot be removed.
  struct Flags {
    int rec, del, mku, margin, order;
  } flags[] = {{1, 1, 1, 0, 1}, {2, 1, 1, 1, 1}, {3, 0, 0, 1, 2}, {25, 1, 1, 2, 1}, {58, 1, 0, 0, 1},
               {68, 1, 1, 2, 1}, {69, 0, 0, 1, 1}, {102, 1, 0, 0, 1}};
  for (const Flags& f : flags) {
    const auto& l = lines[static_cast<size_t>(f.rec - 1)];
    EXPECT_EQ((std::vector<int>{l.Del, l.Mku, l.Margin, l.Order, l.Hosei}),
              (std::vector<int>{f.del, f.mku, f.margin, f.order, 0}))
        << f.rec;
  }
  EXPECT_EQ(lines[101].Name, lines[58].Name);
}

class CompanyUpgrade014 : public CompanyStepBase {};

TEST_F(CompanyUpgrade014, ReplacesTheCashFlowLayout) {
  Before(4);
  // A layout of the user's, with its per-facility switches.
  Exec({"INSERT INTO CASHFMST (CM_REC, CM_KIND, CM_NAME1) VALUES (1, 1, '独自の行')",
        "INSERT INTO CASHFMST (CM_REC, CM_KIND, CM_NAME1) VALUES (200, 1, '追加行')",
        "INSERT INTO CASHFMKU (CF_REC, CM_REC, CF_CAL, CF_KCODE, CF_CTYPE) VALUES (1, 200, '+', '1101', 2)"});
  ASSERT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMST_SISETU"), 4);
  ASSERT_EQ(ExecUserDbUpdate014(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "0.1.4");
  EXPECT_EQ(Rows("SELECT CM_KIND, COUNT(*) FROM CASHFMST GROUP BY CM_KIND ORDER BY 1"), "0:43 1:59");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMKU"), 502);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMST WHERE CM_NAME1 IN ('独自の行', '追加行')"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='CASHFMST_SISETU'"), 0);
  // The rows were numbered afresh and in order; the line numbers stay as written.
  EXPECT_EQ(Rows("SELECT MIN(REC), MAX(REC), MAX(CF_REC) FROM CASHFMKU"), "1:502:499");
  EXPECT_EQ(Rows("SELECT FIRST 1 CF_REC, CM_REC FROM CASHFMKU ORDER BY REC DESC"), "499:102");
  EXPECT_EQ(Rows("SELECT CM_REC, COUNT(*) FROM CASHFMKU WHERE CF_REC=97 GROUP BY CM_REC"), "34:4");
  // Line 76 takes line 33's entries; lines without accounts have no rows.
  EXPECT_EQ(Rows("SELECT CF_CAL, CF_KCODE, CF_CTYPE FROM CASHFMKU WHERE CM_REC=76 ORDER BY REC"),
            Rows("SELECT CF_CAL, CF_KCODE, CF_CTYPE FROM CASHFMKU WHERE CM_REC=33 ORDER BY REC"));
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMKU WHERE CM_REC IN (1, 5, 25, 47, 48, 57, 60, 68)"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMST M WHERE NOT EXISTS (SELECT 1 FROM CASHFMKU K WHERE "
                   "K.CM_REC=M.CM_REC)"),
            28);
  EXPECT_EQ(Rows("SELECT CM_GROUP, CM_ORDER, CM_DEL, CM_MKU, CM_MARGIN, CM_HOSEI FROM CASHFMST WHERE CM_REC=2"),
            "11:1:1:1:1:0");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMST WHERE CM_REC=72 AND CM_NAME1='営業活動によるキャッシュ・フロー'"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMKU WHERE CM_REC=2 AND CF_KCODE='9999' AND CF_CTYPE=1"), 1);
  // The closing and cash-flow period settings were already there.
  EXPECT_EQ(Scalar("SELECT KESSAN_KIKAN FROM ACCDEF1"), -1);
  EXPECT_TRUE(ui.messages.empty());
}

// ------------------------------------------------------------------ step 0.1.5

class CompanyUpgrade015 : public CompanyStepBase {
 protected:
  void SetUp() override {
    CompanyStepBase::SetUp();
    Before(5);
  }
};

TEST_F(CompanyUpgrade015, DeletedCodesLeaveTheDictionaryEntriesInPlace) {
  Exec({"INSERT INTO SWKDIC (REC, SCODE, L_KCODE, L_HCODE, L_BCODE, R_KCODE, R_HCODE, R_BCODE) VALUES "
        "(1, '01', '1102', '001', '01', '1101', ' ', '01')",
        "INSERT INTO SWKDIC (REC, SCODE, L_KCODE, L_HCODE, L_BCODE, R_KCODE, R_HCODE, R_BCODE) VALUES "
        "(2, '01', '1401', '001', '00', '1102', '001', '00')",
        "INSERT INTO TORDIC (REC, SCODE, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAS_KCODE, KAS_HCODE, KAS_BCODE) VALUES "
        "(1, '01', '1101', ' ', '01', '1102', '001', '01')",
        "INSERT INTO TEKDIC (REC, CREC, SCODE, TEXT, KAR_KCODE, KAR_HCODE, KAR_BCODE, KAS_KCODE, KAS_HCODE, KAS_BCODE) "
        "VALUES (0, 1, '01', 'X', '1102', '001', '01', '1101', ' ', '01')",
        "UPDATE KANSA_ITEM SET MOT_KCODE='1102', MOT_HCODE='001', MOT_BCODE='01', TOZ_KCODE='1102', "
        "TOZ_HCODE='001', TOZ_BCODE='01' WHERE REC=1",
        "UPDATE HOJOMST SET HKANA='ﾀﾞｲｲﾁ', ADDRESS='東京都', KOUZA='1234567', OPCODE=11 WHERE KCODE='1102' AND "
        "HCODE='001'"});
  const std::string before = Rows("SELECT REC FROM SWKDIC UNION ALL SELECT REC FROM TORDIC UNION ALL SELECT REC "
                                  "FROM TEKDIC UNION ALL SELECT REC FROM KANSA_ITEM");
  // Before the step the dictionaries let go of an entry together with its sub-account.
  {
    fs::path probe = tmp.Path() / "probe.fdb";
    fs::copy_file(file(), probe);
    fixtures::DbSession s(probe);
    s.Exec("DELETE FROM HOJOMST WHERE KCODE='1102' AND HCODE='001'");
    s.Commit();
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SWKDIC"), 0);
  }
  ASSERT_EQ(ExecUserDbUpdate015(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "0.1.5");
  EXPECT_TRUE(ui.messages.empty());

  // A department: the eight department columns, wherever they name it.
  Exec({"DELETE FROM BUMONMST WHERE BCODE='01'"});
  EXPECT_EQ(Rows("SELECT L_BCODE || '|' || R_BCODE FROM SWKDIC ORDER BY REC"), " |  00|00");
  EXPECT_EQ(Rows("SELECT KAR_BCODE || '|' || KAS_BCODE FROM TORDIC UNION ALL SELECT KAR_BCODE || '|' || KAS_BCODE "
                 "FROM TEKDIC WHERE TEXT='X' UNION ALL SELECT MOT_BCODE || '|' || TOZ_BCODE FROM KANSA_ITEM WHERE REC=1"),
            " |   |   | ");
  // A sub-account: only the codes under the same account.
  Exec({"DELETE FROM HOJOMST WHERE KCODE='1102' AND HCODE='001'"});
  EXPECT_EQ(Rows("SELECT L_KCODE || L_HCODE || '|' || R_KCODE || R_HCODE FROM SWKDIC ORDER BY REC"),
            "1102 |1101  1401001|1102 ");
  EXPECT_EQ(Rows("SELECT KAR_HCODE || '|' || KAS_HCODE FROM TORDIC UNION ALL SELECT KAR_HCODE || '|' || KAS_HCODE "
                 "FROM TEKDIC WHERE TEXT='X' UNION ALL SELECT MOT_HCODE || '|' || TOZ_HCODE FROM KANSA_ITEM WHERE REC=1"),
            " |   |   | ");
  EXPECT_EQ(Rows("SELECT REC FROM SWKDIC UNION ALL SELECT REC FROM TORDIC UNION ALL SELECT REC FROM TEKDIC UNION ALL "
                 "SELECT REC FROM KANSA_ITEM"),
            before);
  // The deleted sub-account's history row, by position.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM HOJOLOG WHERE LOGREC=1 AND REC=101 AND KCODE='1102' AND HCODE='001' AND "
                   "HKANA='ﾀﾞｲｲﾁ' AND HNAME='第一銀行' AND ADDRESS='東京都' AND KOUZA='1234567' AND OPCODE=11 AND "
                   "TAX_NUM=0 AND YOKKMK IS NULL"),
            1);
  Exec({"DELETE FROM HOJOMST WHERE KCODE='1401' AND HCODE='001'"});
  EXPECT_EQ(Rows("SELECT LOGREC, REC FROM HOJOLOG ORDER BY LOGREC"), "1:101 2:102");
}

TEST_F(CompanyUpgrade015, PastYearBalanceFollowsTheOpeningBalance) {
  ASSERT_EQ(ExecUserDbUpdate015(), kStepOk) << ErrDataup();
  Exec({"INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('2205', '繰越利益剰余金')",
        "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES ('09', '1101', ' ', ' ', 0)",
        "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES ('09', '2205', ' ', ' ', 0)"});
  std::vector<std::string> pastYear;
  for (int m = -1; m <= 16; ++m) {
    for (const char* k : {"1101", "2205"}) {
      pastYear.push_back(std::string("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES ('09', '") +
                      k + "', ' ', ' ', " + std::to_string(m) + ", -1)");
    }
  }
  Exec(pastYear);
  struct Case {
    int kaisino;
    int slot;
  } cases[] = {{1, 0}, {3, 2}, {4, 4}, {6, 6}, {7, 8}, {9, 10}, {10, 12}, {12, 14}, {0, 0}, {13, 0}};
  int64_t amount = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kaisino);
    Exec({"UPDATE KAMOKU_PZ SET NUKIZAN=-1", "UPDATE ACCDEF1 SET KAISINO=" + std::to_string(c.kaisino),
          "UPDATE KAMOKU_SZ SET KAISIZAN=" + std::to_string(++amount) + " WHERE SCODE='09'"});
    EXPECT_EQ(Rows("SELECT KCODE, MNUM, CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE NUKIZAN<>-1"),
              "1101:" + std::to_string(c.slot) + ":" + std::to_string(amount));
  }
  // An unchanged opening balance writes nothing.
  Exec({"UPDATE KAMOKU_PZ SET NUKIZAN=-1", "UPDATE KAMOKU_SZ SET KCODE=KCODE WHERE SCODE='09'"});
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_PZ WHERE NUKIZAN<>-1"), 0);
}

TEST_F(CompanyUpgrade015, NotesFlagAndBlueReturnTables) {
  struct Case {
    const char* what;
    std::vector<std::string> before;
    int64_t flag;
  } cases[] = {
      {"no flag yet", {"INSERT INTO KESSAN (REC) VALUES (1)"}, 0},
      {"a flag already there keeps its value",
       {"INSERT INTO KESSAN (REC) VALUES (1)", "ALTER TABLE KESSAN ADD CHUKI_TITLEPRINT INTEGER",
        "UPDATE KESSAN SET CHUKI_TITLEPRINT=1"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Before(5);
    for (const std::string& sql : c.before) Exec({sql});
    Exec({"INSERT INTO EXTERKS (REC) VALUES (1)", "INSERT INTO EXTERKS (REC) VALUES (2)"});
    ASSERT_EQ(ExecUserDbUpdate015(), kStepOk) << ErrDataup();
    EXPECT_EQ(Scalar("SELECT CHUKI_TITLEPRINT FROM KESSAN WHERE REC=1"), c.flag);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EXTERKS WHERE AO_KISHUZAN=0 AND AO_KIMATUZAN=0"), 2);
    EXPECT_EQ(Rows("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME STARTING WITH 'AO_' ORDER "
                   "BY 1"),
              "AO_FUDOUSAN AO_HOUSHU AO_KYUUYO AO_NOTE AO_RISI AO_SINKOKU AO_TIDAI AO_URIAGE");
  }
  Exec({"INSERT INTO AO_KYUUYO (REC, SIMEI, KYUUYO, SHOUYO) VALUES (1, '山田', 3000000000, 1500000000.5)"});
  EXPECT_EQ(Rows("SELECT CAST(GOUKEI * 10 AS BIGINT), NUMBER, SENJYU FROM AO_KYUUYO"), "45000000005:0:0");
  Exec({"INSERT INTO AO_SINKOKU (REC) VALUES (1)"});
  EXPECT_EQ(Rows("SELECT GYOUSHUKUBUN, HASUU, KOUJOKUBUN, YOUSI, COLOR, WAKU FROM AO_SINKOKU"), "0:0:0:0:1:1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='AO_FUDOUSAN'"), 16);
}

// ------------------------------------------------------------------ the run of the five steps

// The steps 0.1.1 to 0.1.5 as the upgrade dialog runs them on a company at 0.1.0.
class CompanyUpgrade015Run : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
 protected:
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = company_->Folder().string();
    SystemDef.TempDir = inst_->AppTempDir().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.PcName = "PC01";
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    fs::remove(company_->DbFile());
    fixtures::CreateLegacyCompanyDatabase(company_->DbFile());
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    box = CreateForm<TDbUpdateBox>(nullptr);
  }
  void TearDown() override {
    box->Free();
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    OneCompanyTestBase::TearDown();
  }

  ScriptedUi ui;
  ScopedUi useUi{ui};
  std::unique_ptr<fixtures::InstallationEnv> env_;
  TDbUpdateBox* box = nullptr;
};

TEST_F(CompanyUpgrade015Run, TheFiveStepsFromA010Database) {
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  ASSERT_TRUE(box->NeedUpdate);
  ASSERT_EQ(box->FirstIndex, 0);
  // The run stops after 0.1.5, whatever steps follow.
  box->LastIndex = 4;
  ASSERT_EQ(box->UserList[4].Version().Text(), "0.1.5");
  uitest::ModalScript script({[&](TForm&) {
                                uitest::Click(box->cboxAgree);
                                uitest::Click(box->btnOk);
                              },
                              [&](TForm&) {}});
  EXPECT_EQ(box->ShowModal(), 1);
  EXPECT_FALSE(script.WatchdogFired());
  for (const auto& m : ui.messages) ADD_FAILURE() << (m.lines.empty() ? "" : m.lines[0]) << " / " << m.detail;
  std::string statuses;
  for (int r = 0; r < 5; ++r) {
    QTreeWidgetItem* item = box->ListView1->topLevelItem(r);
    statuses += (item ? item->text(0).toStdString() + "=" + item->text(2).toStdString() : "(none)") + " ";
  }
  EXPECT_EQ(statuses, "0.1.1=完了 0.1.2=完了 0.1.3=完了 0.1.4=完了 0.1.5=完了 ");
  DM->AccDatDisconnect(company_->Folder().string(), false, false);
  fixtures::DbSession s(company_->DbFile());
  EXPECT_EQ(s.Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 105);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM CASHFMKU"), 502);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME STARTING WITH 'SP_TOUZACHOSEIHYO'"),
            3);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME='BUMONMST_BEFORE_DELETE'"), 1);
}

}  // namespace
