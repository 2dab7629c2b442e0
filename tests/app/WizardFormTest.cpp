// The program's window driven off-screen as a user would: the pages, their checks, the
// summary, the export on [完了] and the result the calling program receives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

#include "AppTestEnv.h"
#include "ui/UiTestSupport.h"
#include "app/ValueListEditor.h"
#include "app/xWizard.h"
#include "export/sy26.h"
#include "export/sy26Export.h"
#include "fixtures/FixtureDb.h"
#include "platform/CallerChannel.h"
#include "platform/NamedLock.h"
#include "platform/ini/IniFile.h"
#include "support/TempDir.h"
#include "ui/forms/Button.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Memo.h"
#include "ui/xKikanPanel16.h"
#include "ui/xPlButton.h"

namespace {

using namespace std::chrono_literals;

constexpr int64_t kCallerId = 4711;
constexpr int64_t kCallerMsg = 1025;

class WizardFormTest : public AppTestBase {
 protected:
  void TearDown() override {
    if (form_) form_->Free();
    form_ = nullptr;
    AppTestBase::TearDown();
  }

  // Creates the window as the main block does, initialises it and shows it (the operator
  // logs on).
  TForm1& Start(std::vector<std::string> args = {}) {
    form_ = forms::CreateForm<TForm1>(nullptr, std::move(args));
    EXPECT_FALSE(form_->Halted());
    EXPECT_TRUE(form_->InitApplication());
    auto logon = LogOn();
    uitest::ShowActive(*form_);
    EXPECT_FALSE(logon->WatchdogFired());
    EXPECT_TRUE(form_->LoggedOn);
    return *form_;
  }
  std::string Page() const { return form_->Wizard1->ActivePage(); }
  void Next() { uitest::Click(form_->Button2); }
  void Back() { uitest::Click(form_->Button1); }
  void Shot(const std::string& name) { Screenshot(*form_, "app_" + name + ".png"); }
  // Chooses the fixture company on page 2.
  void ChooseData() {
    uitest::Click(form_->btnDataSentaku);
    ASSERT_TRUE(form_->DataConnected);
    // The user's next click goes into the window again once the progress window is gone.
    uitest::ShowActive(*form_);
  }
  // The message boxes shown since the last call, as text.
  std::vector<std::string> TakeMessages() {
    std::vector<std::string> texts;
    for (size_t i = 0; i < ui_.messages.size(); ++i) texts.push_back(ui_.MessageText(i));
    ui_.messages.clear();
    return texts;
  }
  // The file the export of the command-line exporter writes for the company and periods.
  std::string ReferenceExport(int32_t start, int32_t end) {
    const std::string file = (out_.Path() / "reference.xml").string();
    ExportSyohizeiFile(company_->Folder().string(), start, end, file);
    return TempDir::Read(file);
  }
  static std::vector<CallerMessage> Drain(CallerListener& caller) {
    std::vector<CallerMessage> got;
    while (auto m = caller.Receive(got.empty() ? 2000ms : 200ms)) got.push_back(*m);
    return got;
  }

  TForm1* form_ = nullptr;
  TempDir out_;
};

TEST_F(WizardFormTest, WalksThePagesAndWritesTheFileOfTheExport) {
  TForm1& f = Start();
  EXPECT_EQ(f.Caption(), "消費税のSoravin（平成26年度版 以降） from Tallix財務");
  EXPECT_EQ(f.ClientWidth(), 677);
  EXPECT_EQ(f.ClientHeight(), 439);
  EXPECT_EQ(f.Memo1a->Lines(), (std::vector<std::string>{"『Tallix財務』から『消費税のSoravin』へデータを連動させるための",
                                                        "中間ファイルを作成します。"}));
  Shot("page1");

  // Page 2 refuses to go on without a data set, and points at the selection button.
  Next();
  ASSERT_EQ(Page(), "page2");
  EXPECT_EQ(uitest::FocusedName(), "btnDataSentaku");
  Next();
  EXPECT_EQ(Page(), "page2");
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{
                                "会計データの選択が行われていません。\n「データ選択を開く」ボタンを押して選択して下さい。"});
  EXPECT_EQ(uitest::FocusedName(), "btnDataSentaku");

