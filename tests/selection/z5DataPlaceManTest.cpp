// Data places against a loopback database server with our file routines: the first filling of
// DATAPLACEMAN (place 0 named by the 40-byte rule), naming a slot (folder on the server, its
// block of data-list rows), the guarded delete, moves that persist, the key captions, and the
// look-ups of the place combo. Picture: selection_dataplace.png.
#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/db/IBSQL.h"
#include "ServerDbTestBase.h"
#include "data/uAccRecordHooks.h"
#include "selection/z5DataPlaceMan.h"
#include "selection/z5DataSentaku.h"
#include "support/DataModuleTestBase.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

class DataPlaceServer : public ServerDbTestBase {
 protected:
  void SetUp() override {
    ServerDbTestBase::SetUp();
    // The operator's colours as a new SYSDEF row has them.
    SystemDef.ColHeaderColor = DefColHeaderColor;
    SystemDef.ClientColor = DefClientColor;
    SystemDef.ClientColor1 = DefClientColor1;
    SystemDef.ClientColor2 = 0xE1F0FF;
    SystemDef.ActiveColor = 0x246BFF;
    box_ = CreateForm<TDataPlaceBox>(nullptr);
  }
  void TearDown() override {
    if (box_) box_->Free();
    ServerDbTestBase::TearDown();
  }

  // Makes the grid row of a place current.
  void Select(int32_t rec) {
    for (int row = 0; row < box_->PerfectGrid1->Rows(); ++row)
      if (box_->PerfectGrid1->CellText(kPlaceColRec, row) == std::to_string(rec)) {
        box_->PerfectGrid1->SetCurCell(kPlaceColNo, row);
        box_->UpdateKeys();
        return;
      }
    FAIL() << "no row for place " << rec;
  }
  std::string Keys() const {
    return box_->F2->CaptionA().Caption() + "|" + box_->F3->CaptionA().Caption() + "|" + box_->F5->CaptionA().Caption();
  }
  // Names a free slot through F2 as the user would.
  void Name(int32_t rec, const std::string& name) {
    Select(rec);
    ui_.inputAnswers.push_back(ScriptedUi::Ok(name));
    box_->F2Click(box_->F2);
  }
  TDataPlaceBox* box_ = nullptr;
};

