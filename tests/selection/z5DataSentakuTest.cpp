// The data-selection dialog: the key bar as one table over connection modes, processing
// types and row states; the display filter; and the dialog run by its program id over a
// fixture installation with companies at versions 9.5, 10.0 and 10.1 (one of them in use),
// driven off-screen by keys. Picture: selection_datasentaku.png.
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "DataListTestBase.h"
#include "data/uAccClasses.h"
#include "data/uAccRecordHooks.h"
#include "selection/DbUpdateCheck.h"
#include "selection/z5DataSentaku.h"
#include "selection/z5Kidou.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"
#include "ui/z5MessageDlg.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------
// Key bar

TDataListRec Row(const char* name, int netDrive = 0, int kyoyuLock = 0, uint8_t gassan = 0, uint8_t status = 0) {
  TDataListRec r;
  r.ENTTEXT = name;
  r.NETDRIVE = netDrive;
  r.KYOYULOCK = kyoyuLock;
  r.GASSAN = gassan;
  r.DATA_STATUS = status;
  return r;
}

TEST(DataSentakuKeys, CaptionsByModeTypeAndRow) {
  struct Case {
    const char* what;
    TDataSentakuKeyInput in;
    // ESC F1 .. F8 F12; "" marks a bare key
    std::vector<std::string> keys;
    int keyState;
    bool shareUp, shareDown, search;
  };
  auto in = [](uint8_t mode, uint8_t type, TDataListRec row) {
    TDataSentakuKeyInput i;
    i.ConnectMode = mode;
    i.SyoriType = type;
    i.Row = std::move(row);
    return i;
  };
  TDataSentakuKeyInput pasting = in(0, 0, Row(""));
  pasting.CopyPending = true;
  TDataSentakuKeyInput serverAuto = in(0, 0, Row("共有", 1, 0));
  serverAuto.AutoChecked = true;
  TDataSentakuKeyInput childOf2 = in(0, 0, Row("支店", 0, 0, 10));
  childOf2.ParentGassan = 2;
  TDataSentakuKeyInput takenChildOf1 = in(0, 0, Row("分散", 1, 1, 10));
  takenChildOf1.ParentGassan = 1;
  TDataSentakuKeyInput noRow = in(0, 0, Row("会社"));
  noRow.HasRow = false;
  TDataSentakuKeyInput notActive = in(0, 0, Row("会社"));
  notActive.GridActive = false;
  TDataSentakuKeyInput disabled = in(0, 0, Row("会社"));
  disabled.GridEnabled = false;

  const Case cases[] = {
      {"local data", in(0, 0, Row("会社")),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "", "", "F5:ﾃﾞｰﾀ削除", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"empty local row", in(0, 0, Row("")),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "F3:新規作成", "", "", "", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, true, true},
      {"paste pending on an empty row", pasting,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:貼り付け", "F3:新規作成", "", "", "", "F7:復元", "F8:印刷", "F12:選択"}, 2, false, false, true},
      {"combined data", in(0, 0, Row("合算", 0, 0, 1)),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:分散追加", "", "F5:ﾃﾞｰﾀ削除", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"member of combined branch data", childOf2,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "", "", "", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"damaged data", in(0, 0, Row("会社", 0, 0, 0, 1)),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "", "F5:ﾃﾞｰﾀ削除", "", "F7:復元", "F8:印刷", ""}, 1, false, false, true},
      {"shared, on the server", in(0, 0, Row("共有", 1, 0)),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "F4:割当解除", "", "F6:保存", "", "F8:印刷", ""}, 1, false, true, true},
      {"shared, on the server, automatic", serverAuto,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "F4:割当解除", "", "F6:保存", "", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"shared free area taken here", in(0, 0, Row("空き領域", 1, 1)),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:新規作成", "F4:割当解除", "", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"shared member taken here", takenChildOf1,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "", "", "F5:ﾃﾞｰﾀ削除", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, true, false, true},
      {"server mode 1", in(1, 0, Row("会社")),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "F3:持ち出し", "F4:領域追加", "F5:ﾃﾞｰﾀ削除", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"server mode 2", in(2, 0, Row("会社")),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "F2:コピー", "", "F4:領域追加", "F5:ﾃﾞｰﾀ削除", "F6:保存", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, false, true},
      {"server mode 1, empty row", in(1, 0, Row("")),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "F3:新規作成", "F4:領域追加", "", "", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, true, true},
      {"type 2", in(0, 2, Row("")),
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "", "", "", "F7:復元", "F8:印刷", "F12:選択"}, 1, false, true, true},
      {"type 3 (the wizard)", in(0, 3, Row("会社")),
       {"ESC:ｷｬﾝｾﾙ", "", "", "", "", "", "", "", "", "F12:選択"}, 1, false, false, false},
      {"type 4", in(0, 4, Row("会社")),
       {"ESC:ｷｬﾝｾﾙ", "", "", "", "", "F5:ﾃﾞｰﾀ削除", "", "", "", "F12:選択"}, 1, false, false, true},
      {"type 5", in(0, 5, Row("会社")),
       {"ESC:ｷｬﾝｾﾙ", "", "", "", "", "", "", "", "", "F12:選択"}, 1, false, false, true},
      {"no current row", noRow,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "", "", "", "", "F8:印刷", "F12:選択"}, 0, false, false, true},
      {"grid not active", notActive,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "", "", "", "", "F8:印刷", "F12:選択"}, 0, false, false, true},
      {"grid disabled", disabled,
       {"ESC:ｷｬﾝｾﾙ", "F1:ヘルプ", "", "", "", "", "", "", "", ""}, 0, false, false, true},
  };
  const char* names[] = {"ESC", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F12"};
  for (const Case& c : cases) {
    const TDataSentakuKeyOutput out = DataSentakuKeys(c.in);
    for (int k = 0; k < kKeyCount; ++k) {
      const std::string want = c.keys[k].empty() ? std::string(names[k]) + ":" : c.keys[k];
      EXPECT_EQ(out.Captions[k], want) << c.what << " " << names[k];
    }
    EXPECT_EQ(out.KeyState, c.keyState) << c.what;
    EXPECT_EQ(out.ShareUpEnabled, c.shareUp) << c.what;
    EXPECT_EQ(out.ShareDownEnabled, c.shareDown) << c.what;
    EXPECT_EQ(out.SearchEnabled, c.search) << c.what;
  }
}

