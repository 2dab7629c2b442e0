#include "UiTestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

#include "ui/forms/Application.h"

namespace uitest {
namespace {

// One QApplication for the binary, created before the first test and set up like the
// program's (style, palette, fonts, focus tracking, input blocking).
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    forms::Application().Initialize();
    forms::Screen().SetPixelsPerInch(96);
  }
  void TearDown() override {
    forms::Application().FreeForms();
    app_.reset();
  }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QString DefaultText(int key) {
  switch (key) {
    case Qt::Key_Return: case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Escape: return QStringLiteral("\x1b");
    case Qt::Key_Tab: case Qt::Key_Backtab: return QStringLiteral("\t");
    case Qt::Key_Backspace: return QStringLiteral("\b");
    default: return {};
  }
}

int QtKeyOfChar(QChar c) {
  const char16_t u = c.toUpper().unicode();
  if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')) return u;
  if (u == ' ') return Qt::Key_Space;
  if (u < 0x80) return u;  // Qt's key codes of the other ASCII characters are the characters
  return 0;
}

}  // namespace

void Pump() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void ShowActive(forms::TForm& form) {
  form.Show();
  form.activateWindow();
  // Activation arrives through the event queue; a bounded number of rounds, no clock.
  for (int i = 0; i < 100 && QApplication::activeWindow() != &form; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  ASSERT_EQ(QApplication::activeWindow(), &form) << "the form did not become active";
}

void Key(int qtKey, Qt::KeyboardModifiers modifiers, QString text) {
  if (text.isEmpty()) text = DefaultText(qtKey);
  QWidget* target = QApplication::focusWidget();
  ASSERT_NE(target, nullptr) << "no widget has the focus";
  QPointer<QWidget> alive(target);
  QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
  QCoreApplication::sendEvent(target, &press);
  // The release goes where the focus is now, as with a real keyboard.
  QWidget* now = QApplication::focusWidget();
  if (!now) now = alive.data();
  if (now) {
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
    QCoreApplication::sendEvent(now, &release);
  }
  Pump();
}

void Type(const QString& text) {
  for (QChar c : text) Key(QtKeyOfChar(c), Qt::NoModifier, QString(c));
}

void Click(QWidget* widget, QPoint pos, Qt::MouseButton button) {
  ASSERT_NE(widget, nullptr);
  if (pos == QPoint(-1, -1)) pos = widget->rect().center();
  const QPointF local(pos), global(widget->mapToGlobal(pos));
  QPointer<QWidget> alive(widget);
  QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  if (alive) {
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &release);
  }
  Pump();
}

std::string FocusedName() {
  QWidget* w = QApplication::focusWidget();
  forms::TControl* c = forms::ControlOf(w);
  return c ? c->Name() : std::string();
}

Dialog Dialog::Captioned(std::string caption) {
  return {"a dialog captioned \"" + caption + "\"", [caption](forms::TForm& f) { return f.Caption() == caption; }};
}

std::string Dialog::ClassName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

std::string Describe(forms::TForm& form) { return Dialog::ClassName(typeid(form)) + " \"" + form.Caption() + "\""; }

struct ModalScript::State {
  Dialog dialog;
  std::vector<Step> steps;
  bool taken = false;
  bool fired = false;
};

