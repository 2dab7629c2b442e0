// The data-selection dialog's whole-data-set operations over a fixture installation, driven
// off-screen by keys and clicks: save (F6) and restore (F7) of "qvacc.fbk", and the members
// of combined data (F3 on a combined parent, and the member control itself).
// Pictures: selection_save_folder.png, selection_restore_check.png.
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "DataListTestBase.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecordHooks.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "platform/db/IBScript.h"
#include "selection/DbUpdateCheck.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5FileOperationDlg.h"
#include "selection/z5GassanSyori.h"
#include "selection/z5Kidou.h"
#include "selection/z5WhichDataSet.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"
#include "ui/xRadioButton.h"
#include "ui/z5MessageDlg.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

class NoUpdate : public IDbUpdateCheck {
 public:
  void PrepareUpdate(int, const std::string&) override {}
  bool UpdatePending() const override { return false; }
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fixture of the data list with: 0003 a company with 20 journal entries, 0004 the same
// company further on (30 entries), 0005 a combined parent, 0006 a medical corporation and
// 0007 an empty row.
class DataSetOpsBase : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    auto add = [](int no, const char* code, const char* name, int entries) -> fixtures::Company& {
      fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
      plan.dataNo = no;
      plan.dataCode = code;
      plan.name = name;
      fixtures::Company& c = inst_->AddCompany(plan);
      if (entries > 0) c.GenerateJournal({.seed = static_cast<uint64_t>(no), .entries = entries, .deletedPerMille = 0, .correctedPerMille = 0});
      return c;
    };
    add(3, "C001", "最新物産", 20);
    add(4, "C002", "最新物産", 30);
    add(5, "G001", "合算商事", 15);
    {
      fixtures::DbSession s(inst_->DataFolder(5) / "qvacc.fdb");
      s.Exec("UPDATE ACCREG SET ATEXT='1' WHERE AGROUP='基本設定' AND ACODE='合算データ区分'");
      s.Commit();
    }
    fixtures::DbSession sys(inst_->SystemDbFile());
    sys.Exec("UPDATE DATALIST SET GASSAN=1 WHERE REC=5");
    sys.Commit();
  }

  void SetUp() override {
    DataListTestBase::SetUp();
    SystemDef.DataDir.clear();
    SystemDef.DataPasName.clear();
    SystemDef.AppDataDir = inst_->AppDataDir().string();
    SystemDef.IniDir = inst_->IniDir().string();
    SystemDef.TempDir = inst_->AppTempDir().string();
    SystemDef.WorkDir = inst_->TempFolder().string();
    SystemDef.DocDir = inst_->DocumentsDir().string();
    SystemDef.JobLevel = 9;  // may use every facility: the rights check leaves the data alone
    fs::create_directories(inst_->AppTempDir());
    fs::create_directories(inst_->TempFolder());
    MenuHook = NullMenuHook;
    RegisterDataSentakuBox();
    DbUpdateCheckFactory = [] { return std::make_unique<NoUpdate>(); };
  }
  void TearDown() override {
    DbUpdateCheckFactory = nullptr;
    MenuHook = nullptr;
    DataListTestBase::TearDown();
  }

  // Moves the grid's cursor to the row of a data number, as the arrow keys would.
  static void GoTo(TDataSentakuBox& box, int rec) {
    box.PerfectGrid1->SetFocus();
    for (int r = 0; r < box.PerfectGrid1->Rows(); ++r)
      if (box.PerfectGrid1->CellText(kColNo, r) == std::to_string(rec)) {
        box.PerfectGrid1->SetCurCell(0, r);
        return;
      }
    ADD_FAILURE() << "no row " << rec;
  }
  static fs::path Db(int rec) { return inst_->DataFolder(rec) / "qvacc.fdb"; }
  static int64_t CompanyScalar(const fs::path& db, const std::string& sql) { return Scalar(db, sql); }
  static std::string AccReg(const fs::path& db, const std::string& key) {
    fixtures::DbSession s(db);
    TIBSQL q;
    s.Prepare(q, "SELECT ATEXT FROM ACCREG WHERE AGROUP='基本設定' AND ACODE='" + key + "'");
    q.ExecQuery();
    const std::string v = q.Eof() ? "" : q.FieldByName("ATEXT").AsString();
    q.Close();
    return v;
  }
  // The status the data set's settings file records.
  static int Status(int rec) {
    TDataInfomation info;
    TDataInfomationRec r;
    info.ReadDataInfo(inst_->DataFolder(rec).string(), r);
    return r.STATUS;
  }
  // Runs the dialog (type 0) with one step inside it.
  static void RunDialog(const std::function<void(TDataSentakuBox&)>& step) {
    uitest::ModalScript script({[&](TForm& f) {
      step(dynamic_cast<TDataSentakuBox&>(f));
      f.SetModalResult(mrCancel);
    }});
    RunSyoriModule("VqDataSenkaku", 1, "SyoriType=0");
    EXPECT_FALSE(script.WatchdogFired());
  }
};

