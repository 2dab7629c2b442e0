// The company steps 1.0.0 to 2.0.4, run with isql over the 0.1.0 company database brought to the
// version before each step.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "fixtures/LegacyCompanyDb.h"
#include "platform/DateTime.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBServices.h"
#include "support/DataModuleTestBase.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"
#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate100.h"

namespace fs = std::filesystem;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

// Rows the tests read: balance-sheet and profit-and-loss flags by group and the system
// accounts.
const std::vector<std::string>& BaseRows() {
  static const std::vector<std::string> sql = {
      "UPDATE KAMOKUMST SET BPFLG = CASE WHEN GROUPM1 < '4000' THEN 'B' ELSE 'P' END",
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('1101', '現金')",
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('2205', '繰越利益剰余金')",
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('2104', '元入金')",
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('1306', '事業主貸')",
      "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('8101', '雑収入')",
  };
  return sql;
}

// A script that moves the version only: shows that isql can open the file.
int32_t VersionOnlyStandIn(const TDbVersion& v) {
  userupdate::TStepBody body;
  return userupdate::RunStep(v, body);
}

// Company databases already brought to a version, by version, data kind and department use:
// each is made once per test program from the one before it and copied for every test.
// Made at start-up, before a test points the temporary folder into its own folder.
TempDir gCache;
fs::path CachedDb(const TDbVersion& v, int dataType, int bumon) {
  return gCache.Path() / (v.Text() + "-" + std::to_string(dataType) + "-" + std::to_string(bumon) + ".fdb");
}

class CompanyUpgradeSteps : public ::testing::Test {
 protected:
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
    AccInf.DATATYPE = 1;
    AccInf.CODETYPE = 1;
    AccInf.SITEN = 1;
    AccInf.KISHU = EncodeDate(2008, 4, 1);
    AccInf.KAISI = EncodeDate(2008, 4, 1);
    AccInf.KAISINO = 1;
  }
  void TearDown() override {
    FreeDataModule();
    SystemDef = saved_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
  }

  // The 0.1.0 fixture brought to `before` by the installed steps, with the rows the tests read
  // added after 0.4.1: the system account names, the balance-sheet flags, an opening balance
  // of 100 per account of branch 01 and its past-year slots.
  void Prepare(const TDbVersion& before, int dataType = 1, int bumon = 2) {
    fs::remove(file());
    const fs::path cached = CachedDb(before, dataType, bumon);
    if (!fs::exists(cached)) {
      TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
      InstallUserDbUpdateBuilders(list);
      const TDbVersion start{0, 4, 1};
      if (before == start) {
        fixtures::CreateLegacyCompanyDatabase(file(), dataType, bumon);
        for (const TDbUpdateListRec& r : list) {
          if (start < r.Version()) break;
          SCOPED_TRACE(r.Version().Text());
          ASSERT_TRUE(r.RunProc);
          ASSERT_EQ(r.RunProc(), kStepOk) << ErrDataup();
        }
        AddTestRows();
      } else {
        // The step before `before` in the list, then `before` itself.
        TDbVersion previous = start;
        const TDbUpdateListRec* step = nullptr;
        for (const TDbUpdateListRec& r : list) {
          if (r.Version() == before) step = &r;
          if (r.Version() < before) previous = r.Version();
        }
        ASSERT_NE(step, nullptr) << before.Text();
        Prepare(previous, dataType, bumon);
        SCOPED_TRACE(before.Text());
        ASSERT_TRUE(step->RunProc) << before.Text();
        ASSERT_EQ(step->RunProc(), kStepOk) << ErrDataup();
      }
      fs::copy_file(file(), cached);
    } else {
      fs::copy_file(cached, file());
    }
  }
  void AddTestRows() {
    fixtures::DbSession s(file());
    for (const std::string& sql : BaseRows()) s.Exec(sql);
    for (const fixtures::LegacyAccount& a : fixtures::LegacyCompanyChart()) {
      s.Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES ('01', '" + a.kcode +
             "', ' ', ' ', 100)");
      for (int slot = -31; slot <= 16; ++slot)
        s.Exec("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM) VALUES ('01', '" + a.kcode + "', ' ', ' ', " +
               std::to_string(slot) + ")");
    }
    s.Commit();
  }

  fs::path file() const { return tmp.Path() / "data" / "qvacc.fdb"; }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }
  // A selectable procedure's first value, its writes committed.
  int64_t Call(const std::string& sql) {
    fixtures::DbSession s(file());
    const int64_t v = s.Scalar(sql);
    s.Commit();
    return v;
  }
  void Exec(const std::string& sql) {
    fixtures::DbSession s(file());
    s.Exec(sql);
    s.Commit();
  }
  // Every row of a query, its values joined by ":" and the rows by " ".
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
  std::string ErrDataup() {
    const fs::path p = tmp.Path() / "log" / "ErrDataup.txt";
    return fs::exists(p) ? TempDir::Read(p) : std::string();
  }
  std::string Version() {
    fixtures::DbSession s(file());
    return TDbVersion{static_cast<int32_t>(s.Scalar("SELECT MAJOR FROM ACCVERSION WHERE REC=1")),
                      static_cast<int32_t>(s.Scalar("SELECT MINOR1 FROM ACCVERSION WHERE REC=1")),
                      static_cast<int32_t>(s.Scalar("SELECT MINOR2 FROM ACCVERSION WHERE REC=1"))}
        .Text();
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
};

class CompanyUpgrade100 : public CompanyUpgradeSteps {};
class CompanyUpgrade101 : public CompanyUpgradeSteps {};
class CompanyUpgrade102 : public CompanyUpgradeSteps {};
class CompanyUpgrade103 : public CompanyUpgradeSteps {};
class CompanyUpgrade105 : public CompanyUpgradeSteps {};
class CompanyUpgrade200 : public CompanyUpgradeSteps {};
class CompanyUpgrade204 : public CompanyUpgradeSteps {};

}  // namespace

// ------------------------------------------------------------------ 1.0.0

