// The company-database upgrade steps 0.2.0 to 0.4.1, run with isql over a company database at
// 0.1.0, and the chain of the company steps from 0.1.0 to 0.4.1 through the upgrade run.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/LegacyCompanyDb.h"
#include "platform/DateTime.h"
#include "support/DataModuleTestBase.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"
#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate033.h"

namespace fs = std::filesystem;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

// TEST-ONLY STAND-IN, to be dropped once every company step up to 0.4.1 has its builder: a
// step without a builder in this branch moves the version and changes nothing else.
int32_t VersionOnlyStandIn(const TDbVersion& v) { return RunUpdateStatements(TUpdateDb::Company, v, {}); }

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
    AccInf.DATATYPE = 1;
    AccInf.CODETYPE = 1;
    ResetDbErrorTerminating();
    CreateDataModule();
    fixtures::CreateLegacyCompanyDatabase(file());
  }
  void TearDown() override {
    FreeDataModule();
    SystemDef = saved_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
    UpdateScriptClock = nullptr;
  }
  fs::path file() const { return tmp.Path() / "data" / "qvacc.fdb"; }
  // The steps 0.1.1 to 0.1.5, which step 0.2.2 builds on.
  void RunSteps01() {
    for (auto step : {ExecUserDbUpdate011, ExecUserDbUpdate012, ExecUserDbUpdate013, ExecUserDbUpdate014,
                      ExecUserDbUpdate015})
      ASSERT_EQ(step(), kStepOk) << ErrDataup();
  }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }
  void Exec(const std::vector<std::string>& statements) {
    fixtures::DbSession s(file());
    for (const std::string& sql : statements) s.Exec(sql);
    s.Commit();
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
  int64_t ViewHasColumn(const char* column) {
    return Scalar(std::string("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='KAMOKU_VIEW' AND "
                              "RDB$FIELD_NAME='") +
                  column + "'");
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
};

// ------------------------------------------------------------------ 0.2.x

class CompanyUpgrade02 : public CompanyUpgradeSteps {};

TEST_F(CompanyUpgrade02, FrameOnlyStepsWriteTheVersionWithTheRunsTime) {
  UpdateScriptClock = [] {
    TDateTime t = 0;
    TryStrToDate("2009/06/30 17:45:12", t);
    return t;
  };
  const struct {
    int32_t (*run)();
    const char* version;
  } steps[] = {{ExecUserDbUpdate020, "0.2.0"}, {ExecUserDbUpdate030, "0.3.0"}, {ExecUserDbUpdate032, "0.3.2"},
               {ExecUserDbUpdate040, "0.4.0"}};
  for (const auto& st : steps) {
    SCOPED_TRACE(st.version);
    Exec({"UPDATE ACCVERSION SET MEMO='' WHERE REC=1"});
    ASSERT_EQ(st.run(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), st.version);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCVERSION WHERE REC=1 AND MEMO='2009/06/30 17:45:12'"), 1);
  }
  EXPECT_TRUE(ui.messages.empty());
}

// The allocation rates of the current year's slots reach the two earlier years' slots of the
// same key; with departments in use, the past-year copies on the rows without a department
// are cleared.
TEST_F(CompanyUpgrade02, RepairOfThePastYearBalances) {
  struct Case {
    const char* what;
    bool departments;  // account 1101 of facility 01 also kept on department 01
  } cases[] = {{"with departments", true}, {"without departments", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(file());
    fixtures::CreateLegacyCompanyDatabase(file());
    std::vector<std::string> rows = {
        "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1101', ' ', ' ')",
        "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1102', ' ', ' ')",
    };
    if (c.departments) rows.push_back("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1101', ' ', '01')");
    const std::string pz = "INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU, HAIBUN) VALUES ";
    for (const char* r : {"('01', '1101', ' ', ' ', 3, 900, 9, 30)", "('01', '1101', ' ', ' ', -13, 500, 5, 0)",
                          "('01', '1101', ' ', ' ', -29, 700, 7, 0)", "('01', '1101', ' ', ' ', 0, 100, 1, 0)",
                          "('01', '1101', ' ', '01', 3, 400, 4, 60)", "('01', '1101', ' ', '01', -13, 200, 2, 0)",
                          // A key without a current-year row keeps its rates.
                          "('01', '1102', ' ', ' ', -5, 300, 3, 40)"})
      rows.push_back(pz + r);
    Exec(rows);
    ASSERT_EQ(ExecUserDbUpdate021(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "0.2.1");
    const std::string key = "FROM KAMOKU_PZ WHERE SCODE='01' AND HCODE=' ' AND ";
    EXPECT_EQ(Scalar("SELECT SUM(HAIBUN) " + key + "KCODE='1101' AND BCODE=' ' AND MNUM IN (-13, -29)"), 60);
    EXPECT_EQ(Scalar("SELECT HAIBUN " + key + "KCODE='1101' AND BCODE=' ' AND MNUM=0"), 0);
    EXPECT_EQ(Scalar("SELECT HAIBUN " + key + "KCODE='1101' AND BCODE='01' AND MNUM=-13"), 60);
    EXPECT_EQ(Scalar("SELECT HAIBUN " + key + "KCODE='1102' AND MNUM=-5"), 40);
    // The past-year balances of the blank department: cleared only when the account is kept by
    // department; the current year and the department rows stay.
    EXPECT_EQ(Scalar("SELECT SUM(NUKIZAN) + SUM(ZEIGAKU) " + key + "KCODE='1101' AND BCODE=' ' AND MNUM<=0"),
              c.departments ? 0 : 1313);
    EXPECT_EQ(Scalar("SELECT NUKIZAN " + key + "KCODE='1101' AND BCODE=' ' AND MNUM=3"), 900);
    EXPECT_EQ(Scalar("SELECT NUKIZAN " + key + "KCODE='1101' AND BCODE='01' AND MNUM=-13"), 200);
    EXPECT_EQ(Scalar("SELECT NUKIZAN " + key + "KCODE='1102' AND MNUM=-5"), 300);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME='ONE_TIME_PROC'"), 0);
  }
}

TEST_F(CompanyUpgrade02, TheAccountsGetAGroupColumnOfTheirOwn) {
  struct Case {
    const char* what;
    bool columnThere;
  } cases[] = {{"a database without the column", false}, {"a database that already has it", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(file());
    fixtures::CreateLegacyCompanyDatabase(file());
    ASSERT_NO_FATAL_FAILURE(RunSteps01());
    if (c.columnThere) {
      Exec({"ALTER TABLE KAMOKUMST ADD GROUPM0 AC_CODE"});
      Exec({"UPDATE KAMOKUMST SET GROUPM0='X'"});
    }
    ASSERT_EQ(ExecUserDbUpdate022(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "0.2.2");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
    if (c.columnThere) {
      // Only the version changes.
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST WHERE GROUPM0 <> 'X'"), 0);
      EXPECT_EQ(ViewHasColumn("GROUPM0"), 0);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME STARTING WITH 'UTIWAKE'"), 0);
    } else {
      // The chart settings start anew.
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='CHARTINF'"), 20);
      Exec({"INSERT INTO CHARTINF (OPCODE) VALUES (1)"});
      EXPECT_EQ(Scalar("SELECT BAKCOL + ECOL4 + THREE_D + HANREI FROM CHARTINF"), 16777215 + 16776960 + 21);
      // The fixed-asset journal defaults, numbered anew, and every facility's settings rebuilt.
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT"), 70);
      EXPECT_EQ(Scalar("SELECT MIN(REC) * 100 + MAX(REC) FROM KS_SETSWK_INIT"), 170);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE ACCGROUP=1 AND REC<=35"), 35);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK"), 64);
      EXPECT_EQ(Scalar("SELECT MIN(REC) FROM KS_SETSWK"), 1);
      // Afterwards a facility's fixed-asset accounts are those of the new group column.
      Exec({"UPDATE KAMOKUMST SET GROUPM0='1300' WHERE KCODE='1413'", "DELETE FROM KS_SETSWK WHERE SCODE='02'"});
      Exec({"EXECUTE PROCEDURE SP_KS_INSSETSWK_CALL_SISETU('02')"});
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE='02'"), 31);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE='02' AND KCODE='1413'"), 0);
      Exec({"UPDATE KAMOKUMST SET GROUPM0=GROUPM1 WHERE KCODE='1413'"});
      // The account-breakdown statement tables with their first rows.
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME STARTING WITH 'UTIWAKE'"), 27);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UTIWAKE10B WHERE YY='' AND MM='' AND SYURUI='' AND KINGAKU=0"), 12);
      EXPECT_EQ(Scalar("SELECT SUM(REC) FROM UTIWAKE10B"), 78);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UTIWAKE09B WHERE KIMATUZAN=0"), 4);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UTIWAKE05_INI WHERE REC=1 AND TANAOROSI=0 AND DD=''"), 1);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UTIWAKE17_TITLE WHERE TITLE5=''"), 1);
      EXPECT_EQ(Scalar("SELECT SOUGAKU_KEI + KAZOKU_KEI FROM UTIWAKE14B WHERE REC=1"), 0);
      for (const char* t : {"UTIWAKE_ORDER", "UTIWAKE01", "UTIWAKE12", "UTIWAKE17"}) {
        EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM ") + t), 0) << t;
      }
      // Computed totals.
      Exec({"INSERT INTO UTIWAKE12 (REC, URIAGE, TESURYO) VALUES (1, 5000, 150)",
            "INSERT INTO UTIWAKE14 (REC, SIYOUNIN, TEIKIDOUGAKU, JIZENTODOKE, RIEKIRENDOU, SONOTA, TAISYOKU) VALUES "
            "(1, 1, 20, 300, 4000, 50000, 600000)"});
      EXPECT_EQ(Scalar("SELECT GOUKEI FROM UTIWAKE12 WHERE REC=1"), 5150);
      EXPECT_EQ(Scalar("SELECT GOUKEI FROM UTIWAKE14 WHERE REC=1"), 54321);
      // A row's account and sub-account must exist, and let go when the sub-account goes.
      EXPECT_THROW(Exec({"INSERT INTO UTIWAKE01 (REC, KCODE, HCODE) VALUES (1, '1102', '999')"}), std::exception);
      Exec({"INSERT INTO UTIWAKE01 (REC, KCODE, HCODE, GINKOU) VALUES (1, '1102', '001', '第一')",
            "INSERT INTO UTIWAKE11 (REC, KCODE, HCODE) VALUES (1, '1102', ' ')"});
      Exec({"DELETE FROM HOJOMST WHERE KCODE='1102' AND HCODE='001'"});
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UTIWAKE01 WHERE REC=1 AND KCODE IS NULL AND HCODE IS NULL"), 1);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM UTIWAKE11 WHERE KCODE='1102' AND HCODE=' '"), 1);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS C JOIN RDB$REF_CONSTRAINTS R ON "
                       "R.RDB$CONSTRAINT_NAME=C.RDB$CONSTRAINT_NAME WHERE C.RDB$RELATION_NAME STARTING WITH 'UTIWAKE' "
                       "AND R.RDB$UPDATE_RULE='CASCADE' AND R.RDB$DELETE_RULE='SET NULL' AND C.RDB$CONSTRAINT_NAME IN "
                       "('UTIWAKE01_KAMOKU', 'UTIWAKE03_KAMOKU', 'UTIWAKE04A_KAMOKU', 'UTIWAKE04B_KAMOKU', "
                       "'UTIWAKE09_KAMOKU', 'UTIWAKE10_KAMOKU', 'UTIWAKE11_KAMOKU')"),
                7);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST"), static_cast<int64_t>(fixtures::LegacyCompanyChart().size()));
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST WHERE GROUPM0 IS DISTINCT FROM GROUPM1"), 0);
      EXPECT_EQ(ViewHasColumn("GROUPM0"), 1);
      EXPECT_EQ(Scalar("SELECT RDB$FIELD_POSITION FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='KAMOKU_VIEW' AND "
                       "RDB$FIELD_NAME='GROUPM0'"),
                2);
      Exec({"INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES ('01', '1401', '001', '00', 25)"});
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_VIEW WHERE SCODE='01' AND GROUPM0='1400' AND HCODE='001' AND "
                       "BCODE='00' AND KAISIZAN=25"),
                1);
    }
  }
}

