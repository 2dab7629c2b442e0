// The input dialog driven as a user would: the character filters for typed and pasted text,
// the password entry, the checks of OK (empty entries, characters the filter does not
// allow), the four input modes, and the hint area. Each mode is written as a picture
// (ui_input_<mode>.png) into the build folder. Information boxes go to a scripted UI.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QStyle>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "support/ScriptedUi.h"
#include "ui/z5InputDlg.h"

using namespace forms;

namespace {

class InputDlgTest : public ::testing::Test {
 protected:
  // Creates the dialog, lets `setup` set its fields, runs Setup and shows it with `steps`.
  int Run(const std::function<void(TInputDlgBox&)>& setup, std::vector<std::function<void(TInputDlgBox&)>> steps) {
    dlg = CreateForm<TInputDlgBox>(nullptr);
    setup(*dlg);
    dlg->Setup(1);
    std::vector<std::function<void(TForm&)>> script;
    for (auto& s : steps) script.push_back([s](TForm& f) { s(dynamic_cast<TInputDlgBox&>(f)); });
    uitest::ModalScript modal(std::move(script));
    const int result = dlg->ShowModal();
    EXPECT_FALSE(modal.WatchdogFired());
    return result;
  }
  void TearDown() override {
    if (dlg) dlg->Free();
  }

  static void Paste(const char* text) {
    QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
    uitest::Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  }

  ScriptedUi ui;
  ScopedUi useUi{ui};
  TInputDlgBox* dlg = nullptr;
};

TEST_F(InputDlgTest, FiltersRefuseTypedAndPastedCharactersAlike) {
  struct Case {
    int filter;
    const char* typed;
    const char* afterTyping;
    const char* goodPaste;
    const char* badPaste;
  } cases[] = {
      {10, "a1-.b/2", "1-.2", "3.5", "3a"},
      {20, "a1B-", "aB", "xyz", "x1"},
      {30, "a1-あ", "a1", "b2", "b-"},
      {30, "", "", "", "あ"},
      {40, "a?b|c.d", "abc.d", "ｱ.txt", "a/b"},
      {40, "名前?", "名前", "資料.txt", "資料/"},
      {0, "a/b", "a/b", "?", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.filter) + " " + c.typed);
    std::string typed, pastedGood, pastedBad;
    Run([&](TInputDlgBox& d) { d.SetCharFilter(c.filter); },
        {[&](TInputDlgBox& d) {
           uitest::Type(QString::fromUtf8(c.typed));
           typed = d.txtInput->Text();
           Paste(c.badPaste);
           pastedBad = d.txtInput->Text();
           Paste(c.goodPaste);
           pastedGood = d.txtInput->Text();
           uitest::Key(Qt::Key_Escape);
         }});
    EXPECT_EQ(typed, c.afterTyping);
    EXPECT_EQ(pastedBad, c.afterTyping) << "a paste with a refused character is refused whole";
    EXPECT_EQ(pastedGood, std::string(c.afterTyping) + c.goodPaste);
    dlg->Free();
    dlg = nullptr;
  }
  EXPECT_TRUE(InputFilterAccepts(40, U'？')) << "full-width characters pass the file-name filter";
  EXPECT_FALSE(InputFilterAccepts(10, 0x16)) << "Ctrl+V's character is refused by the narrow filters";
  EXPECT_TRUE(InputFilterAccepts(10, U'\r'));
}

TEST_F(InputDlgTest, PasswordIsHiddenAndRequired) {
  std::vector<bool> hidden;
  int maskChar = 0;
  std::string focusAfterRefusal;
  bool openAfterRefusal = false;
  const int result = Run(
      [](TInputDlgBox& d) {
        d.InputMode = 1;
        d.CaptionText = "マイナンバー管理";
        d.Message = "管理パスワードを入力して下さい。";
        d.MaxLength = 8;
        d.InputIme = imDisable;
      },
      {[&](TInputDlgBox& d) {
         hidden.push_back(d.txtInput->echoMode() == QLineEdit::Password);
         maskChar = d.txtInput->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, d.txtInput);
         uitest::Click(d.btnOK);
         openAfterRefusal = d.Showing();
         focusAfterRefusal = uitest::FocusedName();
         uitest::Click(d.btnFuseji, QPoint(6, 8));
         hidden.push_back(d.txtInput->echoMode() == QLineEdit::Password);
         uitest::Click(d.btnFuseji, QPoint(6, 8));
         hidden.push_back(d.txtInput->echoMode() == QLineEdit::Password);
         d.txtInput->SetFocus();
         uitest::Type("secret12x");
         uitest::Click(d.btnOK);
       }});
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(dlg->Value, "secret12") << "eight characters at most";
  EXPECT_EQ(hidden, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(maskChar, '*');
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.MessageText(0), "入力してから[OK]ボタンを押して下さい。");
  EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Information);
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_EQ(focusAfterRefusal, "txtInput");
}

