// The engine's environment: file names in Japanese, databases shared between processes, the
// private root it runs from.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <fstream>

#include "platform/Process.h"
#include "platform/db/FbEnvironment.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "platform/db/IBServices.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kParams = {"user_name=GKFMCB", "password=mirsol", "lc_ctype=SJIS_0208"};
const std::vector<std::string> kServiceParams = {"user_name=GKFMCB", "password=mirsol"};

std::string ReadAll(const fs::path& p) { return TempDir::Read(p); }

int64_t Count(TIBDatabase& db, const std::string& sql) {
  TIBTransaction tr;
  tr.SetDefaultDatabase(&db);
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SetTransaction(&tr);
  q.SQL = sql;
  q.ExecQuery();
  const int64_t n = q.Fields(0).AsInteger();
  tr.Commit();
  return n;
}

std::vector<std::string> Drain(TIBControlService& svc) {
  std::vector<std::string> lines;
  while (!svc.Eof()) {
    std::string line = svc.GetNextLine();
    if (!svc.Eof()) lines.push_back(line);
  }
  return lines;
}

// Creates the database `db` names and runs a script on it.
void CreateWith(TIBDatabase& db, const std::string& name, const std::string& script) {
  db.DatabaseName = name;
  db.Params = kParams;
  db.CreateDatabase(8192);
  TIBScript s;
  s.Database = &db;
  s.Script = script;
  s.ExecuteScript();
}

// A folder as users name them; canonical, as the engine reports names.
fs::path JapaneseFolder(const TempDir& tmp, const std::string& rest) {
  const fs::path dir = fs::weakly_canonical(tmp.Path()) / "ユーザー" / "会計" / rest;
  fs::create_directories(dir);
  return dir;
}

}  // namespace

TEST(DbEnvironment, DatabasesAndServicesTakeJapaneseFileNames) {
  TempDir tmp;
  const std::string name = (JapaneseFolder(tmp, "0001") / "qvacc.fdb").string();
  {
    TIBDatabase db;
    CreateWith(db, name, "CREATE TABLE ACCDEF1 (SHOUGOU VARCHAR(60));\nINSERT INTO ACCDEF1 VALUES ('株式会社テスト商事');\n");
  }
  // Only the character type changed: numbers are still read and written the C way.
  EXPECT_TRUE(fbenv::Utf8CharacterType());
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");

  TIBDatabase db;
  db.DatabaseName = name;
  db.Params = kParams;
  db.Open();
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM ACCDEF1 WHERE SHOUGOU = '株式会社テスト商事'"), 1);

  // The services name the file as we do: the attached list, a backup, a restore, a validation.
  TIBServerProperties props;
  props.Params = kServiceParams;
  props.Attach();
  props.FetchDatabaseInfo();
  EXPECT_NE(std::find(props.DatabaseInfo.DbName.begin(), props.DatabaseInfo.DbName.end(), name),
            props.DatabaseInfo.DbName.end());
  props.Detach();
  db.Close();

  const std::string backup = (JapaneseFolder(tmp, "バックアップ") / "qvacc.fb_").string();
  const std::string restored = (JapaneseFolder(tmp, "復元") / "qvacc.fdb").string();
  TIBBackupService b;
  b.Params = kServiceParams;
  b.Attach();
  b.DatabaseName = name;
  b.BackupFile = {backup};
  b.Verbose = true;
  b.ServiceStart();
  Drain(b);
  b.Detach();
  ASSERT_TRUE(fs::exists(backup));

  TIBRestoreService r;
  r.Params = kServiceParams;
  r.Attach();
  r.BackupFile = {backup};
  r.DatabaseName = {restored};
  r.Options = TIBRestoreService::Replace | TIBRestoreService::CreateNewDB;
  r.ServiceStart();
  Drain(r);
  r.Detach();

  TIBValidationService v;
  v.Params = kServiceParams;
  v.Attach();
  v.DatabaseName = restored;
  v.Options = TIBValidationService::ValidateDB | TIBValidationService::ValidateFull;
  v.ServiceStart();
  for (const std::string& line : Drain(v)) EXPECT_EQ(line.find_first_not_of(" \t\r\n"), std::string::npos) << line;
  v.Detach();

  TIBDatabase copy;
  copy.DatabaseName = restored;
  copy.Params = kParams;
  copy.Open();
  EXPECT_EQ(Count(copy, "SELECT COUNT(*) FROM ACCDEF1 WHERE SHOUGOU = '株式会社テスト商事'"), 1);
}

