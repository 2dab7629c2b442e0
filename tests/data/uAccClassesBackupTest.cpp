// The backup and restore thread: the trailer of backup files, and backups and restores of
// fixture company data sets through the engine of this computer, run as the callers run them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "DataModuleTestEnv.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccScramble.h"
#include "data/z5ComMyNumber.h"
#include "platform/Encoding.h"
#include "support/ForeignHolder.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kMarker = "## LomatraZone";

// ---------------------------------------------------------------------------------------------
// The trailer

class BackupTrailer : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(BackupTrailer, IsAppendedAsNineLinesAndCutBackToTheExactBackup) {
  const std::string original = Bytes(70000, 1);
  const std::string file = dir_.Write("qvacc.fbk", original);
  TBackupRestoreThread t(true);
  t.SHOUGOU = "株式会社サンプル商事";
  t.KISHU = "2016/04/01";
  t.KIMATU = "2017/03/31";
  t.SIWAKE = 1234;
  t.TOTALSIWAKE = 1300;
  t.DATAVARSION = "10.2.0";
  t.GASSAN = 2;
  t.USEMYNUMBER = 1;
  t.WriteBackupInfo(file);
  const std::string trailer = sjis::FromUtf8(
      "## LomatraZone\r\nSHOUGOU=株式会社サンプル商事\r\nKISHU=2016/04/01\r\nKIMATU=2017/03/31\r\n"
      "SIWAKE=1234\r\nTOTALSIWAKE=1300\r\nDATAVARSION=10.2.0\r\nGASSAN=2\r\nUSEMYNUMBER=1\r\n");
  EXPECT_TRUE(TempDir::Read(file) == original + trailer);

  TBackupRestoreThread r(true);
  EXPECT_TRUE(r.ReadBackupInfo(file, false));  // read only: the file keeps its trailer
  EXPECT_EQ(fs::file_size(file), original.size() + trailer.size());
  EXPECT_TRUE(r.ReadBackupInfo(file, true));
  EXPECT_TRUE(TempDir::Read(file) == original);
  EXPECT_EQ(r.SHOUGOU, t.SHOUGOU);
  EXPECT_EQ(r.KISHU, t.KISHU);
  EXPECT_EQ(r.KIMATU, t.KIMATU);
  EXPECT_EQ(r.SIWAKE, 1234);
  EXPECT_EQ(r.TOTALSIWAKE, 1300);
  EXPECT_EQ(r.DATAVARSION, "10.2.0");
  EXPECT_EQ(r.GASSAN, 2);
  EXPECT_EQ(r.USEMYNUMBER, 1);
  // Once cut there is no trailer left, and the values are cleared.
  EXPECT_FALSE(r.ReadBackupInfo(file, true));
  EXPECT_EQ(r.SHOUGOU, "");
  EXPECT_EQ(r.USEMYNUMBER, 0);
  EXPECT_TRUE(TempDir::Read(file) == original);

  // Without a company name nothing is written.
  t.ClearBackupInfo();
  t.WriteBackupInfo(file);
  EXPECT_TRUE(TempDir::Read(file) == original);
}