TEST_F(CompanyUpgrade02, BlueReturnTablesAndTheCashFlowLayoutStartAnew) {
  ASSERT_NO_FATAL_FAILURE(RunSteps01());
  // What users entered before: blue-return settings, interest and rent rows, a changed layout.
  Exec({"INSERT INTO AO_SINKOKU (REC, GYOUSHUKUBUN) VALUES (1, 3)", "INSERT INTO AO_RISI (REC, KIMARU) VALUES (7, 100)",
        "INSERT INTO AO_FUDOUSAN (REC, KAISI) VALUES (1, '2008-04-01')", "DELETE FROM CASHFMKU WHERE CM_REC = 33",
        "UPDATE CASHFMST SET CM_NAME1 = 'x' WHERE CM_REC = 2"});
  ASSERT_EQ(ExecUserDbUpdate022(), kStepOk) << ErrDataup();
  // The settings keep their rows, not to be typed over by hand.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM AO_SINKOKU WHERE REC = 1 AND GYOUSHUKUBUN = 3 AND TEGAKI = 0"), 1);
  Exec({"INSERT INTO AO_SINKOKU (REC) VALUES (2)"});
  EXPECT_EQ(Scalar("SELECT TEGAKI FROM AO_SINKOKU WHERE REC = 2"), 0);
  // Two empty interest rows with the year-end borrowing; no rent rows, the lease by year and month.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM AO_RISI WHERE REC IN (1, 2) AND KIMATU IS NULL AND RISI IS NULL AND "
                   "KEIHI IS NULL AND SIHARAISAKI1 IS NULL"),
            2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM AO_RISI"), 2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM AO_FUDOUSAN"), 0);
  Exec({"INSERT INTO AO_FUDOUSAN (REC, KAISI_YY, SHUURYOU_MM, SIKIKIN) VALUES (1, 20, 3, 500)"});
  EXPECT_EQ(Scalar("SELECT KAISI_YY + KAISI_MM + SHUURYOU_YY + SHUURYOU_MM + NUMBER + SIKIKIN FROM AO_FUDOUSAN"), 523);
  // The default layout again, its account rows numbered from 1.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMST"), 102);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMST WHERE CM_NAME1 = 'x'"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMKU"), 502);
  EXPECT_EQ(Scalar("SELECT MIN(REC) * 1000 + MAX(REC) FROM CASHFMKU"), 1502);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CASHFMKU WHERE CM_REC = 33"),
            Scalar("SELECT COUNT(*) FROM CASHFMKU WHERE CM_REC = 76"));
  EXPECT_GT(Scalar("SELECT COUNT(*) FROM CASHFMKU WHERE CM_REC = 33"), 0);
}

