// The communication module: its entry operations by kind (return codes and refusals), the
// version label, the relay-folder grid as the dialog shows it and the two small forms.
// Pictures: comm_datatusin.png, comm_waitmess.png, comm_hikakumess2.png.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "comm/CommModuleTestBase.h"
#include "comm/z5HikakuMess2.h"
#include "comm/z5WaitMess.h"
#include "selection/z5Kidou.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"

using namespace forms;
using namespace commtest;

namespace {

TEST(CommModuleVersionLabel, Table) {
  const struct {
    int major, minor;
    const char* label;
  } cases[] = {{6, 1, "14消改版"}, {6, 0, "14版"}, {1, 0, "09版"}, {2, 0, "10版"}, {7, 2, "7.2"}, {10, 0, "18版"}, {8, 1, "8.1"}};
  for (const auto& c : cases) EXPECT_EQ(TfmDataTusin::VersionLabel(c.major, c.minor), c.label) << c.major << "." << c.minor;
}

class CommModule : public CommModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    CommModuleTestBase::SetUpTestSuite();
    office_ = new Office("本社データ", 0);
  }
  static void TearDownTestSuite() {
    delete office_;
    office_ = nullptr;
    CommModuleTestBase::TearDownTestSuite();
  }
  void SetUp() override {
    CommModuleTestBase::SetUp();
    Enter(*office_);
  }
  static inline Office* office_ = nullptr;
};

TEST_F(CommModule, SetParamsKeepsTheKindOnBadValuesAndMapsTheFormStyle) {
  const struct {
    std::vector<std::string> lines;
    int kind;
    TFormStyle style;
  } cases[] = {
      {{"SyoriType=2"}, 2, fsNormal},
      {{"SyoriType=2", "SyoriType=-5"}, 2, fsNormal},
      {{"SyoriType=8", "SyoriType=abc"}, 8, fsNormal},
      {{"SyoriType=1", "FormStyle=7"}, 1, fsStayOnTop},
      {{"SyoriType=1", "FormStyle=2"}, 1, fsNormal},
      {{"FormStyle=x"}, 0, fsNormal},
  };
  for (const auto& c : cases) {
    auto* f = CreateForm<TfmDataTusin>(nullptr);
    f->SetParams(c.lines);
    EXPECT_EQ(f->SyoriType, c.kind) << c.lines.back();
    EXPECT_EQ(f->FormStyle(), c.style) << c.lines.back();
    EXPECT_EQ(f->ParamLines, c.lines);
    f->Free();
  }
}

