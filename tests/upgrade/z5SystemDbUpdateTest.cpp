// The system-database steps run with isql over a system database from before the first step.
#include <QImage>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/LegacySystemDb.h"
#include "platform/Encoding.h"
#include "platform/db/IBSQL.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5SystemDbUpdate.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"
#include "upgrade/z5MenuListOldHistory.h"

namespace fs = std::filesystem;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

class SystemUpgrade : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    savedMode_ = ConnectMode;
    savedOem_ = OemKind;
    ConnectMode = 0;
    OemKind = 0;
    SystemDef.SysDir = MadeDir(tmp.Path() / "data");
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    fw::SysDbFile = "qvaccdef.fdb";
    fixtures::CreateLegacySystemDatabase(file());
  }
  void TearDown() override {
    SystemDef = saved_;
    ConnectMode = savedMode_;
    OemKind = savedOem_;
  }
  fs::path file() const { return tmp.Path() / "data" / "qvaccdef.fdb"; }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  uint8_t savedMode_ = 0, savedOem_ = 0;
};

TEST_F(SystemUpgrade, StepsUpTo500BringTheListsAndPlacesAlong) {
  int32_t (*const steps[])() = {ExecSystemDbUpdate031, ExecSystemDbUpdate032, ExecSystemDbUpdate033,
                                ExecSystemDbUpdate101, ExecSystemDbUpdate300, ExecSystemDbUpdate305,
                                ExecSystemDbUpdate307, ExecSystemDbUpdate400, ExecSystemDbUpdate402,
                                ExecSystemDbUpdate500};
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(steps[i](), kStepOk) << TempDir::Read(tmp.Path() / "log" / "ErrDataup.txt");
  }
  EXPECT_TRUE(ui.messages.empty());
  // One version row per step, numbered by the trigger the first step creates.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VERSION"), 10);
  EXPECT_EQ(Scalar("SELECT SUM(REC) FROM VERSION"), 55);
  EXPECT_EQ(Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM VERSION WHERE REC=10"), 50000);
  // The system operator, without a password.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM OPERATOR WHERE GROUPID=10000 AND OPCODE=1 AND PASWORD=''"), 1);
  // Pages above level 1000 rotated once: 10 -> 11 -> 12 -> 10; lower levels untouched.
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=1"), 11);
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=2"), 12);
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=3"), 10);
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=4"), 10);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GENGO"), 4);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USERCODE"), 20);
  EXPECT_EQ(Scalar("SELECT RESERVE2 FROM SYSTEMINI WHERE REC=10"), 63);
  // The list tables carry every later column, filled.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATALIST WHERE DATACODE='' AND DATA_STATUS=0 AND UPDATE_LOCK=0 AND "
                   "YOBI3=''"),
            2);
  // A hundred data places: the standard one, then the folder followed by 01 .. 99.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATAPLACEMAN"), 100);
  EXPECT_EQ(Scalar("SELECT MIN(ORDERKBN)*1000+MAX(ORDERKBN) FROM DATAPLACEMAN"), 1100);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATAPLACEMAN WHERE ORDERKBN<>REC+1"), 0);
  {
    fixtures::DbSession s(file());
    TIBSQL q;
    s.Prepare(q, "SELECT NAME, PATH FROM DATAPLACEMAN WHERE REC IN (0, 7) ORDER BY REC");
    q.ExecQuery();
    EXPECT_EQ(q.FieldByName("PATH").AsString(), SystemDef.SysDir);
    EXPECT_EQ(q.FieldByName("NAME").AsString(), sjis::ByteLength(SystemDef.SysDir) > 40 ? "標準の場所" : SystemDef.SysDir);
    q.Next();
    EXPECT_EQ(q.FieldByName("PATH").AsString(), SystemDef.SysDir + "07");
    q.Close();
  }
  // The data-list procedure of the data places numbers on from the highest row.
  {
    fixtures::DbSession s(file());
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_DATALIST_INSERT(0, 'X:', 5)"), 3);
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_DATALIST_INSERT(3, 'Y:', 2)"), 2);  // a place of its own
  }
}

}  // namespace

