// The form layer: two-phase creation, the modal loop over ModalResult, closing, the
// exception guard, components, tab order, enter and exit events, input blocking, layout.
#include <QApplication>
#include <QPointer>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "support/ScriptedUi.h"
#include "ui/forms/Application.h"
#include "ui/forms/Button.h"
#include "ui/forms/Edit.h"
#include "ui/forms/Label.h"
#include "ui/forms/Notebook.h"
#include "ui/forms/Panel.h"
#include "ui/forms/Timer.h"

using namespace forms;

namespace {

// A small dialog: an edit, an OK button (result 1) and a button whose handler the test sets.
class TDialog : public TForm {
 public:
  explicit TDialog(QWidget* owner) : TForm(owner) {
    SetName("TDialog");
    SetBorderStyle(bsDialog);
    SetClientSize(300, 120);
    Edit1 = new TEdit(this);
    Edit1->SetName("Edit1");
    Edit1->SetBounds(8, 8, 200, 21);
    Button1 = new TButton(this);
    Button1->SetName("Button1");
    Button1->SetBounds(8, 80, 75, 25);
    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetModalResult(mrOk);
    btnOK->SetBounds(120, 80, 75, 25);
    OnCreate = [this](QObject*) { FormCreate(); };
  }
  void FormCreate() { createdWithButton = Button1 != nullptr && Name() == "TDialog"; }

  TEdit* Edit1 = nullptr;
  TButton* Button1 = nullptr;
  TButton* btnOK = nullptr;
  bool createdWithButton = false;
};

// A dialog that finds itself unusable once shown and closes, as derived dialogs do.
class TFailingDialog : public TDialog {
 public:
  using TDialog::TDialog;
  int showingChanges = 0;