// Only a trailer that ends the file counts: the marker text met anywhere else is the user's
// data, and a restore must never cut a backup there.
TEST_F(BackupTrailer, AMarkerThatDoesNotEndTheFileIsNoTrailer) {
  const std::string data = Bytes(5000, 2);
  const std::string lines = "\r\nSHOUGOU=X\r\nUSEMYNUMBER=1\r\n";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"no marker", data},
      {"marker at the start", kMarker + lines},
      {"marker in user data", data + kMarker + lines + std::string(1, '\0') + data},
      {"marker further than 512 bytes from the end", data + kMarker + lines + std::string(600, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = dir_.Write("case.fbk", c.bytes);
    TBackupRestoreThread t(true);
    t.SHOUGOU = "stale";
    EXPECT_FALSE(t.ReadBackupInfo(file, true));
    EXPECT_EQ(t.SHOUGOU, "");
    EXPECT_TRUE(TempDir::Read(file) == c.bytes);
  }

  // User data holding the marker before a real trailer: the cut is at the trailer.
  const std::string backup = data + kMarker + lines + std::string(1, '\0') + data;
  const std::string file = dir_.Write("real.fbk", backup + sjis::FromUtf8(kMarker + "\r\nSHOUGOU=本物\r\nSIWAKE=7\r\n"));
  TBackupRestoreThread t(true);
  EXPECT_TRUE(t.ReadBackupInfo(file, true));
  EXPECT_EQ(t.SHOUGOU, "本物");
  EXPECT_EQ(t.SIWAKE, 7);
  EXPECT_EQ(t.USEMYNUMBER, 0);  // no line for it
  EXPECT_TRUE(TempDir::Read(file) == backup);
}

// ---------------------------------------------------------------------------------------------
// Backups and restores through the thread

class BackupRestore : public DataModuleTest {
 protected:
  static void SetUpTestSuite() {
    DataModuleTest::SetUpTestSuite();
    fixtures::Company& c = *company_;
    journal_ = c.GenerateJournal({.seed = 5, .entries = 200});
  }
  void SetUp() override {
    DataModuleTest::SetUp();
    SystemDef.MyNumberAdmin = 1;
    SystemDef.WorkDir = work_.Str();
  }

  // A data set of its own for the test, with a row in its operation log.
  std::string Data(const std::string& name) {
    const std::string folder = CopyCompany(name);
    fixtures::DbSession s(folder + "/qvacc.fdb");
    s.Exec("INSERT INTO OPINF(OPCODE,JOBNAME,PCNAME) VALUES (11,'仕訳入力','PC01')");
    s.Commit();
    return folder + "/qvacc.fdb";
  }
  // An empty folder for a restore.
  std::string Target(const std::string& name) {
    const fs::path dir = inst_->SysDir() / name;
    fs::create_directories(dir);
    return (dir / "qvacc.fdb").string();
  }
  std::string BackupPath(const std::string& name) { return (work_.Path() / name).string(); }

  // Runs the thread as its callers do: resumed, then polled while the messages are processed.
  static void Run(TBackupRestoreThread& t) {
    t.Resume();
    while (!t.IsTerminated()) WaitWithMessages(300);
  }

  void Backup(TBackupRestoreThread& t, const std::string& db, const std::string& backup) {
    t.Mode = 0;
    t.DbFile = db;
    t.BackupFile = backup;
    t.CallerName = "データ選択";
    t.ClearBackupInfo();
    t.SHOUGOU = company_->Setup().name;
    t.KISHU = "2016/04/01";
    t.KIMATU = "2017/03/31";
    t.SIWAKE = fs::exists(db) ? static_cast<int32_t>(Count(db)) : 0;
    t.DATAVARSION = "10.2.0";
    t.WriteInfo = 1;
    Run(t);
  }

  void Restore(TBackupRestoreThread& t, const std::string& backup, const std::string& db) {
    t.Mode = 1;
    t.DbFile = db;
    t.BackupFile = backup;
    t.ActivateIndexes = 1;
    t.ReadBackupInfo(backup, true);
    Run(t);
  }