TEST_F(CompanyUpgrade100, OpeningBalancesFollowIntoThePastYearSlot) {
  struct Case {
    const char* what;
    int dataType, kaisino;
    bool closingDone;  // an operation-log row of the year-end update
    const char* kcode;
    int slot;
    int64_t expected;  // NUKIZAN of the slot after KAISIZAN of branch 01 becomes 250
  } cases[] = {
      {"corporation, data from the fourth month", 1, 4, false, "1101", 4, 250},
      {"corporation, retained earnings are left alone", 1, 4, false, "2205", 4, 0},
      {"individual mid-year before any year-end update: every account", 2, 4, false, "2104", 4, 250},
      {"individual after a year-end update: not the capital", 2, 4, true, "2104", 4, 0},
      {"individual from the first month: the ordinary accounts", 2, 1, false, "1101", 0, 250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Prepare({0, 4, 1}, c.dataType);
    ASSERT_EQ(ExecUserDbUpdate100(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "1.0.0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE REC=31 AND MEISHOU='一人当たり人件費'"), 1);
    Exec("UPDATE ACCDEF1 SET KAISINO=" + std::to_string(c.kaisino));
    if (c.closingDone) Exec("INSERT INTO OPINF (OPCODE, JOBNAME) VALUES (1, '翌年度更新')");
    Exec(std::string("UPDATE KAMOKU_SZ SET KAISIZAN=250 WHERE SCODE='01' AND KCODE='") + c.kcode + "'");
    EXPECT_EQ(Scalar(std::string("SELECT CAST(SUM(NUKIZAN) AS INTEGER) FROM KAMOKU_PZ WHERE SCODE='01' AND KCODE='") +
                     c.kcode + "'"),
              c.expected);
    EXPECT_EQ(Scalar(std::string("SELECT CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE SCODE='01' AND KCODE='") +
                     c.kcode + "' AND MNUM=" + std::to_string(c.slot)),
              c.expected);
  }
}

// ------------------------------------------------------------------ 1.0.1

TEST_F(CompanyUpgrade101, PastYearSlotsFromMonthlyAmountsOrBalances) {
  Prepare({1, 0, 0}, 2);
  Exec("INSERT INTO OPINF (OPCODE, JOBNAME) VALUES (1, '翌年度更新')");
  ASSERT_EQ(ExecUserDbUpdate101(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "1.0.1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM OPINF"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE REC=28 AND GROUPA1='5100' AND GROUPA2='5300' AND "
                   "GROUPB1='5510' AND GROUPB2='5530'"),
            1);
  Exec("UPDATE KAMOKU_PZ SET KOMIZAN=50 WHERE MNUM=-16");
  struct Case {
    const char* what;
    int hassei;
    const char* kcode;
    int64_t first, last;  // NUKIZAN of slots -15 and 0 after sixteen values of 10
  } cases[] = {
      {"monthly amounts of a balance-sheet account run on from the slot before", 1, "1101", 60, 210},
      {"profit and loss starts from nothing", 1, "6202", 10, 160},
      {"an individual's drawings start from nothing", 1, "1306", 10, 160},
      {"balances are written as they are", 0, "1102", 10, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string values;
    for (int i = 0; i < 16; ++i) values += ", 10";
    Exec("EXECUTE PROCEDURE SP_UPDATE_KANENDOZAN(" + std::to_string(c.hassei) + ", '01', '" + c.kcode +
         "', ' ', ' ', -15, 0" + values + ")");
    const std::string where = std::string(" FROM KAMOKU_PZ WHERE SCODE='01' AND KCODE='") + c.kcode + "' AND MNUM=";
    EXPECT_EQ(Scalar("SELECT CAST(NUKIZAN AS INTEGER)" + where + "-15"), c.first);
    EXPECT_EQ(Scalar("SELECT CAST(NUKIZAN AS INTEGER)" + where + "0"), c.last);
  }
}

// ------------------------------------------------------------------ 1.0.2

TEST(CompanyUpgrade1Slots, SlotBeforeTheStartMonth) {
  const int expected[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(userupdate::SlotBeforeStartMonth(m), expected[m - 1]) << m;
  EXPECT_EQ(userupdate::SlotBeforeStartMonth(0), 0);
}

TEST_F(CompanyUpgrade102, AFailedRepairEndsTheStepWithoutAScript) {
  Prepare({1, 0, 1});
  // The past-year table refuses every update: the repair fails half-way.
  Exec("CREATE EXCEPTION PZ_LOCKED 'locked'");
  Exec("CREATE TRIGGER PZ_LOCK FOR KAMOKU_PZ ACTIVE BEFORE UPDATE POSITION 0 AS BEGIN "
       "IF (NEW.KCODE > '1101') THEN EXCEPTION PZ_LOCKED; END");
  EXPECT_EQ(ExecUserDbUpdate102(), kStepIsqlError);
  EXPECT_EQ(Version(), "1.0.1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_PZ WHERE NUKIZAN<>0"), 0) << "the rows written before are rolled back";
  EXPECT_FALSE(fs::exists(UpdateScriptFile()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.Shown("Ver 1.0.2のデータベース更新に失敗しました。(過年度残高の評価と修復)"));
  // The program's own attachment is gone again: isql can open the file.
  EXPECT_EQ(VersionOnlyStandIn({1, 0, 2}), kStepOk) << ErrDataup();
}

TEST_F(CompanyUpgrade102, TheRepairWritesTheSlotBeforeTheStart) {
  struct Case {
    const char* what;
    int dataType;
    bool fromFiscalStart;
    int kaisino;
    const char* kcode;
    int slot;
    int64_t expected;  // NUKIZAN of that slot after the step (the opening balance is 100)
  } cases[] = {
      {"from the fiscal start: balance-sheet account at slot 0", 1, true, 1, "1101", 0, 100},
      {"from the fiscal start: profit and loss untouched", 1, true, 1, "6202", 0, 0},
      {"individual from the fiscal start: owner's drawings untouched", 2, true, 1, "1306", 0, 0},
      {"mid-year from the seventh month: slot 8, profit and loss too", 1, false, 7, "6202", 8, 100},
      {"mid-year: individual's capital too", 2, false, 7, "2104", 8, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Prepare({1, 0, 1}, c.dataType);
    AccInf.DATATYPE = c.dataType;
    AccInf.KAISI = c.fromFiscalStart ? AccInf.KISHU : EncodeDate(2008, 10, 1);
    AccInf.KAISINO = c.kaisino;
    ASSERT_EQ(ExecUserDbUpdate102(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "1.0.2");
    EXPECT_EQ(Scalar(std::string("SELECT CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE SCODE='01' AND KCODE='") +
                     c.kcode + "' AND MNUM=" + std::to_string(c.slot)),
              c.expected);
  }
  // Only the system account names the program looks up are kept.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCDEF2"), 4);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCDEF2 WHERE KNAME='雑収入'"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME='ONE_TIME_PROC'"), 0);
}

TEST_F(CompanyUpgrade102, JournalTotalsAreRebuiltFromTheLiveLines) {
  Prepare({1, 0, 1}, 1, 1);
  ASSERT_EQ(ExecUserDbUpdate102(), kStepOk) << ErrDataup();
  // Totals with no journal behind them, and a department row without its blank sub-account row.
  Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK) VALUES ('01', ' ', '1101', ' ', 5, 999)");
  Exec("INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', ' ', 1, 5, 7, 7)");
  Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1102', '001', '01')");
  Exec("INSERT INTO TORDIC (REC, TEKCODE, KAR_KCODE, KAS_BCODE) VALUES (1, 5, '', '01')");
  Exec("DELETE FROM HOJOMST WHERE KCODE='8201' AND HCODE=' '");
  EXPECT_EQ(Call("SELECT RPCNT FROM SP_SIWAKE_REPAIR"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_MS WHERE KAR_NUK<>0 OR KAR_TAX<>0 OR KAS_NUK<>0 OR KAS_TAX<>0"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_TAX WHERE KAR<>0 OR KAS<>0"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE='01' AND KCODE='1102' AND HCODE=' ' AND BCODE='01'"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM HOJOMST WHERE KCODE='8201' AND HCODE=' '"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TORDIC WHERE TEKCODE IS NULL AND KAR_KCODE IS NULL AND KAS_BCODE='01'"), 1);
  // Every past-year slot of the blank sub-account of an existing combination is there.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_MS WHERE SCODE='01' AND KCODE='1101' AND HCODE=' ' AND BCODE=' '"), 16);

  // Two live entries and a deleted one; department 01's tax goes to the blank department (BUMON 1).
  Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM) VALUES ('01', '01', '6202', ' ', 5)");
  Exec("INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', ' ', 2, 5, 0, 0)");
  const char* lines[] = {
      "(1, 1, 0, 1, '2008-08-01', 5, '01', '6202', ' ', '01', 2, 1000, 80)",
      "(2, 1, 0, 2, '2008-08-01', 5, '01', '1101', ' ', ' ', 0, 1080, 0)",
      "(3, 2, 0, 1, '2008-08-02', 5, '01', '6202', ' ', '01', 2, 500, 40)",
      "(4, 2, 0, 2, '2008-08-02', 5, '01', '1101', ' ', ' ', 0, 540, 0)",
      "(5, 3, 1, 1, '2008-08-03', 5, '01', '6202', ' ', '01', 2, 9000, 720)",
      "(6, 3, 1, 2, '2008-08-03', 5, '01', '1101', ' ', ' ', 0, 9720, 0)",
  };
  for (const char* l : lines)
    Exec(std::string("INSERT INTO SIWAKE (REC, SWKREC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, "
                     "TAXUH, NUK, ZEI) VALUES ") + l);
  Exec("UPDATE KAMOKU_MS SET KAR_NUK=0, KAR_TAX=0, KAS_NUK=0, KAS_TAX=0");
  EXPECT_EQ(Call("SELECT RPCNT FROM SP_SIWAKE_REPAIR"), 4);
  EXPECT_EQ(Scalar("SELECT CAST(KAR_NUK + 100 * KAR_TAX AS INTEGER) FROM KAMOKU_MS WHERE SCODE='01' AND BCODE='01' "
                   "AND KCODE='6202' AND HCODE=' ' AND MNUM=5"),
            1500 + 100 * 120);
  EXPECT_EQ(Scalar("SELECT CAST(KAS_NUK AS INTEGER) FROM KAMOKU_MS WHERE SCODE='01' AND BCODE=' ' AND KCODE='1101' "
                   "AND HCODE=' ' AND MNUM=5"),
            1620);
  EXPECT_EQ(Scalar("SELECT CAST(KAR AS INTEGER) FROM KAMOKU_TAX WHERE SCODE='01' AND BCODE=' ' AND KKUBUN=2 AND MNUM=5"),
            120);
  EXPECT_EQ(Scalar("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE='01'"), 2);
  EXPECT_EQ(Scalar("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE='02'"), 0);
}

TEST_F(CompanyUpgrade102, ConvertedFixedAssetsMoveToAFixedAssetAccount) {
  Prepare({1, 0, 1});
  Exec("UPDATE ACCDEF1 SET CONVERT=1");
  Exec("UPDATE KAMOKUMST SET HOJOSW='○' WHERE KCODE='1401'");
  Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1401', '001', ' ')");
  Exec("INSERT INTO KS_SISAN (REC, SCODE, KCODE, HCODE, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
       "VALUES (1, '01', '1402', ' ', NULL, NULL, NULL, NULL)");
  Exec("INSERT INTO KS_SISAN (REC, SCODE, KCODE, HCODE, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, SYUNYUHCODE) "
       "VALUES (2, '01', '6202', ' ', NULL, NULL, NULL, NULL)");
  ASSERT_EQ(ExecUserDbUpdate102(), kStepOk) << ErrDataup();
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SISAN WHERE REC=1 AND KCODE='1402' AND HCODE=' ' AND ISINPSYUTOKIN=1"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SISAN WHERE REC=2 AND KCODE='1401' AND HCODE='001' AND ISINPSYUTOKIN=1"), 1);
}

// ------------------------------------------------------------------ 1.0.3

TEST_F(CompanyUpgrade103, BlankBranchRowsAndTheCapitalCarryIn) {
  for (int siten : {0, 1}) {
    SCOPED_TRACE(siten);
    Prepare({1, 0, 2}, 2);
    Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAKOZAN) VALUES (' ', '1101', ' ', ' ', 5)");
    Exec("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU) VALUES (' ', '1101', ' ', ' ', 0, 5, 5)");
    Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, BYOSAN) VALUES (' ', ' ', '1101', ' ', 1, 5)");
    Exec("UPDATE KAMOKU_PZ SET NUKIZAN=7 WHERE SCODE='01' AND KCODE='1101' AND MNUM=0");
    AccInf.SITEN = siten;
    ASSERT_EQ(ExecUserDbUpdate103(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "1.0.3");
    const int64_t kept = siten == 1 ? 0 : 1;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE=' ' AND KAKOZAN=5"), kept);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_PZ WHERE SCODE=' ' AND NUKIZAN=5 AND ZEIGAKU=5"), kept);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_MS WHERE SCODE=' ' AND BYOSAN=5"), kept);
    EXPECT_EQ(Scalar("SELECT CAST(NUKIZAN AS INTEGER) FROM KAMOKU_PZ WHERE SCODE='01' AND KCODE='1101' AND MNUM=0"), 7);
  }
  // Branch 01 keeps departments: one row per department. Its blank department holds 37
  // balance-sheet accounts of 100 each: 35 debit, the capital and retained earnings credit.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_MOTOIREKIN_KURIIRE('01')"), 3);
  EXPECT_EQ(Scalar("SELECT CAST(MOTOIREZAN AS INTEGER) * 1000000 + CAST(KIMATU_KARIZAN AS INTEGER) * 100 + "
                   "CAST(KIMATU_KASIZAN AS INTEGER) / 100 FROM SP_MOTOIREKIN_KURIIRE('01') WHERE BCODE=' '"),
            3300LL * 1000000 + 3500 * 100 + 2);
  ASSERT_EQ(Call("SELECT COUNT(*) FROM SP_MOTOIREKIN_KURIIRE('01')"), 3);
  EXPECT_EQ(Scalar("SELECT CAST(KAISIZAN AS INTEGER) FROM KAMOKU_SZ WHERE SCODE='01' AND BCODE=' ' AND KCODE='2104'"),
            3300);
  EXPECT_EQ(Scalar("SELECT CAST(KAISIZAN AS INTEGER) FROM KAMOKU_SZ WHERE SCODE='01' AND BCODE=' ' AND KCODE='1306'"),
            0);
  Exec("UPDATE ACCDEF1 SET DATATYPE=1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_MOTOIREKIN_KURIIRE('01')"), 0) << "a corporation has no capital to carry";
}

