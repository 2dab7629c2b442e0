// The numeric edit on a form built in code: typing into the amount field (separators while
// typing, the zero keys, negation, the length limit), the character filters of the edit
// styles for typed and pasted text, the key rules and signals, formatting on entry and exit,
// the reading capture, and the number formatter behind OutputFormat.
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "UiTestSupport.h"
#include "ui/TallixEdit.h"
#include "ui/xEdit.h"

using namespace forms;

namespace {

// Before, Num, After in tab order.
class NumForm : public TForm {
 public:
  explicit NumForm(QWidget* owner) : TForm(owner) {
    SetName("NumForm");
    SetClientSize(300, 120);
    Before = new TxEdit(this);
    Before->SetName("Before");
    Before->SetBounds(8, 8, 120, 21);
    Num = new TxNumEdit(this);
    Num->SetName("Num");
    Num->SetBounds(8, 40, 160, 21);
    After = new TxEdit(this);
    After->SetName("After");
    After->SetBounds(8, 72, 120, 21);
  }
  TxEdit* Before;
  TxNumEdit* Num;
  TxEdit* After;
};

// The amount field of the input dialog.
void AmountField(TTallixEdit& e) {
  e.SetAlignment(taRightJustify);
  e.SetEditStyle(esNumericMinus);
  e.SetOutputFormat("#,##0");
  e.SetComma(true);
  e.SetZero3Key(zkDot);
  e.SetMaxLength(11);
  e.SetKeyStyles({ksEnter, ksUp});
}

// Types `keys`; "⌫" is Backspace, "⇥" Tab, "⇤" Shift+Tab, "←" Left, "→" Right, "⏎" Enter.
void Keys(const QString& keys) {
  for (QChar c : keys) {
    switch (c.unicode()) {
      case u'⌫': uitest::Key(Qt::Key_Backspace); break;
      case u'⇥': uitest::Key(Qt::Key_Tab); break;
      case u'⇤': uitest::Key(Qt::Key_Backtab, Qt::ShiftModifier); break;
      case u'←': uitest::Key(Qt::Key_Left); break;
      case u'→': uitest::Key(Qt::Key_Right); break;
      case u'⏎': uitest::Key(Qt::Key_Return); break;
      default: uitest::Type(QString(c)); break;
    }
  }
}

class TallixEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = CreateForm<NumForm>(nullptr);
    uitest::ShowActive(*form);
  }
  void TearDown() override { form->Free(); }

  void Enter() {
    form->Num->SetFocus();
    uitest::Pump();
    ASSERT_EQ(uitest::FocusedName(), "Num");
  }

  NumForm* form = nullptr;
};

