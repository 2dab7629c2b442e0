// The key-driven focus controls on a form built in code: the key table (Enter, arrows, the
// dialog-key claims, handlers that clear the key), the combo box's code-key search, and the
// edit's value, reading and paste rules.
#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "UiTestSupport.h"
#include "ui/forms/Button.h"
#include "ui/forms/Panel.h"
#include "ui/xCheckBox.h"
#include "ui/xComboBox.h"
#include "ui/xEdit.h"
#include "ui/xRadioButton.h"

using namespace forms;

namespace {

// Tab stops in order: CheckBox1, Edit1, Radio1, Combo1, Edit2, Button1. Edit0 is no tab
// stop and Radio2 is unchecked, so neither is one; both are reached only by the standard
// arrow moves among siblings.
class KeyForm : public TForm {
 public:
  explicit KeyForm(QWidget* owner) : TForm(owner) {
    SetName("KeyForm");
    SetCaption("KeyForm");
    SetClientSize(480, 200);
    Panel1 = Make<TPanel>(this, "Panel1", 8, 8, 220, 110);
    CheckBox1 = Make<TxCheckBox>(Panel1, "CheckBox1", 8, 8, 120, 17);
    Edit0 = Make<TxEdit>(Panel1, "Edit0", 8, 32, 120, 21);
    Edit0->SetTabStop(false);
    Edit1 = Make<TxEdit>(Panel1, "Edit1", 8, 60, 120, 21);
    Panel2 = Make<TPanel>(this, "Panel2", 240, 8, 220, 110);
    Radio1 = Make<TxRadioButton>(Panel2, "Radio1", 8, 8, 100, 17);
    Radio1->SetKeyStyles({ksEnter});
    Radio1->SetChecked(true);
    Radio2 = Make<TxRadioButton>(Panel2, "Radio2", 8, 32, 100, 17);
    Radio2->SetKeyStyles({ksEnter});
    Combo1 = Make<TxComboBox>(Panel2, "Combo1", 8, 60, 150, 21);
    Combo1->SetItems({"001:Cash", "002:Bank"});
    Combo1->SetKeyLen(3);
    Edit2 = Make<TxEdit>(this, "Edit2", 8, 130, 120, 21);
    Edit2->SetKeyStyles({ksEnter, ksLeft, ksUp, ksRight, ksDown});
    Button1 = Make<TButton>(this, "Button1", 240, 130, 75, 25);
    Button1->OnClick = [this](QObject*) { ++buttonClicks; };
  }

  template <class T>
  T* Make(QWidget* parent, const char* name, int l, int t, int w, int h) {
    auto* c = new T(parent);
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    return c;
  }

  TPanel* Panel1;
  TxCheckBox* CheckBox1;
  TxEdit* Edit0;
  TxEdit* Edit1;
  TPanel* Panel2;
  TxRadioButton* Radio1;
  TxRadioButton* Radio2;
  TxComboBox* Combo1;
  TxEdit* Edit2;
  TButton* Button1;
  int buttonClicks = 0;
};

class KeyFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = CreateForm<KeyForm>(nullptr);
    uitest::ShowActive(*form);
  }
  void TearDown() override { form->Free(); }

  void FocusOn(TControl* control) {
    control->SetFocus();
    uitest::Pump();
    ASSERT_EQ(uitest::FocusedName(), control->Name());
  }

  KeyForm* form = nullptr;
};

struct KeyCase {
  const char* what;
  const char* start;
  std::function<void(KeyForm&)> setup;  // runs before the start control takes the focus
  std::function<void(KeyForm&)> entered;  // runs after it took the focus
  int key;
  Qt::KeyboardModifiers modifiers;
  const char* expected;
  int clicks = 0;  // clicks of Button1 the key caused
};

auto WithDefaultButton = [](KeyForm& f) { f.Button1->SetDefault(true); };

auto ZeroEnterPress = [](TControl* c) {
  c->OnKeyPress = [](QObject*, char32_t& key) {
    if (key == U'\r') key = 0;
  };
};

