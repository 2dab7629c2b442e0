// The framework hooks the main form installs, and the check of a data folder.
#include "app/MainHooks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppTestEnv.h"
#include "data/uAccRecordHooks.h"
#include "fixtures/FixtureDb.h"
#include "platform/ini/IniFile.h"

namespace {

constexpr const char* kMissingInterface =
    "処理を起動するためのインターフェースが実装されていません。\nライブラリのロードに失敗した可能性があります。";

TEST(FrameworkHooks, InstalledAndCleared) {
  ScriptedUi ui;
  ScopedUi use(ui);
  InstallFrameworkHooks();
  ASSERT_TRUE(MenuHook && RunSyoriModuleProc && DataCheckHook);
  EXPECT_EQ(MenuHook(10, ""), 0);
  EXPECT_EQ(MenuHook(11, "LomatraMenu"), 0);
  // The module runner: the new-data wizard is no module of this program.
  EXPECT_EQ(RunSyoriModuleProc("VqKihonWiz", 1, "DataPath=x"), -1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.MessageText(0), kMissingInterface);
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
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
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