 protected:
  void CMShowingChanged() override {
    ++showingChanges;
    if (Showing()) Close();
  }
};

TEST(FormLifeCycle, OnCreateRunsOnTheWholeObject) {
  auto* dialog = CreateForm<TDialog>(nullptr);
  EXPECT_TRUE(dialog->createdWithButton);
  dialog->Free();
}

TEST(FormLifeCycle, ResultSetAndResetInOneHandlerKeepsTheDialogOpen) {
  auto* dialog = CreateForm<TDialog>(nullptr);
  dialog->Button1->OnClick = [dialog](QObject*) {
    dialog->SetModalResult(mrOk);
    dialog->SetModalResult(0);
  };
  bool openAfterClick = false;
  uitest::ModalScript script({
      [](TForm& f) { uitest::Click(static_cast<TDialog&>(f).Button1); },
      [&](TForm& f) {
        openAfterClick = f.Showing() && f.Modal();
        uitest::Click(static_cast<TDialog&>(f).btnOK);
      },
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_TRUE(openAfterClick);
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_FALSE(dialog->Showing());
  dialog->Free();
}

TEST(FormLifeCycle, CloseWhileShowingEndsTheModalLoopWithCancel) {
  {
    auto* dialog = CreateForm<TDialog>(nullptr);
    dialog->OnShow = [dialog](QObject*) { dialog->Close(); };
    uitest::ModalScript watchdog({[](TForm&) {}});
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(watchdog.WatchdogFired());
    EXPECT_FALSE(dialog->Showing());
    dialog->Free();
  }
  {
    auto* dialog = CreateForm<TFailingDialog>(nullptr);
    uitest::ModalScript watchdog({[](TForm&) {}});
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_FALSE(watchdog.WatchdogFired());
    EXPECT_EQ(dialog->showingChanges, 2) << "once shown, once hidden";
    dialog->Free();
  }
}

TEST(FormLifeCycle, ExceptionInAClickHandlerIsShownAndTheProgramGoesOn) {
  ScriptedUi ui;
  ScopedUi use(ui);
  auto* dialog = CreateForm<TDialog>(nullptr);
  int clicks = 0;
  dialog->Button1->OnClick = [&](QObject*) {
    ++clicks;
    throw std::runtime_error("データの読み込みに失敗しました。\r処理を中断します。");
  };
  uitest::ModalScript script({
      [](TForm& f) { uitest::Click(static_cast<TDialog&>(f).Button1); },
      [](TForm& f) { uitest::Click(static_cast<TDialog&>(f).Button1); },
      [](TForm& f) { uitest::Click(static_cast<TDialog&>(f).btnOK); },
  });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_EQ(clicks, 2);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].kind, uis::MsgKind::Error);
  EXPECT_EQ(ui.MessageText(0), "データの読み込みに失敗しました。\n処理を中断します。");
  dialog->Free();
}

TEST(FormLifeCycle, AbortIsSilent) {
  ScriptedUi ui;
  ScopedUi use(ui);
  EXPECT_FALSE(Guard([] { Abort(); }));
  EXPECT_TRUE(ui.messages.empty());
}

TEST(FormLifeCycle, CloseQueryVetoesAndCloseActionsApply) {
  auto* dialog = CreateForm<TDialog>(nullptr);
  int queries = 0;
  dialog->OnCloseQuery = [&](QObject*, bool& canClose) { canClose = ++queries > 1; };
  dialog->OnClose = [](QObject*, TCloseAction& action) { action = caFree; };
  bool openAfterVeto = false;
  uitest::ModalScript script({
      [](TForm& f) { f.close(); },  // the close box
      [&](TForm& f) {
        openAfterVeto = f.Showing();
        f.close();
      },
  });
  QPointer<QWidget> alive(dialog);
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_TRUE(openAfterVeto);
  EXPECT_EQ(queries, 2);
  ASSERT_TRUE(alive) << "caFree frees the form only after ShowModal has returned";
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(alive);
}

TEST(FormLifeCycle, EscClicksTheCancelButtonWithoutModifiers) {
  auto* dialog = CreateForm<TDialog>(nullptr);
  int cancels = 0;
  dialog->Button1->SetCancel(true);
  dialog->Button1->SetModalResult(mrCancel);
  dialog->Button1->OnClick = [&](QObject*) { ++cancels; };
  uitest::ModalScript script({
      [](TForm& f) { static_cast<TDialog&>(f).Edit1->SetFocus(); },
      [](TForm&) { uitest::Key(Qt::Key_Escape, Qt::ShiftModifier); },
      [&](TForm&) {
        EXPECT_EQ(cancels, 0) << "Shift+Esc is no dialog key";
        uitest::Key(Qt::Key_Escape);
      },
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(cancels, 1);
  dialog->Free();
}

TEST(FormLifeCycle, NonModalCloseHidesOrFrees) {
  auto* form = CreateForm<TDialog>(nullptr);
  std::vector<std::string> events;
  form->OnShow = [&](QObject*) { events.push_back("show"); };
  form->OnHide = [&](QObject*) { events.push_back("hide"); };
  form->OnClose = [&](QObject*, TCloseAction&) { events.push_back("close"); };
  form->OnDestroy = [&](QObject*) { events.push_back("destroy"); };
  uitest::ShowActive(*form);
  form->Close();
  EXPECT_FALSE(form->Showing());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "close", "hide"}));
  form->Free();
  EXPECT_EQ(events.back(), "destroy");
}