// ------------------------------------------------------------------ 1.0.5

TEST_F(CompanyUpgrade105, TotalNamesByTheKindOfCompany) {
  struct Case {
    int dataType, codeType;
    int64_t rows;
    const char* row10;  // PLUSNAME of REC 10, empty when there are no rows
  } cases[] = {
      {1, 1, 38, "資産の部合計"}, {2, 1, 31, "資産の部合計"}, {2, 2, 24, "資産の部合計"}, {3, 1, 0, ""}, {2, 3, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dataType) + "/" + std::to_string(c.codeType));
    Prepare({1, 0, 3});
    Exec("INSERT INTO ORGDIC_1 (REC, CREC, SORTCODE, TEXT) VALUES (3, 0, 3, '雑費')");
    AccInf.DATATYPE = c.dataType;
    AccInf.CODETYPE = c.codeType;
    ASSERT_EQ(ExecUserDbUpdate105(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "1.0.5");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCTOTALNAME"), c.rows);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCTOTALNAME WHERE VERSION<>1"), 0);
    if (c.rows > 0) {
      EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM ACCTOTALNAME WHERE REC=10 AND KGROUP='1900' AND PLUSNAME='") +
                       c.row10 + "' AND MINUSNAME=''"),
                1);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ORGDIC_1 WHERE CREC<>REC"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='JOBCONTROL'"), 4);
  }
}