TEST_F(DataPlaceServer, FirstFillingNamesPlaceZeroByItsByteLength) {
  const std::string saved = SystemDef.SysDir;
  struct Case {
    size_t bytes;
    bool named;  // the folder itself names place 0
  } cases[] = {{40, true}, {41, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    Exec("DELETE FROM DATAPLACEMAN");
    const std::string folder = "/" + std::string(c.bytes - 1, 'd');
    SystemDef.SysDir = folder;
    ASSERT_TRUE(box_->LoadPlaces(false));
    EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
    ASSERT_EQ(box_->PlaceList.size(), 100u);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DATAPLACEMAN"), 100);
    EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=0"), c.named ? folder : "標準の場所");
    EXPECT_EQ(Text("SELECT PATH FROM DATAPLACEMAN WHERE REC=0"), folder);
    EXPECT_EQ(Text("SELECT PATH FROM DATAPLACEMAN WHERE REC=7"), folder + "07");
    EXPECT_EQ(Text("SELECT PATH FROM DATAPLACEMAN WHERE REC=99"), folder + "99");
    EXPECT_EQ(box_->PlaceList[3].REC, 3);
    EXPECT_EQ(box_->PlaceList[3].ORDERKBN, 4);
    EXPECT_EQ(box_->PlaceList[3].NAME, "");
  }
  // A folder the path column cannot hold with the two digits is reported, and nothing is
  // stored.
  Exec("DELETE FROM DATAPLACEMAN");
  SystemDef.SysDir = "/" + std::string(253, 'd');
  EXPECT_FALSE(box_->LoadPlaces(false));
  EXPECT_TRUE(ui_.Shown("パスが長すぎる"));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DATAPLACEMAN"), 0);
  EXPECT_TRUE(box_->PlaceList.empty());
  SystemDef.SysDir = saved;
}

TEST_F(DataPlaceServer, KeyCaptionsFollowTheCurrentPlace) {
  box_->Setup(1);
  Name(5, "支店");
  ASSERT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  const struct {
    int32_t rec;
    const char* keys;
  } cases[] = {
      {0, "F2:|F3:名称変更|F5:"},
      {5, "F2:|F3:名称変更|F5:削除"},
      {6, "F2:新規作成|F3:|F5:"},
  };
  for (const auto& c : cases) {
    Select(c.rec);
    EXPECT_EQ(Keys(), c.keys) << c.rec;
  }
  // A bare key does nothing.
  Select(6);
  box_->F3Click(box_->F3);
  box_->F5Click(box_->F5);
  EXPECT_TRUE(ui_.inputs.size() == 1 && ui_.messages.empty());
}

TEST_F(DataPlaceServer, NamingMakesTheFolderAndRowsDeletingWaitsForTheData) {
  for (uint8_t mode : {uint8_t(1), uint8_t(2)}) {
    SCOPED_TRACE(int(mode));
    ConnectMode = mode;
    const int32_t rec = mode == 1 ? 3 : 4;
    box_->Setup(1);
    Name(rec, "　東京支店 ");
    ASSERT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
    EXPECT_TRUE(fs::is_directory(PlaceFolder(rec)));
    EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=" + std::to_string(rec)), "東京支店");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=" + std::to_string(rec)), AppInfo.DataListCnt);
    EXPECT_EQ(Text("SELECT PASNAME FROM DATALIST_EX WHERE DATAPLACEREC=" + std::to_string(rec) + " AND REC=1"),
              PlaceFolder(rec) + "/0001");
    for (const TDataPlaceRec& r : box_->PlaceList) EXPECT_EQ(r.State, 0);

    // An empty name is refused and leaves the slot as it was.
    Select(rec + 10);
    ui_.inputAnswers.push_back(ScriptedUi::Ok("　 "));
    box_->F2Click(box_->F2);
    EXPECT_EQ(ui_.MessageText(0), "名称が入力されていません。");
    EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=" + std::to_string(rec + 10)), "");
    ui_.messages.clear();

    // A registered data folder that exists keeps the place.
    fs::create_directories(PlaceFolder(rec) + "/0002");
    Select(rec);
    box_->F5Click(box_->F5);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_TRUE(ui_.Shown("会計データが存在しているため削除することが出来ません"));
    EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=" + std::to_string(rec)), "東京支店");
    ui_.messages.clear();

    // Once it is gone the place is freed after the confirmation; the folder stays.
    fs::remove_all(PlaceFolder(rec) + "/0002");
    ui_.messageAnswers = {uis::mrOk};
    box_->F5Click(box_->F5);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.MessageText(0), "[東京支店]を削除します。よろしいですか？");
    EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=" + std::to_string(rec)), "");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=" + std::to_string(rec)), 0);
    EXPECT_TRUE(fs::is_directory(PlaceFolder(rec)));
    ui_.messages.clear();

    // Naming it again finds the folder, says so, and names the place all the same.
    Name(rec, "大阪");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.MessageText(0), "既にデータサーバーにフォルダが作成されています。");
    EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=" + std::to_string(rec)), "大阪");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=" + std::to_string(rec)), AppInfo.DataListCnt);
    ui_.messages.clear();
    ui_.inputs.clear();
  }
}

TEST_F(DataPlaceServer, AFolderTheServerCannotMakeLeavesTheSlotFree) {
  box_->Setup(1);
  // A path outside the folders the server's file routines may act in.
  TempDir outside;
  const fs::path refused = outside.Path() / "place08";
  Exec("UPDATE DATAPLACEMAN SET PATH='" + refused.string() + "' WHERE REC=8");
  box_->Setup(1);
  Name(8, "不可");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "データサーバーへフォルダの作成が失敗しました。");
  EXPECT_EQ(Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=8"), "");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM DATALIST_EX WHERE DATAPLACEREC=8"), 0);
  EXPECT_EQ(Keys(), "F2:新規作成|F3:|F5:");
  EXPECT_FALSE(fs::exists(refused));
}

TEST_F(DataPlaceServer, MovesRenumberAndSurviveReopening) {
  box_->Setup(1);
  TPerfectGrid* g = box_->PerfectGrid1;
  // The ends do not move.
  g->SetCurCell(kPlaceColNo, 0);
  box_->UpdateKeys();
  EXPECT_FALSE(box_->F6->Enabled());
  box_->F6Click(box_->F6);
  g->SetCurCell(kPlaceColNo, g->Rows() - 1);
  box_->UpdateKeys();
  EXPECT_FALSE(box_->F7->Enabled());
  box_->F7Click(box_->F7);
  EXPECT_EQ(g->CellText(kPlaceColRec, 0), "0");
  EXPECT_EQ(g->CellText(kPlaceColRec, 99), "99");

  Select(2);
  box_->F6Click(box_->F6);  // 0 2 1 3 ...
  box_->F6Click(box_->F6);  // 2 0 1 3 ...
  Select(98);
  box_->F7Click(box_->F7);  // ... 97 99 98
  EXPECT_EQ(g->Row(), 99);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  for (int row = 0; row < g->Rows(); ++row) ASSERT_EQ(g->CellText(kPlaceColNo, row), std::to_string(row + 1));

  auto* again = CreateForm<TDataPlaceBox>(nullptr);
  again->Setup(1);
  const char* expected[] = {"2", "0", "1", "3"};
  for (int row = 0; row < 4; ++row) EXPECT_EQ(again->PerfectGrid1->CellText(kPlaceColRec, row), expected[row]) << row;
  EXPECT_EQ(again->PerfectGrid1->CellText(kPlaceColRec, 98), "99");
  EXPECT_EQ(again->PerfectGrid1->CellText(kPlaceColRec, 99), "98");
  EXPECT_EQ(Count("SELECT ORDERKBN FROM DATAPLACEMAN WHERE REC=2"), 1);
  again->Free();
}