// Every kind's result as a caller sees it, with the refusals' messages.
TEST_F(CommModule, ExecuteResultByKind) {
  SeedRelay(R"({"01": {"name": "本社データ", "term": "5", "start": "2016-04-01 00:00", "end": "2017-03-31 00:00",
                      "sent": "2025-05-01 10:20", "password": "pw-01", "version": "1002"}})");
  const TACCINF opened = AccInf;
  auto escape = [] { return std::make_unique<uitest::ModalScript>(std::vector<std::function<void(TForm&)>>{
                         [](TForm& f) { KeyAt(f, Qt::Key_Escape); }}); };
  const struct Case {
    const char* what;
    const char* params;
    std::function<void()> arrange;
    bool modalEsc;  // the dialog opens and the user leaves with Esc
    int result;
    const char* message;  // part of the first message shown, "" for none
  } cases[] = {
      {"send without communication ID", "SyoriType=1", [] { AccInf.WEB_HOLDER = " 　"; }, false, -1, "通信IDが設定されてません"},
      {"receive without password", "SyoriType=2", [] { AccInf.PASWORD = "  "; }, false, -1, "パスワードが設定されてません"},
      {"send with other windows open", "SyoriType=1", [] { MenuHook = [](int32_t, const std::string&) { return 1; }; },
       false, -1, "メニュー以外の処理が開いています。"},
      {"send dialog left with Esc", "SyoriType=1", [] {}, true, 0, ""},
      {"receive dialog left with Esc", "SyoriType=2", [] {}, true, 0, ""},
      {"server check without cash-book ID", "SyoriType=8", [] { AccInf.TusinHolder[1].clear(); }, false, -1, "通信IDが設定されてません"},
      {"server check with a blank password is not trimmed", "SyoriType=8",
       [] {
         AccInf.TusinHolder[1] = kCommId;
         AccInf.TusinPassword[1] = " ";
       },
       true, -1, ""},
      {"server check with other windows open", "SyoriType=8", [] { MenuHook = [](int32_t, const std::string&) { return 1; }; },
       false, -1, "メニュー以外の画面を表示中"},
      {"cash-book send declined", "SyoriType=3",
       [] {
         AccInf.TusinHolder[1] = kCommId;
         AccInf.TusinPassword[1] = "cb";
       },
       false, -1, "中継サーバーにデータを送信します。"},
      {"relay unknown to the server", "SyoriType=4",
       [] {
         AccInf.TusinHolder[1] = "NOBODY";
         AccInf.TusinPassword[1] = "cb";
       },
       false, 0, "通信IDを確認して下さい"},
  };
  for (const Case& c : cases) {
    AccInf = opened;
    MenuHook = nullptr;
    c.arrange();
    ui_.messages.clear();
    auto script = c.modalEsc ? escape() : nullptr;
    EXPECT_EQ(RunSyoriModule("VqDataTusin", 1, c.params), c.result) << c.what;
    if (script) EXPECT_FALSE(script->WatchdogFired()) << c.what;
    if (*c.message) {
      ASSERT_FALSE(ui_.messages.empty()) << c.what;
      EXPECT_NE(ui_.MessageText(0).find(c.message), std::string::npos) << c.what << ": " << ui_.MessageText(0);
    } else {
      EXPECT_TRUE(ui_.messages.empty()) << c.what << ": " << (ui_.messages.empty() ? "" : ui_.MessageText(0));
    }
  }
  MenuHook = nullptr;
  // A modeless send shows the dialog and answers 0 at once.
  EXPECT_EQ(RunSyoriModule("VqDataTusin", 0, "SyoriType=1"), 0);
  int shown = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = dynamic_cast<TfmDataTusin*>(w); f && f->isVisible()) {
      ++shown;
      f->Free();
    }
  EXPECT_EQ(shown, 1);
}

TEST_F(CommModule, GridShowsTheRelayFoldersAndTheKeys) {
  SeedRelay(R"({"01": {"name": "本社データ", "term": "5", "start": "2016-04-01 00:00", "end": "2017-03-31 00:00",
                      "sent": "2025-05-01 10:20", "received": "2025-05-02 08:00", "password": "pw-01", "version": "1002"},
                "03": {"name": "", "term": "9", "password": "hidden"},
                "10": {"name": "支店データ", "term": "3", "start": "2015-04-01 00:00", "end": "2016-03-31 00:00",
                      "sent": "2025-06-01 09:00", "password": "x", "version": "0601"}})");
  std::vector<std::vector<std::string>> cells;
  std::string caption, f12, f5, hint;
  QImage shot;
  uitest::ModalScript script({[&](TForm& f) {
    auto& box = dynamic_cast<TfmDataTusin&>(f);
    for (int r : {0, 2, 9}) {
      std::vector<std::string> row;
      for (int c = 0; c < 7; ++c) row.push_back(box.PerfectGrid1->CellText(c, r));
      cells.push_back(row);
    }
    caption = box.Caption();
    f12 = box.F12->CaptionA().Caption();
    f5 = box.F5->CaptionA().Caption();
    hint = box.HintArea->Text();
    shot = f.grab().toImage();
    KeyAt(f, Qt::Key_Escape);
  }});
  EXPECT_EQ(RunSyoriModule("VqDataTusin", 1, "SyoriType=2"), 0);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_TRUE(shot.save(QStringLiteral("comm_datatusin.png")));
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0], (std::vector<std::string>{"1", "本社データ", "5期", "2016/04/01 ～ 2017/03/31", "2025/05/01 10:20",
                                                "2025/05/02 08:00", "10.2"}));
  EXPECT_EQ(cells[1], (std::vector<std::string>{"3", "", "", "", "", "", ""})) << "a folder without a name shows nothing";
  EXPECT_EQ(cells[2], (std::vector<std::string>{"10", "支店データ", "3期", "2015/04/01 ～ 2016/03/31", "2025/06/01 09:00", "-",
                                                "14消改版"}));
  EXPECT_EQ(caption, "データ受信");
  EXPECT_EQ(f12, "F12:実  行");
  EXPECT_EQ(f5, "F5:ﾃﾞｰﾀ削除");
  EXPECT_NE(hint.find("現在利用中のデータに上書きします。"), std::string::npos);
  EXPECT_EQ(JournalCount({"Scode=1720&sSno=INST-01&sFName=TX0001 "}), 1);
}