// ---------------------------------------------------------------------------------------
// Display filter

TEST(DataSentakuFilter, ConditionsOnRows) {
  auto row = [](int type, int code, const char* name, const char* dataCode, int major, int minor, int tanto = 0) {
    TDataListRec r;
    r.DATATYPE = type;
    r.CODETYPE = code;
    r.ENTTEXT = name;
    r.DATACODE = dataCode;
    r.VER_MAJOR = major;
    r.VER_MINOR1 = minor;
    r.TANTOU = tanto;
    return r;
  };
  auto cond = [](auto edit) {
    TDataKensakuRec c;
    edit(c);
    return c;
  };
  struct Case {
    const char* what;
    TDataKensakuRec cond;
    TDataListRec row;
    bool passes;
  };
  const Case cases[] = {
      {"-13 takes a corporation", cond([](auto& c) { c.DATATYPE = -13; }), row(1, 1, "a", "", 10, 0), true},
      {"-13 takes a medical corporation", cond([](auto& c) { c.DATATYPE = -13; }), row(3, 1, "a", "", 10, 0), true},
      {"-13 leaves an individual", cond([](auto& c) { c.DATATYPE = -13; }), row(2, 1, "a", "", 10, 0), false},
      {"type and code type", cond([](auto& c) { c.DATATYPE = 2; c.CODETYPE = 4; }), row(2, 4, "a", "", 10, 0), true},
      {"type and other code type", cond([](auto& c) { c.DATATYPE = 2; c.CODETYPE = 4; }), row(2, 1, "a", "", 10, 0), false},
      {"half-width name finds full width", cond([](auto& c) { c.DATANAME = "ｻﾝﾌﾟﾙ"; }), row(1, 1, "株式会社サンプル", "", 10, 0), true},
      {"name not contained", cond([](auto& c) { c.DATANAME = "テスト"; }), row(1, 1, "株式会社サンプル", "", 10, 0), false},
      {"code prefix ab matches ABC01", cond([](auto& c) { c.DATACODE = "ab"; }), row(1, 1, "a", "ABC01", 10, 0), true},
      {"code prefix ab misses XAB", cond([](auto& c) { c.DATACODE = "ab"; }), row(1, 1, "a", "XAB", 10, 0), false},
      {"person in charge", cond([](auto& c) { c.TANTO = 12; }), row(1, 1, "a", "", 10, 0, 13), false},
      {"major version 10 takes 10.1", cond([](auto& c) { c.DATAVER = "10"; c.DataVerMode = 1; }), row(1, 1, "a", "", 10, 1), true},
      {"major version 10 leaves 9.5", cond([](auto& c) { c.DATAVER = "10"; c.DataVerMode = 1; }), row(1, 1, "a", "", 9, 5), false},
      {"major version 10 leaves an empty row", cond([](auto& c) { c.DATAVER = "10"; c.DataVerMode = 1; }), row(0, 0, "", "", 0, 0), false},
  };
  for (const Case& c : cases) EXPECT_EQ(DataSentakuRowPasses(c.cond, c.row), c.passes) << c.what;
}

