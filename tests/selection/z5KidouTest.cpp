// The module registry and the run by program id, with small module forms of the test's own:
// registration once per class, lookups without regard to case, the lines a module receives,
// the refusals (unknown id, a class without the module interface, a start under way) and a
// module that fails before it is shown.
#include <QPointer>
#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "selection/z5Kidou.h"
#include "support/ScriptedUi.h"
#include "ui/UiTestSupport.h"
#include "ui/forms/Application.h"

using namespace forms;

namespace {

constexpr const char* kNoInterface =
    "処理を起動するためのインターフェースが実装されていません。\nライブラリのロードに失敗した可能性があります。";

// What the last module run saw, and the last form a module class made.
std::vector<std::string> gParams;
bool gModal = false;
QPointer<TForm> gLastForm;

template <int N>
class TTestModule : public TForm, public ISyoriKidou {
 public:
  explicit TTestModule(QWidget* owner) : TForm(owner) { gLastForm = this; }
  void SetParams(const std::vector<std::string>& params) override {
    gParams = params;
    if (params.size() > 1 && params[0] == "SyoriType=7") throw std::runtime_error("処理タイプに範囲外の値が設定されました。");
  }
  int32_t Execute(bool modal) override {
    gModal = modal;
    return 10 + N;
  }
};

// A form that is registered but is no module.
class TPlainForm : public TForm {
 public:
  explicit TPlainForm(QWidget* owner) : TForm(owner) { gLastForm = this; }
};

class SyoriKidou : public ::testing::Test {
 protected:
  void SetUp() override {
    gParams.clear();
    gLastForm = nullptr;
  }
  void TearDown() override { Screen().SetCursor(crDefault); }
  ScriptedUi ui;
  ScopedUi useUi{ui};
};

TEST_F(SyoriKidou, AClassIsRegisteredOnceAndIdsAreFoundWithoutRegardToCase) {
  RegisterSyoriClass<TTestModule<1>>("TestFirst");
  RegisterSyoriClass<TTestModule<1>>("TestSecond");  // the same class again: ignored
  RegisterSyoriClass<TTestModule<2>>("TestFirst");   // a repeated id: the first entry wins
  const std::vector<std::string> ids = SyoriIdList();
  EXPECT_EQ(std::count(ids.begin(), ids.end(), "TestFirst"), 2);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), "TestSecond"), 0);

  EXPECT_EQ(RunSyoriModule("testfirst", 1, ""), 11);
  EXPECT_TRUE(ui.messages.empty());
  if (gLastForm) gLastForm->Free();

  EXPECT_EQ(RunSyoriModule("TestSecond", 1, ""), -1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Error);
  EXPECT_EQ(ui.MessageText(0), kNoInterface);
}

TEST_F(SyoriKidou, TheModuleGetsTheCallersLinesAndItsFormStyle) {
  RegisterSyoriClass<TTestModule<3>>("TestLines");
  struct Case {
    const char* text;
    int mode;
    std::vector<std::string> lines;
    bool modal;
  } cases[] = {
      {"SyoriType=3\rJyokenSet=1\rDataVerMajor=10", 1,
       {"SyoriType=3", "JyokenSet=1", "DataVerMajor=10", "FormStyle=2"}, true},
      {"A=1\r\nB=2\nC=3\r", 0, {"A=1", "B=2", "C=3", "FormStyle=0"}, false},
      {"", 2, {"FormStyle=0"}, false},
      {"A=1\r\rB=2", 1, {"A=1", "", "B=2", "FormStyle=2"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RunSyoriModule("TestLines", c.mode, c.text), 13);
    EXPECT_EQ(gParams, c.lines);
    EXPECT_EQ(gModal, c.modal);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    if (gLastForm) gLastForm->Free();
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SyoriKidou, NothingRunsForAnUnknownIdAClassWithoutTheInterfaceOrAStartUnderWay) {
  RegisterSyoriClass<TPlainForm>("TestPlain");
  RegisterSyoriClass<TTestModule<4>>("TestBusy");

  EXPECT_EQ(RunSyoriModule("VqKihonWiz", 1, "DataPath=x"), -1);
  EXPECT_EQ(RunSyoriModule("TestPlain", 1, ""), -1);
  EXPECT_TRUE(gLastForm.isNull()) << "the form without the interface is freed";
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.MessageText(0), kNoInterface);
  EXPECT_EQ(ui.MessageText(1), kNoInterface);
  EXPECT_EQ(Screen().Cursor(), crDefault);

  // A start asked for while another one shows the hourglass: refused without a word.
  Screen().SetCursor(crHourGlass);
  EXPECT_EQ(RunSyoriModule("TestBusy", 1, ""), -1);
  EXPECT_TRUE(gLastForm.isNull());
  Screen().SetCursor(crDefault);
  EXPECT_EQ(RunSyoriModule("", 1, ""), -1);
  EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_F(SyoriKidou, AModuleFailingBeforeItIsShownIsFreedAndTheFailurePasses) {
  RegisterSyoriClass<TTestModule<5>>("TestFailing");
  EXPECT_THROW(RunSyoriModule("TestFailing", 1, "SyoriType=7"), std::runtime_error);
  EXPECT_TRUE(gLastForm.isNull());
  EXPECT_EQ(Screen().Cursor(), crDefault);
}

}  // namespace