TEST_F(InputDlgTest, OkChecksTheWholeEntryAgainstTheFilter) {
  bool open = false;
  const int result = Run(
      [](TInputDlgBox& d) {
        d.Value = "新規/データ";
        d.SetCharFilter(40);
      },
      {[&](TInputDlgBox& d) {
         uitest::Click(d.btnOK);
         open = d.Showing();
         d.txtInput->SetText("新規データ");
         uitest::Click(d.btnOK);
       }});
  EXPECT_TRUE(open);
  EXPECT_EQ(ui.MessageText(0), "入力できない文字が含まれています。");
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(dlg->Value, "新規データ");
}

TEST_F(InputDlgTest, ModesShowTheirInputAndReturnTheValue) {
  struct Case {
    const char* what;
    std::function<void(TInputDlgBox&)> setup;
    std::function<void(TInputDlgBox&)> act;
    const char* panel;
    const char* focus;
    int result;
    const char* value;
    const char* message = "";
  } cases[] = {
      {"text (typing replaces the selected value)", [](TInputDlgBox& d) { d.Value = "abc"; },
       [](TInputDlgBox&) { uitest::Type("de"); uitest::Key(Qt::Key_Return); uitest::Key(Qt::Key_Return); }, "pnlText", "txtInput",
       mrOk, "de"},
      {"full-width blanks are empty", [](TInputDlgBox& d) { d.InputRequired = true; d.Value = "　　"; },
       [](TInputDlgBox& d) { uitest::Click(d.btnOK); uitest::Key(Qt::Key_Escape); }, "pnlText", "txtInput", mrCancel, "　　",
       "入力してから[OK]ボタンを押して下さい。"},
      {"list", [](TInputDlgBox& d) { d.InputMode = 2; d.Items = {"001:東京", "002:大阪"}; d.InputRequired = true; },
       [](TInputDlgBox& d) { uitest::Click(d.btnOK); d.cmbInput->SetItemIndex(1); uitest::Click(d.btnOK); }, "pnlCombo", "cmbInput",
       mrOk, "002:大阪", "入力または選択してから[OK]ボタンを押して下さい。"},
      {"empty list not required", [](TInputDlgBox& d) { d.InputMode = 2; }, [](TInputDlgBox& d) { uitest::Click(d.btnOK); },
       "pnlCombo", "cmbInput", mrOk, ""},
      {"amount", [](TInputDlgBox& d) { d.InputMode = 3; d.MaxLength = 11; },
       [](TInputDlgBox& d) { uitest::Type("1234567"); uitest::Click(d.btnOK); }, "pnlKingaku", "txtKingaku", mrOk, "1,234,567"},
      {"empty amount", [](TInputDlgBox& d) { d.InputMode = 3; }, [](TInputDlgBox& d) { uitest::Click(d.btnOK); }, "pnlKingaku",
       "txtKingaku", mrOk, "0"},
      {"Esc", [](TInputDlgBox& d) { d.Value = "keep"; }, [](TInputDlgBox&) { uitest::Key(Qt::Key_Escape); }, "pnlText", "txtInput",
       mrCancel, "keep"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ui.messages.clear();
    std::string focus;
    std::vector<std::string> panels;
    const int result = Run(c.setup, {[&](TInputDlgBox& d) {
                             focus = uitest::FocusedName();
                             for (TPanel* p : {d.pnlText, d.pnlCombo, d.pnlKingaku}) {
                               if (p->Visible()) panels.push_back(p->Name());
                             }
                             c.act(d);
                           }});
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(dlg->Value, c.value);
    EXPECT_EQ(panels, (std::vector<std::string>{c.panel}));
    EXPECT_EQ(focus, c.focus);
    EXPECT_EQ(ui.messages.empty() ? std::string() : ui.MessageText(0), c.message);
    dlg->Free();
    dlg = nullptr;
  }
}

TEST_F(InputDlgTest, HintAreaShowsTheLongHintOfTheFocusedControl) {
  std::vector<std::string> hints;
  Run([](TInputDlgBox& d) { d.InputHint = "フォルダ名|新しいフォルダの名前を入力します。"; },
      {[&](TInputDlgBox& d) {
         hints.push_back(d.HintArea->Text());
         uitest::Key(Qt::Key_Return);  // to OK
         hints.push_back(d.HintArea->Text());
         uitest::Key(Qt::Key_Escape);
       }});
  EXPECT_EQ(hints, (std::vector<std::string>{"新しいフォルダの名前を入力します。\r\n", "内容を確定します。\r\n"}));
}

TEST_F(InputDlgTest, PicturesOfEachMode) {
  struct Case {
    const char* name;
    int mode;
    const char* value;
  } cases[] = {{"text", 0, "新規データ"}, {"password", 1, "secret"}, {"list", 2, "002:大阪"}, {"amount", 3, "1234567"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QImage image;
    Run(
        [&](TInputDlgBox& d) {
          d.InputMode = c.mode;
          d.CaptionText = "データの入力";
          d.Message = "値を入力して下さい。";
          d.Value = c.value;
          d.Items = {"001:東京", "002:大阪"};
          d.InputHint = "入力|入力した値で処理を行います。";
        },
        {[&](TInputDlgBox& d) {
          image = d.grab().toImage();
          uitest::Key(Qt::Key_Escape);
        }});
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QStringLiteral("ui_input_%1.png").arg(c.name)));
    dlg->Free();
    dlg = nullptr;
  }
}

}  // namespace