// ------------------------------------------------------------------ 2.0.0

TEST_F(CompanyUpgrade200, ThresholdsBudgetAndVarianceItems) {
  Prepare({1, 0, 5});
  Exec("UPDATE KAMOKUMST SET VELKORAN_BADRATE=0.9, VELKORAN_BADKIND=1, VELKORAN_GOODRATE=1.2, VELKORAN_GOODKIND=0");
  Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, BYOSAN) VALUES ('01', ' ', '6202', ' ', 1, 5)");
  ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "2.0.0");
  // Only profit-and-loss accounts of the groups 4000 to 7000 keep their thresholds.
  struct Case {
    const char* kcode;
    bool kept;
  } cases[] = {{"1101", false}, {"2104", false}, {"5606", true}, {"6202", true}, {"8101", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kcode);
    const std::string k = c.kcode;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST WHERE KCODE='" + k +
                     "' AND VELKORAN_YOJITU_RATE1=0.9 AND VELKORAN_YOJITU_KIND1=1 AND VELKORAN_YOJITU_RATE2=1.2 AND "
                     "VELKORAN_YOJITU_KIND2=0"),
              c.kept ? 1 : 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST WHERE KCODE='" + k +
                     "' AND VELKORAN_YOJITU_RATE1 IS NULL AND VELKORAN_YOJITU_KIND1 IS NULL AND VELKORAN_YOJITU_RATE2 "
                     "IS NULL AND VELKORAN_YOJITU_KIND2 IS NULL"),
              c.kept ? 0 : 1);
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_MS WHERE RYOSAN=0 AND BYOSAN=5"), 1);
  EXPECT_EQ(Scalar("SELECT SUM(REC) FROM VELKORAN_YOJITUHENDOU"), 15);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_YOJITUHENDOU WHERE MEISHOU='限界利益' AND RATE1=0.95 AND KIND1=0 AND "
                   "RATE2=1.05 AND KIND2=1 AND REC=3"),
            1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_YOJITUHENDOU WHERE KIND1=1 AND RATE1=1.05 AND RATE2=0.95 AND KIND2=0"),
            2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME IN ('ACCDEF1_BEFORE_UPDATE', "
                   "'SIWAKE_AFTER_DELETE')"),
            0);
  // A general corporation's cash-flow statement gets its closing-balance line once.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMKU WHERE CM_REC=2 AND CF_KCODE='9999' AND CF_CAL='+' AND CF_CTYPE=1"),
            1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME='ONE_TIME_PROC'"), 0);
  // A new branch's partner-dictionary index rows, made by the branch's insert trigger, get their
  // labels; no row is added.
  Exec("INSERT INTO SISETUMST (SCODE, SNAME) VALUES ('09', 'x')");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TORDICTI WHERE SCODE='09'"), 50);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TORDICTI WHERE SCODE='09' AND ((SORTCODE=1 AND TEXT='あ') OR (SORTCODE=11 "
                   "AND TEXT='い') OR (SORTCODE=49 AND TEXT='ろ') OR (SORTCODE IN (18, 20, 30, 38, 40, 50) AND "
                   "TEXT='　'))"),
            9);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TORDICTI WHERE SCODE='09' AND TEXT<>''"), 50);
  // The last slot of the first n months counts the closing slot of every completed quarter.
  const int64_t lastSlot[] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 13, -1};
  for (int n = 0; n <= 14; ++n) {
    const int in = n == 14 ? -1 : n;
    EXPECT_EQ(Call("EXECUTE PROCEDURE SP_CONVERT_12TO16(" + std::to_string(in) + ")"), lastSlot[n]) << in;
  }
}

TEST_F(CompanyUpgrade200, CarryOverAddsTheTaxTableOfItsKindToEachSlot) {
  Prepare({1, 0, 5});
  ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
  for (const char* row : {"'01', ' ', 1, 3, 5, 7", "'01', ' ', 1, 16, 2, 0", "'01', ' ', 2, 3, 100, 100",
                          "'02', ' ', 1, 3, 100, 100", "'01', '00', 1, 3, 100, 100"})
    Exec(std::string("UPDATE OR INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES (") + row +
         ") MATCHING (SCODE, BCODE, KKUBUN, MNUM)");
  std::string args;
  for (int i = 0; i < 32; ++i) args += ", 1";
  const std::string call = "FROM SP_KURIKOSI_ZEIGAKU_ADD('01', ' ', 1" + args + ")";
  struct Case {
    const char* column;
    int64_t value;
  } cases[] = {{"RKAR03", 6}, {"RKAS03", 8}, {"RKAR16", 3}, {"RKAS16", 1}, {"RKAR01", 1}, {"RKAS04", 1}};
  for (const Case& c : cases) EXPECT_EQ(Scalar(std::string("SELECT ") + c.column + " " + call), c.value) << c.column;
  EXPECT_EQ(Scalar("SELECT COUNT(*) " + call), 1);
}

