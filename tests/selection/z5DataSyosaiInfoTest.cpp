// The details dialog: what the status decides (clear box, OK) as one table over statuses,
// connection modes and operators; the labels of a per-data settings file; the blank display
// name that is never returned; and the rebuild of a fixture company, whose failure leaves the
// database as it was. Picture: selection_datadetails.png.
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClasses.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccRecord.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "data/uAccRecordHooks.h"
#include "ServerDbTestBase.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5DataSyosaiInfo.h"
#include "ui/PerfectGrid.h"
#include "support/DataModuleTestBase.h"
#include "ui/UiTestSupport.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(DataDetailsRules, StatusDecidesClearBoxAndOk) {
  constexpr int32_t kGroup = 10000;
  constexpr int32_t kMe = kGroup * 10000 + 11;
  constexpr int32_t kOther = kGroup * 10000 + 12;
  struct Case {
    const char* what;
    uint8_t status, mode;
    bool readOnly, admin;
    int32_t holder, group;
    bool canClear, clearBox, ok;
  };
  const Case cases[] = {
      {"closed, local", 1, 0, false, false, 0, kGroup, false, false, true},
      {"closed, read-only", 1, 0, true, false, 0, kGroup, false, false, false},
      {"in use by me after a crash, local", 2, 0, false, false, kMe, kGroup, true, true, true},
      {"in use by another operator, local", 2, 0, false, false, kOther, kGroup, false, false, true},
      {"in use by another, read-only", 2, 0, true, false, kOther, kGroup, false, false, false},
      {"in use by another, administrator", 2, 0, true, true, kOther, kGroup, true, true, true},
      {"in use is normal on a server", 2, 1, false, false, kOther, kGroup, false, false, true},
      {"in use is normal in terminal mode", 2, 2, false, true, kOther, kGroup, false, false, true},
      {"being created, by me, server", 9, 1, false, false, kMe, kGroup, true, true, true},
      {"no data", 0, 0, true, true, 0, kGroup, true, true, false},
      {"broken", 10, 0, false, true, kMe, kGroup, true, false, false},
      {"group 0: the logon id is the code", 4, 2, true, false, 11, 0, true, true, true},
      {"group 0, another operator", 4, 2, true, false, 12, 0, false, false, false},
  };
  for (const Case& c : cases) {
    const int32_t logon = c.group == 0 ? 11 : kMe;
    const TDataDetailsShow s = DataDetailsShow(c.status, c.mode, c.readOnly, c.admin, logon, c.holder, c.group);
    EXPECT_EQ(s.CanClearStatus, c.canClear) << c.what;
    EXPECT_EQ(s.ClearBoxVisible, c.clearBox) << c.what;
    EXPECT_EQ(s.OkVisible, c.ok) << c.what;
  }
}

TEST(DataDetailsRules, KindNames) {
  const std::pair<std::pair<int, int>, const char*> kinds[] = {
      {{1, 1}, "法人"},     {{2, 1}, "個人(一般)"}, {{2, 2}, "個人(不動産)"}, {{3, 1}, "医療法人"},
      {{2, 3}, "個人(クリニック)"}, {{2, 4}, "個人(農業)"}, {{1, 2}, "設定なし"},  {{0, 0}, "設定なし"}};
  for (const auto& [pair, name] : kinds) EXPECT_EQ(DataKbnName(pair.first, pair.second), name);
}

// A details dialog whose rebuild worker can be made to fail the way a broken restore would:
// the database it worked on is left destroyed.
class FailingRebuildBox : public TDataSyosaiInfoBox {
 public:
  using TDataSyosaiInfoBox::TDataSyosaiInfoBox;
  bool fail = false;
  std::string workedOn;

 protected:
  bool RunWorker(TBackupRestoreThread& worker) override {
    workedOn = worker.DbFile;
    if (!fail) return TDataSyosaiInfoBox::RunWorker(worker);
    std::ofstream(worker.DbFile, std::ios::binary | std::ios::trunc) << "half a database";
    return false;
  }
};