namespace {

TEST(SystemUpgradeConversions, OldMenuSlotsAndDictionarySettings) {
  auto used = [](const std::vector<TMenuListRec>& list) {
    int n = 0;
    for (const TMenuListRec& r : list) n += r.ProgramId.empty() ? 0 : 1;
    return n;
  };
  EXPECT_EQ(OldMenuListA().size(), 200u);
  EXPECT_EQ(OldMenuListB().size(), 240u);
  EXPECT_EQ(used(OldMenuListA()), 94);
  EXPECT_EQ(used(OldMenuListB()), 123);
  struct Case {
    int level, page, menu, oem;
    const char* program;
    const char* option;
  } cases[] = {
      {1000, 1, 0, 0, "VqSiwake", "SyoriType=1"},
      {1000, 2, 0, 0, "VqHojinKessansyo", ""},
      {1001, 2, 0, 0, "VqMBKessansyo", ""},
      {1001, 2, 9, 0, "VqTouzaChoseihyo", "SyoriType=0"},
      {1000, 7, 16, 0, "VqUtiwake17", ""},
      {1000, 10, 1, 0, "VqVelkoran_HendouSoneki", ""},
      {1001, 10, 1, 0, "", ""},
      {1001, 11, 14, 0, "VqFuzokuR05", ""},
      {1001, 12, 11, 0, "VqGenkaKeisan11", ""},
      {1000, 11, 0, 0, "", ""},
      {5, 1, 15, 0, "", ""},
      {5, 1, 15, 1, "VqZenkokuSiwake", "SyoriType=1"},
      {5, 1, 17, 2, "VqKobetuIchiranhyo", ""},
      {1500, 1, 15, 1, "", ""},
      {5, 1, 1, 1, "VqSiwake", "SyoriType=0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.level) + " " + std::to_string(c.page) + "." + std::to_string(c.menu));
    std::string program = "x", option = "x";
    EXPECT_EQ(FindOldMenuProgram(c.level, c.page, c.menu, program, option, c.oem), c.program);
    EXPECT_EQ(program, c.program);
    EXPECT_EQ(option, c.option);
  }
  struct Dic {
    int autoKind, input;
    int dictionary, association, automatic, noInput;
  } dics[] = {
      {0, 0, 1, 0, 0, 0}, {0, 2, 1, 0, 0, 1}, {1, 0, 1, 0, 1, 0}, {2, 0, 0, 1, 1, 0}, {2, 1, 0, 1, 1, 1}, {3, 0, 1, 0, 0, 0},
  };
  for (const Dic& d : dics) {
    SCOPED_TRACE(std::to_string(d.autoKind) + "/" + std::to_string(d.input));
    const sysupdate::TDicSide s = sysupdate::DicSettings(d.autoKind, d.input);
    EXPECT_EQ(s.Dictionary, d.dictionary);
    EXPECT_EQ(s.Association, d.association);
    EXPECT_EQ(s.Automatic, d.automatic);
    EXPECT_EQ(s.NoInput, d.noInput);
  }
}

// The upgrade dialog brings a system database from before the first step to the newest one,
// as an administrator would: OK, and the fifteen steps run.
class SystemUpgradeRun : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.TempDir = inst_->AppTempDir().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.PcName = "PC01";
    OemKind = 0;
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    fs::remove(inst_->SystemDbFile());
    fixtures::CreateLegacySystemDatabase(inst_->SystemDbFile());
    // Our update files, where an installation has them.
    fs::remove_all(inst_->Root() / "sql");
    fs::copy(fixtures::SchemaDir().parent_path() / "sql", inst_->Root() / "sql", fs::copy_options::recursive);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    box = forms::CreateForm<TDbUpdateBox>(nullptr);
  }
  void TearDown() override {
    box->Free();
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    DataModuleTestBase::TearDown();
  }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(inst_->SystemDbFile());
    return s.Scalar(sql);
  }
  std::string Statuses() {
    std::string text;
    for (int r = 0; r < box->ListView1->topLevelItemCount(); ++r)
      text += box->ListView1->topLevelItem(r)->text(2).toStdString() + " ";
    return text;
  }
  int Run() {
    uitest::ModalScript script({[&](forms::TForm&) { uitest::Click(box->btnOk); }, [&](forms::TForm&) {}});
    const int result = box->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    return result;
  }

  ScriptedUi ui;
  ScopedUi useUi{ui};
  std::unique_ptr<fixtures::InstallationEnv> env_;
  TDbUpdateBox* box = nullptr;
};