TEST_F(KeyFormTest, FocusMovesFollowTheKeyTable) {
  const KeyCase cases[] = {
      // Check box with the default set [ksEnter, ksUp].
      {"check box: Enter moves on, not pressing the default button", "CheckBox1", WithDefaultButton, nullptr, Qt::Key_Return,
       {}, "Edit1"},
      {"check box: Up goes to the previous tab stop of the form", "CheckBox1", nullptr, nullptr, Qt::Key_Up, {}, "Button1"},
      {"check box: Down is the standard move among siblings", "CheckBox1", nullptr, nullptr, Qt::Key_Down, {}, "Edit0"},
      {"check box: a handler clearing Enter does not stop the move", "CheckBox1",
       [](KeyForm& f) { ZeroEnterPress(f.CheckBox1); }, nullptr, Qt::Key_Return, {}, "Edit1"},
      {"check box: Shift+Up is not a move of the set", "CheckBox1", nullptr, nullptr, Qt::Key_Up, Qt::ShiftModifier, "CheckBox1"},
      // Radio buttons with [ksEnter].
      {"radio: Enter moves to the next tab stop", "Radio1", WithDefaultButton, nullptr, Qt::Key_Return, {}, "Combo1"},
      {"radio: Down moves within the group as standard", "Radio1", nullptr, nullptr, Qt::Key_Down, {}, "Radio2"},
      // Edit with the default set: Left and Right stay in the text.
      {"edit: Enter moves on", "Edit1", nullptr, nullptr, Qt::Key_Return, {}, "Radio1"},
      {"edit: Enter goes to the default button first", "Edit1", WithDefaultButton, nullptr, Qt::Key_Return, {}, "Edit1", 1},
      {"edit: Up moves back", "Edit1", nullptr, nullptr, Qt::Key_Up, {}, "CheckBox1"},
      {"edit: Down is not in the set", "Edit1", nullptr, nullptr, Qt::Key_Down, {}, "Edit1"},
      {"edit: Right stays without ksRight", "Edit1", [](KeyForm& f) { f.Edit1->SetText("abc"); }, nullptr, Qt::Key_Right, {}, "Edit1"},
      {"edit: Left stays without ksLeft", "Edit1", [](KeyForm& f) { f.Edit1->SetText("abc"); }, nullptr, Qt::Key_Left, {}, "Edit1"},
      {"edit: a key-press handler clearing Enter keeps the focus", "Edit1",
       [](KeyForm& f) { ZeroEnterPress(f.Edit1); }, nullptr, Qt::Key_Return, {}, "Edit1"},
      {"edit: a key-down handler clearing Up keeps the focus", "Edit1",
       [](KeyForm& f) {
         f.Edit1->OnKeyDown = [](QObject*, int& key, TShiftState) {
           if (key == VK_UP) key = 0;
         };
       },
       nullptr, Qt::Key_Up, {}, "Edit1"},
      // Edit with all five styles.
      {"edit: Right with the whole text selected moves on", "Edit2", [](KeyForm& f) { f.Edit2->SetText("abc"); }, nullptr,
       Qt::Key_Right, {}, "Button1"},
      {"edit: Left with the whole text selected moves back", "Edit2", [](KeyForm& f) { f.Edit2->SetText("abc"); }, nullptr,
       Qt::Key_Left, {}, "Combo1"},
      {"edit: Left with the caret inside moves the caret", "Edit2", [](KeyForm& f) { f.Edit2->SetText("abc"); },
       [](KeyForm& f) { f.Edit2->SetSelStart(1); }, Qt::Key_Left, {}, "Edit2"},
      {"edit: Right with the caret inside moves the caret", "Edit2", [](KeyForm& f) { f.Edit2->SetText("abc"); },
       [](KeyForm& f) { f.Edit2->SetSelStart(1); }, Qt::Key_Right, {}, "Edit2"},
      {"edit: Left with the caret at 0 and nothing selected moves back", "Edit2", [](KeyForm& f) { f.Edit2->SetText("abc"); },
       [](KeyForm& f) { f.Edit2->SetSelStart(0); }, Qt::Key_Left, {}, "Combo1"},
      {"edit: empty text, Left moves back", "Edit2", nullptr, nullptr, Qt::Key_Left, {}, "Combo1"},
      {"edit: empty text, Right moves on", "Edit2", nullptr, nullptr, Qt::Key_Right, {}, "Button1"},
      {"edit: Shift+Right never moves", "Edit2", [](KeyForm& f) { f.Edit2->SetText("abc"); }, nullptr, Qt::Key_Right,
       Qt::ShiftModifier, "Edit2"},
      {"edit: cpLeft puts the caret first, so Right stays", "Edit2",
       [](KeyForm& f) {
         f.Edit2->SetText("abc");
         f.Edit2->SetCursorPos(cpLeft);
       },
       nullptr, Qt::Key_Right, {}, "Edit2"},
      // Combo box with the default set and the list closed.
      {"combo: Up moves back", "Combo1", nullptr, nullptr, Qt::Key_Up, {}, "Radio1"},
      {"combo: Enter moves on", "Combo1", nullptr, nullptr, Qt::Key_Return, {}, "Edit2"},
      {"combo: Down works the list", "Combo1", nullptr, nullptr, Qt::Key_Down, {}, "Combo1"},
      // The form's own tab handling in the nested tab order.
      {"Tab goes to the next tab stop", "Edit2", nullptr, nullptr, Qt::Key_Tab, {}, "Button1"},
      {"Shift+Tab goes back across panels", "Radio1", nullptr, nullptr, Qt::Key_Backtab, Qt::ShiftModifier, "Edit1"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    if (c.setup) c.setup(*form);
    FocusOn(dynamic_cast<TControl*>(form->FindComponent(c.start)));
    if (c.entered) c.entered(*form);
    uitest::Key(c.key, c.modifiers);
    EXPECT_EQ(uitest::FocusedName(), c.expected);
    EXPECT_EQ(form->buttonClicks, c.clicks);
  }
}

TEST_F(KeyFormTest, RadioButtonReachedByArrowBecomesChecked) {
  FocusOn(form->Radio1);
  uitest::Key(Qt::Key_Down);
  EXPECT_TRUE(form->Radio2->Checked());
  EXPECT_FALSE(form->Radio1->Checked());
  EXPECT_TRUE(form->Radio2->TabStop());
  EXPECT_FALSE(form->Radio1->TabStop());
}

// ---- the combo box ----

TEST_F(KeyFormTest, TypedCodeIsRememberedAndTakenOnExit) {
  FocusOn(form->Combo1);
  uitest::Type("002");
  EXPECT_EQ(form->Combo1->RememberedIndex(), 1);
  EXPECT_EQ(form->Combo1->ItemIndex(), -1) << "typing leaves the list's selection alone";
  EXPECT_EQ(form->Combo1->Text(), "002");
  uitest::Key(Qt::Key_Tab);
  EXPECT_EQ(uitest::FocusedName(), "Edit2");
  EXPECT_EQ(form->Combo1->ItemIndex(), 1);
  EXPECT_EQ(form->Combo1->Text(), "002:Bank");
}

TEST_F(KeyFormTest, UnknownCodeClearsTheSelectionAndKeepsTheCode) {
  form->Combo1->SetItemIndex(1);
  FocusOn(form->Combo1);
  form->Combo1->SetText("");
  uitest::Type("009");
  EXPECT_EQ(form->Combo1->ItemIndex(), -1);
  EXPECT_EQ(form->Combo1->Text(), "009");
  EXPECT_EQ(form->Combo1->SelStart(), 3);
}

TEST_F(KeyFormTest, CodeLongerThanKeyLenIsCutToTheKey) {
  FocusOn(form->Combo1);
  uitest::Type("0099");
  EXPECT_EQ(form->Combo1->Text(), "009");
}

TEST_F(KeyFormTest, ChoosingFromTheListIsRememberedWithoutKeyLen) {
  form->Combo1->SetKeyLen(0);
  FocusOn(form->Combo1);
  uitest::Type("002");
  EXPECT_EQ(form->Combo1->RememberedIndex(), -1) << "KeyLen 0 turns the search off";
  uitest::Key(Qt::Key_Tab);
  EXPECT_EQ(form->Combo1->Text(), "002") << "without the search the typed text stays on exit";
}

TEST_F(KeyFormTest, DeleteAtTheStartSelectsTheFirstItem) {
  FocusOn(form->Combo1);
  uitest::Type("002");
  uitest::Key(Qt::Key_Home);
  uitest::Key(Qt::Key_Delete);
  EXPECT_EQ(form->Combo1->ItemIndex(), 0);
  EXPECT_EQ(form->Combo1->Text(), "001:Cash");
  EXPECT_EQ(form->Combo1->RememberedIndex(), 0);
}

TEST_F(KeyFormTest, DeleteInsideTheTextDeletesACharacter) {
  FocusOn(form->Combo1);
  uitest::Type("002");
  form->Combo1->SetSelStart(1);
  uitest::Key(Qt::Key_Delete);
  EXPECT_EQ(form->Combo1->Text(), "02");
  EXPECT_EQ(form->Combo1->ItemIndex(), -1);
}

TEST_F(KeyFormTest, DeleteInAnEmptyListChangesNothing) {
  form->Combo1->SetItems({});
  FocusOn(form->Combo1);
  uitest::Key(Qt::Key_Delete);
  EXPECT_EQ(form->Combo1->ItemIndex(), -1);
  EXPECT_EQ(form->Combo1->Text(), "");
}

TEST_F(KeyFormTest, KeysWorkTheOpenListAndNeverMoveTheFocus) {
  form->Combo1->SetDropDownWidth(300);
  FocusOn(form->Combo1);
  int exits = 0;
  form->Combo1->OnExit = [&](QObject*) { ++exits; };
  form->Combo1->SetDroppedDown(true);
  uitest::Pump();
  ASSERT_TRUE(form->Combo1->DroppedDown());
  EXPECT_GE(form->Combo1->view()->minimumWidth(), 300);
  uitest::Key(Qt::Key_Down);
  uitest::Key(Qt::Key_Up);
  uitest::Key(Qt::Key_Down);
  EXPECT_TRUE(form->Combo1->DroppedDown());
  uitest::Key(Qt::Key_Return);
  EXPECT_FALSE(form->Combo1->DroppedDown());
  EXPECT_EQ(uitest::FocusedName(), "Combo1");
  EXPECT_EQ(exits, 0) << "opening the list is no exit from the field";
  EXPECT_GE(form->Combo1->ItemIndex(), 0);
  EXPECT_EQ(form->Combo1->RememberedIndex(), form->Combo1->ItemIndex());
}

// ---- the edit's values, reading and paste block ----

TEST(TxEditValues, CurrAndLongReadAndWrite) {
  TxEdit edit(nullptr);
  struct Case {
    const char* text;
    std::int32_t longValue;
    std::int64_t currRaw;
  } reads[] = {
      {"12", 12, 120000}, {"abc", 0, 0}, {"", 0, 0}, {"-5", -5, -50000}, {"1234.5", 0, 12345000},
      {"2147483647", 2147483647, 21474836470000}, {"2147483648", 0, 21474836480000}, {"$FF", 255, 0}, {"1,234", 0, 0},
  };
  for (const auto& r : reads) {
    SCOPED_TRACE(r.text);
    edit.SetText(r.text);
    EXPECT_EQ(edit.Long(), r.longValue);
    EXPECT_EQ(edit.Curr().Raw(), r.currRaw);
  }
  edit.SetText("12");
  edit.SetLong(0);
  EXPECT_EQ(edit.Text(), "12") << "writing 0 leaves the text";
  edit.SetCurr(Currency());
  EXPECT_EQ(edit.Text(), "12");
  edit.SetLong(-7);
  EXPECT_EQ(edit.Text(), "-7");
  edit.SetCurr(Currency::FromRaw(15000));
  EXPECT_EQ(edit.Text(), "1.5");
}

TEST(TxEditReading, ConversionsToHalfWidthKatakana) {
  struct Case {
    std::u32string in;
    std::u32string out;
  } cases[] = {
      {U"あいう", U"ｱｲｳ"}, {U"がぱヴ", U"ｶﾞﾊﾟｳﾞ"}, {U"キャー", U"ｷｬｰ"}, {U"ＡＢＣ１", U"ABC1"},
      {U"　ｱ", U" ｱ"}, {U"ヰ漢", U"ヰ漢"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHalfWidth(ToKatakana(c.in)), c.out);
}

TEST_F(KeyFormTest, ReadingIsCapturedFromTheInputMethodAndTyping) {
  form->Edit1->SetKanaSw(true);
  FocusOn(form->Edit1);
  {
    QInputMethodEvent compose(QStringLiteral("かな"), {});
    QCoreApplication::sendEvent(form->Edit1, &compose);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("仮名"));
    QCoreApplication::sendEvent(form->Edit1, &commit);
  }
  uitest::Type("ab");
  EXPECT_EQ(form->Edit1->Text(), "仮名ab");
  EXPECT_EQ(form->Edit1->kana(), "ｶﾅab");
  form->Edit1->Setkana("");
  EXPECT_EQ(form->Edit1->kana(), "ｶﾅab") << "an empty value is ignored";
  form->Edit1->Setkana("やま");
  EXPECT_EQ(form->Edit1->kana(), "ﾔﾏ");
  // Entering the field again starts a new reading.
  FocusOn(form->Edit2);
  FocusOn(form->Edit1);
  EXPECT_EQ(form->Edit1->kana(), "");
}

TEST_F(KeyFormTest, PasteIsBlockedOnlyWhileTheInputMethodIsDisabled) {
  QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
  form->Edit1->SetImeMode(imDisable);
  FocusOn(form->Edit1);
  uitest::Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  uitest::Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(form->Edit1->Text(), "");
  form->Edit1->SetKillPaste(false);
  uitest::Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(form->Edit1->Text(), "xyz");
  form->Edit1->SetText("");
  form->Edit1->SetKillPaste(true);
  form->Edit1->SetImeMode(imDontCare);
  uitest::Key(Qt::Key_V, Qt::ControlModifier, QStringLiteral("\x16"));
  EXPECT_EQ(form->Edit1->Text(), "xyz");
}

TEST_F(KeyFormTest, MaxLengthCountsShiftJisBytes) {
  form->Edit1->SetMaxLength(4);
  FocusOn(form->Edit1);
  form->Edit1->SetText("");
  uitest::Type(QStringLiteral("あいう"));
  EXPECT_EQ(form->Edit1->Text(), "あい");
  uitest::Key(Qt::Key_Backspace);
  uitest::Type(QStringLiteral("ab"));
  EXPECT_EQ(form->Edit1->Text(), "あab");
}

}  // namespace