TEST_F(CompanyUpgrade200, DeletingAnEntryMarksBothLinesAndClearsTheLink) {
  Prepare({1, 0, 5});
  ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
  for (int rec = 1; rec <= 3; ++rec) {
    const std::string swk = rec == 3 ? "2" : "1";
    Exec("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, LINKKEY, LINKKUB, "
         "LINKREC, OPCODE) VALUES (" +
         std::to_string(rec) + ", " + swk + ", 1, 0, 1, '2008-05-10', 2, '01', '1101', 'K', 10, 7, 3)");
  }
  EXPECT_EQ(Call("SELECT RESULT+1 AS RES FROM SP_SIWAKE_DEL(1, 9)"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SIWAKE WHERE SWKREC=1 AND DELFLG=1 AND LINKKEY='' AND LINKKUB=0 AND "
                   "LINKREC=0 AND OPCODE=9 AND RTIME IS NOT NULL"),
            2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SIWAKE WHERE SWKREC=2 AND DELFLG=0 AND LINKKEY='K' AND OPCODE=3"), 1);
}

TEST_F(CompanyUpgrade200, DictionaryDepartmentsAndIndividualFixedAssetSettings) {
  struct Case {
    const char* what;
    int dataType;
    bool settingsChanged;
  } cases[] = {{"corporation", 1, false}, {"individual", 2, true}};
  int rec = 100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Prepare({1, 0, 5}, c.dataType);
    AccInf.DATATYPE = c.dataType;
    Exec("UPDATE KS_SETSWK_INIT SET GSKEIJYO=1, SYOKYAKU1_KCODE='6204'");
    Exec("INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('D1', 'a')");
    // A data set whose department key of the dictionaries no longer holds: only its name is
    // left, and one entry names a department that is gone.
    for (const char* t : {"TEKDIC", "TORDIC"}) {
      const std::string table = t;
      Exec("ALTER TABLE " + table + " DROP CONSTRAINT " + table + "_KAS_BCODE");
      Exec("ALTER TABLE " + table + " ADD CONSTRAINT " + table + "_KAS_BCODE CHECK (REC IS NOT NULL)");
      for (const char* b : {"'D1'", "'GONE'", "NULL"})
        Exec("INSERT INTO " + table + " (REC, KAS_BCODE) VALUES (" + std::to_string(++rec) + ", " + b + ")");
    }
    const int64_t group2 = Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE ACCGROUP=2");
    const int64_t all = Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT");
    ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "2.0.0");
    Exec("UPDATE BUMONMST SET BCODE='D9' WHERE BCODE='D1'");
    for (const char* t : {"TEKDIC", "TORDIC"}) {
      SCOPED_TRACE(t);
      const std::string table = t;
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM " + table + " WHERE KAS_BCODE='D9'"), 1);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM " + table + " WHERE KAS_BCODE IS NULL"), 2);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS C JOIN RDB$REF_CONSTRAINTS R ON "
                       "R.RDB$CONSTRAINT_NAME=C.RDB$CONSTRAINT_NAME WHERE C.RDB$RELATION_NAME='" + table +
                       "' AND C.RDB$CONSTRAINT_NAME='" + table +
                       "_KAS_BCODE' AND R.RDB$UPDATE_RULE='CASCADE' AND R.RDB$DELETE_RULE='SET NULL'"),
                1);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS WHERE RDB$CONSTRAINT_NAME='GAIKYOSYO_ITEM_CO010' "
                     "AND RDB$CONSTRAINT_TYPE='FOREIGN KEY'"),
              1);
    Exec("INSERT INTO GAIKYOSYO_ITEM (FORMVER, ID, ITEMNO, KCODE, HCODE) VALUES (1, 1, '01', '1102', '001')");
    Exec("DELETE FROM HOJOMST WHERE KCODE='1102' AND HCODE='001'");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GAIKYOSYO_ITEM"), 0);
    // An individual's second account group posts no transfer and depreciates into 6202.
    EXPECT_GT(group2, 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE GSKEIJYO=0 AND SYOKYAKU1_KCODE='6202'"),
              c.settingsChanged ? group2 : 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE GSKEIJYO=1 AND SYOKYAKU1_KCODE='6204'"),
              c.settingsChanged ? all - group2 : all);
  }
}

TEST_F(CompanyUpgrade200, BudgetsAreStoredAsRunningTotalsAndReadByMonth) {
  Prepare({1, 0, 5});
  ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
  for (const char* b : {" ", "00"})
    for (int slot = 1; slot <= 16; ++slot)
      Exec(std::string("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, BYOSAN, RYOSAN) VALUES ('01', '") + b +
           "', '6202', ' ', " + std::to_string(slot) + ", 7, 0)");
  const std::string stored = "SELECT CAST(RYOSAN AS INTEGER) FROM KAMOKU_MS WHERE SCODE='01' AND BCODE=' ' AND "
                            "KCODE='6202' ORDER BY MNUM";
  std::string tens, totals;
  for (int m = 1; m <= 12; ++m) {
    tens += ", 10";
    totals += ", " + std::to_string(10 * m);
  }
  struct Case {
    const char* what;
    int hassei;
    std::string values;
  } cases[] = {{"monthly amounts", 1, tens}, {"running totals", 0, totals}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Exec("UPDATE KAMOKU_MS SET RYOSAN=0");
    // A blank department given as '' is the blank department.
    Exec("EXECUTE PROCEDURE SP_UPDATE_YOSAN(1, " + std::to_string(c.hassei) + ", '01', '6202', ' ', ''" + c.values + ")");
    EXPECT_EQ(Rows(stored), "10 20 30 30 40 50 60 60 70 80 90 90 100 110 120 120");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_MS WHERE BYOSAN<>7 OR (BCODE='00' AND RYOSAN<>0)"), 0);
  }
  // The twelve months skip the closing slots; a blank department sums every department.
  Exec("UPDATE KAMOKU_MS SET RYOSAN=RYOSAN+1 WHERE BCODE='00'");
  const std::string read = "YOSAN01, YOSAN03, YOSAN04, YOSAN09, YOSAN12 FROM SP_YOSAN_READ(";
  EXPECT_EQ(Rows("SELECT " + read + "1, '01', ' ') WHERE KCODE='6202'"), "11:31:41:91:121");
  EXPECT_EQ(Rows("SELECT " + read + "0, '01', ' ') WHERE KCODE='6202'"), "14:14:14:14:14");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_YOSAN_READ(1, '01', ' ') WHERE KCODE='1101'"), 0) << "balance sheet";
}