// The procedures that read the account master, re-created by step 0.2.2 on a small chart of
// branch 01: cash 1101 (opening 1000), the bank 1102 with its sub-account 001, payables 2104,
// retained earnings 2205, the clearing account 8202, and the expense 6107 kept on the blank,
// the common "00" and the department 01 (rate 30 % in slot 2).
class CompanyUpgrade022Procs : public CompanyUpgrade02 {
 protected:
  void SetUp() override {
    CompanyUpgrade02::SetUp();
    ASSERT_NO_FATAL_FAILURE(RunSteps01());
    ASSERT_EQ(ExecUserDbUpdate022(), kStepOk) << ErrDataup();
    const std::string sz = "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN, HAIBUN02) VALUES ";
    const std::string pz = "INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU, HAIBUN) VALUES ";
    const std::string ms = "INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, BYOSAN) VALUES ";
    Exec({"UPDATE KAMOKUMST SET BPFLG = CASE WHEN KCODE < '4000' THEN 'B' ELSE 'P' END",
          "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('8202', '諸口')",
          "INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES ('2205', '繰越利益剰余金')",
          "INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '00')",
          "INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '01')",
          sz + "('01', '1101', ' ', ' ', 1000, 0)", sz + "('01', '1102', ' ', ' ', 0, 0)",
          sz + "('01', '1102', '001', ' ', 500, 0)", sz + "('01', '2104', ' ', ' ', 300, 0)",
          sz + "('01', '2205', ' ', ' ', 0, 0)", sz + "('01', '8202', ' ', ' ', 77, 0)",
          sz + "('01', '6107', ' ', ' ', 0, 0)", sz + "('01', '6107', ' ', '00', 20, 0)",
          sz + "('01', '6107', ' ', '01', 30, 30)", sz + "('01', '6109', ' ', ' ', 0, 0)",
          pz + "('01', '1101', ' ', ' ', -32, 1, 0, 0)", pz + "('01', '1101', ' ', ' ', -20, 2, 0, 0)",
          pz + "('01', '1101', ' ', ' ', 0, 4, 3, 0)", pz + "('01', '1101', ' ', ' ', 5, 32, 0, 0)",
          pz + "('01', '1101', ' ', ' ', 7, 8, 0, 0)", pz + "('01', '1101', ' ', ' ', 8, 16, 0, 0)",
          pz + "('01', '1102', ' ', ' ', -3, 10, 0, 0)",
          pz + "('01', '6107', ' ', '00', -3, 205, 0, 40)", pz + "('01', '6107', ' ', '01', -3, 50, 0, 30)",
          ms + "('01', '00', '6107', ' ', 2, 7, 1001)", ms + "('01', '01', '6107', ' ', 2, 5, 100)",
          ms + "('01', ' ', '1101', ' ', 2, 0, 70)"});
  }
  int64_t Cell(const std::string& column, const std::string& procedure, const std::string& where) {
    return Scalar("SELECT " + column + " FROM " + procedure + " WHERE " + where);
  }
};

TEST_F(CompanyUpgrade022Procs, EachIsReCreated) {
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME IN ('SP_BUMONKAISIZAN_COUNT', "
                   "'SP_BUMONKAISIZAN_LIST', 'SP_KAISIZAN_COUNT', 'SP_KAISIZAN_LIST', 'SP_KANENDOZAN_YOMIKOMI', "
                   "'SP_KANENDO_BUMON_GROUPZANDAKA', 'SP_KANENDO_BUMON_ZANDAKA', 'SP_KANENDO_ZANDAKA', "
                   "'SP_MB_SELECT_KANENDOZAN', 'SP_MB_SELECT_YOSAN', 'SP_MB_SELECT_YOSOKU', 'SP_MB_UPDATE_JISSEKIYOSAN', "
                   "'SP_SISANHYO_BUMON', 'SP_SISANHYO_BUMON_GROUP', 'SP_YOSAN_READ', 'SP_ZENKURI')"),
            16);
  // The view's readers now read its group column.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$DEPENDENCIES WHERE RDB$DEPENDED_ON_NAME='KAMOKU_VIEW' AND "
                   "RDB$FIELD_NAME='GROUPM0' AND RDB$DEPENDENT_NAME IN ('SP_BUMONKAISIZAN_LIST', 'SP_KAISIZAN_LIST', "
                   "'SP_KANENDOZAN_YOMIKOMI', 'SP_MB_SELECT_KANENDOZAN', 'SP_MB_SELECT_YOSAN', 'SP_MB_SELECT_YOSOKU')"),
            6);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$DEPENDENCIES WHERE RDB$DEPENDENT_NAME='SP_KAISIZAN_COUNT' AND "
                   "RDB$DEPENDED_ON_NAME='SP_KAISIZAN_LIST'"),
            1);
  // The department trial balance in the later steps' form runs on the new view.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_SISANHYO_BUMON(0, 1, '01', '01') WHERE KCODE = '6107'"), 1);
}