// ---------------------------------------------------------------------------------------
// The dialog over a fixture installation

// Answers from a table of versions that have a newer upgrade step.
class StubUpdateCheck : public IDbUpdateCheck {
 public:
  void PrepareUpdate(int mode, const std::string& version) override {
    asked.push_back(version);
    pending_ = mode == 1 && (version == "9.5.0");
  }
  bool UpdatePending() const override { return pending_; }
  static inline std::vector<std::string> asked;

 private:
  bool pending_ = false;
};

class DataSentaku : public DataListTestBase {
 protected:
  static void SetUpTestSuite() {
    DataListTestBase::SetUpTestSuite();
    auto add = [](int no, const char* code, const char* name, int major, int minor) {
      fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
      plan.dataNo = no;
      plan.dataCode = code;
      plan.name = name;
      plan.verMajor = major;
      plan.verMinor1 = minor;
      inst_->AddCompany(plan);
    };
    add(1, "A001", "旧版商事", 9, 5);
    add(2, "B001", "十版工業", 10, 0);
    add(3, "C001", "最新物産", 10, 1);
    add(4, "D001", "使用中建設", 10, 1);
    add(5, "E001", "消去予定", 11, 0);
  }

  void SetUp() override {
    DataListTestBase::SetUp();
    SystemDef.DataDir.clear();
    SystemDef.DataPasName.clear();
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
    MenuHook = NullMenuHook;
    // The operator's colours as a new SYSDEF row has them.
    SystemDef.ColHeaderColor = DefColHeaderColor;
    SystemDef.ClientColor = DefClientColor;
    SystemDef.ClientColor1 = DefClientColor1;
    SystemDef.ClientColor2 = 0xE1F0FF;
    SystemDef.ActiveColor = 0x246BFF;
    SystemDef.AppDataDir = inst_->AppDataDir().string();
    RegisterDataSentakuBox();
    StubUpdateCheck::asked.clear();
    DbUpdateCheckFactory = [] { return std::make_unique<StubUpdateCheck>(); };
    Sys({"DELETE FROM KENSAKUJYOKEN"});
  }
  void TearDown() override {
    DbUpdateCheckFactory = nullptr;
    MenuHook = nullptr;
    DataListTestBase::TearDown();
  }

  static std::vector<std::string> Codes(TPerfectGrid& g) {
    std::vector<std::string> codes;
    for (int r = 0; r < g.Rows(); ++r) codes.push_back(g.CellText(kColCode, r));
    return codes;
  }
  static constexpr const char* kWizardParams = "SyoriType=3\rJyokenSet=1\rDataVerMajor=10";
};

