// New data on an empty row of the data-selection dialog (the new-data module is not part of
// this program; a stand-in answering "cancelled" takes the folder away again) and new data
// areas: refused names, the row a good name registers, the limit of the list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "DataListTestBase.h"
#include "ServerDbTestBase.h"
#include "data/uAccClasses.h"
#include "data/uAccRecordHooks.h"
#include "platform/ini/IniFile.h"
#include "selection/z5DataSentaku.h"
#include "ui/PerfectGrid.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

class NewData : public DataListTestBase {
 protected:
  void SetUp() override {
    DataListTestBase::SetUp();
    SystemDef.DataDir.clear();
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
    SystemDef.OpName = "担当者";
    MenuHook = NullMenuHook;
    RunSyoriModuleProc = nullptr;
    box_ = CreateForm<TDataSentakuBox>(nullptr);
    box_->SetParams({"SyoriType=0"});
    box_->Reload();
  }
  void TearDown() override {
    if (box_) box_->Free();
    RunSyoriModuleProc = nullptr;
    MenuHook = nullptr;
    DataListTestBase::TearDown();
  }

  void SelectRec(int rec) {
    TPerfectGrid* g = box_->PerfectGrid1;
    for (int r = 0; r < g->Rows(); ++r)
      if (g->CellText(kColNo, r) == std::to_string(rec)) {
        g->SetCurCell(0, r);
        return;
      }
    FAIL() << "no row " << rec;
  }
  static int Status(const std::string& folder) {
    TIniFile ini(TDataInfomation::IniFileName(folder));
    return ini.ReadInteger("DATASTS", "STATUS", -1);
  }

  TDataSentakuBox* box_ = nullptr;
};

TEST_F(NewData, EndsInTheMissingModuleMessageWithTheFolderBeingCreated) {
  const std::string folder = Folder(7);
  fs::remove_all(folder);
  SelectRec(7);
  box_->NewDataCreate();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0).substr(0, 30), std::string("処理を起動するためのインターフェースが実装されていません。").substr(0, 30));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(Status(folder), 9);
  TIniFile ini(TDataInfomation::IniFileName(folder));
  EXPECT_EQ(ini.ReadInteger("DATASTS", "OPCODE", 0), SystemDef.LogonId);
  EXPECT_EQ(ini.ReadString("DATASTS", "OPERATOR", ""), "担当者");
}

TEST_F(NewData, ACancelledModuleTakesTheFolderAway) {
  std::string id, params;
  RunSyoriModuleProc = [&](const std::string& programId, int32_t mode, const std::string& text) {
    id = programId;
    params = text;
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(Status(Folder(8)), 9) << "the folder is marked while the module runs";
    return 2;
  };
  fs::remove_all(Folder(8));
  SelectRec(8);
  box_->NewDataCreate();
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(id, "VqKihonWiz");
  EXPECT_EQ(params.substr(0, params.find("\rPHandle=")), "DataPath=" + Folder(8) + "\rDataListRec=8");
  EXPECT_FALSE(fs::exists(Folder(8)));
}

TEST_F(NewData, AFolderThatCannotBeMadeStopsBeforeTheModule) {
  bool ran = false;
  RunSyoriModuleProc = [&](const std::string&, int32_t, const std::string&) {
    ran = true;
    return 1;
  };
  const fs::path blocker = fs::path(SysDir()) / "blocker";
  std::ofstream(blocker) << "a file where the folder should go";
  SelectRec(9);
  const int row = box_->PerfectGrid1->Row();
  box_->GetRowRecord(row).PASNAME = (blocker / "0009").string();
  box_->NewDataCreate();
  EXPECT_FALSE(ran);
  EXPECT_TRUE(ui_.Shown("データフォルダの作成に失敗しました。")) << (ui_.messages.empty() ? "" : ui_.MessageText(0));
  fs::remove(blocker);
}

// New data areas belong to the server modes: the list is the server's.
class NewDataArea : public ServerDbTestBase {
 protected:
  void SetUp() override {
    ServerDbTestBase::SetUp();
    SystemDef.DataDir.clear();
    MenuHook = NullMenuHook;
    box_ = CreateForm<TDataSentakuBox>(nullptr);
    box_->SetParams({"SyoriType=0"});
    box_->Reload();
  }
  void TearDown() override {
    if (box_) box_->Free();
    Exec("DELETE FROM DATALIST WHERE REC>120");
    MenuHook = nullptr;
    ServerDbTestBase::TearDown();
  }
  TDataSentakuBox* box_ = nullptr;
};

TEST_F(NewDataArea, RefusesTakenNamesAndRegistersAGoodOne) {
  const std::string sys = sys_.string();
  fs::create_directories(sys + "/EXTRA1");
  struct Case {
    const char* entry;
    const char* message;  // "" none
  } cases[] = {
      {"0003", "は既にデータリスト上に作成されています。"},
      {"EXTRA1", "に会計データが作成されています。"},
      {"a/b", "入力できない文字が含まれています。"},
      {"123456789", "入力できない文字が含まれています。"},
      {"　", ""},
  };
  Exec("UPDATE DATALIST SET PASNAME='" + sys + "/0003' WHERE REC=3");
  const int64_t before = Count("SELECT COUNT(*) FROM DATALIST");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    ui_.messages.clear();
    ui_.inputs.clear();
    ui_.inputAnswers.push_back(ScriptedUi::Ok(c.entry));
    EXPECT_TRUE(box_->AddDataArea());
    ASSERT_EQ(ui_.inputs.size(), 1u);
    EXPECT_EQ(ui_.inputs[0].value, "0121");
    EXPECT_EQ(ui_.inputs[0].maxLength, 8);
    EXPECT_EQ(ui_.inputs[0].charFilter, 40);
    if (*c.message) {
      ASSERT_EQ(ui_.messages.size(), 1u);
      EXPECT_NE(ui_.MessageText(0).find(c.message), std::string::npos) << ui_.MessageText(0);
      if (std::string(c.entry) == "EXTRA1") {  // the path in quotation marks leads
        EXPECT_EQ(ui_.MessageText(0).find("\"" + sys + "/EXTRA1\"に"), 0u) << ui_.MessageText(0);
      }
    } else {
      EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
    }
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DATALIST"), before);
  }

  ui_.messages.clear();
  ui_.inputAnswers.push_back(ScriptedUi::Ok("NEW1"));
  EXPECT_TRUE(box_->AddDataArea());
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DATALIST WHERE REC=121 AND PASNAME='" + sys + "/NEW1'"), 1);
  EXPECT_FALSE(fs::exists(sys + "/NEW1")) << "the folder comes with the data";
  const int row = box_->PerfectGrid1->Row();
  ASSERT_NE(row, TPerfectGrid::kNoRow);
  EXPECT_EQ(box_->PerfectGrid1->CellText(kColNo, row), "121");
}

TEST_F(NewDataArea, AFullListAsksNothing) {
  box_->Rows.resize(2000);
  EXPECT_TRUE(box_->AddDataArea());
  EXPECT_TRUE(ui_.inputs.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "これ以上の領域追加は行えません。(最大2000件)");
  EXPECT_EQ(ui_.messages[0].buttons, uis::Buttons::Yes);
}

}  // namespace