class DataDetails : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
 protected:
  static void SetUpTestSuite() {
    OneCompanyTestBase::SetUpTestSuite();
    company_->GenerateJournal({.seed = 5, .entries = 40});
  }
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    SystemDef.TempDir = inst_->AppTempDir().string();
    fs::create_directories(SystemDef.TempDir);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    box_ = CreateForm<FailingRebuildBox>(nullptr);
  }
  void TearDown() override {
    if (box_) box_->Free();
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    OneCompanyTestBase::TearDown();
  }

  // A copy of the fixture company in a folder of its own (the case of its name kept).
  static fs::path CopyCompany(const std::string& name) {
    const fs::path dir = inst_->SysDir() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(company_->Folder()))
      if (e.is_regular_file()) fs::copy_file(e.path(), dir / e.path().filename());
    return dir;
  }
  void Open(const fs::path& folder, const std::string& listName = "") {
    TDataListRec row;
    row.REC = company_->DataNo();
    row.SHOUGOU = "会社";
    box_->ServerMode = false;
    box_->RowRef = row;
    box_->DetailFolder = folder.string();
    box_->ListName = listName;
    box_->UpdateLock = 0;
    box_->ReadOnly = false;
    box_->Setup(1);
  }

  std::unique_ptr<fixtures::InstallationEnv> env_;
  FailingRebuildBox* box_ = nullptr;
};

TEST_F(DataDetails, LabelsComeFromTheFoldersSettings) {
  const fs::path folder = inst_->SysDir() / "Details";
  fs::create_directories(folder);
  std::ofstream(folder / "qvacc.fdb") << "";  // only its presence counts here
  TDataInfomation info;
  TDataInfomationRec rec;
  info.InitDataInfoRec(rec);
  rec.STATUS = 1;
  rec.CODE = "A-12";
  rec.DATAKBN = 2;
  rec.CODEKBN = 2;
  rec.SHOUGOU = "山田不動産";
  rec.KANA = "ﾔﾏﾀﾞﾌﾄﾞｳｻﾝ";
  rec.NENDO = 7;
  rec.KISHU = "2023/01/01";
  rec.KIMATU = "2023/12/31";
  rec.TANTO = 15;
  rec.BUMON = 2;
  rec.BUMONCNT = 3;
  rec.SITEN = 1;
  rec.SITENCNT = 4;
  rec.SIWAKE = 1234;
  info.WriteIniFile(folder.string(), "", rec);

  Open(folder);
  EXPECT_EQ(box_->lblStatus->Caption(), "－");
  EXPECT_EQ(box_->lblCode->Caption(), "A-12");
  EXPECT_EQ(box_->lblDataKbn->Caption(), "個人(不動産)");
  EXPECT_EQ(box_->lblName->Caption(), "山田不動産");
  EXPECT_EQ(box_->lblKana->Caption(), "ﾔﾏﾀﾞﾌﾄﾞｳｻﾝ");
  EXPECT_EQ(box_->txtListName->Text(), "山田不動産");  // no list name of its own
  EXPECT_EQ(box_->lblNendo->Caption(), "7期");
  EXPECT_NE(box_->lblKikan->Caption().find("2023/01/01"), std::string::npos) << box_->lblKikan->Caption();
  EXPECT_EQ(box_->lblTanto->Caption(), "15");
  EXPECT_EQ(box_->lblBumonKanri->Caption(), "全科目に3部門設定");
  EXPECT_EQ(box_->lblSitenKanri->Caption(), "4支店設定");
  EXPECT_EQ(box_->lblSiwakeKensu->Caption(), "1234件");
  EXPECT_EQ(box_->F7->CaptionA().Caption(), "F7:再構築");
  EXPECT_EQ(box_->txtDataPath->Lines(), std::vector<std::string>{"[" + AppInfo.AppTitle + "のデータ]/Details"});

  // Locked data: the counts are not shown; a missing folder shows nothing at all.
  rec.STATUS = 3;
  info.WriteIniFile(folder.string(), "DATASTS", rec);
  Open(folder, "一覧名");
  EXPECT_EQ(box_->txtListName->Text(), "一覧名");
  EXPECT_EQ(box_->lblKana->Caption(), "-");
  EXPECT_EQ(box_->lblSiwakeKensu->Caption(), "-件");
  EXPECT_TRUE(box_->ReadOnly);
  Open(inst_->SysDir() / "Missing");
  EXPECT_EQ(box_->lblCode->Caption(), "設定なし");
  EXPECT_EQ(box_->lblKikan->Caption(), "設定なし");
  EXPECT_EQ(box_->lblDataKbn->Caption(), "設定なし");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
}