TEST_F(DataPlaceServer, LookUpsListTheNamedPlacesInDisplayOrder) {
  box_->Setup(1);
  Name(7, "七");
  Name(4, "四");
  Select(7);
  for (int i = 0; i < 3; ++i) box_->F6Click(box_->F6);  // 7 now above 4
  std::string names;
  box_->GetPlaceNames(names);
  const std::string first = Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=0");
  EXPECT_EQ(names, first + "\r七\r四\r");
  EXPECT_EQ(box_->PlaceRecAt(1), 7);
  EXPECT_EQ(box_->PlaceRecAt(3), -1);
  EXPECT_EQ(box_->IndexOfPlaceRec(4), 2);
  EXPECT_EQ(box_->IndexOfPlaceRec(5), -1);
  std::string path;
  box_->PlacePathAt(2, path);
  EXPECT_EQ(path, PlaceFolder(4));
  box_->PlacePathOfRec(9, path);
  EXPECT_EQ(path, "");

  // The dialog as the data-selection dialog shows it, on the operator's current place.
  SystemDef.DataPlaceRec = 4;
  box_->Setup(1);
  QImage shot;
  int current = -1;
  uitest::ModalScript script({[&](TForm&) {
    current = box_->PerfectGrid1->Row();
    shot = box_->grab().toImage();
    uitest::Click(box_->btnOK);
  }});
  EXPECT_EQ(box_->ShowModal(), mrOk);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(box_->PerfectGrid1->CellText(kPlaceColRec, current), "4");
  EXPECT_TRUE(shot.save(QStringLiteral("selection_dataplace.png")));
  EXPECT_FALSE(box_->isVisible());  // closing hides it for the next use
}

// The data-selection dialog of the server modes lists the named places in its combo; choosing
// one shows that place's list; its 設定 button opens the places dialog.
TEST_F(DataPlaceServer, TheSelectionDialogSwitchesBetweenPlaces) {
  box_->Setup(1);
  Name(3, "東京");
  MenuHook = NullMenuHook;
  auto* sel = CreateForm<TDataSentakuBox>(nullptr);
  sel->SetParams({"SyoriType=0"});
  sel->Reload();
  EXPECT_EQ(sel->cmbDataMan->Items(),
            (std::vector<std::string>{Text("SELECT NAME FROM DATAPLACEMAN WHERE REC=0"), "東京"}));
  EXPECT_EQ(sel->cmbDataMan->ItemIndex(), 0);
  EXPECT_EQ(sel->GetRowDataFolder(0), inst_->DataFolder(1).string());

  sel->cmbDataMan->SetItemIndex(1);
  sel->cmbDataManChange(sel->cmbDataMan);
  EXPECT_EQ(sel->DataPlaceNo, 3);
  EXPECT_EQ(sel->DataPlacePath, PlaceFolder(3));
  EXPECT_EQ(sel->PerfectGrid1->Rows(), AppInfo.DataListCnt);
  EXPECT_EQ(sel->GetRowDataFolder(0), PlaceFolder(3) + "/0001");

  // The place is freed in the dialog: the combo falls back to place 0 and its list.
  bool opened = false;
  uitest::ModalScript script({[&](TForm& f) {
    auto& places = dynamic_cast<TDataPlaceBox&>(f);
    opened = true;
    for (int row = 0; row < places.PerfectGrid1->Rows(); ++row)
      if (places.PerfectGrid1->CellText(kPlaceColRec, row) == "3") places.PerfectGrid1->SetCurCell(0, row);
    ui_.messageAnswers = {uis::mrOk};
    places.F5Click(places.F5);
    uitest::Click(places.btnOK);
  }});
  sel->btnDataManClick(sel->btnDataMan);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(opened);
  EXPECT_EQ(sel->cmbDataMan->Items().size(), 1u);
  EXPECT_EQ(sel->DataPlaceNo, 0);
  EXPECT_EQ(sel->GetRowDataFolder(0), inst_->DataFolder(1).string());
  sel->Free();
  MenuHook = nullptr;
}

}  // namespace