TEST_F(DataSentaku, WizardRunListsVersion10AndEnterChoosesTheRow) {
  // An update-forbidden row whose data is already current can still be chosen.
  // B001 is kept on the share server.
  Sys({"UPDATE DATALIST SET UPDATE_LOCK=1 WHERE REC=3",
       "UPDATE DATALIST SET NETDRIVE=1, KYOYULOCK=0, PASNAME='" + (inst_->ShareRoot() / "sv0002").string() +
           "' WHERE REC=2"});
  std::vector<std::string> shown;
  std::vector<bool> sharePictures;
  std::string f12, f2, hint;
  QImage shot;
  uitest::ModalScript script({[&](TForm& f) {
                                auto& box = dynamic_cast<TDataSentakuBox&>(f);
                                shown = Codes(*box.PerfectGrid1);
                                for (int r = 0; r < box.PerfectGrid1->Rows(); ++r)
                                  sharePictures.push_back(!box.PerfectGrid1->CellPicture(kColSharePic, r).Empty());
                                uitest::Key(Qt::Key_Down);
                                f12 = box.KeyButtons[9]->CaptionA().Caption();
                                f2 = box.KeyButtons[2]->CaptionA().Caption();
                                hint = box.HintArea->Text();
                                shot = f.grab().toImage();
                              },
                              [&](TForm&) { uitest::Key(Qt::Key_Return); }});
  const int result = RunSyoriModule("VqDataSenkaku", 1, kWizardParams);
  Sys({"UPDATE DATALIST SET UPDATE_LOCK=0 WHERE REC=3",
       "UPDATE DATALIST SET NETDRIVE=0, PASNAME='" + Folder(2) + "' WHERE REC=2"});
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(shot.save(QStringLiteral("selection_datasentaku.png")));
  EXPECT_EQ(shown, (std::vector<std::string>{"B001", "C001", "D001"}));
  EXPECT_EQ(sharePictures, (std::vector<bool>{true, false, false})) << "the server picture on data kept on the share";
  EXPECT_EQ(f12, "F12:選択");
  EXPECT_EQ(f2, "F2:");
  EXPECT_NE(hint.find("空白行は選択できません。"), std::string::npos);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(SystemDef.DataDir, Folder(3));
  EXPECT_EQ(SystemDef.DataPasName, Folder(3));
  EXPECT_NE(std::find(StubUpdateCheck::asked.begin(), StubUpdateCheck::asked.end(), "10.1.0"),
            StubUpdateCheck::asked.end());
}

TEST_F(DataSentaku, DataInUseIsRefusedAndNothingIsWritten) {
  TDataInfomation info;
  info.SetStatus(Folder(4), 2);
  std::string refusal, focus;
  std::vector<std::string> lines;
  uitest::ModalScript script({[&](TForm&) {
                                uitest::Key(Qt::Key_Down);
                                uitest::Key(Qt::Key_Down);
                              },
                              [&](TForm&) {
                                uitest::ModalScript box({[&](TForm& m) {
                                  auto& mb = dynamic_cast<TMessageBox&>(m);
                                  refusal = mb.lblMain->Caption();
                                  lines = mb.Lines();
                                  uitest::Click(mb.btnOK);
                                }});
                                uitest::Key(Qt::Key_Return);
                              },
                              [&](TForm& f) {
                                // Back in the dialog once the message box has gone.
                                uitest::ShowActive(f);
                                focus = uitest::FocusedName();
                                uitest::Key(Qt::Key_Escape);
                              }});
  const int result = RunSyoriModule("VqDataSenkaku", 1, kWizardParams);
  info.SetStatus(Folder(4), 1);
  EXPECT_EQ(focus, "PerfectGrid1");
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_NE(refusal.find("このデータは使用中のため処理が行えません。"), std::string::npos) << refusal;
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[1], "　" + Folder(4));
  EXPECT_EQ(lines[4], "　11");
  EXPECT_EQ(result, 2);
  EXPECT_EQ(SystemDef.DataDir, "");
  EXPECT_EQ(SystemDef.DataPasName, "");
}

TEST_F(DataSentaku, RefreshEmptiesARowWhoseDataWasDeleted) {
  const std::string db = Folder(5) + "/qvacc.fdb";
  ASSERT_TRUE(fs::exists(db));
  fs::rename(db, db + ".away");
  ui_.messageAnswers.push_back(uis::mrYes);
  std::vector<std::string> before;
  std::string nameAfter, periodAfter;
  uitest::ModalScript script({[&](TForm& f) {
                                auto& box = dynamic_cast<TDataSentakuBox&>(f);
                                before = Codes(*box.PerfectGrid1);
                                uitest::Click(box.btnListUpdate);
                              },
                              [&](TForm& f) {
                                auto& box = dynamic_cast<TDataSentakuBox&>(f);
                                nameAfter = box.PerfectGrid1->CellText(kColName, 0);
                                periodAfter = box.PerfectGrid1->CellText(kColKikan, 0);
                                uitest::Key(Qt::Key_Escape);
                              }});
  RunSyoriModule("VqDataSenkaku", 1, "SyoriType=3\rJyokenSet=1\rDataVerMajor=11");
  fs::rename(db + ".away", db);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(before, std::vector<std::string>{"E001"});
  EXPECT_EQ(nameAfter, "");
  EXPECT_EQ(periodAfter, "～");
  EXPECT_FALSE(fs::exists(TDataInfomation::IniFileName(Folder(5))));
  EXPECT_EQ(SysScalar("SELECT CHAR_LENGTH(COALESCE(ENTTEXT,'')) FROM DATALIST WHERE REC=5"), 0);
}