TEST(FormComponents, OrderedNamedAndTagged) {
  auto* form = CreateForm<TDialog>(nullptr);
  auto* panel = new TPanel(form);
  panel->SetName("Panel1");
  auto* label = new TLabel(panel);
  label->SetName("Label1");
  label->SetTag(7);
  auto* timer = new TTimer(form);
  timer->SetName("Timer1");
  std::vector<std::string> names;
  for (TComponent* c : form->Components()) names.push_back(c->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Edit1", "Button1", "btnOK", "Panel1", "Label1", "Timer1"}));
  EXPECT_EQ(form->FindComponent("label1"), label);
  EXPECT_EQ(form->FindComponent("LABEL1")->Tag(), 7);
  EXPECT_EQ(form->FindComponent("Nothing"), nullptr);
  EXPECT_EQ(label->Owner(), form);
  delete label;
  EXPECT_EQ(form->ComponentCount(), 5);
  form->Free();
}

TEST(FormComponents, TimerWithIntervalZeroNeverFires) {
  auto* form = CreateForm<TDialog>(nullptr);
  auto* timer = new TTimer(form);
  int ticks = 0;
  timer->OnTimer = [&](QObject*) { ++ticks; };
  timer->SetInterval(0);
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(ticks, 0);
  form->Free();
}

// Tab order: by TabOrder within each parent, depth first; panels and non-tab-stops skipped.
TEST(FormFocus, SelectNextFollowsTheNestedTabOrder) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(300, 200);
  auto make = [](QWidget* parent, const char* name) {
    auto* e = new TEdit(parent);
    e->SetName(name);
    return e;
  };
  auto* a = make(form, "A");
  auto* panel = new TPanel(form);
  panel->SetName("Panel");
  auto* p1 = make(panel, "P1");
  auto* p2 = make(panel, "P2");
  auto* b = make(form, "B");
  auto* hidden = make(form, "Hidden");
  hidden->SetVisible(false);
  panel->SetTabOrder(0);  // the panel's controls come first now
  p2->SetTabOrder(0);
  EXPECT_EQ(a->TabOrder(), 1);
  EXPECT_EQ(p1->TabOrder(), 1);
  std::vector<std::string> order;
  for (TControl* c : form->TabOrderList()) order.push_back(c->Name());
  EXPECT_EQ(order, (std::vector<std::string>{"Panel", "P2", "P1", "A", "B", "Hidden"}));
  uitest::ShowActive(*form);
  EXPECT_EQ(uitest::FocusedName(), "P2") << "the first tab stop takes the focus";
  std::vector<std::string> visited;
  for (int i = 0; i < 4; ++i) {
    uitest::Key(Qt::Key_Tab);
    visited.push_back(uitest::FocusedName());
  }
  EXPECT_EQ(visited, (std::vector<std::string>{"P1", "A", "B", "P2"}));
  uitest::Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(uitest::FocusedName(), "B");
  (void)b;
  form->Free();
}

TEST(FormFocus, EnterAndExitFireOnlyForMovesInsideTheForm) {
  ScriptedUi ui;
  ScopedUi use(ui);
  auto* form = CreateForm<TDialog>(nullptr);
  std::vector<std::string> events;
  auto track = [&](TControl* c) {
    c->OnEnter = [&events, c](QObject*) { events.push_back("enter " + c->Name()); };
    c->OnExit = [&events, c](QObject*) { events.push_back("exit " + c->Name()); };
  };
  track(form->Edit1);
  track(form->Button1);
  form->SetActiveControl(form->Edit1);
  uitest::ShowActive(*form);
  EXPECT_EQ(events, (std::vector<std::string>{"enter Edit1"}));
  events.clear();

  // Another window takes the focus and gives it back: the form's active control never changed.
  auto* other = CreateForm<TDialog>(nullptr);
  uitest::ShowActive(*other);
  other->Hide();
  uitest::ShowActive(*form);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(uitest::FocusedName(), "Edit1");

  form->Button1->SetFocus();
  uitest::Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"exit Edit1", "enter Button1"}));
  other->Free();
  form->Free();
}

TEST(FormFocus, NotebookPageChangeTakesTheFocusAlong) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(300, 200);
  auto* book = new TNotebook(form);
  book->SetName("Wizard1");
  book->SetAlign(alClient);
  auto* page1 = book->AddPage("page1");
  auto* page2 = book->AddPage("page2");
  auto* e1 = new TEdit(page1);
  e1->SetName("E1");
  auto* e2 = new TEdit(page2);
  e2->SetName("E2");
  int changes = 0;
  book->OnPageChanged = [&](QObject*) { ++changes; };
  uitest::ShowActive(*form);
  EXPECT_EQ(book->Pages(), (std::vector<std::string>{"page1", "page2"}));
  EXPECT_EQ(book->ActivePage(), "page1");
  EXPECT_EQ(uitest::FocusedName(), "E1");
  book->SetPageIndex(1);
  uitest::Pump();
  EXPECT_EQ(uitest::FocusedName(), "E2");
  EXPECT_EQ(changes, 1);
  book->SetActivePage("PAGE1");
  EXPECT_EQ(book->PageIndex(), 0);
  book->DeletePage(1);
  EXPECT_EQ(book->PageCount(), 1);
  form->Free();
}