  ChooseData();
  EXPECT_EQ(StandInDataSelection::params,
            (std::vector<std::string>{"SyoriType=3", "JyokenSet=1", "DataVerMajor=10", "FormStyle=2"}));
  EXPECT_EQ(f.listDataInfo->Strings(),
            (std::vector<std::string>{"データ区分=法人", "会社名=株式会社サンプル商事", "会計年度=" + std::to_string(AccInf.NENDO) + "期",
                                      "会計期間=2016/04/01 ～ 2017/03/31"}));
  Shot("page2");
  Next();
  ASSERT_EQ(Page(), "page3");
  const int start = f.xKikanPanel3a->Stno();
  const int end = f.xKikanPanel3a->Edno();
  EXPECT_EQ(start, AccInf.PrevKikanNo);
  EXPECT_EQ(end, AccInf.LastKikanNo);
  Shot("page3");
  Next();
  ASSERT_EQ(Page(), "page4");
  Shot("page4");

  // [参照] proposes nothing while the named file does not exist, and takes the choice.
  ui_.fileAnswers = {(out_.Path() / "chosen.xml").string()};
  uitest::Click(f.BitBtn4a);
  ASSERT_EQ(ui_.fileDialogs.size(), 1u);
  EXPECT_EQ(ui_.fileDialogs[0].caption, "中間ﾌｧｲﾙの指定");
  EXPECT_EQ(ui_.fileDialogs[0].initialDir, inst_->DocumentsDir().string());
  EXPECT_EQ(ui_.fileDialogs[0].fileName, "");
  EXPECT_EQ(ui_.fileDialogs[0].defaultExt, "xml");
  EXPECT_TRUE(ui_.fileDialogs[0].save);
  EXPECT_EQ(f.Edit4a->Text(), (out_.Path() / "chosen.xml").string());

  // The file on page 4: refused without a name and directly in the root.
  struct Refusal {
    const char* text;
    const char* message;
  };
  const char* const missing = "中間ﾌｧｲﾙが指定されていません。\n指定してから[次へ]をｸﾘｯｸしてください。\n";
  const char* const root = "ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(/)直下にﾌｧｲﾙは指定できません。\n別のﾄﾞﾗｲﾌﾞまたはﾌｫﾙﾀﾞを指定してから[次へ]をｸﾘｯｸしてください。\n";
  for (const Refusal& r : {Refusal{"", missing}, Refusal{"/data/out/", missing}, Refusal{"/syouhizei.xml", root},
                           Refusal{"//./syouhizei.xml", root}}) {
    f.Edit4a->SetText(r.text);
    Next();
    EXPECT_EQ(Page(), "page4") << r.text;
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{r.message}) << r.text;
    EXPECT_EQ(f.Button2->Caption(), "次へ(&N) >");
  }
  // A bare name goes to the documents folder, and the summary says so.
  f.Edit4a->SetText("syouhizei.xml");
  Next();
  ASSERT_EQ(Page(), "page5");
  EXPECT_EQ(f.Exporter->ExportFile, inst_->DocumentsDir().string() + "/syouhizei.xml");
  Back();

  const std::string target = (out_.Path() / "rendo.xml").string();
  f.Edit4a->SetFocus();
  f.Edit4a->SelectAll();
  uitest::Type(QString::fromStdString(target));
  Next();
  ASSERT_EQ(Page(), "page5");
  EXPECT_EQ(f.Button2->Caption(), "完了(&F)");
  EXPECT_TRUE(TakeMessages().empty());
  Shot("page5");

  Next();  // [完了]
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"中間ファイルが作成されました。\n"});
  EXPECT_EQ(f.ResultCode, 0);
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.DataConnected);
  EXPECT_FALSE(f.LoggedOn);
  const std::string written = TempDir::Read(target);
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written, ReferenceExport(start, end));
}