// The data start in the fourth month: slots 1 to 4 come from the past-year balances.
TEST_F(CompanyUpgrade200, VarianceProfitAndLossFromJournalTotalsAndPastYearBalances) {
  Prepare({1, 0, 5});
  ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
  Exec("UPDATE KAMOKUMST SET DAC=1 WHERE KCODE='6107'");
  Exec("INSERT INTO HOJOMST (KCODE, HCODE, REC, HNAME) VALUES ('6107', '001', 200, 'x')");
  Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '6107', '001', ' ')");
  Exec("INSERT INTO SISETUGROUPLIST (GCODE, SCODE) VALUES ('G1', '01')");
  for (int slot = 1; slot <= 16; ++slot) {
    const std::string n = std::to_string(slot);
    Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, KAR_TAX, KAS_NUK, RYOSAN) VALUES ('01', ' ', "
         "'6107', ' ', " + n + ", " + std::to_string(100 * slot) + ", 10, 1, " + n + ")");
    Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK) VALUES ('01', ' ', '6107', '001', " + n +
         ", 7)");
  }
  const int64_t balances[] = {50, 80, 80, 130};
  for (int slot = 1; slot <= 4; ++slot)
    Exec("UPDATE KAMOKU_PZ SET NUKIZAN=" + std::to_string(balances[slot - 1]) +
         " WHERE SCODE='01' AND KCODE='6107' AND HCODE=' ' AND BCODE=' ' AND MNUM=" + std::to_string(slot));
  const std::string columns = "SELECT TRIM(HCODE), HOJCNT, HNAME, KAR01, KAR02, KAR03, KAR04, KAS04, KAR05, KAS05, "
                              "YOSAN05, YOSAN16 FROM SP_YOJITU_HENDOU_SONEKI(";
  struct Case {
    const char* call;
    const char* rows;
  } cases[] = {
      // The account row, its own row (the account's name) and the sub-account's.
      {"0, '', ''",
       ":2::50:30:0:50:0:517:1:5:0 :2:科目6107:50:30:0:50:0:510:1:5:16 001:2:x:0:0:0:0:0:7:0:0:0"},
      {"1, '01', 'G1'",
       ":2::50:30:0:50:0:507:1:5:0 :2:科目6107:50:30:0:50:0:500:1:5:16 001:2:x:0:0:0:0:0:7:0:0:0"},
      {"0, '02', ''", ""},
      {"0, '', 'G9'", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Rows(columns + c.call + ") WHERE KCODE='6107'"), c.rows) << c.call;
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_YOJITU_HENDOU_SONEKI(0, '', '') WHERE GROUPM0 NOT BETWEEN '4000' AND "
                   "'6100'"),
            0);

  // One department with the common department's allocation: 30 % to department 01, 70 % kept.
  for (const char* b : {"00", "01"}) {
    const std::string rate = std::string(b) == "00" ? "70" : "30";
    std::string haibun, values;
    for (int n = 1; n <= 16; ++n) {
      haibun += ", HAIBUN" + std::string(n < 10 ? "0" : "") + std::to_string(n);
      values += ", " + rate;
    }
    Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE" + haibun + ") VALUES ('01', '6107', ' ', '" + b + "'" +
         values + ")");
  }
  Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK) VALUES ('01', '01', '6107', ' ', 5, 10)");
  Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, RYOSAN) VALUES ('01', '00', '6107', ' ', 5, "
       "100, 50)");
  Exec("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, RYOSAN) VALUES ('01', '00', '6107', ' ', 16, 50)");
  for (int slot = 1; slot <= 4; ++slot)
    Exec("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES ('01', '6107', ' ', '00', " +
         std::to_string(slot) + ", " + (slot <= 2 ? "100" : "200") + ")");
  const std::string department = "SELECT KAR01, KAR02, KAR03, KAR05, YOSAN05, YOSAN16 FROM SP_YOJITU_HENDOUSONEKI_BUMON(";
  Case departments[] = {
      // Own 10 plus 30 % of 100; the past-year shares 30, 30, 60 give 30, 0, 30.
      {"1, 1, '01', '01'", "30:0:30:40:15:0"},
      {"1, 0, '01', '01'", "0:0:0:10:0:0"},
      {"1, 1, '01', '00'", "70:0:70:70:35:35"},
  };
  for (const Case& c : departments) EXPECT_EQ(Rows(department + c.call + ") WHERE KCODE='6107'"), c.rows) << c.call;
}