namespace {

// The scripts alive, oldest first, and the forms given out or refused while they live (the
// stack of modal loops, outermost first). One hook serves them all, installed while any lives.
struct Director {
  std::vector<std::shared_ptr<ModalScript::State>> scripts;
  std::vector<QPointer<forms::TForm>> open;
  int hook = 0;
};

Director& TheDirector() {
  static Director d;
  return d;
}

void Prune(Director& d) {
  std::erase_if(d.open, [](const QPointer<forms::TForm>& f) { return !f || !f->Modal(); });
}

// Ends `form` with mrAbort, the modal forms opened above it first (innermost first), so that a
// modal loop waiting under another one gets back control. Returns their descriptions.
std::string AbortFrom(forms::TForm& form) {
  Director& d = TheDirector();
  Prune(d);
  std::string names;
  for (auto it = d.open.rbegin(); it != d.open.rend(); ++it) {
    forms::TForm* f = it->data();
    names += (names.empty() ? "" : ", ") + Describe(*f);
    f->SetModalResult(forms::mrAbort);
    if (f == &form) return names;
  }
  if (form.Modal()) {
    names += (names.empty() ? "" : ", ") + Describe(form);
    form.SetModalResult(forms::mrAbort);
  }
  return names;
}

// The watchdog only prevents a hang: a form still open well after its script's last step
// ran, which nobody will close. It is armed only then, because a step may run a whole database
// job (a backup, isql scripts, a restore, an upgrade) inside the modal loop, which on a loaded
// two-core machine takes many times as long as on a quiet one.
void ArmWatchdog(std::shared_ptr<ModalScript::State> state, QPointer<QWidget> target) {
  QTimer::singleShot(120000, target.data(), [target, state] {
    auto* f = static_cast<forms::TForm*>(target.data());
    if (!f || !f->Modal()) return;
    state->fired = true;
    const std::string names = AbortFrom(*f);
    ADD_FAILURE() << "the script for " << Describe(*f) << " did not end it within two minutes of its last step; ended: "
                  << names;
  });
}

// Runs step `i` of `state` on `target`, then schedules the next one from the modal loop's
// event queue (after the loop has looked at the result of this one).
void RunStep(std::shared_ptr<ModalScript::State> state, QPointer<QWidget> target, size_t i) {
  if (!target) return;
  if (i >= state->steps.size()) {
    ArmWatchdog(state, target);
    return;
  }
  auto& form = *static_cast<forms::TForm*>(target.data());
  const std::string name = Describe(form);
  try {
    state->steps[i](form);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "step " << i + 1 << " of the script for " << name << " threw: " << e.what();
    if (target) AbortFrom(form);
    return;
  } catch (...) {
    ADD_FAILURE() << "step " << i + 1 << " of the script for " << name << " threw";
    if (target) AbortFrom(form);
    return;
  }
  if (target) QTimer::singleShot(0, target.data(), [state, target, i] { RunStep(state, target, i + 1); });
}

void FormShownModally(forms::TForm& form) {
  Director& d = TheDirector();
  Prune(d);
  d.open.emplace_back(&form);
  std::shared_ptr<ModalScript::State> state;
  for (const auto& s : d.scripts) {
    if (!s->taken && (!s->dialog.matches || s->dialog.matches(form))) {
      state = s;
      break;
    }
  }
  if (!state) {
    // Nobody will answer it: waiting would hang the test until the test runner kills it.
    ADD_FAILURE() << "an unexpected modal dialog opened: " << Describe(form) << " (no script is waiting for it)";
    form.SetModalResult(forms::mrAbort);
    return;
  }
  state->taken = true;
  QPointer<QWidget> target(&form);
  // Start once the form is the active window, as a user would.
  for (int i = 0; i < 100 && target && QApplication::activeWindow() != target; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  if (!target) return;
  RunStep(state, target, 0);
}

}  // namespace

ModalScript::ModalScript(std::vector<Step> steps) : ModalScript(Dialog::Any(), std::move(steps)) {}

ModalScript::ModalScript(Dialog dialog, std::vector<Step> steps) : state_(std::make_shared<State>()) {
  state_->dialog = std::move(dialog);
  state_->steps = std::move(steps);
  Director& d = TheDirector();
  d.scripts.push_back(state_);
  if (!d.hook) d.hook = forms::Application().AddModalShownHook(FormShownModally);
}

ModalScript::~ModalScript() {
  Director& d = TheDirector();
  std::erase(d.scripts, state_);
  if (d.scripts.empty() && d.hook) {
    forms::Application().RemoveModalShownHook(d.hook);
    d.hook = 0;
    d.open.clear();
  }
}

bool ModalScript::WatchdogFired() const { return state_->fired; }

bool ModalScript::Taken() const { return state_->taken; }

}  // namespace uitest