// ---------------------------------------------------------------------------------------
// Save and restore

class SaveRestore : public DataSetOpsBase {
 protected:
  // A backup of 0003 with its trailer, made once as the save makes it.
  static fs::path Backup() {
    static TempDir* dir = new TempDir();
    const fs::path file = dir->Path() / "qvacc.fbk";
    if (!fs::exists(file)) {
      TDataInfomation info;
      TDataInfomationRec r;
      info.RefreshIniFile(inst_->DataFolder(3).string(), "DATAINFO");
      info.ReadDataInfo(inst_->DataFolder(3).string(), r);
      TBackupRestoreThread t(true);
      t.Mode = 0;
      t.DbFile = Db(3).string();
      t.BackupFile = file.string();
      t.SHOUGOU = r.SHOUGOU;
      t.KISHU = r.KISHU;
      t.KIMATU = r.KIMATU;
      t.SIWAKE = r.SIWAKE;
      t.TOTALSIWAKE = r.TOTALSIWAKE;
      t.DATAVARSION = "10.2.0";
      t.WriteInfo = 1;
      t.Resume();
      while (!t.IsTerminated()) WaitWithMessages(50);
      EXPECT_EQ(t.Succeeded, 1) << t.ErrorMessage1 << " " << t.ErrorMessage2;
    }
    return dir->Path();
  }

  // What a company database holds, in short: its name, journal lines and their numbers, and
  // its combination settings.
  static std::string Fingerprint(const fs::path& db) {
    fixtures::DbSession s(db);
    return std::to_string(s.Scalar("SELECT COUNT(*) FROM SIWAKE")) + "/" +
           std::to_string(s.Scalar("SELECT COALESCE(SUM(REC),0) FROM SIWAKE")) + "/" +
           std::to_string(s.Scalar("SELECT COUNT(*) FROM KAMOKUMST")) + "/" + AccReg(db, kGassanKindKey) + "/" +
           std::to_string(s.Scalar("SELECT CHAR_LENGTH(SHOUGOU) FROM ACCDEF1 WHERE REC=1"));
  }

  // F7's folder dialog answered with a folder by the browse button and OK; beforeOk runs
  // just before the click (a script for the form that comes next goes there).
  std::unique_ptr<uitest::ModalScript> ChooseRestoreFolder(const fs::path& folder,
                                                           std::function<void()> beforeOk = {}) {
    ui_.folderAnswers.push_back(folder.string());
    return std::make_unique<uitest::ModalScript>(std::vector<std::function<void(TForm&)>>{[beforeOk](TForm& f) {
      auto& b = dynamic_cast<TFileOperationBoxEx1&>(f);
      uitest::Click(b.btnSansyo);
      if (beforeOk) beforeOk();
      uitest::Click(b.btnOK);
    }});
  }
};

