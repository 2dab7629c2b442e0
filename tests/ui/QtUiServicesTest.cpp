// The Qt side of the UI services: message boxes (the stand-alone message form) with the
// Japanese captions and buttons, the text entry (the input dialog), the progress window
// blocking its owner, and the file filter.
#include <QApplication>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "support/ScriptedUi.h"
#include "ui/QtUiServices.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Label.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;

namespace {

class QtUiServicesTest : public ::testing::Test {
 protected:
  QtUiServices qt;
  ScopedUi use{qt};
};

std::vector<std::string> ButtonCaptions(TForm& form) {
  std::vector<std::string> captions;
  for (TComponent* c : form.Components()) {
    if (auto* b = dynamic_cast<TButton*>(c); b && b->Visible()) captions.push_back(b->Caption());
  }
  return captions;
}

TButton* ButtonOf(TForm& form, int result) {
  for (TComponent* c : form.Components()) {
    if (auto* b = dynamic_cast<TButton*>(c); b && b->Visible() && b->ModalResult() == result) return b;
  }
  return nullptr;
}

std::string LineText(TForm& form, int line) { return dynamic_cast<TLabel*>(form.FindComponent("Label" + std::to_string(line)))->Caption(); }

TEST_F(QtUiServicesTest, MessageBoxCaptionsButtonsAndAnswers) {
  std::string caption, text, focused;
  std::vector<std::string> buttons;
  uitest::ModalScript script({[&](TForm& f) {
    caption = f.Caption();
    buttons = ButtonCaptions(f);
    text = LineText(f, 1) + "\n" + LineText(f, 2);
    focused = uitest::FocusedName();
    uitest::Click(ButtonOf(f, mrNo));
  }});
  EXPECT_EQ(uis::ShowMessage(uis::MsgKind::Confirmation, "保存しますか？\r変更は失われます。", {}, uis::Buttons::YesNoCancel, mrNo),
            mrNo);
  EXPECT_EQ(caption, "確認");
  EXPECT_EQ(buttons, (std::vector<std::string>{"はい(&Y)", "いいえ(&N)", "ｷｬﾝｾﾙ(&C)"}));
  EXPECT_EQ(text, "保存しますか？\n変更は失われます。");
  EXPECT_EQ(focused, "btnButton2") << "the default button (No) has the focus";
}

TEST_F(QtUiServicesTest, EscAndTheCloseBoxAnswerAsTheButtonSetAllows) {
  struct Case {
    uis::MsgKind kind;
    uis::Buttons buttons;
    const char* caption;
    int expected;
  } cases[] = {
      {uis::MsgKind::Warning, uis::Buttons::OkCancel, "警告", mrCancel},
      {uis::MsgKind::Error, uis::Buttons::Ok, "エラー", mrOk},
      {uis::MsgKind::Information, uis::Buttons::RetryCancel, "情報", mrCancel},
      {uis::MsgKind::Error, uis::Buttons::Yes, "エラー", mrYes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    std::string caption;
    uitest::ModalScript script({[&](TForm& f) {
      caption = f.Caption();
      uitest::Key(Qt::Key_Escape);
    }});
    EXPECT_EQ(uis::ShowMessage(c.kind, "text", {}, c.buttons, mrOk), c.expected);
    EXPECT_EQ(caption, c.caption);
  }
  // Yes/No must be answered: Esc and the close box leave the box up.
  bool stillOpen = false;
  uitest::ModalScript script({
      [](TForm&) { uitest::Key(Qt::Key_Escape); },
      [](TForm& f) { f.close(); },
      [&](TForm& f) {
        stillOpen = f.Showing();
        uitest::Click(ButtonOf(f, mrYes));
      },
  });
  EXPECT_EQ(uis::ShowMessage(uis::MsgKind::Confirmation, "text", {}, uis::Buttons::YesNo, mrNo), mrYes);
  EXPECT_TRUE(stillOpen);
}

TEST_F(QtUiServicesTest, LongMessagesAndDetailsKeepEveryLineOnTheForm) {
  uis::MessageRequest request;
  request.kind = uis::MsgKind::Error;
  for (int i = 1; i <= 9; ++i) request.lines.push_back("行" + std::to_string(i));
  request.detail = "コード 335544344\r接続が切断されました。";
  std::string line9, line10;
  bool onForm = false;
  uitest::ModalScript script({[&](TForm& f) {
    auto& box = dynamic_cast<TMessageBox2&>(f);
    line9 = box.Labels[8]->Caption();
    line10 = box.Labels[9]->Caption();
    onForm = box.Labels[9]->Top() + box.Labels[9]->Height() <= box.pnlClient->Height();
    uitest::Key(Qt::Key_Return);
  }});
  EXPECT_EQ(qt.MessageBox(request), mrOk);
  EXPECT_EQ(line9, "行9");
  EXPECT_EQ(line10, "\nコード 335544344\n接続が切断されました。") << "after a blank line, the detail shares the last line";
  EXPECT_TRUE(onForm);
}

TEST_F(QtUiServicesTest, InputTextReturnsTheEntryAndFiltersCharacters) {
  uis::InputRequest request;
  request.caption = "パスワード";
  request.message = "パスワードを入力してください。";
  request.mode = 1;
  request.charFilter = 30;
  bool hidden = false;
  uitest::ModalScript script({
      [&](TForm& f) {
        auto* edit = dynamic_cast<TEdit*>(f.FindComponent("txtInput"));
        hidden = edit->echoMode() == QLineEdit::Password;
        uitest::Type("ab-1/2");
      },
      // Enter moves from the entry to OK, and OK takes it.
      [](TForm&) { uitest::Key(Qt::Key_Return); },
      [](TForm&) { uitest::Key(Qt::Key_Return); },
  });
  ASSERT_TRUE(qt.InputText(request));
  EXPECT_EQ(request.value, "ab12");
  EXPECT_TRUE(hidden);

  uitest::ModalScript cancel({[](TForm&) { uitest::Key(Qt::Key_Escape); }});
  request.value = "keep";
  EXPECT_FALSE(qt.InputText(request));
  EXPECT_EQ(request.value, "keep");
}

TEST_F(QtUiServicesTest, ProgressWindowBlocksItsOwnerUntilClosed) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(300, 200);
  auto* button = new TButton(form);
  int clicks = 0;
  button->OnClick = [&](QObject*) { ++clicks; };
  uitest::ShowActive(*form);
  qt.ProgressShow("連動データの作成中", "連動データの作成中です…");
  ASSERT_NE(qt.ProgressWindow(), nullptr);
  EXPECT_EQ(qt.ProgressWindow()->Caption(), "連動データの作成中");
  qt.ProgressText("あと少しです");
  uitest::Click(button);
  EXPECT_EQ(clicks, 0);
  qt.ProgressClose();
  EXPECT_EQ(qt.ProgressWindow(), nullptr);
  uitest::Click(button);
  EXPECT_EQ(clicks, 1);
  form->Free();
}

TEST_F(QtUiServicesTest, ScreenAndCursorState) {
  EXPECT_EQ(qt.ScreenDpi(), 96);
  Screen().SetCursor(crHourGlass);
  EXPECT_TRUE(qt.IsBusyCursor());
  Screen().SetCursor(crDefault);
  EXPECT_FALSE(qt.IsBusyCursor());
}

TEST(QtFileFilterTest, PairsBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("中間ﾌｧｲﾙ (*.xml)|*.XML|すべてのﾌｧｲﾙ(*.*)|*.*"),
            "中間ﾌｧｲﾙ (*.xml) (*.XML);;すべてのﾌｧｲﾙ(*.*) (*.*)");
  EXPECT_EQ(QtFileFilter("画像|*.bmp;*.jpg"), "画像 (*.bmp *.jpg)");
  EXPECT_EQ(QtFileFilter(""), "");
}

}  // namespace