TEST_F(DataSentaku, TypedCodeFindsTheRowAndHeadingsSort) {
  std::vector<int> intervals;
  std::string echo, found;
  std::vector<std::string> byNoUp, byNoDown;
  uitest::ModalScript script({[&](TForm& f) {
                                auto& box = dynamic_cast<TDataSentakuBox&>(f);
                                for (Qt::Key k : {Qt::Key_C, Qt::Key_0, Qt::Key_0}) {
                                  uitest::Key(k);
                                  intervals.push_back(box.IncSerchTimer->Interval());
                                }
                                echo = box.txtIncSerch->isVisible() ? box.txtIncSerch->Text() : "(hidden)";
                                QElapsedTimer t;
                                t.start();
                                while (box.IncSerchTimer->Enabled() && t.elapsed() < 5000) uitest::Pump();
                                found = box.PerfectGrid1->CellText(kColCode, box.PerfectGrid1->Row());
                                QHeaderView* h = box.PerfectGrid1->horizontalHeader();
                                const QPoint no(h->sectionViewportPosition(0) + 10, h->height() / 2);
                                uitest::Click(h->viewport(), no);
                                byNoUp = Codes(*box.PerfectGrid1);
                                uitest::Click(h->viewport(), no);
                                byNoDown = Codes(*box.PerfectGrid1);
                                box.PerfectGrid1->SetFocus();
                                uitest::Key(Qt::Key_Escape);
                              }});
  RunSyoriModule("VqDataSenkaku", 1, kWizardParams);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(intervals, (std::vector<int>{500, 1000, 1000}));
  EXPECT_EQ(echo, "C00");
  EXPECT_EQ(found, "C001");
  EXPECT_EQ(byNoUp, (std::vector<std::string>{"B001", "C001", "D001"}));
  EXPECT_EQ(byNoDown, (std::vector<std::string>{"D001", "C001", "B001"}));
  // The order is kept for the operator: "No" descending.
  EXPECT_EQ(SysScalar("SELECT SORTTYPE FROM KENSAKUJYOKEN WHERE LISTTYPE=0"), 1);
}

TEST_F(DataSentaku, EmptyAreaChoiceGivesThePathLines) {
  SystemDef.DataDir = Folder(2);
  SystemDef.ModuleResultText = "old";
  // The dialog opens on the selected data (No 2).
  uitest::ModalScript script({[&](TForm&) {
                                uitest::Key(Qt::Key_Return);  // No 2: the selected data
                              },
                              [&](TForm&) {
                                uitest::Key(Qt::Key_Down);
                                uitest::Key(Qt::Key_Return);  // No 3: data
                              },
                              [&](TForm&) {
                                for (int i = 0; i < 3; ++i) uitest::Key(Qt::Key_Down);
                                uitest::Key(Qt::Key_Return);  // No 6: empty
                              }});
  const int result = RunSyoriModule("VqDataSenkaku", 1, "SyoriType=2");
  EXPECT_FALSE(script.WatchdogFired());
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.MessageText(0), "このデータは現在選択中のデータです。\n他の場所を選んで下さい。");
  EXPECT_EQ(ui_.MessageText(1), "選択したパスには既にデータが存在します。\n他の場所を選んで下さい。");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(SystemDef.ModuleResultText, "PATH1=" + Folder(6) + "\rPATH2=" + Folder(6));
  EXPECT_EQ(SystemDef.DataDir, Folder(2));
}