TEST_F(CompanyUpgrade022Procs, OpeningBalanceLists) {
  const std::string list = "SP_KAISIZAN_LIST('01', '')";
  // The clearing account never shows; the bank shows only by its sub-account.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM " + list + " WHERE KCODE = '8202'"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM " + list + " WHERE KCODE = '1102' AND HCODE = ' '"), 0);
  EXPECT_EQ(Cell("KAISIZAN", list, "KCODE = '1102' AND HCODE = '001'"), 500);
  EXPECT_EQ(Cell("KAISIZAN + BUMONZAN", list, "KCODE = '1101' AND KGROUP = '1100'"), 1000);
  EXPECT_EQ(Scalar("SELECT RECCOUNT FROM SP_KAISIZAN_COUNT('01', '')"), Scalar("SELECT COUNT(*) FROM " + list));
  // Department rows with the total over the departments; the common department's count.
  EXPECT_EQ(Cell("KAISIZAN * 1000 + BUMGOUKEI * 10 + HCNT", "SP_BUMONKAISIZAN_LIST('01')", "BCODE = '01'"), 30501);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_BUMONKAISIZAN_LIST('01') WHERE BCODE = ' '"), 0);
  EXPECT_EQ(Scalar("SELECT RECCOUNT FROM SP_BUMONKAISIZAN_COUNT('01')"), 1);
}

// Retained earnings take the opening balance sheet's difference, for a corporation only.
TEST_F(CompanyUpgrade022Procs, OpeningBalanceSheetCarriedIntoRetainedEarnings) {
  const struct {
    int dataType;
    int64_t rows, retained;
  } cases[] = {{2, 0, 5}, {1, 1, 1000 + 500 - 300}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataType);
    Exec({"UPDATE ACCDEF1 SET DATATYPE = " + std::to_string(c.dataType) + ", BUMON = 0",
          "UPDATE KAMOKU_SZ SET KAISIZAN = 5 WHERE KCODE = '2205'"});
    fixtures::DbSession s(file());
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_ZENKURI('01', '') WHERE BCODE = ' '"), c.rows);
    s.Commit();
    EXPECT_EQ(Scalar("SELECT KAISIZAN FROM KAMOKU_SZ WHERE SCODE = '01' AND KCODE = '2205'"), c.retained);
  }
}

TEST_F(CompanyUpgrade022Procs, PastYearBalancesStopAtTheStartMonth) {
  Exec({"UPDATE ACCDEF1 SET KAISINO = 6"});
  const std::string yomikomi = "SP_KANENDOZAN_YOMIKOMI('01', ' ')", zandaka = "SP_KANENDO_ZANDAKA('01')";
  const std::string cash = "KCODE = '1101' AND HCODE = ' '";
  const struct {
    std::string procedure, column, where;
    int64_t value;
  } cases[] = {
      // The input screen reads every slot before the start month's slot 8.
      {yomikomi, "ZANM32 + ZANM20 + ZANM00", cash, 7},
      {yomikomi, "ZANP05 + ZANP07", cash, 40},
      {yomikomi, "ZANP08", cash, 0},
      {yomikomi, "CAST(KGROUP AS INTEGER)", cash, 1100},
      // The reader stops below the start month's number, and budgets by slot.
      {zandaka, "ZANP05", cash, 32},
      {zandaka, "ZANP07", cash, 0},
      {zandaka, "YOSAN02", cash, 70},
      // A sub-account row starts from nothing, not from the account row before it.
      {zandaka, "ZANM03", "KCODE = '1102' AND HCODE = ' '", 10},
      {zandaka, "ZANM03", "KCODE = '1102' AND HCODE = '001'", 0},
      // One department: the common department's share by each row's own rate, rounded on its own;
      // budgets only with allocation.
      {"SP_KANENDO_BUMON_ZANDAKA('01', '01', 1)", "ZANM03", "KCODE = '6107'", 50 + 62},
      {"SP_KANENDO_BUMON_ZANDAKA('01', '01', 1)", "YOSAN02", "KCODE = '6107'", 100 + 300},
      {"SP_KANENDO_BUMON_ZANDAKA('01', '00', 1)", "ZANM03", "KCODE = '6107'", 82},
      {"SP_KANENDO_BUMON_ZANDAKA('01', '00', 1)", "YOSAN02", "KCODE = '6107'", 0},
      {"SP_KANENDO_BUMON_ZANDAKA('01', '01', 0)", "ZANM03 * 1000 + YOSAN02", "KCODE = '6107'", 50000},
      // Three years for the analysis, with tax unless asked without.
      {"SP_MB_SELECT_KANENDOZAN('01', '', 0)", "ZZZ_ZAN16 * 100 + ZZ_ZAN12 * 10 + Z_ZAN16", "KCODE = '1101'", 127},
      {"SP_MB_SELECT_KANENDOZAN('01', '', 1)", "Z_ZAN16 * 100 + T_ZAN5", "KCODE = '1101'", 432},
      {"SP_MB_SELECT_KANENDOZAN('01', '01', 1)", "Z_ZAN13", "KCODE = '6107' AND BCODE = '01'", 50},
      {"SP_MB_SELECT_KANENDOZAN('01', ' ', 1)", "Z_ZAN13", "KCODE = '6107' AND BCODE = ''", 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.procedure + " " + c.column);
    EXPECT_EQ(Cell(c.column, c.procedure, c.where), c.value);
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_MB_SELECT_KANENDOZAN('01', '', 0) WHERE KCODE = '1101'"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_MB_SELECT_KANENDOZAN('02', '', 0)"), 0);
}

