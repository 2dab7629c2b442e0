#include "UiTestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>
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

ModalScript::ModalScript(std::vector<std::function<void(forms::TForm&)>> steps) {
  auto remaining = std::make_shared<std::vector<std::function<void(forms::TForm&)>>>(std::move(steps));
  auto fired = fired_;
  hook_ = forms::Application().AddModalShownHook([remaining, fired](forms::TForm& form) {
    if (remaining->empty()) return;
    auto queue = std::make_shared<std::vector<std::function<void(forms::TForm&)>>>(std::move(*remaining));
    remaining->clear();
    QPointer<QWidget> target(&form);
    // Each step runs from the event queue, after the modal loop has looked at the result.
    auto next = std::make_shared<std::function<void(size_t)>>();
    std::weak_ptr<std::function<void(size_t)>> self = next;
    *next = [queue, target, self](size_t i) {
      if (!target || i >= queue->size()) return;
      (*queue)[i](*static_cast<forms::TForm*>(target.data()));
      if (auto step = self.lock(); step && target) QTimer::singleShot(0, target.data(), [step, i] { (*step)(i + 1); });
    };
    // Start once the form is the active window, as a user would.
    for (int i = 0; i < 100 && target && QApplication::activeWindow() != target; ++i) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    (*next)(0);
    // The watchdog only prevents a hang. A script step may run a whole database job (a backup,
    // isql scripts, a restore) inside the modal loop, which on a loaded two-core machine can
    // take far longer than on a quiet one, so it leaves a generous minute.
    QTimer::singleShot(60000, target.data(), [target, fired] {
      if (auto* f = static_cast<forms::TForm*>(target.data()); f && f->Modal()) {
        *fired = true;
        f->SetModalResult(forms::mrAbort);
      }
    });
  });
}

ModalScript::~ModalScript() { forms::Application().RemoveModalShownHook(hook_); }

}  // namespace uitest