TEST_F(CompanyUpgrade200, YearChangeAndCarryOverBalances) {
  Prepare({1, 0, 5});
  ASSERT_EQ(ExecUserDbUpdate200(), kStepOk) << ErrDataup();
  Exec("DELETE FROM ACCDEF2 WHERE KCODE='2104'");
  Exec("INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('2104', '仮受消費税')");
  Exec("INSERT INTO HOJOMST (KCODE, HCODE, REC, HNAME) VALUES ('2104', '001', 200, 'x')");
  Exec("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES ('01', '2104', '001', ' ', 0)");
  for (const char* row : {"'1101', ' ', 1, 50, 5, 0, 0", "'1101', ' ', 3, 0, 0, 20, 0", "'1101', ' ', 17, 1000, 0, 0, 0",
                          "'2104', ' ', 1, 0, 0, 30, 3", "'2104', ' ', 16, 0, 0, 0, 0", "'2104', '001', 16, 0, 0, 0, 0",
                          "'6107', ' ', 1, 9, 0, 0, 0"})
    Exec(std::string("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, KAR_TAX, KAS_NUK, KAS_TAX) "
                     "VALUES ('01', ' ', ") + row + ")");
  Exec("INSERT INTO KAMOKU_TAX (SCODE, BCODE, KKUBUN, MNUM, KAR, KAS) VALUES ('01', ' ', 1, 1, 0, 40)");

  // The carry-over lists: only groups with a slot-16 row; net amounts add the tax table to the
  // suspense tax account's own row once.
  const std::string carry = "SELECT TRIM(HCODE), HOJCNT, BSPL, KAISIZAN, KAS01, KAR17, KAS19 FROM SP_KURIKOSIZANDAKA(";
  EXPECT_EQ(Rows(carry + "1, '01') WHERE KCODE='2104'"), ":1:B:100:70:0:0 001:1:B:0:0:0:0");
  EXPECT_EQ(Rows(carry + "0, '01') WHERE KCODE='2104'"), ":1:B:100:33:0:0 001:1:B:0:0:0:0");
  EXPECT_EQ(Rows(carry + "0, '01') WHERE KCODE='1101'"), "");
  EXPECT_EQ(Rows("SELECT TRIM(HCODE), KAISIZAN, KAS01 FROM SP_KURIKOSIBUMONZANDAKA(1, '01') WHERE KCODE='2104'"),
            ":100:70");

  // The year change: balance-sheet rows close their year into the opening balance, profit and
  // loss start again at 0; the tax table is not added again to the sub-account.
  const int64_t balanceRows =
      Scalar("SELECT COUNT(*) FROM KAMOKU_SZ Z JOIN KAMOKUMST K ON K.KCODE=Z.KCODE WHERE K.BPFLG='B'");
  const int64_t resultRows =
      Scalar("SELECT COUNT(*) FROM KAMOKU_SZ Z JOIN KAMOKUMST K ON K.KCODE=Z.KCODE WHERE K.BPFLG='P'");
  const std::string opening = "SELECT KCODE, TRIM(HCODE), CAST(KAISIZAN AS INTEGER) FROM KAMOKU_SZ WHERE SCODE='01' AND "
                              "KCODE IN ('1101', '2104', '6107') ORDER BY KCODE, HCODE";
  struct Case {
    int ptax;
    const char* opening;
  } cases[] = {{0, "1101::135 2104::133 2104:001:0 6107::0"}, {1, "1101::130 2104::170 2104:001:0 6107::0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ptax);
    Exec("UPDATE KAMOKU_SZ SET KAISIZAN=CASE WHEN HCODE=' ' THEN 100 ELSE 0 END");
    EXPECT_EQ(Call("SELECT BCOUNT FROM SP_SETHOJOKAISIZAN(" + std::to_string(c.ptax) + ")"), balanceRows);
    EXPECT_EQ(Rows(opening), c.opening);
    Exec("UPDATE KAMOKU_SZ SET KAISIZAN=CASE WHEN HCODE=' ' THEN 100 ELSE 0 END");
    EXPECT_EQ(Call("SELECT PCOUNT FROM SP_SETHOJOKAISIZAN(" + std::to_string(c.ptax) + ")"), resultRows);
  }
}

// ------------------------------------------------------------------ 2.0.4

TEST_F(CompanyUpgrade204, RelayAccountAndTheFixedAssetSettingsOfIndividuals) {
  struct Case {
    const char* what;
    int dataType, codeType, siten;
    bool has1401;
    int64_t settings;  // KS_SETSWK_INIT rows after the step
  } cases[] = {
      {"individual, other codes, no branches", 2, 2, 0, false, 35},
      {"individual, other codes, branches", 2, 2, 1, false, 35},
      {"already has 1401", 2, 2, 1, true, -1},
      {"corporation", 1, 2, 1, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Prepare({2, 0, 0}, c.dataType);
    AccInf.DATATYPE = c.dataType;
    AccInf.CODETYPE = c.codeType;
    AccInf.SITEN = c.siten;
    if (!c.has1401) Exec("DELETE FROM KS_SETSWK_INIT WHERE KCODE='1401'");
    const int64_t before = Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT");
    ASSERT_EQ(ExecUserDbUpdate204(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "2.0.4");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TUSIN_ID WHERE REC=1 AND HOLDER='' AND PASWORD=''"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SUITOTYO_SABUN"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT"), c.settings < 0 ? before : c.settings);
    if (c.settings > 0) {
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE ACCGROUP=2 AND KCODE IS NULL"), 4);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE KGROUP=0 AND KCODE IS NULL AND GSKEIJYO=1 AND "
                       "SYOKYAKU1_KCODE='6202' AND BAISONKCODE='1608' AND BAIEKIKCODE='2205'"),
                1);
      EXPECT_EQ(Scalar("SELECT MIN(REC) * 100 + MAX(REC) FROM KS_SETSWK_INIT"), 135);
      // Without branches the settings are made for the blank branch only.
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE<>' '") > 0, c.siten != 0);
    }
  }
}

namespace {

// Runs the journal writer's update of entry REC 1/2 on `file` and returns what it reports and
// leaves: NEWREC, NEWSWKREC, NEWSWKNO, UPREC, the link of the new debit row and of the old one,
// and the number of rows sharing the new SWKNO.
std::vector<int64_t> RunUpdate(const fs::path& file, int amount, const std::string& date, int fusen, int linkkub) {
  fixtures::DbSession s(file);
  s.Exec("SET GENERATOR SIWAKE_REC_GEN TO 1");
  s.Exec("DELETE FROM SIWAKE");
  s.Exec("DELETE FROM SIWAKE2");
  for (int side = 1; side <= 2; ++side) {
    const std::string k = side == 1 ? "'1101'" : "'8101'";
    const std::string rk = side == 1 ? "'8101'" : "'1101'";
    s.Exec("INSERT INTO SIWAKE (REC, SWKREC, SWKNO, DELFLG, TAISHAKU, HIZUKE, MNUM, KESSAN, SDAYNUM, DNUM, SNUM, SCODE, "
           "SITREC, KCODE, HCODE, BCODE, KNAME, HNAME, BNAME, TAXCODE, NUK, ZEI, R_KCODE, R_HCODE, R_BCODE, R_KNAME, "
           "R_HNAME, R_BNAME, R_TAXCODE, R_NUK, R_ZEI, KINGAKU, ZEIGAKU, TEKTEXT, TORTEXT, AUTCALCU, TAXCALCU, OLDRATE, "
           "LINKKEY, LINKKUB, LINKREC) VALUES (" +
           std::to_string(side) + ", 1, 1, 0, " + std::to_string(side) +
           ", '2008-05-10', 2, 0, 1, 0, 0, '01', 7, " + k + ", ' ', ' ', 'a', 'b', 'c', 0, 1000, 0, " + rk +
           ", ' ', ' ', 'a', 'b', 'c', 0, 1000, 0, 1000, 0, 't', 'u', 0, 0, 0, 'K', " + std::to_string(linkkub) +
           ", 0)");
    s.Exec("INSERT INTO SIWAKE2 (REC, SWKREC, LINKKEY, LINKKUB) VALUES (" + std::to_string(side) + ", 1, 'K', " +
           std::to_string(linkkub) + ")");
  }
  s.Commit();
  TIBSQL q;
  s.Prepare(q, "SELECT NEWREC, NEWSWKREC, NEWSWKNO, UPREC FROM SP_SIWAKE_UPD(1, 1, 1, 0, '" + date +
                   "', 2, 0, 1, 0, 0, 0, '01', '', '1101', ' ', ' ', 'a', 'b', 'c', 0, 0, 0, " + std::to_string(amount) +
                   ", 0, 0, 0, '', '8101', ' ', ' ', 'a', 'b', 'c', 0, 0, 0, " + std::to_string(amount) +
                   ", 0, 0, 0, " + std::to_string(amount) + ", 0, 0, 0, 0, 0, 0, 't', 0, 'u', " +
                   std::to_string(fusen) + ", 0, 0, 0, 0, NULL, NULL, NULL, 'K', " + std::to_string(linkkub) +
                   ", 0, 0, 0, 0, 1)");
  q.ExecQuery();
  std::vector<int64_t> out;
  for (const char* f : {"NEWREC", "NEWSWKREC", "NEWSWKNO", "UPREC"}) out.push_back(q.FieldByName(f).AsInteger());
  q.Close();
  s.Commit();
  const std::string newRec = std::to_string(out[0]);
  out.push_back(s.Scalar("SELECT LINKREC FROM SIWAKE WHERE REC=" + newRec));
  out.push_back(s.Scalar("SELECT LINKKUB + LINKREC FROM SIWAKE WHERE REC=1"));
  out.push_back(s.Scalar("SELECT COUNT(*) FROM SIWAKE WHERE SWKNO=" + std::to_string(out[2])));
  out.push_back(s.Scalar("SELECT FUSEN1 FROM SIWAKE WHERE REC=" + newRec));
  return out;
}

}  // namespace

TEST_F(CompanyUpgrade204, TheJournalUpdateAnswersAsOnANewDatabase) {
  Prepare({2, 0, 0});
  ASSERT_EQ(ExecUserDbUpdate204(), kStepOk) << ErrDataup();
  const fs::path fresh = tmp.Path() / "fresh.fdb";
  fixtures::CreateDatabaseFromSchema(fresh, "company.sql");
  {
    fixtures::DbSession s(fresh);
    s.Exec("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME) VALUES ('1101', '1101', '1100', 'a')");
    s.Exec("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME) VALUES ('8101', '8101', '8100', 'a')");
    s.Commit();
  }
  struct Case {
    const char* what;
    int amount;
    const char* date;
    int fusen, linkkub;
    std::vector<int64_t> expected;  // NEWREC, NEWSWKREC, NEWSWKNO, UPREC, new LINKREC, old link, rows of SWKNO, FUSEN1
  } cases[] = {
      {"same content with a sticky note keeps its keys", 1000, "2008-05-10", 3, 0, {1, 1, 1, 0, 0, 0, 2, 3}},
      {"an exchanged entry's new amount links the new pair to the old", 2000, "2008-05-10", 0, 10,
       {3, 2, 1, 0, 1, 0, 4, 0}},
      {"an ordinary entry's new amount", 2000, "2008-05-10", 0, 0, {3, 2, 1, 0, 0, 0, 4, 0}},
      {"a new date moves the history to the new entry number", 1000, "2008-06-01", 0, 0, {3, 2, 2, 0, 0, 0, 4, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RunUpdate(fresh, c.amount, c.date, c.fusen, c.linkkub), c.expected) << "new database";
    EXPECT_EQ(RunUpdate(file(), c.amount, c.date, c.fusen, c.linkkub), c.expected) << "upgraded database";
  }
}

TEST_F(CompanyUpgrade204, NewSubAccountRowsFollowTheDepartmentUse) {
  Prepare({2, 0, 0}, 1, 1);
  ASSERT_EQ(ExecUserDbUpdate204(), kStepOk) << ErrDataup();
  Exec("UPDATE ACCDEF1 SET HOJO_INS_MODE=0");
  for (const char* b : {"00", "01"}) {
    for (const char* k : {"1101", "6202"})
      Exec(std::string("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '") + k + "', ' ', '" + b +
           "')");
  }
  // With departments kept for profit and loss only, a balance-sheet account's new sub-account
  // gets the blank department alone; a profit-and-loss account's gets every department, the
  // common one with full allocation rates.
  struct Case {
    const char* kcode;
    int64_t rows, common;
  } cases[] = {{"1101", 1, 0}, {"6202", 3, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kcode);
    fixtures::DbSession s(file());
    const std::string k = c.kcode;
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_HOJO_KAMOKUSZ_INS('01', '" + k +
                       "', '009') WHERE OUT_SCODE='01' AND OUT_KCODE='" + k + "' AND OUT_HCODE='009'"),
              1);
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM KAMOKU_SZ WHERE KCODE='" + k + "' AND HCODE='009'"), c.rows);
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM KAMOKU_SZ WHERE KCODE='" + k + "' AND HCODE='009' AND BCODE='00' AND "
                       "KAISIZAN=0 AND KAKOZAN=0 AND HAIBUN01=100 AND HAIBUN16=100"),
              c.common);
  }
}

