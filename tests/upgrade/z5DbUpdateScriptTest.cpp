// The script frame of an upgrade step and the isql runner, with Debian's isql on embedded
// databases: results 1, 16, 17 and 18, the error files and what is left in the work folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "platform/DateTime.h"
#include "platform/Encoding.h"
#include "platform/db/IBSQL.h"
#include "support/ScopedEnv.h"
#include "support/ScratchDb.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "upgrade/z5DbUpdateScript.h"

namespace fs = std::filesystem;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

class UpgradeScript : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    fs::create_directories(tmp.Path() / "work");
    SystemDef.PcName = "PC01";
    SystemDef.LogonId = 100000011;
    SystemDef.DbUser = "TALLIX";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    SystemDef.LogDir = (tmp.Path() / "log").string();
    UpdateScriptClock = [] {
      TDateTime t = 0;
      TryStrToDate("2024/04/01 09:05:07", t);
      return t;
    };
  }
  void TearDown() override {
    SystemDef = saved_;
    UpdateScriptClock = nullptr;
    UpdateIsqlProgram.clear();
  }

  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> names;
    // (The scratch databases' own folders lie there too.)
    for (const auto& e : fs::directory_iterator(tmp.Path() / "work")) {
      if (e.is_regular_file()) names.push_back(e.path().filename().string());
    }
    return names;
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
};

TEST_F(UpgradeScript, FramesMatchTheirGoldenFiles) {
  struct Case {
    const char* golden;
    TUpdateDb db;
    TDbVersion version;
    const char* host;
    uint8_t goGlobal;
    const char* password;
    std::vector<std::string> statements;
  } cases[] = {
      {"system_031_local.sql", TUpdateDb::System, {0, 3, 1}, "", 0, "mirsol",
       {"CREATE TABLE KENSAKUJYOKEN (OPCODE INTEGER NOT NULL);", "COMMIT;"}},
      {"system_402_host.sql", TUpdateDb::System, {4, 0, 2}, "dbhost", 0, "mi'rsol",
       {"UPDATE DATALIST SET SHOUGOU='株式会社';"}},
      {"system_904_local.sql", TUpdateDb::System, {9, 0, 4}, "", 0, "mirsol", {}},
      {"company_305_goglobal.sql", TUpdateDb::Company, {3, 0, 5}, "", 1, "mirsol", {"DELETE FROM OPINF;"}},
      {"company_306_local.sql", TUpdateDb::Company, {3, 0, 6}, "", 0, "mirsol", {"DELETE FROM OPINF;"}},
  };
  SystemDef.SysDir = "/srv/rendo/data";
  SystemDef.DataDir = "/srv/rendo/data/0001/";
  const fs::path golden = fixtures::SchemaDir().parent_path() / "tests" / "upgrade" / "golden";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    SystemDef.HostName = c.host;
    SystemDef.GoGlobal = c.goGlobal;
    SystemDef.DbPassword = c.password;
    TUpdateScript script(c.db, c.version);
    script.AddHeader();
    script.Lines.insert(script.Lines.end(), c.statements.begin(), c.statements.end());
    script.AddVersionLines();
    script.AddExit();
    ASSERT_TRUE(script.Save());
    EXPECT_EQ(TempDir::Read(UpdateScriptFile()), TempDir::Read(golden / c.golden));
    // Only its user may read a script that holds the database password.
    EXPECT_EQ(fs::status(UpdateScriptFile()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  }
}

TEST_F(UpgradeScript, UpdateFilesGiveTheirNonEmptyLinesInOrder) {
  const std::string a = tmp.Write("sql/802/sysup01.sql", sjis::FromUtf8("CREATE TABLE A (X INTEGER);\r\n\r\n-- 令和\r\n"));
  const std::string b = tmp.Write("sql/802/sysup02.sql", "\nINSERT INTO A VALUES (1);\nCOMMIT;");
  TUpdateScript script(TUpdateDb::System, {8, 0, 2});
  std::string missing;
  ASSERT_TRUE(script.AddUpdateFiles({a, b}, missing));
  EXPECT_EQ(script.Lines, (std::vector<std::string>{"CREATE TABLE A (X INTEGER);", "-- 令和", "INSERT INTO A VALUES (1);",
                                                    "COMMIT;"}));
  // A missing file adds nothing, and a step built from files then writes and runs nothing.
  EXPECT_FALSE(script.AddUpdateFiles({a, (tmp.Path() / "sql/802/none.sql").string()}, missing));
  EXPECT_EQ(missing, (tmp.Path() / "sql/802/none.sql").string());
  EXPECT_EQ(script.Lines.size(), 4u);
  EXPECT_EQ(RunUpdateFiles(TUpdateDb::System, {8, 0, 2}, {"no-such-file.sql"}), kStepFileMissing);
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_TRUE(ui.messages.empty());
}

class UpgradeScriptIsql : public UpgradeScript {
 protected:
  void SetUp() override {
    UpgradeScript::SetUp();
    db.Exec("CREATE TABLE ACCVERSION (REC INTEGER NOT NULL, MAJOR INTEGER, MINOR1 INTEGER, MINOR2 INTEGER, "
            "MEMO VARCHAR(20))");
    db.Exec("INSERT INTO ACCVERSION VALUES (1, 3, 0, 4, '')");
    // The engine is not to hold the file while isql works on it.
    db.db.Close();
    SystemDef.DataDir = db.tmp.Str();
    // The owner of the scratch database, so that isql may change it.
    SystemDef.DbUser = "GKFMCB";
    fw::AccDbFile = "qvacc.fdb";
  }

  std::string Version() {
    db.db.Open();
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db.db);
    tr.StartTransaction();
    TIBSQL q;
    q.SetDatabase(&db.db);
    q.SetTransaction(&tr);
    q.SQL = "SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION WHERE REC=1";
    q.ExecQuery();
    std::string v = TDbVersion{q.FieldByName("MAJOR").AsInteger(), q.FieldByName("MINOR1").AsInteger(),
                               q.FieldByName("MINOR2").AsInteger()}
                        .Text();
    q.Close();
    tr.Commit();
    db.db.Close();
    return v;
  }

  std::string ErrFile(const char* name) {
    const fs::path p = tmp.Path() / "log" / name;
    return fs::exists(p) ? TempDir::Read(p) : std::string();
  }

  ScratchDb db{"qvacc.fdb"};
};

