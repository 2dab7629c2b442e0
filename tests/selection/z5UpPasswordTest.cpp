// The password dialog driven as a user would: the change and the setting layouts, the keys
// the edits take, and the order of the checks of OK. Picture: selection_uppassword.png.
#include <QImage>
#include <gtest/gtest.h>
#include <string>

#include "selection/z5UpPassword.h"
#include "support/ScriptedUi.h"
#include "ui/UiTestSupport.h"

using namespace forms;

namespace {

class UpPassword : public ::testing::Test {
 protected:
  void SetUp() override { box = CreateForm<TUpPasswordBox>(nullptr); }
  void TearDown() override { box->Free(); }

  ScriptedUi ui;
  ScopedUi useUi{ui};
  TUpPasswordBox* box = nullptr;
};

TEST_F(UpPassword, TheChecksOfOkInTheirOrder) {
  struct Case {
    const char* stored;
    const char* now;
    const char* new1;
    const char* new2;
    const char* refusal;  // nullptr: accepted
    const char* focus;
  } cases[] = {
      {"Abc1", "", "x1", "x1", "現在のパスワードが入力されていません。", "txtPasswordNow"},
      {"Abc1", "　 ", "x1", "x1", "現在のパスワードが入力されていません。", "txtPasswordNow"},
      {"Abc1", "abc1", "x1", "x1", "現在のパスワードが入力されたパスワードと一致しません。", "txtPasswordNow"},
      {"Abc1", "Abc1", "x1", "", "新しいパスワードが入力されていません。両方のボックスに入力して下さい。", "txtPasswordNew1"},
      {"Abc1", "Abc1", "X1", "x1", "入力されたパスワードは一致しません。", "txtPasswordNew1"},
      {"Abc1", "Abc1", "New2", "New2", nullptr, nullptr},
      {"", "ignored", "First1", "First1", nullptr, nullptr},
      {"", "", "", "", "新しいパスワードが入力されていません。両方のボックスに入力して下さい。", "txtPasswordNew1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + "/" + c.now + "/" + c.new1 + "/" + c.new2);
    ui.messages.clear();
    box->Setup(c.stored);
    std::string focus;
    uitest::ModalScript script({[&](TForm&) {
      box->txtPasswordNow->SetText(c.now);
      box->txtPasswordNew1->SetText(c.new1);
      box->txtPasswordNew2->SetText(c.new2);
      uitest::Click(box->btnOk);
      focus = uitest::FocusedName();
      if (box->ModalResult() == mrNone) uitest::Key(Qt::Key_Escape);
    }});
    const int result = box->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    if (c.refusal) {
      EXPECT_EQ(result, mrCancel);
      ASSERT_EQ(ui.messages.size(), 1u);
      EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Warning);
      EXPECT_EQ(ui.MessageText(0), c.refusal);
      EXPECT_EQ(focus, c.focus);
      EXPECT_EQ(box->NewPassword, "");
    } else {
      EXPECT_EQ(result, mrOk);
      EXPECT_TRUE(ui.messages.empty());
      EXPECT_EQ(box->NewPassword, c.new1);
    }
  }
}

TEST_F(UpPassword, LayoutsAndTheKeysTheEditsTake) {
  box->Setup("");
  std::string focus, typed;
  bool nowShown = true;
  uitest::ModalScript setting({[&](TForm&) {
    focus = uitest::FocusedName();
    nowShown = box->txtPasswordNow->isVisible();
    uitest::Type("a B-1_あ9Z");
    typed = box->txtPasswordNew1->Text();
    uitest::Key(Qt::Key_Escape);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(box->Caption(), "パスワードの設定");
  EXPECT_EQ(box->Label1->Caption(), "パスワードを設定します。");
  EXPECT_FALSE(nowShown);
  EXPECT_EQ(focus, "txtPasswordNew1");
  EXPECT_EQ(typed, "aB19Z") << "blanks and signs are not typed";

  box->Setup("Abc1");
  QImage shot;
  uitest::ModalScript change({[&](TForm& f) {
    focus = uitest::FocusedName();
    nowShown = box->txtPasswordNow->isVisible();
    uitest::Type("Abc1");
    shot = f.grab().toImage();
    uitest::Key(Qt::Key_Escape);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(box->Caption(), "パスワードの変更");
  EXPECT_TRUE(nowShown);
  EXPECT_EQ(focus, "txtPasswordNow");
  EXPECT_LT(box->txtPasswordNow->Top(), box->txtPasswordNew1->Top());
  EXPECT_LT(box->txtPasswordNew1->Top(), box->txtPasswordNew2->Top());
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral("selection_uppassword.png")));
}

}  // namespace