TEST_F(SaveRestore, F6SavesWithTrailerAndDecliningTheOverwriteKeepsTheOldFile) {
  TempDir dest;
  const fs::path file = dest.Path() / "qvacc.fbk";
  const std::string old = "an earlier backup";
  dest.Write("qvacc.fbk", old);
  QImage shot;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 3);
    for (int round = 0; round < 2; ++round) {
      ui_.folderAnswers.push_back(dest.Str());
      // First the overwrite question is declined, then agreed to.
      ui_.messageAnswers.push_back(round == 0 ? uis::mrCancel : uis::mrOk);
      uitest::ModalScript folder({[&](TForm& f) {
        auto& b = dynamic_cast<TFileOperationBox&>(f);
        uitest::Click(b.btnSansyo);
        if (round == 0) shot = f.grab().toImage();
        uitest::Click(b.btnOK);
      }});
      uitest::ShowActive(box);
      box.PerfectGrid1->SetFocus();
      uitest::Key(Qt::Key_F6);
      if (round == 0) EXPECT_EQ(ReadAll(file), old) << "declined: the old file stays";
    }
  });
  EXPECT_TRUE(shot.save(QStringLiteral("selection_save_folder.png")));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.MessageText(0), "この場所には、同じ名前のバックアップファイルが既に存在します。\n上書きしますか？");
  TBackupRestoreThread t(true);
  ASSERT_TRUE(t.ReadBackupInfo(file.string(), false));
  EXPECT_EQ(t.SHOUGOU, "最新物産");
  EXPECT_EQ(t.KISHU, "2016/04/01");
  EXPECT_EQ(t.TOTALSIWAKE, 20);
  EXPECT_EQ(Status(3), 1);
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected()) << "nothing left attached";
}

TEST_F(SaveRestore, SavingIntoTheApplicationTemporaryFolderIsRefused) {
  int32_t result = 9;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 3);
    // Another spelling of the same folder is the same folder.
    result = box.DataBackup((inst_->AppTempDir() / "." / "").string());
  });
  EXPECT_EQ(result, 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "このフォルダは選択出来ません。他の場所を選んで下さい。");
  EXPECT_FALSE(fs::exists(inst_->AppTempDir() / "qvacc.fbk"));
  EXPECT_EQ(Status(3), 1);
}

TEST_F(SaveRestore, F7RestoresIntoAnEmptyRow) {
  const fs::path from = Backup();
  std::string name, period;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 7);
    auto choose = ChooseRestoreFolder(from);
    uitest::Key(Qt::Key_F7);
    const int row = box.PerfectGrid1->Row();
    name = box.PerfectGrid1->CellText(kColName, row);
    period = box.PerfectGrid1->CellText(kColKikan, row);
  });
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(name, "最新物産");
  EXPECT_NE(period.find("2016"), std::string::npos) << period;
  EXPECT_EQ(Status(7), 1);
  EXPECT_EQ(CompanyScalar(Db(7), "SELECT COUNT(*) FROM SIWAKE"), CompanyScalar(Db(3), "SELECT COUNT(*) FROM SIWAKE"));
  fixtures::DbSession s(inst_->SystemDbFile());
  EXPECT_EQ(s.Scalar("SELECT CHAR_LENGTH(ENTTEXT) FROM DATALIST WHERE REC=7"), 4);
  // The backup itself is left as it was: the restore cut the trailer off its work copy only.
  TBackupRestoreThread t(true);
  EXPECT_TRUE(t.ReadBackupInfo((from / "qvacc.fbk").string(), false));
}