TEST_F(CompanyUpgrade022Procs, BudgetsFromLastYearsActuals) {
  // Account 6109: monthly budgets of 10 (stored as running totals), last year's monthly actuals
  // 100 + the month (running totals too, the closing slots repeating the quarter's total).
  std::vector<std::string> rows;
  int64_t budget = 0, actual = 0;
  for (int slot = 1; slot <= 16; ++slot) {
    const int month = slot - (slot - 1) / 4;
    if (slot % 4 != 0) {
      budget += 10;
      actual += 100 + month;
    }
    rows.push_back("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, BYOSAN) VALUES ('01', ' ', '6109', ' ', " +
                   std::to_string(slot) + ", " + std::to_string(budget) + ")");
    rows.push_back("INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN, ZEIGAKU) VALUES ('01', '6109', ' ', "
                   "' ', " + std::to_string(slot - 16) + ", " + std::to_string(actual - 1) + ", 1)");
  }
  Exec(rows);
  Exec({"EXECUTE PROCEDURE SP_MB_UPDATE_JISSEKIYOSAN('01', '6109', '', 1.5, 4, 6)"});
  // Months 4 to 6 take 1.5 times last year's 104, 105 and 106 (157.5 rounds up); the others keep 10.
  const std::string read = "SP_YOSAN_READ('01', ' ')", sixNine = "KCODE = '6109'";
  const struct {
    int month;
    int64_t value;
  } cases[] = {{3, 30}, {4, 30 + 156}, {5, 186 + 158}, {6, 344 + 159}, {7, 513}, {12, 563}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.month);
    EXPECT_EQ(Cell((c.month < 10 ? "YOSAN0" : "YOSAN") + std::to_string(c.month), read, sixNine), c.value);
    EXPECT_EQ(Cell("T_YOSAN" + std::to_string(c.month), "SP_MB_SELECT_YOSAN('01', '')", sixNine), c.value);
  }
  // The group of departments: summed amounts and openings, without allocation.
  EXPECT_EQ(Cell("KAR02 * 1000 + KAISIZAN", "SP_SISANHYO_BUMON_GROUP(0, '01', 'G1')", "KCODE = '6107' AND HCODE = ''"),
            12050);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_MB_SELECT_YOSOKU('01', '') WHERE KCODE = '6109'"), 1);
}

// ------------------------------------------------------------------ 0.3.x

class CompanyUpgrade03 : public CompanyUpgradeSteps {};

TEST_F(CompanyUpgrade03, CommunicationFolderAndTheGroupsPastYearBalances) {
  ASSERT_EQ(ExecUserDbUpdate031(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "0.3.1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCDEF1 WHERE WEB_HOLDER=''"), 1);

  // Group G1 holds departments 00 and 01; department 02 lies outside it.
  std::vector<std::string> rows = {"INSERT INTO BUMONMST (BCODE, BNAME) VALUES ('02', '')",
                                   "INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '00')",
                                   "INSERT INTO GROUPLIST (GCODE, BCODE) VALUES ('G1', '01')"};
  for (const char* b : {"00", "01", "02"}) {
    rows.push_back(std::string("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1102', ' ', '") + b +
                   "')");
    rows.push_back(std::string("INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE) VALUES ('01', '1102', '001', '") + b +
                   "')");
  }
  const std::string pz = "INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES ";
  for (const char* r : {"('01', '1102', ' ', '00', -3, 100)", "('01', '1102', ' ', '01', -3, 250)",
                        "('01', '1102', ' ', '02', -3, 9000)", "('01', '1102', ' ', '00', -32, 7)",
                        "('01', '1102', ' ', '01', 15, 11)", "('01', '1102', ' ', '01', 16, 5000)",
                        "('01', '1102', '001', '00', 5, 40)"})
    rows.push_back(pz + r);
  rows.push_back("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, BYOSAN) VALUES ('01', '00', '1102', ' ', 2, 300)");
  Exec(rows);
  const struct {
    const char* hcode;
    const char* column;
    int64_t value;
  } cases[] = {
      {" ", "ZANM03", 350}, {" ", "ZANM32", 7},  {" ", "ZANP15", 11}, {" ", "YOSAN02", 300}, {" ", "ZANP05", 0},
      // The next sub-account's slots read its own rows only.
      {"001", "ZANP05", 40}, {"001", "ZANM03", 0}, {"001", "YOSAN02", 0},
  };
  fixtures::DbSession s(file());
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_KANENDO_BUMON_GROUPZANDAKA('01', 'G1')"), 2);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hcode) + " " + c.column);
    EXPECT_EQ(s.Scalar(std::string("SELECT ") + c.column + " FROM SP_KANENDO_BUMON_GROUPZANDAKA('01', 'G1') WHERE "
                       "KCODE='1102' AND USERCODE='1102' AND HCODE='" + c.hcode + "'"),
              c.value);
  }
}

// The past balance flag of an account row: the largest non-zero past-year balance of its key,
// the opening of the year before left out.
TEST_F(CompanyUpgrade03, ThePastBalanceFlagFollowsTheBalances) {
  ASSERT_EQ(ExecUserDbUpdate031(), kStepOk) << ErrDataup();
  const std::string pz = "INSERT INTO KAMOKU_PZ (SCODE, KCODE, HCODE, BCODE, MNUM, NUKIZAN) VALUES ";
  Exec({"INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAKOZAN) VALUES ('01', '1101', ' ', ' ', 77)",
        "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAKOZAN) VALUES ('01', '1101', ' ', '01', 66)",
        pz + "('01', '1101', ' ', ' ', -32, 0)", pz + "('01', '1101', ' ', ' ', -5, 0)",
        pz + "('01', '1101', ' ', ' ', -4, 0)", pz + "('01', '1101', ' ', '01', -5, 0)"});
  const struct {
    const char* what;
    const char* sql;
    int64_t kakozan;  // of the blank department's row afterwards
  } cases[] = {
      {"another column changes", "UPDATE KAMOKU_PZ SET ZEIGAKU=3 WHERE BCODE=' ' AND MNUM=-5", 77},
      {"the same balance again", "UPDATE KAMOKU_PZ SET NUKIZAN=0 WHERE BCODE=' ' AND MNUM=-5", 77},
      {"a balance", "UPDATE KAMOKU_PZ SET NUKIZAN=120 WHERE BCODE=' ' AND MNUM=-5", 120},
      {"a smaller one beside it", "UPDATE KAMOKU_PZ SET NUKIZAN=80 WHERE BCODE=' ' AND MNUM=-4", 120},
      {"the opening of the year before", "UPDATE KAMOKU_PZ SET NUKIZAN=999 WHERE BCODE=' ' AND MNUM=-32", 120},
      {"the largest one zeroed", "UPDATE KAMOKU_PZ SET NUKIZAN=0 WHERE BCODE=' ' AND MNUM=-5", 80},
      {"the last one zeroed", "UPDATE KAMOKU_PZ SET NUKIZAN=0 WHERE BCODE=' ' AND MNUM=-4", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Exec({c.sql});
    EXPECT_EQ(Scalar("SELECT KAKOZAN FROM KAMOKU_SZ WHERE SCODE='01' AND KCODE='1101' AND BCODE=' '"), c.kakozan);
    // Another department's row is not touched.
    EXPECT_EQ(Scalar("SELECT KAKOZAN FROM KAMOKU_SZ WHERE SCODE='01' AND KCODE='1101' AND BCODE='01'"), 66);
  }
}

TEST_F(CompanyUpgrade03, SystemAccountCodesAndTheQuickAssetClass) {
  // A database whose system account names are not unique.
  Exec({"ALTER TABLE ACCDEF2 DROP CONSTRAINT PK_ACCDEF2"});
  Exec({"INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('諸口', '9999')", "INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('諸口', '1101')",
        "INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('元入金', NULL)",
        "INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, GROUPM2, KNAME) VALUES ('1141', '1141', '1100', '1140', 'a')",
        "INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, GROUPM2, KNAME) VALUES ('1147', '1147', '1100', '1140', 'b')",
        "INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, GROUPM2, KNAME) VALUES ('1144', '1144', '1100', '1140', 'c')"});
  std::vector<std::string> layout;
  for (const char* t : {"EXTERA4", "EXTERA3"}) {
    for (int rec = 1; rec <= 13; ++rec) {
      layout.push_back(std::string("INSERT INTO ") + t + " (REC, SUBREC, KGROUP) VALUES (" + std::to_string(rec) +
                       ", 0, '1100')");
    }
  }
  Exec(layout);
  ASSERT_EQ(ExecUserDbUpdate034(), kStepOk) << ErrDataup();
  EXPECT_EQ(Version(), "0.3.4");
  const struct {
    const char* name;
    const char* code;
  } names[] = {{"諸口", "1101"}, {"元入金", ""}, {"なし", ""}};
  for (const auto& n : names) {
    SCOPED_TRACE(n.name);
    EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM SYSKMKCODEINF('") + n.name + "')"), 1);
    EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM SYSKMKCODEINF('") + n.name + "') WHERE CODE='" + n.code + "'"),
              1);
  }
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST WHERE GROUPM2='1130'"), 2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKUMST WHERE KCODE='1144' AND GROUPM2='1140'"), 1);
  for (const char* t : {"EXTERA4", "EXTERA3"}) {
    SCOPED_TRACE(t);
    EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM ") + t + " WHERE KGROUP='1130' AND SUBREC=REC-6 AND REC BETWEEN 7 "
                     "AND 12"),
              6);
    EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM ") + t + " WHERE KGROUP='1100' AND SUBREC=0"), 7);
  }
}