TEST_F(DataDetails, ABlankNameOffersTheCompanyNameAndNeverCloses) {
  const fs::path folder = CopyCompany("Blank");
  Open(folder);
  QImage shot;
  int afterCancel = -1, afterOk = -1;
  std::string offered;
  uitest::ModalScript script({[&](TForm&) {
                                shot = box_->grab().toImage();
                                box_->txtListName->SetText("　 ");
                                ui_.messageAnswers = {uis::mrCancel};
                                box_->btnOKClick(box_->btnOK);
                                afterCancel = box_->ModalResult();
                                ui_.messageAnswers = {uis::mrOk};
                                box_->btnOKClick(box_->btnOK);
                                afterOk = box_->ModalResult();
                                offered = box_->txtListName->Text();
                              },
                              [&](TForm&) { uitest::Click(box_->btnOK); }});
  ASSERT_EQ(box_->ShowModal(), mrOk);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(shot.save(QStringLiteral("selection_datadetails.png")));
  EXPECT_EQ(afterCancel, mrNone);
  EXPECT_EQ(afterOk, mrNone);
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.MessageText(0), "データリスト名が入力されていません。会社名を設定しますか？");
  EXPECT_EQ(offered, box_->lblName->Caption());
  EXPECT_EQ(box_->ListName, box_->lblName->Caption());
  EXPECT_FALSE(box_->ListName.empty());
}

TEST_F(DataDetails, RebuildKeepsTheJournalAndMarksTheDataClosed) {
  const fs::path folder = CopyCompany("Rebuild");
  const int64_t journal = fixtures::DbSession(folder / "qvacc.fdb").Scalar("SELECT COUNT(*) FROM SIWAKE");
  ASSERT_GT(journal, 0);
  TDataInfomation info;
  info.SetStatus(folder.string(), 2);  // left in use by a crash
  Open(folder);
  ui_.messageAnswers = {uis::mrOk};
  box_->F1Click(box_->F7);
  EXPECT_TRUE(box_->Rebuilt);
  EXPECT_TRUE(ui_.Shown("データの再構築は適正に行われました。")) << ui_.MessageText(0);
  EXPECT_EQ(box_->workedOn, (folder / "qvacc.fdb").string());
  EXPECT_EQ(fixtures::DbSession(folder / "qvacc.fdb").Scalar("SELECT COUNT(*) FROM SIWAKE"), journal);
  TDataInfomationRec rec;
  info.ReadDataInfo(folder.string(), rec);
  EXPECT_EQ(rec.STATUS, 1);
  EXPECT_FALSE(fs::exists(folder / "qvacc.fd_"));
  EXPECT_FALSE(fs::exists(inst_->AppTempDir() / "qvacc.fb_"));
}

TEST_F(DataDetails, AFailedRebuildLeavesTheDatabaseAsItWas) {
  for (bool serverMode : {false, true}) {
    SCOPED_TRACE(serverMode);
    const fs::path folder = CopyCompany(serverMode ? "FailShared" : "FailLocal");
    const std::string before = ReadAll(folder / "qvacc.fdb");
    Open(folder);
    box_->ServerMode = serverMode;
    box_->Setup(1);
    ASSERT_TRUE(box_->CanRebuild);
    box_->fail = true;
    EXPECT_FALSE(box_->RebuildDatabase());
    EXPECT_FALSE(box_->Rebuilt);
    // Shared data is rebuilt on a working copy; local data in place, from its safety copy.
    EXPECT_EQ(box_->workedOn, serverMode ? (inst_->AppTempDir() / "qvacc.fdb").string() : (folder / "qvacc.fdb").string());
    EXPECT_TRUE(ReadAll(folder / "qvacc.fdb") == before);
    EXPECT_FALSE(fs::exists(folder / "qvacc.fd_"));
    EXPECT_FALSE(fs::exists(inst_->AppTempDir() / "qvacc.fdb"));
    EXPECT_GT(fixtures::DbSession(folder / "qvacc.fdb").Scalar("SELECT COUNT(*) FROM SIWAKE"), 0);
  }
}