TEST_F(SystemUpgradeRun, FromBeforeTheFirstStepToTheNewest) {
  box->PrepareUpdate(0, "");
  ASSERT_TRUE(box->NeedUpdate);
  ASSERT_EQ(box->ListView1->topLevelItemCount(), 15);
  EXPECT_EQ(Run(), 1) << TempDir::Read(inst_->LogDir() / "ErrDataup.txt");
  EXPECT_TRUE(ui.messages.empty()) << ui.MessageText(0);
  EXPECT_EQ(Statuses(), "完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 ");
  box->grab().toImage().save(QStringLiteral("upgrade_system_run.png"));
  EXPECT_TRUE(DM->IBDatabaseDEF.Connected());
  DM->IBDatabaseDEF.Close();

  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VERSION"), 15);
  EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT REC) * 1000 + MIN(REC) * 100 + MAX(REC) FROM VERSION"), 15115);
  EXPECT_EQ(Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM VERSION WHERE REC=15"), 90004);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATAPLACEMAN"), 100);
  EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT ORDERKBN) * 1000 + MIN(ORDERKBN) * 100 + MAX(ORDERKBN) FROM DATAPLACEMAN"),
            100200);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GENGO WHERE GNAME='令和' AND GSIGN='R' AND YEAROFFSET=2019"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GENGO"), 5);
  // The office details, one CR after each line, marked converted.
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT SSTR, RESERVE3 FROM SYSTEMINI WHERE REC=10");
    q.ExecQuery();
    EXPECT_EQ(q.FieldByName("SSTR").AsString(), "NAME=山田会計事務所\rJYUSHO=東京都\rTEL=03-0000-0000\r");
    EXPECT_EQ(q.FieldByName("RESERVE3").AsInteger(), 1);
    q.Close();
  }
  // The menu rights by program: rotated pages and both old tables.
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT LEVELNO, PROC_ID, PROC_OPTION FROM JOBCONTROL2 ORDER BY LEVELNO, PROC_ID");
    q.ExecQuery();
    std::string rows;
    while (!q.Eof()) {
      rows += q.FieldByName("LEVELNO").AsString() + " " + q.FieldByName("PROC_ID").AsString() + " " +
              q.FieldByName("PROC_OPTION").AsString() + ";";
      q.Next();
    }
    q.Close();
    EXPECT_EQ(rows,
              "100 VqSiwake SyoriType=1;100 VqSiwakeText SyoriType=2;1001 VqFuzokuM01 ;1001 VqGenkaKeisan02 ;"
              "1001 VqMBKessansyo ;");
  }
  // Eight dictionary settings per operator.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SYSREG WHERE SCODE LIKE '摘要＿%' OR SCODE LIKE '取引先＿%'"), 16);
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT OPCODE, SCODE, STEXT FROM SYSREG WHERE SCODE LIKE '%＿%' ORDER BY OPCODE, SCODE");
    q.ExecQuery();
    std::map<std::string, std::string> values;
    while (!q.Eof()) {
      values[q.FieldByName("OPCODE").AsString() + " " + q.FieldByName("SCODE").AsString()] =
          q.FieldByName("STEXT").AsString();
      q.Next();
    }
    q.Close();
    // Operator 10: descriptions by dictionary, automatically; partners without a setting.
    EXPECT_EQ(values["100000010 摘要＿辞書開く区分"], "1");
    EXPECT_EQ(values["100000010 摘要＿自動開く区分"], "1");
    EXPECT_EQ(values["100000010 取引先＿辞書開く区分"], "1");
    EXPECT_EQ(values["100000010 取引先＿自動開く区分"], "0");
    // Operator 11: descriptions without input; partners by association, automatically.
    EXPECT_EQ(values["100000011 摘要＿入力なし区分"], "1");
    EXPECT_EQ(values["100000011 摘要＿辞書開く区分"], "1");
    EXPECT_EQ(values["100000011 取引先＿辞書開く区分"], "0");
    EXPECT_EQ(values["100000011 取引先＿連想開く区分"], "1");
    EXPECT_EQ(values["100000011 取引先＿自動開く区分"], "1");
  }
  EXPECT_FALSE(fs::exists(inst_->AppTempDir() / "dataup.fbk"));
}