TEST_F(CompanyUpgrade03, ManagementAnalysisRatesByAccountCode) {
  const userupdate::TVelkoranRates gain{"0.95", 0, "1.05", 1}, cost{"1.05", 1, "0.95", 0}, none{"0", 0, "0", 0};
  const struct {
    const char* kcode;
    userupdate::TVelkoranRates rates;
  } cases[] = {
      {"1101", gain}, {"3501", gain}, {"4115", gain}, {"7106", gain}, {"8101", gain}, {"2104", cost}, {"5609", cost},
      {"6225", cost}, {"7201", cost}, {"8205", cost}, {"8304", cost}, {"9999", none},
  };
  for (const auto& c : cases) EXPECT_EQ(userupdate::VelkoranRatesOf(c.kcode), c.rates) << c.kcode;

  // Each chart's block: one line, one statement per standard account, the search keys on the
  // accounts that have one.
  const struct {
    void (*add)(userupdate::Lines&);
    size_t accounts;
    size_t keys;
    const char* sample;
  } blocks[] = {
      {userupdate::SetVelkoranKamokuCorp, 250, 155,
       "UPDATE KAMOKUMST SET KKANA='chins'  ,Velkoran_BadRate=1.05 ,Velkoran_BadKind=1 ,Velkoran_GoodRate=0.95 "
       ",Velkoran_GoodKind=0   WHERE KCODE ='5609';"},
      {userupdate::SetVelkoranKamokuKojin, 222, 108,
       "UPDATE KAMOKUMST SET KKANA=''  ,Velkoran_BadRate=0.95 ,Velkoran_BadKind=0 ,Velkoran_GoodRate=1.05 "
       ",Velkoran_GoodKind=1   WHERE KCODE ='1103';"},
      {userupdate::SetVelkoranKamokuFudousan, 162, 83,
       "UPDATE KAMOKUMST SET KKANA='syoku'  ,Velkoran_BadRate=0 ,Velkoran_BadKind=0 ,Velkoran_GoodRate=0 "
       ",Velkoran_GoodKind=0   WHERE KCODE ='9999';"},
  };
  for (const auto& b : blocks) {
    userupdate::Lines lines;
    b.add(lines);
    ASSERT_EQ(lines.size(), 1u);
    const std::string& text = lines[0];
    size_t statements = 0, empty = 0;
    for (size_t at = text.find("UPDATE "); at != std::string::npos; at = text.find("UPDATE ", at + 1)) ++statements;
    for (size_t at = text.find("KKANA=''"); at != std::string::npos; at = text.find("KKANA=''", at + 1)) ++empty;
    EXPECT_EQ(statements, b.accounts);
    EXPECT_EQ(statements - empty, b.keys);
    EXPECT_NE(text.find(b.sample), std::string::npos) << b.sample;
    EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos);
  }
  // The corporation's capital accounts in their own order.
  userupdate::Lines corp;
  userupdate::SetVelkoranKamokuCorp(corp);
  std::string order;
  for (size_t at = corp[0].find("KCODE ='3"); at != std::string::npos; at = corp[0].find("KCODE ='3", at + 1))
    order += corp[0].substr(at + 8, 4) + " ";
  EXPECT_EQ(order, "3101 3111 3201 3401 3402 3202 3203 3301 3302 3303 3304 3305 3306 3314 3313 3309 3310 3311 3312 "
                   "3315 3316 3317 3501 ");
}