TEST_F(CommModule, UnreadableRelayLeavesTheGridEmptyAndTheKeysOff) {
  servers_->WriteState("faults.json", R"({"relay_close": true})");
  int rows = -1;
  bool f12 = true, f5 = true;
  uitest::ModalScript script({[&](TForm& f) {
    auto& box = dynamic_cast<TfmDataTusin&>(f);
    rows = box.PerfectGrid1->Rows();
    f12 = box.F12->isEnabled();
    f5 = box.F5->isEnabled();
    KeyAt(f, Qt::Key_F12);  // nothing to run
    KeyAt(f, Qt::Key_Escape);
  }});
  EXPECT_EQ(RunSyoriModule("VqDataTusin", 1, "SyoriType=1"), 0);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_EQ(rows, 10) << "the rows are there, without folder data";
  EXPECT_FALSE(f12);
  EXPECT_FALSE(f5);
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.MessageText(0), "　\nサーバーに接続出来ません。\n ");  // the lines of the text
}

TEST(CommModuleForms, StepWindowShowsStepsByColourAndTheNoticeStacksItsLines) {
  auto* w = CreateWaitMess(nullptr, 435, 194);
  w->SetStep(w->CheckBox1, "送信用データ保存　終了", TfmWaitMess::Finished);
  w->SetStep(w->CheckBox2, "送信用データ圧縮　実行中", TfmWaitMess::Running);
  w->SetStep(w->CheckBox3, "送信用データ暗号化", TfmWaitMess::Waiting);
  EXPECT_EQ(w->CheckBox1->Font().Color, TColor(0x808080));
  EXPECT_EQ(w->CheckBox2->Font().Color, TColor(0xFF0000));
  EXPECT_EQ(w->CheckBox3->Font().Color, TColor(0));
  EXPECT_TRUE(w->CheckBox2->Checked());
  EXPECT_FALSE(w->CheckBox3->Checked());
  uitest::Pump();
  EXPECT_TRUE(w->grab().toImage().save(QStringLiteral("comm_waitmess.png")));
  w->Free();

  // Only the company line differs: the period line is hidden and the question follows.
  auto* m = CreateForm<TfmHikakuMess2>(nullptr);
  m->Label1->SetCaption("中継サーバーに下記相違点のあるデータが存在します。");
  m->Label2->SetCaption("このまま送信して上書きしてもいいですか？");
  m->Label5->SetCaption(HikakuOpenName("株式会社サンプル商事"));
  m->Label6->SetCaption(HikakuRelayName("別会社"));
  m->Arrange(false, true, false, true);
  EXPECT_TRUE(m->Label3->isHidden());
  EXPECT_TRUE(m->Label7->isHidden());
  EXPECT_FALSE(m->Label4->isHidden());
  EXPECT_LT(m->Label6->y(), m->Label2->y());
  EXPECT_EQ(m->Label5->Caption(), "現在利用中の商号　：　株式会社サンプル商事");
  QImage shot;
  uitest::ModalScript script({[&](TForm& f) {
    shot = f.grab().toImage();
    uitest::Click(m->Button2);
  }});
  m->ShowModal();
  EXPECT_EQ(HikakuMess2Answer, 0);
  EXPECT_TRUE(shot.save(QStringLiteral("comm_hikakumess2.png")));
  m->Arrange(true, false, false, false);
  EXPECT_EQ(m->Button1->Caption(), "ＯＫ");
  EXPECT_TRUE(m->Button2->isHidden());
  m->Free();
}

}  // namespace