TEST_F(WizardFormTest, AFailedExportIsReportedAndEndsWithTwo) {
  TForm1& f = Start();
  Next();
  ChooseData();
  Next();
  Next();
  // Among the data sets: the export refuses to write there.
  const std::string target = (inst_->SysDir() / "syouhizei.xml").string();
  f.Edit4a->SetText(target);
  Next();
  ASSERT_EQ(Page(), "page5");
  Next();  // [完了]
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
  EXPECT_EQ(ui_.messages[1].kind, uis::MsgKind::Error);
  const std::vector<std::string> shown = TakeMessages();
  EXPECT_EQ(shown[0].rfind("出力先に会計データのフォルダは指定できません。", 0), 0u) << shown[0];
  EXPECT_EQ(shown[1], "中間ファイルの作成に失敗しました。\n");
  EXPECT_EQ(f.ResultCode, 2);
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(WizardFormTest, TheSummaryOfTheFixtureCompany) {
  TForm1& f = Start();
  Next();
  ChooseData();
  Next();
  // The second quarter: July to the quarter's closing adjustment.
  f.xKikanPanel3a->SetStno(4);
  f.xKikanPanel3a->SetEdno(7);
  Next();
  f.Edit4a->SetText((out_.Path() / "q2.xml").string());
  Next();
  ASSERT_EQ(Page(), "page5");
  const std::vector<std::string> expected = {
      "【連動元情報】",
      " 会社名        : 株式会社サンプル商事",
      " 会計年度      : " + std::to_string(AccInf.NENDO) + " 期",
      " 会計期間      : 2016年 4月 1日 ～ 2017年 3月31日",
      "",
      "【ﾃﾞｰﾀ区分】",
      " 法人個人区分  : 法人",
      " 課税区分      : 原則",
      " 売上税額計算  : 原則方式",
      " 仕入税額計算  : 原則方式",
      "",
      "【計算条件】",
      " 計算対象期間  : 2016年 7月 ～ 16年 9月",
      "",
      "【中間ﾌｧｲﾙ】",
      " " + (out_.Path() / "q2.xml").string(),
      "",
      "【制限事項】",
      " １）「課税標準額に対する消費税額の計算の特例の適用」には対応しておりません。",
      " ２）以下の輸入消費税区分は連動をおこないません。",
      "       521～523　課税輸入",
      "       571～573　課税輸入返還",
      "       721～723　課税輸入",
      "       771～773　課税輸入返還",
      " ３）付表２の項目⑬の金額については連動をおこないません。",
  };
  EXPECT_EQ(f.Memo5b->Lines(), expected);
  EXPECT_EQ(f.Exporter->Params.StartSlot, 4);
  EXPECT_EQ(f.Exporter->Params.EndSlot, 7);
}

TEST_F(WizardFormTest, AStartOnAClosingCellMovesBackByOne) {
  TForm1& f = Start();
  Next();
  ChooseData();
  Next();
  ASSERT_EQ(Page(), "page3");
  // A click on the first quarter's closing cell: the range starts one cell earlier.
  uitest::Click(const_cast<TxKikanCell*>(f.xKikanPanel3a->Cell(3)));
  EXPECT_EQ(f.xKikanPanel3a->Stno(), 2);
  EXPECT_EQ(f.xKikanPanel3a->Edno(), 3);
  uitest::Click(const_cast<TxKikanCell*>(f.xKikanPanel3a->Cell(0)));
  EXPECT_EQ(f.xKikanPanel3a->Stno(), 0) << "the first cell never moves";
  // Leaving the page applies the rule too.
  f.xKikanPanel3a->SetEdno(15);
  f.xKikanPanel3a->SetStno(11);
  Next();
  EXPECT_EQ(f.xKikanPanel3a->Stno(), 10);
}

TEST_F(WizardFormTest, ACallerGetsTheResultOfTheWizard) {
  struct Case {
    const char* how;
    int64_t result;
  };
  for (const Case c : {Case{"finish", 0}, Case{"cancel", 1}, Case{"close box", 1}}) {
    SCOPED_TRACE(c.how);
    CallerListener caller(kCallerId);
    const std::string file = (out_.Path() / "caller.xml").string();
    std::filesystem::remove(file);
    TForm1& f = Start({std::to_string(kCallerId) + "," + std::to_string(kCallerMsg) + ",7," + file});
    EXPECT_EQ(f.Wizard1->Pages(), (std::vector<std::string>{"page1", "page2", "page3", "page5"}));
    EXPECT_EQ(f.Memo1a->Lines(),
              std::vector<std::string>{"『Tallix財務』から『消費税のSoravin』へデータの連動をおこないます。"});
    if (std::string(c.how) == "finish") {
      Next();
      ChooseData();
      Next();
      Next();
      ASSERT_EQ(Page(), "page5");
      EXPECT_EQ(f.Memo5b->Lines()[12].rfind(" 計算対象期間  : ", 0), 0u);
      Next();
      EXPECT_TRUE(TakeMessages().empty()) << "no success box for a caller";
      EXPECT_TRUE(std::filesystem::exists(file));
    } else if (std::string(c.how) == "cancel") {
      ui_.messageAnswers = {uis::mrNo, uis::mrYes};
      uitest::Click(f.btnCancel);
      EXPECT_TRUE(f.isVisible()) << "No keeps the wizard open";
      uitest::Click(f.btnCancel);
      EXPECT_EQ(TakeMessages().size(), 2u);
    } else {
      f.close();
      uitest::Pump();
    }
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.ResultCode, c.result);
    form_->Free();
    form_ = nullptr;
    FreeDataModule();
    EXPECT_EQ(Drain(caller), (std::vector<CallerMessage>{{CallerRequest::Disable, 0, 0, 0},
                                                         {CallerRequest::Foreground, 0, 0, 0},
                                                         {CallerRequest::Enable, 0, 0, 0},
                                                         {CallerRequest::Post, kCallerMsg, 7, c.result}}));
  }
}