// The OEM editions: 4.0.2 writes only its version, 5.0.0 loads the code systems of its folder
// and sets the trial-balance output setting.
TEST_F(SystemUpgradeRun, OemEditionsLoadTheirCodeSystems) {
  OemKind = 1;
  box->PrepareUpdate(0, "");
  for (TDbUpdateListRec& step : box->SystemList) {
    if (step.Version() > TDbVersion{5, 0, 0}) step.RunProc = [] { return kStepFileMissing; };
  }
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    s.Exec("INSERT INTO SYSREG (OPCODE, SCODE, STYPE, STEXT) VALUES (100000010, '試算表集計出力区分', '整数', '0')");
    s.Commit();
  }
  box->BackupCount = 0;  // keep what the steps did
  EXPECT_EQ(Run(), 4);
  DM->IBDatabaseDEF.Close();
  EXPECT_EQ(Scalar("SELECT MAX(MAJOR*10000+MINOR1*100+MINOR2) FROM VERSION"), 50000);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='DATALIST' AND "
                   "RDB$FIELD_NAME='DATA_STATUS'"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USERCODE WHERE RECNO<=10 AND INIDAT1 IS NOT NULL AND DATATYPE>0"), 9);
  EXPECT_EQ(Scalar("SELECT DATATYPE*10+CODETYPE FROM USERCODE WHERE RECNO=9"), 22);
  EXPECT_EQ(Scalar("SELECT CAST(STEXT AS INTEGER) FROM SYSREG WHERE SCODE='試算表集計出力区分'"), 1);
}

TEST_F(SystemUpgradeRun, ABrokenUpdateFileLeavesTheDatabaseAsItWas) {
  std::ofstream(inst_->Root() / "sql" / "800" / "sysup01.sql", std::ios::trunc)
      << "ALTER TABLE NO_SUCH_TABLE ADD X INTEGER;\r\nCOMMIT;\r\n";
  box->PrepareUpdate(0, "");
  ASSERT_EQ(box->ListView1->topLevelItemCount(), 15);
  EXPECT_EQ(Run(), 4);
  EXPECT_EQ(Statuses(), "完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 完了 失敗   ");
  EXPECT_TRUE(ui.Shown("Ver 8.0.0のデータベース更新に失敗しました。"));
  EXPECT_TRUE(ui.Shown("システムデータの更新に失敗しました。"));
  DM->IBDatabaseDEF.Close();
  // Back before the first step: no version row, no data places.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VERSION"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='DATAPLACEMAN'"), 0);
  EXPECT_FALSE(fs::exists(inst_->AppTempDir() / "dataup.fbk"));
}

}  // namespace
