// Validation of company databases, and backups and restores of data sets on a database server
// (a loopback server with our file routines): through the file-manager database's transfer
// table, and through the backup tool when that database is not there.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "DataModuleTestEnv.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction2Win.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Breaks the first record of the first data page of a user table that holds records.
void Damage(const std::string& dbFile) {
  std::fstream f(dbFile, std::ios::in | std::ios::out | std::ios::binary);
  unsigned char header[32];
  f.read(reinterpret_cast<char*>(header), sizeof header);
  const size_t pageSize = header[16] | (header[17] << 8);
  ASSERT_GE(pageSize, 1024u);
  std::string page(pageSize, '\0');
  f.seekg(static_cast<std::streamoff>(pageSize));
  for (std::streamoff at = static_cast<std::streamoff>(pageSize); f.read(page.data(), static_cast<std::streamsize>(pageSize));
       at += static_cast<std::streamoff>(pageSize)) {
    const auto u = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(page[i])); };
    const unsigned relation = u(20) | (u(21) << 8);
    const unsigned count = u(22) | (u(23) << 8);
    if (page[0] != 5 || relation < 128 || count == 0) continue;
    page[24] = static_cast<char>(0xF0);
    page[25] = static_cast<char>(0x1F);
    f.seekp(at);
    f.write(page.data(), static_cast<std::streamsize>(pageSize));
    return;
  }
  FAIL() << "no data page";
}

class DbValidation : public DataModuleTest {};