TEST_F(WizardFormTest, AMissingApplicationIniIsWrittenAndTheStartGoesOn) {
  const std::string saved = TempDir::Read(inst_->AppIniFile());
  std::filesystem::remove(inst_->AppIniFile());
  TForm1& f = Start();
  EXPECT_TRUE(f.LoggedOn);
  EXPECT_TRUE(TakeMessages().empty()) << "no dialog, no message";
  const TIniFile ini(inst_->AppIniFile().string());
  EXPECT_EQ(ini.ReadString("LOCAL", "SYSDIR", ""), inst_->SysDir().string());
  EXPECT_EQ(ini.ReadString("APPLICATION", "CONNECT", ""), "0");
  form_->Free();
  form_ = nullptr;
  std::ofstream(inst_->AppIniFile(), std::ios::binary) << saved;
}

TEST_F(WizardFormTest, AnOlderDataSetIsRefusedAndLeftClosed) {
  fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
  plan.verMajor = 9;
  plan.verMinor1 = 100;
  plan.verMinor2 = 0;
  const fixtures::Company& old = inst_->AddCompany(plan);
  SelectFolder(old.Folder().string());
  TForm1& f = Start();
  Next();
  // OK opens the selection again (the same data set is chosen), Cancel gives up.
  ui_.messageAnswers = {uis::mrOk, uis::mrCancel};
  uitest::Click(f.btnDataSentaku);
  const std::string refusal =
      "このプログラムで処理できるデータバージョンに達していません。\nデータバージョン:10.0.0以降のデータを選択して下さい。\n\n"
      "データ選択画面を開き、別のデータを選択しますか？\n";
  EXPECT_EQ(TakeMessages(), (std::vector<std::string>{refusal, refusal}));
  EXPECT_FALSE(f.DataConnected);
  EXPECT_TRUE(SystemDef.DataDir.empty());
  EXPECT_EQ(f.listDataInfo->RowCount(), 1);
  EXPECT_EQ(TIniFile(old.IniFile().string()).ReadInteger("DATASTS", "STATUS", -1), 1) << "closed, not in use";
  Next();
  EXPECT_EQ(Page(), "page2");
}

// A data set kept on the share server is taken to this computer when it is chosen (the
// operator's automatic exchange on) and stored back on the share when the program ends.
TEST_F(WizardFormTest, SharedDataIsTakenWhenChosenAndStoredBackAtTheEnd) {
  fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
  plan.entText = "共有商事";
  const fixtures::Company& shared = inst_->AddCompany(plan);
  const std::filesystem::path area = inst_->ShareCompany(shared, "sv0001");
  const std::string rec = std::to_string(shared.DataNo());
  auto lock = [&] { return fixtures::DbSession(inst_->SystemDbFile()).Scalar("SELECT KYOYULOCK FROM DATALIST WHERE REC=" + rec); };
  auto shareStatus = [](const std::filesystem::path& folder) {
    return TIniFile((folder / "qvacc.ini").string()).ReadInteger("DATASTS", "SHARE_STATUS", -1);
  };
  ASSERT_FALSE(std::filesystem::exists(shared.Folder() / "qvacc.fdb"));
  SelectFolder(shared.Folder().string());
  TForm1& f = Start();
  SystemDef.R4Bit1 = 1;
  Next();
  ChooseData();
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(shared.Folder() / "qvacc.fdb"));
  EXPECT_EQ(lock(), 1);
  EXPECT_EQ(shareStatus(area), 2);
  EXPECT_EQ(f.listDataInfo->Values("会社名"), AccInf.SHOUGOU);

  f.close();
  uitest::Pump();
  form_->Free();
  form_ = nullptr;
  EXPECT_EQ(lock(), 0) << "stored back and released";
  EXPECT_NE(shareStatus(area), 2);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(WizardFormTest, TheCallerGetsItsResultAlsoWhenTheSettingsCannotBeSaved) {
  CallerListener caller(kCallerId);
  TForm1& f = Start({"4711,1025,7,a.xml"});
  // Soravin.ini cannot be written: a folder has taken its name.
  const std::filesystem::path settings = inst_->IniDir() / "Soravin.ini";
  std::filesystem::remove(settings);
  std::filesystem::create_directories(settings);
  f.close();
  form_->Free();
  form_ = nullptr;
  std::filesystem::remove_all(settings);
  const std::vector<CallerMessage> got = Drain(caller);
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back(), (CallerMessage{CallerRequest::Post, kCallerMsg, 7, 1}));
}