// Restores that must leave the target as it was: nothing to restore, refused, declined, or
// failed. The target is compared byte for byte with what it was just before the restore
// would have replaced it (the checks themselves open it).
TEST_F(SaveRestore, RefusedDeclinedAndFailedRestoresLeaveTheTarget) {
  const fs::path good = Backup();
  TempDir empty, damaged;
  // A damaged backup that still carries its trailer: the checks pass, the restore fails.
  {
    TBackupRestoreThread t(true);
    t.ReadBackupInfo((good / "qvacc.fbk").string(), false);
    damaged.Write("qvacc.fbk", std::string(100000, 'x'));
    t.WriteBackupInfo((damaged.Path() / "qvacc.fbk").string());
  }
  struct Case {
    const char* what;
    int rec;
    fs::path from;
    bool agree;                        // the check's box: agreed and OK, else Cancel (or OK alone)
    int expected;
    std::string message;               // a message of the UI services, or ""
    std::vector<std::string> boxLines; // the start of the lines of the check's box
  };
  const Case cases[] = {
      {"missing backup file", 3, empty.Path(), false, 0, "この場所には、バックアップファイル(qvacc.fbk)がありませんでした。", {}},
      {"normal data into combined data", 5, good, false, -1, "",
       {"以下のパターンの復元（貼付）は禁止されています。", " ①通常データ       を 合算データ（合算本支店データ） へ",
        " ②分散データ       を 合算データ（合算本支店データ） へ", " ③合算データ       を 合算本支店データ へ",
        " ④合算本支店データ を 合算データ へ"}},
      {"fewer journal entries, not agreed", 4, good, false, -1, "",
       {"仕訳件数(修正・削除仕訳含む)が減っています。", "　【復元元】：20 件", "　【復元先】：30 件"}},
      {"damaged backup, agreed", 4, damaged.Path(), true, -1, "データベースの復元処理を中止しました。",
       {"仕訳件数(修正・削除仕訳含む)が減っています。"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.messages.clear();
    const std::string fingerprint = Fingerprint(Db(c.rec));
    std::string before = ReadAll(Db(c.rec));
    int32_t result = 9;
    std::vector<std::string> lines;
    QImage shot;
    RunDialog([&](TDataSentakuBox& box) {
      GoTo(box, c.rec);
      std::unique_ptr<uitest::ModalScript> check;
      auto choose = ChooseRestoreFolder(c.from, [&] {
        check = std::make_unique<uitest::ModalScript>(std::vector<std::function<void(TForm&)>>{[&](TForm& m) {
        auto& mb = dynamic_cast<TMessageBox&>(m);
        lines = mb.Lines();
        shot = m.grab().toImage();
        before = ReadAll(Db(c.rec));
        if (c.agree) {
          uitest::Click(mb.cboxAgree);
          uitest::Click(mb.btnOK);
        } else {
          uitest::Click(mb.btnCancel->isVisible() ? mb.btnCancel : mb.btnOK);
        }
        }});
      });
      result = box.DataRestore("");
    });
    EXPECT_EQ(result, c.expected);
    if (!c.message.empty()) EXPECT_TRUE(ui_.Shown(c.message)) << (ui_.messages.empty() ? "" : ui_.MessageText(0));
    ASSERT_GE(lines.size(), c.boxLines.size());
    for (size_t i = 0; i < c.boxLines.size(); ++i) EXPECT_EQ(lines[i], c.boxLines[i]);
    if (c.rec == 4 && !c.agree) EXPECT_TRUE(shot.save(QStringLiteral("selection_restore_check.png")));
    if (c.expected == -1 && c.agree) {
      // The restore ran and failed: the engine's own checks before it attach the target,
      // which rewrites its header and transaction pages, so its content is compared.
      EXPECT_EQ(Fingerprint(Db(c.rec)), fingerprint);
    } else {
      EXPECT_TRUE(ReadAll(Db(c.rec)) == before) << "the target database is byte for byte as it was";
    }
    EXPECT_EQ(Status(c.rec), 1);
  }
  EXPECT_EQ(AccReg(Db(5), kGassanKindKey), "1") << "the combined data stays combined";
}

// ---------------------------------------------------------------------------------------
// Combined data

class CombinedData : public DataSetOpsBase {
 protected:
  void TearDown() override {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(inst_->DataFolder(5), ec))
      if (e.is_directory()) fs::remove_all(e.path(), ec);
    Sys({"DELETE FROM CHILD_DATALIST"});
    fixtures::DbSession s(Db(5));
    s.Exec("UPDATE ACCREG SET ATEXT='0' WHERE AGROUP='基本設定' AND ACODE='合算データ数'");
    s.Commit();
    DataSetOpsBase::TearDown();
  }
};

TEST_F(CombinedData, NextChildFolderNameCountsNumberedFoldersOnly) {
  TempDir dir;
  TGassanDataCtl ctl;
  struct Case {
    std::vector<std::string> folders;
    std::string next;
  };
  const Case cases[] = {
      {{}, "001"},
      {{"001", "007", "abc"}, "008"},
      {{"abc", "0x1"}, "001"},
  };
  for (const Case& c : cases) {
    const fs::path base = dir.Path() / ("case" + std::to_string(&c - cases));
    for (const auto& f : c.folders) fs::create_directories(base / f);
    fs::create_directories(base);
    EXPECT_EQ(ctl.NextChildFolderName(base.string(), 1), c.next);
  }
  EXPECT_EQ(ctl.NextChildFolderName((dir.Path() / "missing").string(), 1), "");
  fs::create_directories(dir.Path() / "full" / "999");
  EXPECT_THROW(ctl.NextChildFolderName((dir.Path() / "full").string(), 1), std::runtime_error);
}

TEST_F(CombinedData, F3AddsAClearedMemberUnderTheParent) {
  ASSERT_GT(CompanyScalar(Db(5), "SELECT COUNT(*) FROM SIWAKE"), 0);
  ui_.messageAnswers.push_back(uis::mrYes);
  std::vector<std::string> rows;
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 5);
    uitest::Key(Qt::Key_F3);
    for (int r = 0; r < 3; ++r) rows.push_back(box.PerfectGrid1->CellText(kColGassan, r + 4));
  });
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "分散入力用のデータを追加します。\nよろしいですか？");
  const fs::path child = inst_->DataFolder(5) / "001" / "qvacc.fdb";
  ASSERT_TRUE(fs::exists(child));
  EXPECT_EQ(CompanyScalar(child, "SELECT COUNT(*) FROM SIWAKE"), 0);
  EXPECT_EQ(CompanyScalar(child, "SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), 0);
  EXPECT_EQ(CompanyScalar(child, "SELECT COALESCE(SUM(SIWAKECOUNT),0) FROM SISETUMST"), 0);
  EXPECT_EQ(CompanyScalar(child, "SELECT COUNT(*) FROM KAMOKUMST"), CompanyScalar(Db(5), "SELECT COUNT(*) FROM KAMOKUMST"))
      << "the accounts are kept";
  EXPECT_EQ(AccReg(child, kGassanKindKey), "10");
  EXPECT_EQ(AccReg(child, kGassanCountKey), "0");
  EXPECT_EQ(AccReg(Db(5), kGassanCountKey), "1");
  EXPECT_GT(CompanyScalar(Db(5), "SELECT COUNT(*) FROM SIWAKE"), 0) << "the parent keeps its entries";
  EXPECT_EQ(SysScalar("SELECT COUNT(*) FROM CHILD_DATALIST WHERE REC=5 AND GASSAN=10 AND ROWNO=1"), 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"1", "10", "0"})) << "the member is listed under its parent";
}