// ------------------------------------------------------------------ the whole chain

namespace {

class CompanyUpgrade20Chain : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
 protected:
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = company_->Folder().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.PcName = "PC01";
    SystemDef.TempDir = inst_->AppTempDir().string();
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    box = forms::CreateForm<TDbUpdateBox>(nullptr);
  }
  void TearDown() override {
    if (box) box->Free();
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

}  // namespace

// A data set at 0.1.0 taken through every company step up to 2.0.4 by the upgrade run.
TEST_F(CompanyUpgrade20Chain, FromA010DataSetTo204ThroughTheRun) {
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  InstallUserDbUpdateBuilders(list);
  for (const TDbUpdateListRec& r : list) ASSERT_TRUE(r.RunProc) << r.Version().Text();
  fs::remove(company_->DbFile());
  fixtures::CreateLegacyCompanyDatabase(company_->DbFile());
  {
    fixtures::DbSession s(company_->DbFile());
    for (const std::string& sql : BaseRows()) s.Exec(sql);
    s.Commit();
  }
  // The run ends with 2.0.4 here: the later steps leave the list.
  std::erase_if(box->UserList, [](const TDbUpdateListRec& r) { return TDbVersion{2, 0, 4} < r.Version(); });
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  ASSERT_TRUE(box->NeedUpdate);
  uitest::ModalScript script({[&](forms::TForm&) {
                                uitest::Click(box->cboxAgree);
                                uitest::Click(box->btnOk);
                              },
                              [&](forms::TForm&) {}});
  EXPECT_EQ(box->ShowModal(), 1);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(box->DbVersion.Text(), "2.0.4");
  int rows = 0;
  for (const TDbUpdateListRec& r : box->UserList) {
    if (r.Version() <= TDbVersion{2, 0, 4}) {
      const QTreeWidgetItem* item = box->ListView1->topLevelItem(rows++);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(item->text(2).toStdString(), "完了") << r.Version().Text();
    }
  }
  DM->AccDatDisconnect(company_->Folder().string(), false, false);
  fixtures::DbSession s(company_->DbFile());
  EXPECT_EQ(s.Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 20004);
}