TEST_F(CompanyUpgrade03, ManagementAnalysisSettingsByKindOfData) {
  const struct {
    int dataType, codeType;
    const char* set;  // KKANA, rates of the accounts afterwards; "" = untouched
    const char* a4101;
    const char* a5609;
    const char* a8101;
    const char* a9999;
  } cases[] = {
      {1, 1, "corporation", "KKANA='uriag' AND VELKORAN_BADRATE=0.95 AND VELKORAN_BADKIND=0",
       "KKANA='chins' AND VELKORAN_BADRATE=1.05 AND VELKORAN_BADKIND=1 AND VELKORAN_GOODRATE=0.95 AND "
       "VELKORAN_GOODKIND=0",
       "KKANA='kotei' AND VELKORAN_BADRATE=0.95 AND VELKORAN_BADKIND=0 AND VELKORAN_GOODRATE=1.05 AND "
       "VELKORAN_GOODKIND=1",
       "KKANA='syoku' AND VELKORAN_BADRATE=0 AND VELKORAN_BADKIND=0 AND VELKORAN_GOODRATE=0 AND VELKORAN_GOODKIND=0"},
      {2, 2, "real estate", "KKANA='chint' AND VELKORAN_GOODRATE=1.05", "KKANA='' AND VELKORAN_BADRATE IS NULL",
       "KKANA='' AND VELKORAN_BADRATE IS NULL", "KKANA='syoku' AND VELKORAN_BADRATE=0"},
      {3, 1, "medical: the general chart", "KKANA='uriag'", "KKANA='' AND VELKORAN_BADRATE=1.05",
       "KKANA='' AND VELKORAN_BADRATE IS NULL", "KKANA='syoku'"},
      {2, 3, "no block", "KKANA='' AND VELKORAN_BADRATE IS NULL", "VELKORAN_BADRATE IS NULL",
       "VELKORAN_BADRATE IS NULL", "VELKORAN_BADRATE IS NULL"},
      {2, 4, "no block", "VELKORAN_BADRATE IS NULL", "VELKORAN_BADRATE IS NULL", "VELKORAN_BADRATE IS NULL",
       "VELKORAN_BADRATE IS NULL"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set + std::string(" ") + std::to_string(c.codeType));
    fs::remove(file());
    fixtures::CreateLegacyCompanyDatabase(file(), c.dataType);
    Exec({"INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME) VALUES ('4101', '4101', '4100', '売上')",
          "INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME) VALUES ('5609', '5609', '5600', '賃借料')",
          "INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME) VALUES ('9999', '9999', '9900', '諸口')"});
    AccInf.DATATYPE = c.dataType;
    AccInf.CODETYPE = c.codeType;
    ASSERT_NO_FATAL_FAILURE(RunSteps01());
    ASSERT_EQ(ExecUserDbUpdate022(), kStepOk) << ErrDataup();
    ASSERT_EQ(ExecUserDbUpdate033(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "0.3.3");
    const struct {
      const char* kcode;
      const char* where;
    } accounts[] = {{"4101", c.a4101}, {"5609", c.a5609}, {"8101", c.a8101}, {"9999", c.a9999}};
    for (const auto& a : accounts) {
      EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM KAMOKUMST WHERE KCODE='") + a.kcode + "' AND " + a.where), 1)
          << a.kcode << ": " << a.where;
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU_COL"), 8);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU_COL WHERE REC=NUM AND (REC<>8 OR MEISHOU='２期平均')"), 8);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU"), 35);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE BADRATE=1.05 AND BADKIND=1 AND GOODRATE=0.95 AND "
                     "GOODKIND=0"),
              5);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE REC=20 AND BUNRUI=3 AND TANIMEI='％' AND "
                     "GROUPA1='1400' AND GROUPA2='1800' AND GROUPB1='3100' AND GROUPB2='3340'"),
              1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE REC=27 AND GROUPA1='' AND GROUPB2=''"), 1);
  }
}

// The proprietor's capital takes the year-end balances of an individual's balance-sheet
// accounts; the drawings and the owner's loan start again from zero.
TEST_F(CompanyUpgrade03, CapitalCarryIn) {
  struct Case {
    const char* what;
    int dataType;
    int bumon;
    int64_t rows;
  } cases[] = {{"a corporation", 1, 0, 0}, {"an individual without departments", 2, 0, 1},
               {"an individual by department", 2, 2, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(file());
    fixtures::CreateLegacyCompanyDatabase(file(), c.dataType, c.bumon);
    ASSERT_NO_FATAL_FAILURE(RunSteps01());
    ASSERT_EQ(ExecUserDbUpdate022(), kStepOk) << ErrDataup();
    ASSERT_EQ(ExecUserDbUpdate033(), kStepOk) << ErrDataup();
    std::vector<std::string> rows = {
        "INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('元入金', '3101')",
        "INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('事業主貸', '1320')",
        "INSERT INTO ACCDEF2 (KNAME, KCODE) VALUES ('事業主借', '2121')",
        "UPDATE KAMOKUMST SET BPFLG='B' WHERE KCODE IN ('1101', '2104')",
        "UPDATE KAMOKUMST SET BPFLG='P' WHERE KCODE='6107'",
    };
    for (const char* a : {"3101 2", "1320 1", "2121 2"}) {
      const std::string k(a, 4);
      rows.push_back("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM0, GROUPM1, KNAME, DAC, BPFLG) VALUES ('" + k +
                     "', '" + k + "', '" + k.substr(0, 2) + "00', '" + k.substr(0, 2) + "00', 'k', " + (a + 5) +
                     ", 'B')");
      // (Its blank sub-account comes from the account trigger.)
    }
    const std::string sz = "INSERT INTO KAMOKU_SZ (SCODE, KCODE, HCODE, BCODE, KAISIZAN) VALUES ";
    for (const char* r : {"('01', '3101', ' ', ' ', 1000)", "('01', '1320', ' ', ' ', 300)",
                          "('01', '2121', ' ', ' ', 200)", "('01', '1101', ' ', ' ', 5000)",
                          "('01', '2104', ' ', ' ', 700)", "('01', '6107', ' ', ' ', 9000)",
                          "('01', '3101', ' ', '00', 50)", "('01', '1320', ' ', '00', 30)",
                          "('01', '3101', ' ', '01', 70)", "('02', '3101', ' ', ' ', 1)"})
      rows.push_back(sz + r);
    Exec(rows);
    fixtures::DbSession s(file());
    // One call: the procedure writes the balances it carries.
    // Blank department: debit 5000 + 300, credit 1000 + 200 + 700, so 1000 + 3400 + 200 - 300.
    // Departments 00 and 01 come out at 0; 01, without a drawings row, reads 0 for it, not 00's.
    const int64_t expected = c.rows == 0 ? 0 : c.rows == 1 ? 1 : 111;
    EXPECT_EQ(s.Scalar("SELECT COALESCE(SUM(CASE "
                       "WHEN BCODE=' ' AND MOTOIREZAN=4300 AND KIMATU_MOTOIREZAN=1000 AND KIMATU_JIGYOKASIZAN=300 AND "
                       "KIMATU_JIGYOKARIZAN=200 AND KIMATU_KARIZAN=5300 AND KIMATU_KASIZAN=1900 THEN 1 "
                       "WHEN BCODE='00' AND MOTOIREZAN=0 AND KIMATU_MOTOIREZAN=50 AND KIMATU_JIGYOKASIZAN=30 AND "
                       "KIMATU_KARIZAN=30 AND KIMATU_KASIZAN=50 THEN 10 "
                       "WHEN BCODE='01' AND MOTOIREZAN=0 AND KIMATU_MOTOIREZAN=70 AND KIMATU_JIGYOKASIZAN=0 AND "
                       "KIMATU_KARIZAN=0 AND KIMATU_KASIZAN=70 THEN 100 "
                       "ELSE 1000 END), 0) FROM SP_MOTOIREKIN_KURIIRE('01')"),
              expected);
    s.Commit();
    fixtures::DbSession after(file());
    const std::string kept = c.rows > 0 ? "4300" : "1000";
    EXPECT_EQ(after.Scalar("SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE='01' AND BCODE=' ' AND KCODE='3101' AND "
                           "KAISIZAN=" + kept),
              1);
    EXPECT_EQ(after.Scalar("SELECT SUM(KAISIZAN) FROM KAMOKU_SZ WHERE SCODE='01' AND BCODE=' ' AND KCODE IN ('1320', "
                           "'2121')"),
              c.rows > 0 ? 0 : 500);
    EXPECT_EQ(after.Scalar("SELECT KAISIZAN FROM KAMOKU_SZ WHERE SCODE='02' AND KCODE='3101'"), 1);
  }
}

// ------------------------------------------------------------------ 0.4.x

class CompanyUpgrade04 : public CompanyUpgradeSteps {};

TEST_F(CompanyUpgrade04, TheAuditChecklistByDataType) {
  ASSERT_EQ(ExecUserDbUpdate013(), kStepOk) << ErrDataup();
  const struct {
    int dataType;
    const char* ledgers;  // MOT_KCODE of rows 8, 9, 10, 12
  } cases[] = {{1, "1306 1101 6206 6212"}, {2, "2104 1101 6109 6107"}, {3, "2104 1101 6109 6107"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataType);
    AccInf.DATATYPE = c.dataType;
    // Run twice: the second run replaces the first one's rows.
    for (int run = 0; run < 2; ++run) ASSERT_EQ(ExecUserDbUpdate041(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "0.4.1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM"), 12);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE REC=JUNJO AND PRINT=0 AND CHECKMARK=0 AND SWK_KENSAKU IS "
                     "NULL AND MOT_KENSAKU IS NULL AND MOT_HCODE IS NULL AND MOT_BCODE IS NULL AND TOZ_HCODE IS NULL "
                     "AND TOZ_BCODE IS NULL"),
              12);
    const int recs[] = {8, 9, 10, 12};
    for (int i = 0; i < 4; ++i) {
      const std::string code = std::string(c.ledgers).substr(static_cast<size_t>(i) * 5, 4);
      EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE CHOUBO=2 AND REC=" + std::to_string(recs[i]) +
                       " AND MOT_KCODE='" + code + "'"),
                1)
          << recs[i];
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE MOT_KCODE IS NULL"), 8);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE REC=3 AND CHOUBO=3 AND TOZ_KCODE='1102' AND KENSAKU=0"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE TOZ_KCODE IS NULL"), 11);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE KENSAKU=1 AND CHOUBO=1 AND REC IN (1, 11)"), 2);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE REC=10 AND TEXT='資本的支出の確認' AND NOTE='修繕費の中に"
                     "資本的支出（維持管理・原状回復費用）が含まれているかどうかを確認しました。'"),
              1);
  }
}