TEST_F(WizardFormTest, WithoutAppInfoTheProgramEndsAndTheCallerGetsTwo) {
  CallerListener caller(kCallerId);
  const std::filesystem::path appInfo = inst_->ProgramDir() / "AppInfo.ini";
  const std::filesystem::path aside = inst_->ProgramDir() / "AppInfo.ini.aside";
  std::filesystem::rename(appInfo, aside);
  form_ = forms::CreateForm<TForm1>(nullptr, std::vector<std::string>{"4711,1025,7,a.xml"});
  std::filesystem::rename(aside, appInfo);
  EXPECT_TRUE(form_->Halted());
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"アプリケーションの設定ファイル(AppInfo.ini)が見つかりませんでした。\n"
                                                     "アプリケーションを強制終了します。"});
  form_->Free();
  form_ = nullptr;
  EXPECT_EQ(Drain(caller), (std::vector<CallerMessage>{{CallerRequest::Disable, 0, 0, 0},
                                                       {CallerRequest::Foreground, 0, 0, 0},
                                                       {CallerRequest::Enable, 0, 0, 0},
                                                       {CallerRequest::Post, kCallerMsg, 7, 2}}));
}

TEST_F(WizardFormTest, AWrongArgumentEndsTheProgramAndPostsNothing) {
  CallerListener caller(kCallerId);
  const std::string wrong = "不正な引数が渡されました。\n\nアプリケーションを強制終了します。";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"4711,1025,7,a.xml", "b.xml"}, std::vector<std::string>{"4711,1025,x,a.xml"},
        std::vector<std::string>{"4711,1025"}}) {
    form_ = forms::CreateForm<TForm1>(nullptr, args);
    EXPECT_TRUE(form_->Halted());
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{wrong});
    form_->Free();
    form_ = nullptr;
  }
  EXPECT_FALSE(caller.Receive(300ms).has_value());
}

TEST_F(WizardFormTest, TheMainBlockRefusesBesideTheProductAndASecondCopy) {
  struct Case {
    const char* lock;
    const char* message;
  };
  for (const Case& c : {Case{"LOMATRA000", "Tallix財務が起動しています。同時に起動することは出来ません。"},
                        Case{"LOMATRA_TOOLS", "Tallix財務ツールが起動しています。同時に起動することは出来ません。"},
                        Case{"SORAVIN_RENDO", "アプリケーションは既に起動しています。"}}) {
    CallerListener caller(kCallerId);
    NamedLock held(c.lock);
    ASSERT_TRUE(held.TryTake());
    EXPECT_EQ(RunProgram({"4711,1025,7,a.xml"}), 2) << c.lock;
    ASSERT_EQ(ui_.messages.size(), 1u) << c.lock;
    EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Information);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{c.message});
    EXPECT_FALSE(caller.Receive(300ms).has_value()) << c.lock << ": nothing is sent to the caller";
  }
}

TEST_F(WizardFormTest, TheMainBlockRunsTheWindowUntilItIsClosed) {
  CallerListener caller(kCallerId);
  SetMainFormHook([](TForm1& form) { QTimer::singleShot(0, &form, [&form] { form.close(); }); });
  auto logon = LogOn();
  EXPECT_EQ(RunProgram({"4711,1025,7,a.xml"}), 1);
  EXPECT_FALSE(NamedLock::Exists("SORAVIN_RENDO")) << "the lock goes with the program";
  EXPECT_EQ(Drain(caller).back(), (CallerMessage{CallerRequest::Post, kCallerMsg, 7, 1}));
}

}  // namespace
