// File and folder operations in client/server mode: the data module calls the server's file
// routines (our UDR module, loaded by a loopback server), which act on the server's files and
// only inside the folders the installation allows.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "DataModuleTestEnv.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

void Put(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// Mode 0: the same operations on this computer's files.
class LocalFileOps : public DataModuleTest {
 protected:
  TempDir dir_;
};

TEST_F(LocalFileOps, FolderAndFileOperationsActOnLocalFiles) {
  const fs::path d = dir_.Path();
  const std::string a = (d / "a").string(), ab = (d / "a/b").string();
  EXPECT_FALSE(DM->DExist(ab, 0));
  EXPECT_TRUE(DM->MkDir(ab, 0));
  EXPECT_TRUE(DM->DExist(ab, 0));
  Put(d / "a/f.txt", "local");
  EXPECT_TRUE(DM->FExist(a + "/f.txt", 0));
  EXPECT_FALSE(DM->FExist(ab, 0));
  EXPECT_TRUE(DM->FCopy(a + "/f.txt", ab + "/g.txt", 0));
  EXPECT_EQ(TempDir::Read(d / "a/b/g.txt"), "local");
  EXPECT_TRUE(DM->FMove(a + "/f.txt", ab + "/h.txt", 0));
  EXPECT_FALSE(fs::exists(d / "a/f.txt"));
  EXPECT_EQ(TempDir::Read(d / "a/b/h.txt"), "local");
  EXPECT_FALSE(DM->FMove(a + "/f.txt", ab + "/i.txt", 0));
  EXPECT_TRUE(DM->FDel(ab + "/h.txt", 0));
  EXPECT_FALSE(fs::exists(d / "a/b/h.txt"));
  std::string shortName;
  DM->ShortFileName(a + "/missing.txt", 0, shortName);
  EXPECT_EQ(shortName, a + "/missing.txt");
  EXPECT_TRUE(DM->RmDir(a, 0));
  EXPECT_FALSE(fs::exists(d / "a"));
  // Any other mode does nothing.
  EXPECT_FALSE(DM->MkDir(a, 3));
  EXPECT_FALSE(fs::exists(d / "a"));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

class ServerFileOps : public DataModuleTest {
 protected:
  static void SetUpTestSuite() {
    DataModuleTest::SetUpTestSuite();
    server_ = new FirebirdServer(FirebirdServer::FileRoutines());
    sys_ = server_->DataDir() / "sys";
    fs::create_directories(sys_);
    const std::string sysDb = inst_->Info().DataDefFile;
    fs::copy_file(inst_->SystemDbFile(), sys_ / sysDb);
    fs::copy_file(inst_->FileManDbFile(), sys_ / "qvfileman.fdb");
    // The routines are declared once the module is in the server's UDR folder, as a set-up of
    // the server's databases does (the fixture has declared them already where the module is
    // installed in this process's engine).
    for (const auto& [file, script] : {std::pair<std::string, std::string>{sysDb, "system_udr.sql"},
                                       {"qvfileman.fdb", "fileman_udr.sql"}}) {
      server_->DeclareFileRoutines(sys_ / file, script);
    }
    outside_ = new TempDir;
  }
  static void TearDownTestSuite() {
    delete outside_;
    delete server_;
    server_ = nullptr;
    DataModuleTest::TearDownTestSuite();
  }
  void SetUp() override {
    DataModuleTest::SetUp();
    ConnectMode = 1;
    SystemDef.HostName = server_->Host();
    SystemDef.SysDir = sys_.string();
    work_ = server_->DataDir() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(work_);
  }
  void TearDown() override {
    DM->IBFileMan.Close();
    DM->IBDatabaseDEF.Close();
    ConnectMode = 0;
    DataModuleTest::TearDown();
  }

  std::string W(const std::string& rel) const { return (work_ / rel).string(); }

  static inline FirebirdServer* server_ = nullptr;
  static inline fs::path sys_;
  static inline TempDir* outside_ = nullptr;
  fs::path work_;
};

TEST_F(ServerFileOps, FolderAndFileOperationsActOnTheServersFiles) {
  ASSERT_FALSE(DM->IBDatabaseDEF.Connected());
  EXPECT_FALSE(DM->DExist(W("a/b"), 1));
  EXPECT_TRUE(DM->MkDir(W("a/b"), 1));  // with its parents
  EXPECT_TRUE(fs::is_directory(work_ / "a/b"));
  EXPECT_TRUE(DM->DExist(W("a/b"), 2));

  Put(work_ / "a/src.fdb", "database bytes");
  EXPECT_TRUE(DM->FExist(W("a/src.fdb"), 1));
  EXPECT_FALSE(DM->FExist(W("a/b"), 1));  // a folder is no file
  EXPECT_FALSE(DM->DExist(W("a/src.fdb"), 1));

  Put(work_ / "a/b/copy.fdb", "old");
  EXPECT_TRUE(DM->FCopy(W("a/src.fdb"), W("a/b/copy.fdb"), 1));  // replaces the target
  EXPECT_EQ(TempDir::Read(work_ / "a/b/copy.fdb"), "database bytes");
  EXPECT_TRUE(fs::exists(work_ / "a/src.fdb"));

  EXPECT_TRUE(DM->FMove(W("a/src.fdb"), W("a/moved.fdb"), 1));
  EXPECT_FALSE(fs::exists(work_ / "a/src.fdb"));
  EXPECT_EQ(TempDir::Read(work_ / "a/moved.fdb"), "database bytes");

  EXPECT_TRUE(DM->FDel(W("a/moved.fdb"), 1));
  EXPECT_FALSE(fs::exists(work_ / "a/moved.fdb"));
  EXPECT_FALSE(DM->FDel(W("a/moved.fdb"), 1));  // nothing left to delete

  std::string shortName;
  DM->ShortFileName(W("a/b/copy.fdb"), 1, shortName);
  EXPECT_EQ(shortName, W("a/b/copy.fdb"));

  EXPECT_TRUE(DM->RmDir(W("a"), 1));  // with its contents
  EXPECT_FALSE(fs::exists(work_ / "a"));
  EXPECT_FALSE(DM->DExist(W("a"), 1));

  // Every call left the system database as it found it, and nothing was reported.
  EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
  ASSERT_TRUE(DM->fnAccDefConnected("", true));
  EXPECT_FALSE(DM->FExist(W("../sys/" + inst_->Info().DataDefFile), 1));  // ".." refused
  EXPECT_TRUE(DM->FExist((sys_ / inst_->Info().DataDefFile).string(), 1));
  EXPECT_TRUE(DM->IBDatabaseDEF.Connected());
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

TEST_F(ServerFileOps, AMoveWhoseCopyFailsKeepsItsSource) {
  Put(work_ / "src.fdb", "keep me");
  const struct {
    const char* what;
    std::string target;
  } cases[] = {
      {"target folder missing", W("missing/dst.fdb")},
      {"target is a folder", W("dir")},
      {"target outside the roots", (outside_->Path() / "dst.fdb").string()},
  };
  fs::create_directories(work_ / "dir");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(DM->FMove(W("src.fdb"), c.target, 1));
    EXPECT_EQ(TempDir::Read(work_ / "src.fdb"), "keep me");
  }
  EXPECT_FALSE(fs::exists(outside_->Path() / "dst.fdb"));
  EXPECT_TRUE(fs::is_empty(work_ / "dir"));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

// Whatever a database user names, the routines act only inside the allowed folders: a
// refusal is a plain 0, never an error that would carry the path back.
TEST_F(ServerFileOps, PathsOutsideTheRootsAreRefusedAndNothingIsTouched) {
  const fs::path out = outside_->Path() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
  Put(out / "secret.txt", "secret");
  Put(work_ / "inside.txt", "inside");
  fs::create_symlink(out, work_ / "link");  // a link inside that leads outside
  const std::string escape = W("../../../" + fs::relative(out, fs::path("/")).string());

  const struct {
    const char* what;
    bool result;
  } cases[] = {
      {"FExist outside", DM->FExist((out / "secret.txt").string(), 1)},
      {"FExist through ..", DM->FExist(escape + "/secret.txt", 1)},
      {"FExist through a link", DM->FExist(W("link/secret.txt"), 1)},
      {"FExist relative", DM->FExist("secret.txt", 1)},
      {"DExist outside", DM->DExist(out.string(), 1)},
      {"FDel outside", DM->FDel((out / "secret.txt").string(), 1)},
      {"FDel through ..", DM->FDel(escape + "/secret.txt", 1)},
      {"FDel through a link", DM->FDel(W("link/secret.txt"), 1)},
      {"FCopy out of the roots", DM->FCopy(W("inside.txt"), (out / "copied.txt").string(), 1)},
      {"FCopy into the roots", DM->FCopy((out / "secret.txt").string(), W("stolen.txt"), 1)},
      {"FCopy over a file outside", DM->FCopy(W("inside.txt"), W("link/secret.txt"), 1)},
      {"FMove out through ..", DM->FMove(W("inside.txt"), escape + "/moved.txt", 1)},
      {"MkDir outside", DM->MkDir((out / "made").string(), 1)},
      {"MkDir through ..", DM->MkDir(escape + "/made2", 1)},
      {"RmDir outside", DM->RmDir(out.string(), 1)},
      {"RmDir through a link", DM->RmDir(W("link"), 1)},
      {"RmDir of a root", DM->RmDir(server_->DataDir().string(), 1)},
  };
  for (const auto& c : cases) EXPECT_FALSE(c.result) << c.what;

  EXPECT_EQ(TempDir::Read(out / "secret.txt"), "secret");
  EXPECT_EQ(TempDir::Read(work_ / "inside.txt"), "inside");
  EXPECT_FALSE(fs::exists(out / "copied.txt"));
  EXPECT_FALSE(fs::exists(out / "moved.txt"));
  EXPECT_FALSE(fs::exists(out / "made"));
  EXPECT_FALSE(fs::exists(out / "made2"));
  EXPECT_FALSE(fs::exists(work_ / "stolen.txt"));
  EXPECT_TRUE(fs::is_directory(server_->DataDir()));
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

TEST_F(ServerFileOps, NamesAndPathsAreCheckedBeforeAnyServerCall) {
  Put(work_ / "f.txt", "x");
  EXPECT_TRUE(DM->ServerFileOperation("fexist", W("f.txt"), ""));
  EXPECT_TRUE(DM->ServerFileOperation("FExist", W("f.txt"), ""));

  // With no system database on the server a call would be reported: these make none.
  SystemDef.SysDir = (inst_->Root() / "nowhere").string();
  EXPECT_FALSE(DM->ServerFileOperation("FMOVE", W("f.txt"), W("g.txt")));
  EXPECT_FALSE(DM->ServerFileOperation("FCOPY", W("f.txt"), "  "));
  EXPECT_FALSE(DM->ServerFileOperation("FDEL", " ", ""));
  EXPECT_FALSE(DM->FExist(W("f.txt"), 3));
  EXPECT_FALSE(DM->MkDir(W("new"), 3));
  std::string shortName = "stale";
  DM->ShortFileName("  ", 1, shortName);
  EXPECT_EQ(shortName, "");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_FALSE(fs::exists(work_ / "new"));

  // A call that cannot reach the system database is reported once, by the connection.
  EXPECT_FALSE(DM->FExist(W("f.txt"), 1));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "システムデータベースの接続処理に失敗しました。");
  EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
}

// A file carried into the server as a blob and back comes back byte for byte.
TEST_F(ServerFileOps, FilesTravelThroughTheFileManagerDatabaseUnchanged) {
  ASSERT_TRUE(DM->ConnectFileManDb(""));
  EXPECT_EQ(DM->IBFileMan.DatabaseName, server_->Host() + ":" + (sys_ / "qvfileman.fdb").string());
  TIBSQL& q = DM->IBSQLFileMan;
  TIBTransaction& tr = DM->IBTransFileMan;
  auto exec = [&](const std::string& sql, const std::function<void()>& params = {}) {
    q.Close();
    q.SQL = sql;
    if (params) params();
    q.ExecQuery();
  };

  for (const size_t size : {size_t{0}, size_t{70000}, size_t{20u << 20}}) {
    SCOPED_TRACE(size);
    const std::string bytes = Bytes(size, static_cast<unsigned>(size));
    const std::string onServer = W("up-" + std::to_string(size) + ".bin");
    tr.StartTransaction();
    exec("DELETE FROM FILETRANS");
    exec("INSERT INTO FILETRANS(CONTENT_ID,CONTENT) VALUES(:ID,:CONTENT)", [&] {
      q.ParamByName("ID").SetString("QVZ_UP");
      q.ParamByName("CONTENT").SetBlob(bytes);
    });
    exec("SELECT SP_BLOBTOFILE(:PATH,CONTENT) AS R FROM FILETRANS WHERE CONTENT_ID='QVZ_UP'",
         [&] { q.ParamByName("PATH").SetString(onServer); });
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("R").AsInteger(), 1);
    q.Close();
    tr.Commit();
    ASSERT_TRUE(fs::exists(onServer));
    EXPECT_TRUE(TempDir::Read(onServer) == bytes);

    tr.StartTransaction();
    exec("INSERT INTO FILETRANS(CONTENT_ID,CONTENT) VALUES('QVZ_DOWN',SP_FILETOBLOB(:PATH))",
         [&] { q.ParamByName("PATH").SetString(onServer); });
    exec("SELECT CONTENT FROM FILETRANS WHERE CONTENT_ID='QVZ_DOWN'");
    ASSERT_FALSE(q.Eof());
    EXPECT_TRUE(q.FieldByName("CONTENT").AsBlob() == bytes);
    q.Close();
    exec("DELETE FROM FILETRANS");
    tr.Commit();
  }

  // Outside the roots neither direction touches a file.
  const fs::path out = outside_->Path() / "transfer.bin";
  Put(out, "outside");
  tr.StartTransaction();
  exec("SELECT SP_FILETOBLOB(:PATH) AS B, SP_BLOBTOFILE(:PATH2,CAST('x' AS BLOB SUB_TYPE 0)) AS R "
       "FROM RDB$DATABASE",
       [&] {
         q.ParamByName("PATH").SetString(out.string());
         q.ParamByName("PATH2").SetString(out.string());
       });
  EXPECT_TRUE(q.FieldByName("B").IsNull());
  EXPECT_EQ(q.FieldByName("R").AsInteger(), 0);
  q.Close();
  tr.Commit();
  EXPECT_EQ(TempDir::Read(out), "outside");
}

}  // namespace