// ------------------------------------------------------------------ the chain through the run

TEST_F(CompanyUpgrade04, BuildersUpTo041AreInstalled) {
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  InstallUserDbUpdateBuilders(list);
  for (const char* v : {"0.2.0", "0.2.1", "0.2.2", "0.3.0", "0.3.1", "0.3.2", "0.3.3", "0.3.4", "0.4.0", "0.4.1"}) {
    bool found = false;
    for (const TDbUpdateListRec& r : list) {
      if (r.Version().Text() == v) found = static_cast<bool>(r.RunProc);
    }
    EXPECT_TRUE(found) << v;
  }
}

// The company steps from a database at 0.1.0 to 0.4.1 as the upgrade run applies them: the
// builders of this build, and the stand-in for a step whose builder is still missing here.
class CompanyUpgrade04Run : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
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
    fs::remove(company_->DbFile());
    fixtures::CreateLegacyCompanyDatabase(company_->DbFile());
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

  std::unique_ptr<fixtures::InstallationEnv> env_;
  TDbUpdateBox* box = nullptr;
};

TEST_F(CompanyUpgrade04Run, TheChainFrom010To041) {
  ASSERT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
  box->PrepareUpdate(1, "");
  ASSERT_EQ(box->DbVersion.Text(), "0.1.0");
  ASSERT_TRUE(box->NeedUpdate);
  int32_t last = -1;
  for (int32_t i = box->FirstIndex; i <= box->LastIndex; ++i) {
    TDbUpdateListRec& step = box->UserList[static_cast<size_t>(i)];
    const TDbVersion v = step.Version();
    if (TDbVersion{0, 4, 1} < v) break;
    last = i;
    if (!step.RunProc) step.RunProc = [v] { return VersionOnlyStandIn(v); };
  }
  ASSERT_EQ(box->UserList[static_cast<size_t>(last)].Version().Text(), "0.4.1");
  // The run ends at 0.4.1.
  box->LastIndex = last;
  const int32_t rows = last - box->FirstIndex + 1;
  EXPECT_EQ(rows, 15);
  DM->AccDatDisconnect(company_->Folder().string(), false, false);
  const int32_t result = box->ExecuteUpdate();
  for (const auto& m : ui_.messages) {
    for (const auto& l : m.lines) ADD_FAILURE() << l << " " << m.detail;
  }
  ASSERT_EQ(result, 1);
  for (int32_t r = 0; r < rows; ++r) {
    QTreeWidgetItem* item = box->ListView1->topLevelItem(r);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(2).toStdString(), "完了") << item->text(0).toStdString();
  }
  EXPECT_TRUE(ui_.messages.empty());
  const fs::path db = company_->DbFile();
  EXPECT_EQ(Scalar(db, "SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 401);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM KAMOKUMST WHERE GROUPM0 IS DISTINCT FROM GROUPM1"), 0);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='KAMOKU_VIEW' AND "
                       "RDB$FIELD_NAME='GROUPM0'"),
            1);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM ACCDEF1 WHERE WEB_HOLDER=''"), 1);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM KANSA_ITEM"), 12);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM KS_SETSWK_INIT"), 70);
}

}  // namespace