// The data-selection dialog's 情報 button: a new display name and update lock go to the row,
// the data list and the folder's settings.
TEST_F(DataDetails, TheSelectionDialogStoresWhatTheDetailsChanged) {
  MenuHook = NullMenuHook;
  auto* sel = CreateForm<TDataSentakuBox>(nullptr);
  sel->SetParams({"SyoriType=0"});
  sel->Reload();
  int row = -1;
  for (int r = 0; r < sel->PerfectGrid1->Rows(); ++r)
    if (sel->PerfectGrid1->CellText(kColNo, r) == std::to_string(company_->DataNo())) row = r;
  ASSERT_GE(row, 0);
  sel->PerfectGrid1->SetCurCell(0, row);
  std::string shownFolder;
  uitest::ModalScript script({[&](TForm& f) {
    auto& details = dynamic_cast<TDataSyosaiInfoBox&>(f);
    shownFolder = details.DetailFolder;
    details.txtListName->SetText("表示用の名前");
    details.cboxDataUpdateLock->SetChecked(true);
    uitest::Click(details.btnOK);
  }});
  sel->btnDataInfoClick(sel->btnDataInfo);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(shownFolder, company_->Folder().string()) << "the folder keeps its case for file access";
  EXPECT_EQ(sel->PerfectGrid1->CellText(kColName, row), "表示用の名前");
  EXPECT_EQ(sel->GetRowRecord(row).UPDATE_LOCK, 1);
  TDataInfomation info;
  TDataInfomationRec rec;
  info.ReadDataInfo(company_->Folder().string(), rec);
  EXPECT_EQ(rec.DATALISTNAME, "表示用の名前");
  EXPECT_EQ(rec.UPDATE_LOCK, 1);
  sel->Free();
  MenuHook = nullptr;
}

// In the client/server modes the rebuild runs through the server's services on the server's
// files, with the data-list row locked for this operator meanwhile.
class LockWatchingBox : public TDataSyosaiInfoBox {
 public:
  using TDataSyosaiInfoBox::TDataSyosaiInfoBox;
  std::function<void()> whileRunning;

 protected:
  bool RunWorker(TBackupRestoreThread& worker) override {
    if (whileRunning) whileRunning();
    return TDataSyosaiInfoBox::RunWorker(worker);
  }
};

class DataDetailsServer : public ServerDbTestBase {
 protected:
  static void SetUpTestSuite() {
    ServerDbTestBase::SetUpTestSuite();
    company_ = &inst_->AddCompany(fixtures::CompanyPlan::Corporation());
    company_->GenerateJournal({.seed = 9, .entries = 30});
  }
  static int64_t Journal(const fs::path& db) {
    TIBDatabase d;
    d.DatabaseName = server_->Host() + ":" + db.string();
    d.Params = FirebirdServer::UserParams();
    d.Open();
    TIBTransaction tr;
    tr.SetDefaultDatabase(&d);
    tr.StartTransaction();
    TIBSQL q;
    q.SetDatabase(&d);
    q.SetTransaction(&tr);
    q.SQL = "SELECT COUNT(*) FROM SIWAKE";
    q.ExecQuery();
    const int64_t n = q.Fields(0).AsInteger();
    q.Close();
    tr.Commit();
    d.Close();
    return n;
  }
  static inline fixtures::Company* company_ = nullptr;
};

TEST_F(DataDetailsServer, RebuildOnTheServerLocksTheRowMeanwhile) {
  const fs::path folder = server_->DataDir() / "companies" / "C0001";
  fs::create_directories(folder);
  fs::copy_file(company_->DbFile(), folder / "qvacc.fdb", fs::copy_options::overwrite_existing);
  Exec("UPDATE DATALIST SET PASNAME='" + folder.string() + "', DATALOCK=0 WHERE REC=1");
  const int64_t journal = Journal(folder / "qvacc.fdb");
  ASSERT_GT(journal, 0);

  auto* box = CreateForm<LockWatchingBox>(nullptr);
  TDataListRec row;
  row.REC = 1;
  row.SHOUGOU = "会社";
  box->RowRef = row;
  box->DetailFolder = folder.string();
  box->Setup(1);
  EXPECT_EQ(box->F7->CaptionA().Caption(), "F7:再構築");
  int64_t lockMeanwhile = -1;
  box->whileRunning = [&] { lockMeanwhile = Count("SELECT DATALOCK FROM DATALIST WHERE REC=1"); };
  ui_.messageAnswers = {uis::mrOk};
  box->F1Click(box->F7);
  EXPECT_TRUE(box->Rebuilt) << (ui_.messages.empty() ? "" : ui_.MessageText(ui_.messages.size() - 1));
  EXPECT_EQ(lockMeanwhile, OperatorCodeOf(SystemDef.LogonId, SystemDef.GroupId));
  EXPECT_EQ(Count("SELECT DATALOCK FROM DATALIST WHERE REC=1"), 0);
  EXPECT_EQ(Journal(folder / "qvacc.fdb"), journal);
  EXPECT_FALSE(fs::exists(folder / "qvacc.fd_"));
  EXPECT_FALSE(fs::exists(folder / "qvacc.fb_"));
  box->Free();
}

}  // namespace