TEST_F(UpgradeScriptIsql, ResultsOfTheRunner) {
  struct Case {
    const char* what;
    std::vector<std::string> statements;
    int32_t result;
    const char* version;  // read back afterwards
  } cases[] = {
      // The run stops at the failing statement: the version lines after it do not move the version.
      {"a failing statement", {"INSERT INTO NO_SUCH_TABLE VALUES (1);", "COMMIT;"}, kStepIsqlError, "3.0.4"},
      {"good statements", {"CREATE TABLE T1 (A INTEGER);", "COMMIT;"}, kStepOk, "3.0.5"},
      {"an error in lower case only", {"CREATE TABLE error_log (A INTEGER);", "COMMIT;"}, kStepOk, "3.0.5"},
      {"the word Error echoed", {"CREATE TABLE ErrorList (A INTEGER);", "COMMIT;"}, kStepIsqlError, nullptr},
  };
  int failures = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui.messages.clear();
    EXPECT_EQ(RunUpdateStatements(TUpdateDb::Company, {3, 0, 5}, c.statements), c.result);
    EXPECT_TRUE(WorkFiles().empty()) << ::testing::PrintToString(WorkFiles());
    if (c.version) {
      EXPECT_EQ(Version(), c.version);
    }
    if (c.result == kStepOk) {
      EXPECT_TRUE(ui.messages.empty());
      continue;
    }
    ++failures;
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Error);
    EXPECT_EQ(ui.MessageText(0), "Ver 3.0.5のデータベース更新に失敗しました。");
    const std::string txt = ErrFile("ErrDataup.txt");
    EXPECT_NE(txt.find(c.statements[0]), std::string::npos);
    EXPECT_NE(txt.find("PASSWORD '****'"), std::string::npos);
    EXPECT_EQ(txt.find("mirsol"), std::string::npos);
    // The history keeps every failure, one log after the other.
    const std::string log = ErrFile("ErrDataup.log");
    EXPECT_EQ(log.find("mirsol"), std::string::npos);
    EXPECT_EQ(log.size() >= txt.size() * failures, true);
    EXPECT_EQ(log.substr(log.size() - txt.size()), txt);
  }
}

TEST_F(UpgradeScriptIsql, NoIsqlAndNoScript) {
  UpdateIsqlProgram = (tmp.Path() / "no-isql").string();
  EXPECT_EQ(RunUpdateStatements(TUpdateDb::Company, {3, 0, 5}, {"COMMIT;"}), kStepIsqlNotStarted);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.MessageText(0), "ISQL.EXEが起動できません。\n処理を中止します。");
  // The script with the password is not left lying about.
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(Version(), "3.0.4");

  ui.messages.clear();
  UpdateIsqlProgram.clear();
  EXPECT_EQ(ExecIsqlScript("3.0.5"), kStepFileMissing);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.MessageText(0), "更新ファイル(" + UpdateScriptFile() + ")が見つかりません。\n処理を中止します。");
  EXPECT_EQ(ErrFile("ErrDataup.txt"), "");
}

}  // namespace