TEST_F(DataSentaku, SearchConditionsFilterTheListAndAreStored) {
  std::vector<std::string> filtered;
  int all = 0, allAgain = 0;
  bool cancelOn = false, cancelOff = true;
  uitest::ModalScript script({[&](TForm& f) {
                                auto& box = dynamic_cast<TDataSentakuBox&>(f);
                                all = box.PerfectGrid1->Rows();
                                uitest::ModalScript dialog({[&](TForm& k) {
                                  auto& kensaku = dynamic_cast<TDataListKensakuBox&>(k);
                                  uitest::ShowActive(k);
                                  kensaku.txtCode->SetFocus();
                                  uitest::Type("c0");
                                  uitest::Click(kensaku.btnOK);
                                }});
                                uitest::Click(box.btnSearch);
                                filtered = Codes(*box.PerfectGrid1);
                                cancelOn = box.btnSearchCancel->isEnabled();
                                uitest::Click(box.btnSearchCancel);
                                allAgain = box.PerfectGrid1->Rows();
                                cancelOff = box.btnSearchCancel->isEnabled();
                                uitest::ShowActive(f);
                                box.PerfectGrid1->SetFocus();
                                uitest::Key(Qt::Key_Escape);
                              }});
  const int result = RunSyoriModule("VqDataSenkaku", 1, "SyoriType=0");
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(result, 2);
  EXPECT_EQ(all, 120);
  EXPECT_EQ(filtered, std::vector<std::string>{"C001"});
  EXPECT_TRUE(cancelOn);
  EXPECT_EQ(allAgain, 120);
  EXPECT_FALSE(cancelOff);
  fixtures::DbSession s(inst_->SystemDbFile());
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM KENSAKUJYOKEN WHERE LISTTYPE=0 AND DATACODE='c0' AND JYOKENUSE=0"), 1);
}

TEST_F(DataSentaku, StartTypeCloseBoxAsksBeforeQuitting) {
  // Type 1, the close box: the quit question; Cancel keeps the dialog open, then Esc goes
  // back to the data chosen before.
  SystemDef.DataDir = Folder(2);
  SystemDef.DataPasName = Folder(2);
  SystemDef.ProgramTitle = "連動";
  std::string question;
  bool openAfterCancel = false;
  // The question comes once the dialog's loop has seen the close.
  std::optional<uitest::ModalScript> ask;
  bool answered = false;
  std::function<void()> escWhenBack;
  uitest::ModalScript script({[&](TForm& f) {
    ask.emplace(std::vector<std::function<void(TForm&)>>{[&](TForm& m) {
      auto& box = dynamic_cast<TMessageBox2&>(m);
      question = box.Caption();
      box.Buttons[1]->Click();
      answered = true;
    }});
    // Esc only once the question has gone.
    escWhenBack = [&, form = &f] {
      if (!answered || form->ModalResult() != mrNone) {
        QTimer::singleShot(20, form, escWhenBack);
        return;
      }
      openAfterCancel = form->isVisible();
      uitest::ShowActive(*form);
      dynamic_cast<TDataSentakuBox&>(*form).PerfectGrid1->SetFocus();
      uitest::Key(Qt::Key_Escape);
    };
    QTimer::singleShot(20, &f, escWhenBack);
    f.close();
  }});
  EXPECT_EQ(RunSyoriModule("VqDataSenkaku", 1, "SyoriType=1"), 2);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(question, "確認");
  EXPECT_TRUE(openAfterCancel);
  EXPECT_EQ(SystemDef.DataDir, Folder(2));
  EXPECT_EQ(SystemDef.DataPasName, "");
}

TEST_F(DataSentaku, WizardCancelAfterTheChosenDataWasDeleted) {
  // Esc when the data chosen before has gone: told so, and the folder stays.
  SystemDef.DataDir = Folder(6);
  uitest::ModalScript wizard({[&](TForm&) { uitest::Key(Qt::Key_Escape); }});
  EXPECT_EQ(RunSyoriModule("VqDataSenkaku", 1, kWizardParams), 2);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "前回、選択したデータは削除されています。\n");
  EXPECT_EQ(SystemDef.DataDir, Folder(6));
}

TEST_F(DataSentaku, ParametersOutOfRangeAndVersionModes) {
  auto* box = CreateForm<TDataSentakuBox>(nullptr);
  EXPECT_THROW(box->SetParams({"SyoriType=7"}), std::runtime_error);
  box->SetParams({"SyoriType=2", "SyoriType=-1"});
  EXPECT_EQ(box->SyoriType, 2);
  box->SetParams({"syoritype=4", "JyokenSet=", "DataVer=10.0", "DataVerMajor=10"});
  EXPECT_EQ(box->SyoriType, 4);
  EXPECT_EQ(box->CallerJoken.JYOKENUSE, 1);
  EXPECT_EQ(box->CallerJoken.DATAVER, "10");
  EXPECT_EQ(box->CallerJoken.DataVerMode, 1);
  box->SetParams({"DataVerMajor=10"});
  EXPECT_EQ(box->CallerJoken.JYOKENUSE, 0);
  EXPECT_EQ(box->CallerJoken.DATAVER, "");
  box->Free();
}

}  // namespace