TEST(FormInput, DisabledWindowTakesNoInputButKeepsItsLook) {
  auto* form = CreateForm<TDialog>(nullptr);
  int clicks = 0;
  form->Button1->OnClick = [&](QObject*) { ++clicks; };
  uitest::ShowActive(*form);
  EnableWindow(form, false);
  EnableWindow(form, false);
  uitest::Click(form->Button1);
  EnableWindow(form, true);
  EXPECT_FALSE(IsWindowEnabled(form)) << "disables are counted";
  uitest::Click(form->Button1);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(form->Button1->isEnabled()) << "the controls are not greyed";
  EnableWindow(form, true);
  EXPECT_TRUE(IsWindowEnabled(form));
  uitest::Click(form->Button1);
  EXPECT_EQ(clicks, 1);
  form->Free();
}

TEST(FormLayout, AlignAndAnchorsFollowTheClientArea) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetClientSize(400, 300);
  auto* top = new TPanel(form);
  top->SetHeight(40);
  top->SetAlign(alTop);
  auto* bottom = new TPanel(form);
  bottom->SetHeight(30);
  bottom->SetAlign(alBottom);
  auto* client = new TPanel(form);
  client->SetBevelOuter(bvLowered);
  client->SetBevelInner(bvRaised);
  client->SetBorderWidth(2);
  client->SetAlign(alClient);
  auto* inner = new TPanel(client);
  inner->SetAlign(alClient);
  auto* ok = new TButton(bottom);
  ok->SetBounds(310, 2, 75, 25);
  ok->SetAnchors(akRight | akTop);

  EXPECT_EQ(top->Widget()->geometry(), QRect(0, 0, 400, 40));
  EXPECT_EQ(bottom->Widget()->geometry(), QRect(0, 270, 400, 30));
  EXPECT_EQ(client->Widget()->geometry(), QRect(0, 40, 400, 230));
  EXPECT_EQ(inner->Widget()->geometry(), QRect(4, 4, 392, 222)) << "inside both bevels and the border";
  form->SetClientSize(500, 350);
  EXPECT_EQ(bottom->Widget()->geometry(), QRect(0, 320, 500, 30));
  EXPECT_EQ(ok->Left(), 410) << "anchored to the right edge";
  EXPECT_EQ(inner->Widget()->geometry(), QRect(4, 4, 492, 272));
  form->Free();
}

TEST(FormLayout, OuterSizeIncludesFrameAndCaption) {
  auto* form = CreateForm<TForm>(nullptr);
  form->SetBorderStyle(bsDialog);
  form->SetClientSize(677, 439);
  const auto& m = WindowMetrics();
  EXPECT_EQ(form->Width(), 677 + 2 * m.fixedFrame);
  EXPECT_EQ(form->Height(), 439 + 2 * m.fixedFrame + m.caption);
  form->SetBounds(0, 0, 500, 300);
  EXPECT_EQ(form->ClientWidth(), 500 - 2 * m.fixedFrame);
  form->Free();
}

TEST(FormScreen, CursorIsReadableState) {
  Screen().SetCursor(crHourGlass);
  EXPECT_EQ(Screen().Cursor(), crHourGlass);
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace

TEST(FormComponents, ControlMadeWithoutParentIsVisibleOnceParented) {
  auto* form = CreateForm<TDialog>(nullptr);
  auto* shown = new TPanel(nullptr);
  shown->SetName("Loose1");
  shown->SetParent(form);
  EXPECT_TRUE(shown->Visible());
  auto* hidden = new TPanel(nullptr);
  hidden->SetVisible(false);
  hidden->SetParent(form);
  EXPECT_FALSE(hidden->Visible());
  form->Free();
}