  static int64_t Count(const std::string& db) { return Scalar(db, "SELECT COUNT(*) FROM SIWAKE"); }
  static std::string Accdef1(const std::string& db) {
    fixtures::DbSession s(db);
    TIBSQL q;
    s.Prepare(q, "SELECT * FROM ACCDEF1 WHERE REC=1");
    q.ExecQuery();
    std::string row;
    for (int i = 0; i < q.FieldCount(); ++i) row += q.Fields(i).AsString() + "|";
    return row;
  }
  static void SetReg(const std::string& db, const std::string& key, const std::string& text) {
    fixtures::DbSession s(db);
    TIBSQL q;
    s.Prepare(q, "UPDATE OR INSERT INTO ACCREG(AGROUP,ACODE,ATYPE,ATEXT) VALUES('基本設定',:K,'文字',:V) "
                 "MATCHING (AGROUP,ACODE)");
    q.ParamByName("K").SetString(key);
    q.ParamByName("V").SetString(text);
    q.ExecQuery();
    s.Commit();
  }
  static std::string Reg(const std::string& db, const std::string& key) {
    fixtures::DbSession s(db);
    TIBSQL q;
    s.Prepare(q, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE=:K");
    q.ParamByName("K").SetString(key);
    q.ExecQuery();
    return q.Eof() ? "<none>" : q.FieldByName("ATEXT").AsString();
  }
  // The names in a folder, sorted.
  static std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static inline fixtures::JournalTotals journal_;
  TempDir work_;
};

TEST_F(BackupRestore, ACompanyBackupRestoresIntoAnotherFolderWithItsRowsAndNoOperationLog) {
  const std::string db = Data("source");
  const std::string backup = BackupPath("qvacc.fbk");
  TBackupRestoreThread b(true);
  Backup(b, db, backup);
  ASSERT_EQ(b.Succeeded, 1) << b.ErrorMessage1 << b.ErrorMessage2 << (ui_.messages.empty() ? "" : ui_.messages[0].detail);
  EXPECT_EQ(b.Failed, 0);
  EXPECT_EQ(b.ErrorCode, "");
  // The backup ends with its trailer; nothing else was left beside it or beside the data.
  const std::string bytes = TempDir::Read(backup);
  const std::string tail = bytes.substr(bytes.rfind(kMarker));
  EXPECT_EQ(std::count(tail.begin(), tail.end(), '\n'), 9);
  EXPECT_EQ(tail.substr(tail.size() - 15), "USEMYNUMBER=0\r\n");
  EXPECT_EQ(Files(work_.Str()), std::vector<std::string>{"qvacc.fbk"});
  EXPECT_EQ(Files(fs::path(db).parent_path().string()), (std::vector<std::string>{"qvacc.fdb"}));

  const std::string target = Target("restored");
  TBackupRestoreThread r(true);
  r.Mode = 1;
  EXPECT_TRUE(r.ReadBackupInfo(backup, true));
  EXPECT_EQ(r.SHOUGOU, company_->Setup().name);
  EXPECT_EQ(r.SIWAKE, Count(db));
  r.DbFile = target;
  r.BackupFile = backup;
  Run(r);
  ASSERT_EQ(r.Succeeded, 1) << r.ErrorMessage1 << (ui_.messages.empty() ? "" : ui_.messages[0].detail);
  EXPECT_EQ(Accdef1(target), Accdef1(db));
  EXPECT_EQ(Count(target), Count(db));
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM OPINF"), 1);
  EXPECT_EQ(Scalar(target, "SELECT COUNT(*) FROM OPINF"), 0);
  EXPECT_EQ(Scalar(target, "SELECT MON$PAGE_SIZE FROM MON$DATABASE"), 16384);
  EXPECT_EQ(Files(fs::path(target).parent_path().string()), std::vector<std::string>{"qvacc.fdb"});
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

// A failed backup leaves the earlier backup file as it was, and a failed restore the earlier
// database; no half-written file stays behind under any name.
TEST_F(BackupRestore, AFailureLeavesTheEarlierBackupAndDatabaseAsTheyWere) {
  const std::string db = Data("keep");
  const std::string backup = BackupPath("qvacc.fbk");
  TBackupRestoreThread good(true);
  Backup(good, db, backup);
  ASSERT_EQ(good.Succeeded, 1);
  const std::string earlier = TempDir::Read(backup);

  // A backup of a data set whose database is gone.
  const std::string gone = Target("gone");
  TBackupRestoreThread b(true);
  Backup(b, gone, backup);
  EXPECT_EQ(b.Succeeded, 0);
  EXPECT_EQ(b.Failed, 1);
  EXPECT_EQ(b.ErrorProc, "BackupDatabase");
  EXPECT_EQ(b.ErrorCode, "100");
  EXPECT_EQ(b.ErrorMessage1, "データベースの保存処理を中止しました。");
  EXPECT_TRUE(ui_.Shown("データベースのバックアップに失敗しました。"));
  EXPECT_TRUE(TempDir::Read(backup) == earlier);
  EXPECT_TRUE(Files(fs::path(gone).parent_path().string()).empty());

  // A restore from a truncated backup.
  const std::string truncated = BackupPath("truncated.fbk");
  std::string half = earlier.substr(0, earlier.size() / 2);
  { std::ofstream(truncated, std::ios::binary) << half; }
  const int64_t count = Count(db);
  ui_.messages.clear();
  TBackupRestoreThread r(true);
  Restore(r, truncated, db);
  EXPECT_EQ(r.Succeeded, 0);
  EXPECT_EQ(r.ErrorProc, "RestoreDatabase");
  EXPECT_EQ(r.ErrorCode, "200");
  EXPECT_EQ(r.ErrorMessage1, "データベースの復元処理を中止しました。");
  EXPECT_TRUE(ui_.Shown("データベースのリストアに失敗しました。"));
  EXPECT_EQ(Count(db), count);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM OPINF"), 1);
  EXPECT_EQ(Files(fs::path(db).parent_path().string()), std::vector<std::string>{"qvacc.fdb"});
}

TEST_F(BackupRestore, ARestoreIsRefusedBeforeAnyFileIsTouched) {
  const std::string backupOf = Data("refused-source");
  const std::string backup = BackupPath("qvacc.fbk");
  TBackupRestoreThread b(true);
  Backup(b, backupOf, backup);
  ASSERT_EQ(b.Succeeded, 1);

  // Data that manages personal numbers is not replaced by a backup without them.
  const std::string managed = Data("managed");
  SetReg(managed, "＃USE", "1");
  SetReg(managed, "＃KEY", ProtectStoreText("pw"));
  {
    fixtures::DbSession s(managed);
    s.Exec("DELETE FROM SIWAKE WHERE REC IN (SELECT FIRST 10 REC FROM SIWAKE)");
    s.Commit();
  }
  const int64_t managedCount = Count(managed);
  TBackupRestoreThread r(true);
  Restore(r, backup, managed);
  EXPECT_EQ(r.ErrorProc, "RestoreDatabase");
  EXPECT_EQ(r.ErrorCode, "200");
  EXPECT_EQ(r.ErrorMessage1, "マイナンバー情報を管理しているデータへの復元はおこなえません。");
  EXPECT_EQ(r.ErrorMessage2, "データベースの復元処理を中止しました。");
  EXPECT_EQ(Count(managed), managedCount);
  EXPECT_EQ(Reg(managed, "＃USE"), "1");

  // Data held by another attachment, of this program or another one.
  const std::string held = Data("held");
  for (const bool ours : {true, false}) {
    SCOPED_TRACE(ours ? "this program" : "another program");
    std::unique_ptr<fixtures::DbSession> mine;
    std::unique_ptr<ForeignHolder> other;
    if (ours)
      mine = std::make_unique<fixtures::DbSession>(held);
    else
      other = std::make_unique<ForeignHolder>(held);
    // As the database stands while it is held.
    const std::string heldBytes = TempDir::Read(held);
    TBackupRestoreThread h(true);
    Restore(h, backup, held);
    EXPECT_EQ(h.Succeeded, 0);
    EXPECT_EQ(h.ErrorCode, "202");
    EXPECT_EQ(h.ErrorMessage1, "このデータは、他のオペレータが使用中のため復元処理を行うことが出来ません。");
    EXPECT_EQ(h.ErrorMessage2, "データベースの復元処理を中止しました。");
    EXPECT_TRUE(TempDir::Read(held) == heldBytes);
    mine.reset();
    other.reset();
    EXPECT_EQ(Files(fs::path(held).parent_path().string()), std::vector<std::string>{"qvacc.fdb"});
  }

  // Files that are not data sets of ours.
  for (const int mode : {0, 1}) {
    TBackupRestoreThread t(true);
    t.Mode = mode;
    t.DbFile = (work_.Path() / "other.fdb").string();
    t.BackupFile = backup;
    Run(t);
    EXPECT_EQ(t.Succeeded, 0);
    EXPECT_EQ(t.ErrorCode, mode == 0 ? "101" : "201");
    EXPECT_EQ(t.ErrorMessage1, "指定されたファイルはTallix財務用のデータではありません。");
  }
}

TEST_F(BackupRestore, ASystemDatabaseBackupHasNoTrailer) {
  const std::string backup = BackupPath("qvaccdef.fbk");
  const fs::path sys = inst_->Root() / "sys-copy";
  fs::create_directories(sys);
  fs::copy_file(SystemDb(), sys / "qvaccdef.fdb");
  TBackupRestoreThread t(true);
  t.Mode = 0;
  t.DbFile = (sys / "qvaccdef.fdb").string();
  t.BackupFile = backup;
  t.SHOUGOU = "名前があっても";
  t.WriteInfo = 1;
  Run(t);
  ASSERT_EQ(t.Succeeded, 1);
  EXPECT_EQ(TempDir::Read(backup).find(kMarker), std::string::npos);
}

TEST_F(BackupRestore, CopyLeavesTheSourceAndRebuildRestoresOverIt) {
  const std::string db = Data("copy-source");
  const std::string before = Accdef1(db);
  const int64_t count = Count(db);
  const std::string target = Target("copy-target");
  TBackupRestoreThread c(true);
  c.Mode = 2;
  c.DbFile = db;
  c.DbFile2 = target;
  c.BackupFile = BackupPath("copy.fbk");
  Run(c);
  ASSERT_EQ(c.Succeeded, 1);
  EXPECT_EQ(Accdef1(db), before);
  EXPECT_EQ(Count(db), count);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM OPINF"), 1);
  EXPECT_EQ(Accdef1(target), before);
  EXPECT_EQ(Scalar(target, "SELECT COUNT(*) FROM OPINF"), 0);

  TBackupRestoreThread r(true);
  r.Mode = 3;
  r.DbFile = db;
  r.BackupFile = BackupPath("rebuild.fbk");
  Run(r);
  ASSERT_EQ(r.Succeeded, 1);
  EXPECT_EQ(r.DbFile2, db);
  EXPECT_EQ(Count(db), Count(target));
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM OPINF"), 0);
  EXPECT_EQ(Scalar(db, "SELECT MON$PAGE_SIZE FROM MON$DATABASE"), 16384);
}

// Personal numbers left out of a backup: the backup carries none, the data set gets its
// settings back as they were (also a password our transform cannot read), and the log shows
// nothing of the interval.
TEST_F(BackupRestore, ABackupWithoutPersonalNumbersLeavesTheDataSetsSettingsAsTheyWere) {
  const std::string db = Data("numbers");
  SetReg(db, "＃USE", "1");
  SetReg(db, "＃KEY", "UNREADABLE-KEY-FORM");
  SetReg(db, "＃VALUE", ProtectStoreText("v"));
  TBackupRestoreThread b(true);
  b.USEMYNUMBER = 1;
  b.AskMyNumber = 1;
  b.LogMyNumber = 1;
  ui_.messageAnswers = {uis::mrNo};
  const std::string backup = BackupPath("numbers.fbk");
  b.Mode = 0;
  b.DbFile = db;
  b.BackupFile = backup;
  b.SHOUGOU = "会社";
  b.WriteInfo = 1;
  Run(b);
  ASSERT_EQ(b.Succeeded, 1) << b.ErrorMessage1;
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "保存データにマイナンバー情報を含めますか？");
  EXPECT_EQ(b.ClearMyNumber, 1);
  EXPECT_EQ(b.USEMYNUMBER, 1);  // the data set's again
  EXPECT_EQ(Reg(db, "＃USE"), "1");
  EXPECT_EQ(Reg(db, "＃KEY"), "UNREADABLE-KEY-FORM");
  EXPECT_EQ(Reg(db, "＃VALUE"), ProtectStoreText("v"));
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM MYNUMBER_LOG"), 0);

  TBackupRestoreThread r(true);
  ASSERT_TRUE(r.ReadBackupInfo(backup, true));
  EXPECT_EQ(r.USEMYNUMBER, 0);
  const std::string target = Target("numbers-restored");
  r.Mode = 1;
  r.DbFile = target;
  r.BackupFile = backup;
  Run(r);
  ASSERT_EQ(r.Succeeded, 1);
  EXPECT_EQ(Reg(target, "＃USE"), "0");
  EXPECT_EQ(Reg(target, "＃KEY"), "<none>");
  EXPECT_EQ(Reg(target, "＃VALUE"), "<none>");
}

TEST_F(BackupRestore, PersonalNumbersGoIntoABackupOnlyWithThePasswordAndTheirLogIsKept) {
  const std::string db = Data("with-numbers");
  SetReg(db, "＃USE", "1");
  SetReg(db, "＃KEY", ProtectStoreText("Pw12"));
  const std::string backup = BackupPath("with.fbk");
  auto backupWith = [&](std::vector<ScriptedUi::InputAnswer> passwords) {
    ui_.messageAnswers = {uis::mrYes};
    ui_.inputAnswers.assign(passwords.begin(), passwords.end());
    TBackupRestoreThread b(true);
    b.USEMYNUMBER = 1;
    b.AskMyNumber = 1;
    b.LogMyNumber = 1;
    b.CallerName = "データ送信";
    b.Mode = 0;
    b.DbFile = db;
    b.BackupFile = backup;
    b.SHOUGOU = company_->Setup().name;
    b.USEMYNUMBER = 1;
    b.WriteInfo = 1;
    Run(b);
    return std::make_tuple(b.Succeeded, b.ErrorCode, b.MyNumberAnswer);
  };
  // Three wrong passwords: no backup.
  EXPECT_EQ(backupWith({ScriptedUi::Ok("pw12"), ScriptedUi::Ok("PW12"), ScriptedUi::Ok("x")}),
            std::make_tuple(uint8_t{0}, std::string("100"), 6));
  EXPECT_FALSE(fs::exists(backup));
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM MYNUMBER_LOG"), 0);
  // The right one: the backup, with a log row of state 6 in the data set.
  EXPECT_EQ(backupWith({ScriptedUi::Ok("Pw12")}), std::make_tuple(uint8_t{1}, std::string(""), 6));
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FSTATE=6"), 1);

  // Restored over the data set, whose log meanwhile grew: the log is kept and the restore
  // itself logged.
  TMyNumberIO io;
  TMyNumberLogRec later;
  io.MakeLogRec(later, 4, "参照");
  later.FHIZUKE = EncodeDate(2030, 1, 1);
  io.AddLogOfData(later, "", db);
  TBackupRestoreThread r(true);
  r.LogMyNumber = 1;
  r.CallerName = "データ受信";
  Restore(r, backup, db);
  ASSERT_EQ(r.Succeeded, 1) << r.ErrorMessage1;
  EXPECT_EQ(r.USEMYNUMBER, 1);
  EXPECT_EQ(r.MyNumberAnswer, 7);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM MYNUMBER_LOG"), 3);
  EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM MYNUMBER_LOG WHERE FSTATE=4"), 1);
  fixtures::DbSession s(db);
  TIBSQL q;
  s.Prepare(q, "SELECT FCOMMENT FROM MYNUMBER_LOG WHERE FSTATE=7");
  q.ExecQuery();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("FCOMMENT").AsString(), "マイナンバー情報を含むデータが受信されました。");
}

}  // namespace
