#pragma once
// Helpers of the GUI tests: one QApplication for the whole test binary (off-screen, set up
// like the program's), keys and clicks delivered the way the keyboard and the mouse deliver
// them, and scripting of modal forms.
#include <QApplication>
#include <QPoint>
#include <QString>
#include <functional>
#include <string>

#include "ui/forms/Form.h"

class QWidget;

namespace uitest {

// Shows `form` and waits until it is the active window (so that focus changes take effect).
void ShowActive(forms::TForm& form);
// Handles everything pending.
void Pump();

// A key press and release at the focused widget. `text` is what the key types; for Enter,
// Esc, Tab and Backspace it is filled in when left empty.
void Key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QString text = {});
// Types `text` character by character at the focused widget.
void Type(const QString& text);
// A left click (press and release) at `pos` of `widget` (its centre by default).
void Click(QWidget* widget, QPoint pos = QPoint(-1, -1), Qt::MouseButton button = Qt::LeftButton);

// The name of the control that has the focus ("" for none).
std::string FocusedName();

// Runs `steps` one after the other inside the modal loop of the next form shown modally,
// each once the loop has handled what the previous step caused. A watchdog ends the modal
// form with mrAbort if the script has not ended it, so a broken test fails instead of hanging.
class ModalScript {
 public:
  explicit ModalScript(std::vector<std::function<void(forms::TForm&)>> steps);
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool WatchdogFired() const { return *fired_; }

 private:
  int hook_ = 0;
  std::shared_ptr<bool> fired_ = std::make_shared<bool>(false);
};

}  // namespace uitest