// Another process of the installation (here isql, as an upgrade runs it) opens a database this
// process holds a transaction on, and both see each other's committed work.
TEST(DbEnvironment, AChildProcessOpensADatabaseThisProcessHoldsATransactionOn) {
  TempDir tmp;
  const std::string name = (JapaneseFolder(tmp, "0002") / "qvacc.fdb").string();
  TIBDatabase db;
  CreateWith(db, name, "CREATE TABLE T (N INTEGER);\nINSERT INTO T VALUES (1);\n");

  TIBTransaction held;
  held.SetDefaultDatabase(&db);
  held.StartTransaction();
  TIBSQL w;
  w.SetDatabase(&db);
  w.SetTransaction(&held);
  w.SQL = "UPDATE T SET N = 10 WHERE N = 1";
  w.ExecQuery();

  // The child sees the committed row, meets our lock on it (the two processes share one lock
  // folder), and adds a row of its own. isql takes its script from a file: it drops what is
  // not UTF-8 on standard input.
  const std::string script = tmp.Write("child.sql",
                                       "CONNECT '" + name + "';\n"
                                       "SET TRANSACTION NO WAIT;\n"
                                       "SELECT 'ROWS=' || COUNT(*) || ' N=' || MIN(N) FROM T;\n"
                                       "UPDATE T SET N = 11 WHERE N = 1;\n"
                                       "INSERT INTO T VALUES (3);\n"
                                       "COMMIT;\n");
  ProcessOptions o;
  o.argv = {"isql-fb", "-q", "-i", script};
  o.env = {{"ISC_USER", "GKFMCB"}, {"ISC_PASSWORD", "mirsol"}};  // the owner, as for every connection
  o.timeout = std::chrono::seconds(60);
  const ProcessResult child = RunProcess(o);
  ASSERT_TRUE(child.started) << child.error;
  EXPECT_NE(child.out.find("ROWS=1 N=1"), std::string::npos) << child.out << child.err;
  EXPECT_NE(child.err.find("update conflicts with concurrent update"), std::string::npos) << child.err;

  held.Commit();
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM T WHERE N IN (3, 10)"), 2);
  EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM T"), 2);

  // A program of ours started with another runtime folder (a test installation names one)
  // still finds this process's engine folder, and with it the same lock folder.
  ProcessOptions sh;
  sh.argv = {"sh", "-c", "printf %s \"$RENDO_FIREBIRD_DIR\""};
  sh.env = {{"RENDO_RUNTIME_DIR", tmp.Str()}, {"XDG_RUNTIME_DIR", tmp.Str()}};
  EXPECT_EQ(RunProcess(sh).out, fbenv::RootDir());
}

TEST(DbEnvironment, ARootIsMadeOfRealFilesAndBroughtUpToDate) {
  TempDir tmp;
  fbenv::RootLayout layout;
  layout.root = (tmp.Path() / "engine").string();
  layout.confLines = {"ServerMode = Classic"};
  const fs::path root = fbenv::BuildRoot(layout);
  EXPECT_EQ(root, fs::canonical(root));
  EXPECT_TRUE(fs::is_directory(root / "lock"));
  // Written through a symlink, a change would land in the installed configuration; through a
  // symlinked folder the character-set module would not load.
  for (const char* file : {"firebird.conf", "databases.conf", "plugins.conf", "intl/libfbintl.so"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / file))) << file;
  EXPECT_FALSE(fs::is_symlink(root / "intl"));
  EXPECT_NE(ReadAll(root / "plugins.conf").find("$(root)/udr"), std::string::npos);

  // A root thinned out by a clean-up, or built with other settings, is brought up to date.
  fs::remove(root / "intl" / "libfbintl.so");
  layout.confLines = {"ServerMode = Classic", "DefaultDbCachePages = 1024"};
  EXPECT_EQ(fbenv::BuildRoot(layout), root.string());
  EXPECT_TRUE(fs::is_regular_file(root / "intl" / "libfbintl.so"));
  const std::string conf = ReadAll(root / "firebird.conf");
  EXPECT_NE(conf.find("\nDefaultDbCachePages = 1024\n"), std::string::npos);
  EXPECT_EQ(conf.find(ReadAll(fs::path(fbenv::InstalledRoot()) / "firebird.conf")), 0u);  // the installed one first
}