TEST_F(TallixEditTest, TypingIntoTheAmountField) {
  struct Case {
    const char* keys;
    const char* text;
  } cases[] = {
      {"1234567", "1,234,567"},
      {"1234567.", "1,234,567,000"},        // "." types "000"
      {"1234-", "-1,234"},                  // "-" negates, and the result is re-formatted
      {"1234--", "1,234"},
      {"-", "0"},                           // a lone sign is re-formatted at once
      {"12345678901-", "-12,345,678,901"},  // the longest amount keeps its value
      {"123456789012", "12,345,678,901"},   // the twelfth digit does not fit
      {"1234567890.", "12,345,678,900"},    // the zeros are cut to the length
      {"12a4", "124"},
      {"1234⌫", "123"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    AmountField(*form->Num);
    form->Num->SetText("");
    Enter();
    Keys(QString::fromUtf8(c.keys));
    EXPECT_EQ(form->Num->Text(), c.text);
    EXPECT_EQ(form->Num->cursorPosition(), static_cast<int>(form->Num->text().size())) << "the caret stays at the end";
    form->Before->SetFocus();
    uitest::Pump();
  }
}

TEST_F(TallixEditTest, SeparatorsFollowTheCaretInsideTheDigits) {
  AmountField(*form->Num);
  Enter();
  Keys("1234");
  form->Num->setCursorPosition(1);  // after "1"
  Keys("5");
  EXPECT_EQ(form->Num->Text(), "15,234");
  EXPECT_EQ(form->Num->cursorPosition(), 2) << "still after the typed digit";
}

TEST_F(TallixEditTest, EditStylesAndZeroKeys) {
  struct Case {
    const char* what;
    TEditStyle style;
    TZeroKey zero2, zero3;
    const char* keys;
    const char* text;
  } cases[] = {
      {"numeric refuses the sign", esNumeric, zkNone, zkNone, "-1a2.3", "123"},
      {"float: no leading or second point", esFloat, zkNone, zkNone, ".1.2.", "1.2"},
      {"float minus negates a decimal", esFloatMinus, zkNone, zkNone, "1.5-", "-1.5"},
      {"plus types 00", esNumeric, zkPlus, zkNone, "12+", "1200"},
      {"slash types 000", esNumeric, zkNone, zkSlash, "7/", "7000"},
      {"the point keeps its meaning in float", esFloat, zkNone, zkDot, "1.5", "1.5"},
      {"the minus keeps its meaning with a sign", esNumericMinus, zkMinus, zkNone, "5-", "-5"},
      {"no zero keys without a style", esNone, zkPlus, zkNone, "ab+", "ab+"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form->Num->SetEditStyle(c.style);
    form->Num->SetZero2Key(c.zero2);
    form->Num->SetZero3Key(c.zero3);
    form->Num->SetText("");
    Enter();
    Keys(QString::fromUtf8(c.keys));
    EXPECT_EQ(form->Num->Text(), c.text);
  }
}

TEST_F(TallixEditTest, PastedTextPassesTheFilterOfTypedText) {
  struct Case {
    const char* what;
    std::function<void(TTallixEdit&)> setup;
    const char* start;
    const char* clip;
    const char* text;
  } cases[] = {
      {"a letter refuses the whole paste", AmountField, "", "12a4", ""},
      {"the field keeps what it had", AmountField, "1,000", "12a4", "1,000"},
      {"digits and separators are taken", AmountField, "", "5,000", "5,000"},
      {"no sign in a numeric edit", [](TTallixEdit& e) { e.SetEditStyle(esNumeric); }, "", "-12", ""},
      {"anything without a style", [](TTallixEdit& e) { e.SetEditStyle(esNone); }, "", "a-b", "a-b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.setup(*form->Num);
    form->Num->SetText(c.start);
    Enter();
    form->Num->end(false);
    QGuiApplication::clipboard()->setText(QString::fromUtf8(c.clip));
    uitest::Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
    EXPECT_EQ(form->Num->Text(), c.text);
    form->Before->SetFocus();
    uitest::Pump();
  }
}

TEST_F(TallixEditTest, KeyRulesAndSignals) {
  struct Case {
    const char* what;
    std::function<void(TTallixEdit&)> setup;
    const char* keys;
    const char* focus;
    TAutoNextCtls result;
    const char* text = nullptr;
  } cases[] = {
      {"Enter moves on", [](TTallixEdit&) {}, "⏎", "After", {}},
      {"Tab moves on", [](TTallixEdit&) {}, "⇥", "After", {}},
      {"Shift+Tab moves back", [](TTallixEdit&) {}, "⇤", "Before", {}},
      {"Tab signals the owner instead", [](TTallixEdit& e) { e.SetAutoNextCtls({acTabKey}); }, "⇥", "Num",
       {acTabKey, acSendEnter}},
      {"a full field moves on", [](TTallixEdit& e) { e.SetMaxLength(3); e.SetAutoNextCtls({acMaxLength}); }, "123", "After",
       {acMaxLength}, "123"},
      {"a full field signals instead", [](TTallixEdit& e) { e.SetMaxLength(3); e.SetAutoNextCtls({acMaxLength, acSendEnter}); },
       "123", "Num", {acMaxLength, acSendEnter}, "123"},
      {"Backspace clears the signals", [](TTallixEdit& e) { e.SetMaxLength(3); e.SetAutoNextCtls({acMaxLength, acSendEnter}); },
       "123⌫", "Num", {}, "12"},
      {"the first Left only ends the selection", [](TTallixEdit& e) { e.SetKeyStyles({ksLeft}); e.SetText("12"); }, "←", "Num", {}},
      {"Left at the start moves back", [](TTallixEdit& e) { e.SetKeyStyles({ksLeft}); e.SetText("12"); }, "←←", "Before", {}},
      {"Right at the end moves on", [](TTallixEdit& e) { e.SetKeyStyles({ksRight}); e.SetText("12"); }, "→→", "After", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form->Before->SetFocus();
    uitest::Pump();
    form->Num->SetText("");
    form->Num->SetMaxLength(0);
    form->Num->SetAutoNextCtls({});
    form->Num->SetKeyStyles({ksEnter});
    c.setup(*form->Num);
    Enter();
    Keys(QString::fromUtf8(c.keys));
    EXPECT_EQ(uitest::FocusedName(), c.focus);
    if (uitest::FocusedName() == "Num") {
      EXPECT_EQ(form->Num->AutoNextCtls_Result(), c.result);
    }
    if (c.text) {
      EXPECT_EQ(form->Num->Text(), c.text);
    }
  }
}

TEST_F(TallixEditTest, OutputFormatOnEntryAndExit) {
  form->Num->SetEditStyle(esNumeric);
  form->Num->SetOutputFormat("#,##0");
  form->Num->SetText("1,234");
  Enter();
  EXPECT_EQ(form->Num->Text(), "1234") << "without Comma the separators go while editing";
  EXPECT_EQ(form->Num->SelLength(), 4);
  form->After->SetFocus();
  uitest::Pump();
  EXPECT_EQ(form->Num->Text(), "1,234");

  form->Num->SetText("");
  Enter();
  form->After->SetFocus();
  uitest::Pump();
  EXPECT_EQ(form->Num->Text(), "0") << "an empty field becomes 0";
  form->Num->SetAllowBlank(true);
  form->Num->SetText("");
  Enter();
  form->After->SetFocus();
  uitest::Pump();
  EXPECT_EQ(form->Num->Text(), "") << "unless blanks are allowed";
}

TEST_F(TallixEditTest, ReadingOfTheInputMethodInHalfWidth) {
  form->Num->SetKanaMode(kmHankaku);
  std::vector<bool> states;
  form->Num->OnImeStatusChange = [&](QObject*) { states.push_back(form->Num->ImeOnFlg()); };
  Enter();
  QInputMethodEvent compose(QStringLiteral("かな"), {});
  QCoreApplication::sendEvent(form->Num, &compose);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("仮名"));
  QCoreApplication::sendEvent(form->Num, &commit);
  uitest::Type("a");
  EXPECT_EQ(form->Num->Kana(), "ｶﾅa");
  EXPECT_EQ(states, (std::vector<bool>{true, false}));
}

TEST(TallixEditNumbers, FormatFloatPatterns) {
  struct Case {
    const char* pattern;
    double value;
    const char* text;
  } cases[] = {
      {"#,##0", 1234567, "1,234,567"},     {"#,##0", -1234.5, "-1,235"},      {"#,##0", 0, "0"},
      {"#,##0", 12345678901.0, "12,345,678,901"}, {"#,##0.00", 1234.5, "1,234.50"}, {"0.##", 1.5, "1.5"},
      {"0000", 12, "0012"},                {"#", 0, ""},                      {"#,##0;(#,##0)", -1234, "(1,234)"},
      {"#,##0;;ゼロ", 0, "ゼロ"},           {"#,##0\"円\"", 5, "5円"},          {"#,##0", -0.4, "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.text) << c.value;
  }
}

TEST(TallixEditNumbers, FloatTexts) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"12", true, 12}, {" -1.5 ", true, -1.5}, {"1e3", true, 1000}, {".5", true, 0.5},
      {"abc", false, 0}, {"", false, 0}, {"-", false, 0}, {"1.2.3", false, 0}, {"1,234", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    double value = 0;
    EXPECT_EQ(TryStrToFloat(c.text, value), c.ok);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(value, c.value);
    }
  }
}

}  // namespace
