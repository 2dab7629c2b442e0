// The framework hooks: starting a module by program id, and the check of a data folder.
#include "app/SyoriKidou.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppTestEnv.h"
#include "data/uAccRecordHooks.h"
#include "fixtures/FixtureDb.h"
#include "platform/ini/IniFile.h"
#include "ui/forms/Application.h"

namespace {

constexpr const char* kMissingInterface =
    "処理を起動するためのインターフェースが実装されていません。\nライブラリのロードに失敗した可能性があります。";

// A module that records what it was handed and whether the hourglass showed while it ran.
class RecordingModule : public QObject, public ISyoriKidou {
 public:
  explicit RecordingModule(std::vector<std::string>* params, bool* busy, bool* modal)
      : params_(params), busy_(busy), modal_(modal) {}
  void SetParams(const std::vector<std::string>& Params) override { *params_ = Params; }
  int32_t Execute(bool Modal) override {
    *busy_ = forms::Screen().Cursor() == forms::crHourGlass;
    *modal_ = Modal;
    deleteLater();
    return 7;
  }

 private:
  std::vector<std::string>* params_;
  bool* busy_;
  bool* modal_;
};

class RunSyoriModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSyoriClass([this] { return new RecordingModule(&params_, &busy_, &modal_); }, "VqDataSenkaku");
    RegisterSyoriClass([] { return new QObject; }, "NoInterface");
  }
  void TearDown() override {
    ClearSyoriClasses();
    forms::Screen().SetCursor(forms::crDefault);
  }
  ScriptedUi ui_;
  ScopedUi use_{ui_};
  std::vector<std::string> params_;
  bool busy_ = false;
  bool modal_ = false;
};

TEST_F(RunSyoriModuleTest, RunsTheRegisteredModuleWithTheFormStyleLineAppended) {
  struct Case {
    int32_t mode;
    const char* formStyle;
    bool modal;
  };
  for (const Case& c : {Case{1, "FormStyle=2", true}, Case{0, "FormStyle=0", false}, Case{2, "FormStyle=0", false}}) {
    // Found whatever the letter case of the id.
    EXPECT_EQ(RunSyoriModule("vqdatasenkaku", c.mode, "SyoriType=3\rJyokenSet=1\r\nDataVerMajor=10"), 7);
    EXPECT_EQ(params_, (std::vector<std::string>{"SyoriType=3", "JyokenSet=1", "DataVerMajor=10", c.formStyle}));
    EXPECT_EQ(modal_, c.modal);
    EXPECT_TRUE(busy_) << "the hourglass shows while the module starts";
    EXPECT_EQ(forms::Screen().Cursor(), forms::crDefault);
  }
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RunSyoriModuleTest, RefusesWithMinusOne) {
  // No id, and a start while another is under way: nothing shown.
  EXPECT_EQ(RunSyoriModule("", 1, ""), -1);
  forms::Screen().SetCursor(forms::crHourGlass);
  EXPECT_EQ(RunSyoriModule("VqDataSenkaku", 1, ""), -1);
  EXPECT_EQ(forms::Screen().Cursor(), forms::crHourGlass) << "the start under way keeps its cursor";
  forms::Screen().SetCursor(forms::crDefault);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(params_.empty());

  // An id nobody registered (the new-data wizard) and a form without the module interface.
  for (const char* id : {"VqKihonWiz", "NoInterface"}) {
    ui_.messages.clear();
    EXPECT_EQ(RunSyoriModule(id, 1, "DataPath=x"), -1) << id;
    ASSERT_EQ(ui_.messages.size(), 1u) << id;
    EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
    EXPECT_EQ(ui_.MessageText(0), kMissingInterface);
    EXPECT_EQ(forms::Screen().Cursor(), forms::crDefault);
  }
}

TEST(FrameworkHooks, InstalledAndCleared) {
  InstallFrameworkHooks();
  ASSERT_TRUE(MenuHook && RunSyoriModuleProc && DataCheckHook);
  EXPECT_EQ(MenuHook(10, ""), 0);
  EXPECT_EQ(MenuHook(11, "LomatraMenu"), 0);
  EXPECT_EQ(RunSyoriModuleProc("", 1, ""), -1);
  ClearFrameworkHooks();
  EXPECT_FALSE(MenuHook || RunSyoriModuleProc || DataCheckHook);
}