TEST_F(DbValidation, ASoundDatabaseIsTrueAndADamagedCopyFalse) {
  const std::string sound = CopyCompany("sound");
  const std::string damaged = CopyCompany("damaged");
  Damage(damaged + "/qvacc.fdb");
  // A company connection is closed for the check and opened again after it.
  ASSERT_TRUE(DM->fnAccDatConnected("", sound, false));
  EXPECT_TRUE(DM->ValidateFDB(TDM::kProtocolLocal, "", sound + "/qvacc.fdb"));
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  const struct {
    std::string file;
    bool result;
  } cases[] = {
      {damaged + "/qvacc.fdb", false},
      {sound + "/qvacc.fdb", true},
      // A file the engine cannot reach is not known to be damaged.
      {inst_->Root().string() + "/missing/qvacc.fdb", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(DM->ValidateFDB(TDM::kProtocolLocal, "", c.file), c.result);
  }
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

// ---------------------------------------------------------------------------------------------
// A database server

class BackupRestoreServer : public DataModuleTest {
 protected:
  static void SetUpTestSuite() {
    DataModuleTest::SetUpTestSuite();
    server_ = new FirebirdServer(FirebirdServer::FileRoutines());
    const std::string sysDb = inst_->Info().DataDefFile;
    // A system folder with the file-manager database, and one without it.
    for (const fs::path& dir : {Sys(), SysWithoutFileMan()}) {
      fs::create_directories(dir);
      fs::copy_file(inst_->SystemDbFile(), dir / sysDb);
      std::vector<std::pair<std::string, std::string>> scripts = {{sysDb, "system_udr.sql"}};
      if (dir == Sys()) {
        fs::copy_file(inst_->FileManDbFile(), dir / "qvfileman.fdb");
        scripts.push_back({"qvfileman.fdb", "fileman_udr.sql"});
      }
      for (const auto& [file, script] : scripts) server_->DeclareFileRoutines(dir / file, script);
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    DataModuleTest::TearDownTestSuite();
  }
  void SetUp() override {
    DataModuleTest::SetUp();
    ConnectMode = 1;
    SystemDef.HostName = server_->Host();
    SystemDef.SysDir = Sys().string();
    SystemDef.SrvWorkDir = (server_->DataDir() / "work").string();
    SystemDef.WorkDir = local_.Str();
  }
  void TearDown() override {
    DM->IBFileMan.Close();
    DM->IBDatabaseDEF.Close();
    ConnectMode = 0;
    DataModuleTest::TearDown();
  }

  static fs::path Sys() { return server_->DataDir() / "sys"; }
  static fs::path SysWithoutFileMan() { return server_->DataDir() / "sys2"; }


  // A company data set on the server (its path there), with a row in its operation log.
  std::string ServerData(const std::string& name) {
    const fs::path dir = server_->DataDir() / name;
    fs::create_directories(dir);
    fs::copy_file(company_->DbFile(), dir / "qvacc.fdb");
    fixtures::DbSession s(Remote((dir / "qvacc.fdb").string()));
    s.Exec("INSERT INTO OPINF(OPCODE,JOBNAME,PCNAME) VALUES (11,'仕訳入力','PC01')");
    s.Commit();
    return (dir / "qvacc.fdb").string();
  }
  std::string ServerTarget(const std::string& name) {
    fs::create_directories(server_->DataDir() / name);
    return (server_->DataDir() / name / "qvacc.fdb").string();
  }
  static std::string Remote(const std::string& file) { return server_->Host() + ":" + file; }
  static int64_t RemoteScalar(const std::string& file, const std::string& sql) {
    fixtures::DbSession s(Remote(file));
    return s.Scalar(sql);
  }
  static std::string Accdef1(const std::string& file) {
    fixtures::DbSession s(Remote(file));
    TIBSQL q;
    s.Prepare(q, "SELECT * FROM ACCDEF1 WHERE REC=1");
    q.ExecQuery();
    std::string row;
    for (int i = 0; i < q.FieldCount(); ++i) row += q.Fields(i).AsString() + "|";
    return row;
  }

  static void Run(TBackupRestoreThread& t) {
    t.Resume();
    while (!t.IsTerminated()) WaitWithMessages(300);
  }
  void Prepare(TBackupRestoreThread& t, int mode, const std::string& db, const std::string& backup) {
    t.Mode = mode;
    t.Remote = 1;
    t.Host = server_->Host();
    t.DbFile = db;
    t.BackupFile = backup;
    t.ActivateIndexes = 1;
    if (mode == 0) {
      t.SHOUGOU = company_->Setup().name;
      t.WriteInfo = 1;
    } else {
      t.ReadBackupInfo(backup, true);
    }
  }

  static inline FirebirdServer* server_ = nullptr;
  TempDir local_;
};

TEST_F(BackupRestoreServer, ABackupTravelsThroughTheTransferTableAndLeavesNoRow) {
  const std::string db = ServerData("remote-source");
  const std::string backup = (local_.Path() / "qvacc.fbk").string();
  TBackupRestoreThread b(true);
  Prepare(b, 0, db, backup);
  Run(b);
  ASSERT_EQ(b.Succeeded, 1) << b.ErrorMessage1 << b.ErrorMessage2 << (ui_.messages.empty() ? "" : ui_.messages[0].detail);
  const std::string serverFile = SystemDef.SrvWorkDir + "/qvacc." + std::to_string(SystemDef.LogonId);
  EXPECT_TRUE(fs::exists(serverFile));  // the server's copy stays there
  ASSERT_TRUE(fs::exists(backup));
  EXPECT_NE(TempDir::Read(backup).rfind("## LomatraZone"), std::string::npos);
  EXPECT_EQ(RemoteScalar((Sys() / "qvfileman.fdb").string(), "SELECT COUNT(*) FROM FILETRANS"), 0);
  EXPECT_FALSE(DM->IBFileMan.Connected());

  // And back to the server, into another folder.
  const std::string target = ServerTarget("remote-target");
  TBackupRestoreThread r(true);
  Prepare(r, 1, target, backup);
  EXPECT_EQ(r.SHOUGOU, company_->Setup().name);
  Run(r);
  ASSERT_EQ(r.Succeeded, 1) << r.ErrorMessage1 << (ui_.messages.empty() ? "" : ui_.messages[0].detail);
  EXPECT_EQ(Accdef1(target), Accdef1(db));
  EXPECT_EQ(RemoteScalar(target, "SELECT COUNT(*) FROM OPINF"), 0);
  EXPECT_EQ(RemoteScalar((Sys() / "qvfileman.fdb").string(), "SELECT COUNT(*) FROM FILETRANS"), 0);
  EXPECT_FALSE(fs::exists(fs::path(target).parent_path() / "qvacc.fr_"));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

// The command lines of our gbak children, as the process table shows them to every user.
std::vector<std::string> GbakCommandLines() {
  std::vector<std::string> lines;
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string pid = e.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string stat = TempDir::Read(e.path() / "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(stat.substr(close + 2));
    std::string state;
    long ppid = 0;
    rest >> state >> ppid;
    if (ppid != getpid()) continue;
    std::string cmdline = TempDir::Read(e.path() / "cmdline");
    if (cmdline.find("gbak") == std::string::npos) continue;
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    lines.push_back(cmdline);
  }
  return lines;
}

TEST_F(BackupRestoreServer, WithoutTheFileManagerDatabaseTheToolRunsWithoutThePasswordInSight) {
  SystemDef.SysDir = SysWithoutFileMan().string();
  std::vector<std::string> seen;
  ui_.onPendingEvents = [&] {
    for (std::string& l : GbakCommandLines()) seen.push_back(std::move(l));
  };
  const std::string db = ServerData("gbak-source");
  const std::string backup = (local_.Path() / "gbak.fbk").string();
  TBackupRestoreThread b(true);
  Prepare(b, 0, db, backup);
  Run(b);
  ASSERT_EQ(b.Succeeded, 1) << b.ErrorMessage1 << b.ErrorMessage2;
  EXPECT_TRUE(fs::exists(backup));
  EXPECT_FALSE(fs::exists(backup + ".gb_"));

  const std::string target = ServerTarget("gbak-target");
  TBackupRestoreThread r(true);
  Prepare(r, 1, target, backup);
  Run(r);
  ASSERT_EQ(r.Succeeded, 1) << r.ErrorMessage1 << (ui_.messages.empty() ? "" : ui_.messages[0].detail);
  EXPECT_EQ(Accdef1(target), Accdef1(db));
  EXPECT_EQ(RemoteScalar(target, "SELECT COUNT(*) FROM OPINF"), 0);
  EXPECT_FALSE(fs::exists(fs::path(target).parent_path() / "qvacc.fr_"));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);

  ASSERT_FALSE(seen.empty());
  bool backupSeen = false, restoreSeen = false;
  for (const std::string& line : seen) {
    EXPECT_EQ(line.find(FirebirdServer::kPassword), std::string::npos) << line;
    backupSeen |= line.find(" -b ") != std::string::npos;
    restoreSeen |= line.find(" -rep ") != std::string::npos;
  }
  EXPECT_TRUE(backupSeen);
  EXPECT_TRUE(restoreSeen);
}

// The tool missing, or failing on a truncated backup: the operation fails with its code and
// reason, and neither the earlier backup file nor the database is touched.
TEST_F(BackupRestoreServer, AFailingToolLeavesTheBackupAndTheDatabaseAsTheyWere) {
  SystemDef.SysDir = SysWithoutFileMan().string();
  const std::string db = ServerData("tool-data");
  const std::string backup = (local_.Path() / "tool.fbk").string();
  TBackupRestoreThread good(true);
  Prepare(good, 0, db, backup);
  Run(good);
  ASSERT_EQ(good.Succeeded, 1);
  const std::string bytes = TempDir::Read(backup);
  const std::string truncated = (local_.Path() / "truncated.fbk").string();
  { std::ofstream(truncated, std::ios::binary) << bytes.substr(0, bytes.size() / 3); }
  const int64_t journal = RemoteScalar(db, "SELECT COUNT(*) FROM SIWAKE");

  DM->GbakProgram = "/nonexistent/gbak";
  TBackupRestoreThread b(true);
  Prepare(b, 0, db, backup);
  Run(b);
  EXPECT_EQ(b.Succeeded, 0);
  EXPECT_EQ(b.ErrorCode, "100");
  EXPECT_EQ(b.ErrorMessage1, "データベースの保存処理を中止しました。");
  EXPECT_NE(b.ErrorMessage2.find("バックアップツール(gbak.exe)が起動出来ませんでした。"), std::string::npos);
  EXPECT_TRUE(TempDir::Read(backup) == bytes);
  EXPECT_FALSE(fs::exists(backup + ".gb_"));

  const struct {
    const char* what;
    std::string program;
    std::string file;
    std::string shown;
  } cases[] = {
      {"no tool", "/nonexistent/gbak", backup, "レストアツール(gbak.exe)が起動出来ませんでした。"},
      {"truncated backup", "gbak", truncated, "レストア中にエラーが発生しました。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DM->GbakProgram = c.program;
    ui_.messages.clear();
    TBackupRestoreThread r(true);
    Prepare(r, 1, db, c.file);
    Run(r);
    EXPECT_EQ(r.Succeeded, 0);
    EXPECT_EQ(r.ErrorCode, "200");
    EXPECT_TRUE(ui_.Shown(c.shown));
    EXPECT_EQ(RemoteScalar(db, "SELECT COUNT(*) FROM SIWAKE"), journal);
    EXPECT_EQ(RemoteScalar(db, "SELECT COUNT(*) FROM OPINF"), 1);
    EXPECT_FALSE(fs::exists(fs::path(db).parent_path() / "qvacc.fr_"));
  }
}

}  // namespace