TEST_F(CombinedData, A99thMemberIsTheLast) {
  std::vector<std::string> inserts;
  for (int i = 1; i <= 99; ++i)
    inserts.push_back("INSERT INTO CHILD_DATALIST(REC,ROWNO,GROUPID,ENTTEXT,PASNAME,GASSAN) VALUES(5," +
                      std::to_string(i) + "," + std::to_string(SystemDef.GroupId) + ",'m','" +
                      (inst_->DataFolder(5) / std::to_string(i)).string() + "',10)");
  Sys(inserts);
  RunDialog([&](TDataSentakuBox& box) {
    GoTo(box, 5);
    uitest::Key(Qt::Key_F3);
  });
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "これ以上の分散データの追加は行えません。(最大99件)\n");
  EXPECT_FALSE(fs::exists(inst_->DataFolder(5) / "001"));
}

TEST_F(CombinedData, AMedicalMemberKeepsOnlyItsFacility) {
  fixtures::CompanyPlan plan = fixtures::CompanyPlan::Medical();
  plan.dataNo = 6;
  fixtures::Company& medical = inst_->AddCompany(plan);
  medical.GenerateJournal({.seed = 6, .entries = 10});
  const fs::path folder = medical.Folder();
  {
    fixtures::DbSession s(medical.DbFile());
    s.Exec("UPDATE ACCREG SET ATEXT='2' WHERE AGROUP='基本設定' AND ACODE='合算データ区分'");
    s.Commit();
  }
  std::set<std::string> parentCodes;
  {
    fixtures::DbSession s(medical.DbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT SCODE FROM SISETUMST");
    for (q.ExecQuery(); !q.Eof(); q.Next()) parentCodes.insert(q.FieldByName("SCODE").AsString());
  }
  ASSERT_TRUE(parentCodes.count("01") && parentCodes.count("02"));
  TGassanDataCtl ctl;
  ctl.SetDataFolder(folder.string());
  ctl.SetDataRec(6);
  ctl.SetActive(true);
  EXPECT_NE(ctl.GassanRec().Siten, 0);
  ASSERT_TRUE(ctl.CreateChildData("01"));
  const fs::path child = folder / "01" / "qvacc.fdb";
  std::set<std::string> childCodes;
  {
    fixtures::DbSession s(child);
    TIBSQL q;
    s.Prepare(q, "SELECT SCODE FROM SISETUMST");
    for (q.ExecQuery(); !q.Eof(); q.Next()) childCodes.insert(q.FieldByName("SCODE").AsString());
  }
  std::set<std::string> expected;
  for (const char* code : {" ", "01"})
    if (parentCodes.count(code)) expected.insert(code);
  EXPECT_EQ(childCodes, expected);
  EXPECT_EQ(CompanyScalar(child, "SELECT COUNT(*) FROM SIWAKE"), 0);
  fs::remove_all(folder / "01");
}

// The clearing deletes: it never runs on any database but the member's own copy.
TEST_F(CombinedData, ClearingRefusesAFolderWithoutTheMembersDatabase) {
  TempDir stray;
  ASSERT_TRUE(DM->fnAccDatConnected("", inst_->DataFolder(5).string(), false));
  const int64_t entries = CompanyScalar(Db(5), "SELECT COUNT(*) FROM SIWAKE");
  TGassanDataCtl ctl;
  ctl.SetChild(stray.Str(), "");
  EXPECT_THROW(ctl.AccDataSyokika(), std::exception);
  EXPECT_TRUE(ui_.Shown("分散入力用データの初期化に失敗しました。"));
  if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(inst_->DataFolder(5).string(), false, false);
  EXPECT_EQ(CompanyScalar(Db(5), "SELECT COUNT(*) FROM SIWAKE"), entries);
}

// ---------------------------------------------------------------------------------------
// Take-out and bring-back: a client/server installation on a loopback server (its data set
// 0003) beside this computer's own local installation (the suite's, with its empty row 0007).

class TakeOut : public DataSetOpsBase {
 protected:
  static void SetUpTestSuite() {
    DataSetOpsBase::SetUpTestSuite();
    srvRoot_ = new TempDir;
    srv_ = new fixtures::Installation(srvRoot_->Path() / "srv", {});
    fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
    plan.dataNo = 3;
    plan.dataCode = "S001";
    plan.name = "本店物産";
    srv_->AddCompany(plan).GenerateJournal({.seed = 9, .entries = 12, .deletedPerMille = 0, .correctedPerMille = 0});
    server_ = new FirebirdServer(FirebirdServer::FileRoutines());
    server_->AllowFileRoots({srvRoot_->Path(), inst_->Root()});
    // The server's own declarations of the file routines.
    for (const auto& [file, script] :
         {std::pair<fs::path, std::string>{srv_->SystemDbFile(), "system_udr.sql"}, {srv_->FileManDbFile(), "fileman_udr.sql"}}) {
      server_->DeclareFileRoutines(file, script);
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    delete srv_;
    delete srvRoot_;
    DataSetOpsBase::TearDownTestSuite();
  }
  void SetUp() override {
    DataSetOpsBase::SetUp();
    DM->IBDatabaseDEF.Close();
    ConnectMode = 1;
    SystemDef.HostName = server_->Host();
    SystemDef.SysDir = srv_->SysDir().string();
    SystemDef.SrvWorkDir = (srvRoot_->Path() / "work").string();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    std::error_code ec;
    fs::remove(inst_->TempFolder() / "qvacc.fbk", ec);
    Server({"UPDATE DATALIST SET DATALOCK=0 WHERE REC=3"});
  }
  void TearDown() override {
    DM->IBFileMan.Close();
    DM->IBDatabaseDEF.Close();
    ConnectMode = 0;
    DataSetOpsBase::TearDown();
  }
  static std::string OnServer(const fs::path& file) { return server_->Host() + ":" + file.string(); }
  static void Server(const std::vector<std::string>& statements) {
    fixtures::DbSession s(OnServer(srv_->SystemDbFile()));
    for (const auto& sql : statements) s.Exec(sql);
    s.Commit();
  }
  static int64_t ServerLock() {
    fixtures::DbSession s(OnServer(srv_->SystemDbFile()));
    return s.Scalar("SELECT DATALOCK FROM DATALIST WHERE REC=3");
  }
  static int32_t OpCode() { return OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId); }

  // F3 on the server row 0003, the choice answered with OK (shown: whether take-out is
  // enabled and which is checked); the nested local selection is `nested`'s to drive.
  bool F3(TDataSentakuBox& box, std::vector<std::function<void(TForm&)>> nested, bool* takeOutEnabled = nullptr,
          bool* bringBackChecked = nullptr) {
    GoTo(box, 3);
    std::unique_ptr<uitest::ModalScript> inner;
    uitest::ModalScript which({[&](TForm& f) {
      auto& w = dynamic_cast<TWhichDataSetBox&>(f);
      if (takeOutEnabled) *takeOutEnabled = w.btnMochidashi->isEnabled();
      if (bringBackChecked) *bringBackChecked = w.btnMochikaeri->Checked();
      if (!nested.empty()) inner = std::make_unique<uitest::ModalScript>(nested);
      uitest::Click(w.btnOK);
    }});
    return box.TakeOutBringBack();
  }
  // The nested selection: Enter on the local row 0007.
  static std::vector<std::function<void(TForm&)>> ChooseLocal7() {
    return {[](TForm& f) {
      auto& local = dynamic_cast<TDataSentakuBox&>(f);
      GoTo(local, 7);
      uitest::Key(Qt::Key_Return);
    }};
  }

  static inline TempDir* srvRoot_ = nullptr;
  static inline fixtures::Installation* srv_ = nullptr;
  static inline FirebirdServer* server_ = nullptr;
};

TEST_F(TakeOut, TakeOutRestoresLocallyAndLocksTheServerRow) {
  bool out = false, again = true, takeOutEnabled = true, bringBackChecked = false;
  RunDialog([&](TDataSentakuBox& box) {
    out = F3(box, ChooseLocal7());
    // The choice once more, for a row now taken out; cancelled.
    uitest::ShowActive(box);
    GoTo(box, 3);
    uitest::ModalScript which({[&](TForm& f) {
      auto& w = dynamic_cast<TWhichDataSetBox&>(f);
      takeOutEnabled = w.btnMochidashi->isEnabled();
      bringBackChecked = w.btnMochikaeri->Checked();
      uitest::Click(w.btnCancel);
    }});
    again = box.TakeOutBringBack();
  });
  EXPECT_TRUE(out);
  EXPECT_TRUE(ui_.Shown("続いて、このコンピュータのデータリストを表示します。"));
  // The server's data set went into the local row.
  fixtures::DbSession local(inst_->SystemDbFile());
  TIBSQL q;
  local.Prepare(q, "SELECT SHOUGOU FROM DATALIST WHERE REC=7");
  q.ExecQuery();
  EXPECT_EQ(q.Eof() ? "" : q.FieldByName("SHOUGOU").AsString(), "本店物産");
  q.Close();
  EXPECT_EQ(ServerLock(), OpCode());
  EXPECT_FALSE(takeOutEnabled) << "data taken out can only be brought back";
  EXPECT_TRUE(bringBackChecked);
  EXPECT_FALSE(again);
  EXPECT_EQ(ConnectMode, 1) << "the connection points at the server again";
  EXPECT_EQ(SystemDef.SysDir, srv_->SysDir().string());
}

// Taken out, worked on here, brought back: the server's data set is the local copy with its
// work, and the row is free again.
TEST_F(TakeOut, ABringBackReplacesTheServerDataAndUnlocksTheRow) {
  const fs::path serverDb = srv_->DataFolder(3) / "qvacc.fdb";
  const std::string marked = "SELECT COUNT(*) FROM SIWAKE WHERE COMMENT='持ち帰り'";
  bool out = false, back = false;
  RunDialog([&](TDataSentakuBox& box) {
    out = F3(box, ChooseLocal7());
    {
      fixtures::DbSession local(Db(7));
      local.Exec("UPDATE SIWAKE SET COMMENT='持ち帰り' WHERE REC=(SELECT MIN(REC) FROM SIWAKE)");
      local.Commit();
    }
    uitest::ShowActive(box);
    back = F3(box, ChooseLocal7());
  });
  ASSERT_TRUE(out);
  std::string shown;
  for (const auto& m : ui_.messages) shown += (m.lines.empty() ? "" : m.lines.front()) + " | " + m.detail + "\n";
  EXPECT_TRUE(back) << shown;
  EXPECT_FALSE(ui_.Shown("データベースの復元処理を中止しました。"));
  EXPECT_EQ(ServerLock(), 0);
  fixtures::DbSession s(OnServer(serverDb));
  EXPECT_EQ(s.Scalar(marked), 1) << "the work done on the taken-out copy is on the server";
  EXPECT_FALSE(fs::exists(serverDb.parent_path() / "qvacc.fr_"));
  EXPECT_EQ(ConnectMode, 1);
}

TEST_F(TakeOut, AFailedBringBackRestoreKeepsTheServerRowLocked) {
  Server({"UPDATE DATALIST SET DATALOCK=" + std::to_string(OpCode()) + " WHERE REC=3"});
  bool back = true;
  RunDialog([&](TDataSentakuBox& box) {
    // The local selection "saves" a damaged backup of the company into the transfer folder.
    box.RunNested = [](const std::string&, int32_t, const std::string& params) {
      EXPECT_NE(params.find("OnlySA_Syori=Backup"), std::string::npos) << params;
      TBackupRestoreThread t(true);
      t.SHOUGOU = "本店物産";
      t.KISHU = "2016/04/01";
      t.KIMATU = "2017/03/31";
      t.TOTALSIWAKE = 12;
      std::ofstream(inst_->TempFolder() / "qvacc.fbk", std::ios::binary) << std::string(50000, 'x');
      t.WriteBackupInfo((inst_->TempFolder() / "qvacc.fbk").string());
      return 1;
    };
    back = F3(box, {});
  });
  EXPECT_FALSE(back);
  EXPECT_TRUE(ui_.Shown("データベースの復元処理を中止しました。"));
  EXPECT_EQ(ServerLock(), OpCode());
}

TEST_F(TakeOut, CancellingTheLocalSelectionLeavesTheRowUnlocked) {
  bool out = true;
  RunDialog([&](TDataSentakuBox& box) {
    out = F3(box, {[](TForm&) { uitest::Key(Qt::Key_Escape); }});
  });
  EXPECT_TRUE(out);
  EXPECT_EQ(ServerLock(), 0);
  EXPECT_TRUE(fs::exists(inst_->TempFolder() / "qvacc.fbk")) << "the saved data stays in the transfer folder";
  EXPECT_EQ(ConnectMode, 1);
}

}  // namespace