class VerifyDataFolderTest : public AppTestBase {
 protected:
  void SetUp() override {
    AppTestBase::SetUp();
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.LogDir = inst_->LogDir().string();
    ConnectMode = 0;
    CreateDataModule();
    ASSERT_TRUE(StandInLogon());
  }
  void TearDown() override {
    SetValidateDataFile(nullptr);
    AppTestBase::TearDown();
  }
  int64_t SysScalar(const std::string& sql) { return fixtures::DbSession(inst_->SystemDbFile()).Scalar(sql); }
  static int Status(const std::filesystem::path& folder) {
    return TIniFile((folder / "qvacc.ini").string()).ReadInteger("DATASTS", "STATUS", -1);
  }
};

TEST_F(VerifyDataFolderTest, ASoundDataSetPassesTheEngineValidation) {
  int32_t result = -1;
  SystemDef.DataCheckFailed = 1;
  VerifyDataFolder("", company_->Folder().string(), 0, result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(SystemDef.DataCheckFailed, 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(VerifyDataFolderTest, ABrokenDatabaseFileIsReportedAndMarked) {
  // A folder the data list does not know, holding a database file that is not one.
  const std::filesystem::path folder = inst_->SysDir() / "9999";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "qvacc.fdb") << std::string(8192, 'x');
  int32_t result = -1;
  VerifyDataFolder("127.0.0.1", folder.string(), 0, result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(SystemDef.DataCheckFailed, 1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
  EXPECT_NE(ui_.MessageText(0).find("データ検証の結果、このデータは破損している恐れがあります。"), std::string::npos);
  EXPECT_EQ(Status(folder), 10);
}

TEST_F(VerifyDataFolderTest, TheDataListRowOfTheFolderIsMarked) {
  // Which row a folder has: a data set's own row, or the child row below it.
  fixtures::DbSession s(inst_->SystemDbFile());
  s.Exec("INSERT INTO CHILD_DATALIST (REC, ROWNO, DATA_STATUS) VALUES (" + std::to_string(company_->DataNo()) +
         ", 2, 0)");
  s.Exec("UPDATE DATALIST SET DATA_STATUS=0");
  s.Commit();
  std::vector<std::string> checked;
  SetValidateDataFile([&](const std::string& host, const std::string& file) {
    checked.push_back(host + "|" + file);
    return false;
  });
  const std::string rec = std::to_string(company_->DataNo());
  const std::filesystem::path child = company_->Folder() / "0002";
  std::filesystem::create_directories(child);

  int32_t result = -1;
  VerifyDataFolder("", child.string(), 1, result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(SystemDef.DataCheckFailed, 1);
  EXPECT_TRUE(ui_.messages.empty()) << "quiet";
  EXPECT_EQ(SysScalar("SELECT DATA_STATUS FROM CHILD_DATALIST WHERE REC=" + rec + " AND ROWNO=2"), 1);
  EXPECT_EQ(SysScalar("SELECT DATA_STATUS FROM DATALIST WHERE REC=" + rec), 0);
  EXPECT_EQ(Status(child), 10);

  VerifyDataFolder("dbserver", company_->Folder().string(), 1, result);
  EXPECT_EQ(SysScalar("SELECT DATA_STATUS FROM DATALIST WHERE REC=" + rec), 1);
  EXPECT_EQ(checked, (std::vector<std::string>{"|" + child.string() + "/qvacc.fdb",
                                               "dbserver|" + company_->Folder().string() + "/qvacc.fdb"}));
  EXPECT_FALSE(DM->IBTransactionDEF.InTransaction()) << "the marking ends what it started";

  // Put the shared company back as the other tests expect it.
  fixtures::DbSession restore(inst_->SystemDbFile());
  restore.Exec("UPDATE DATALIST SET DATA_STATUS=0");
  restore.Exec("DELETE FROM CHILD_DATALIST");
  restore.Commit();
  company_->RefreshDataInfo();
}

}  // namespace
