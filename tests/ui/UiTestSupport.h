#pragma once
// Helpers of the GUI tests: one QApplication for the whole test binary (off-screen, set up
// like the program's), keys and clicks delivered the way the keyboard and the mouse deliver
// them, and scripting of modal forms.
#include <QApplication>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

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

using Step = std::function<void(forms::TForm&)>;

// Which modally shown form a script is for: any, one with a caption, or one of a class.
struct Dialog {
  std::string description;                    // for failure messages
  std::function<bool(forms::TForm&)> matches;  // empty: any form

  static Dialog Any() { return {"any dialog", {}}; }
  static Dialog Captioned(std::string caption);
  template <class T>
  static Dialog Of() {
    return {ClassName(typeid(T)), [](forms::TForm& f) { return dynamic_cast<T*>(&f) != nullptr; }};
  }
  static std::string ClassName(const std::type_info& type);
};

// "<class> "<caption>"" of a form, as failure messages name it.
std::string Describe(forms::TForm& form);

// Runs `steps` one after the other inside the modal loop of a form shown modally, each once the
// loop has handled what the previous step caused.
//
// Every form shown modally while scripts are alive goes to the oldest living script that has
// not yet taken a form and whose Dialog matches it; so a script for a dialog that a step of
// another script opens (a question box over a module's dialog) can be declared beforehand,
// by caption or class, and several scripts for one kind of dialog answer in the order they
// were made:
//
//   uitest::ModalScript check(uitest::Dialog::Of<TMessageBox>(), {answerStep});
//   uitest::ModalScript outer({pressF12});   // the next form of any kind
//   RunTheModule();
//
// A form that no script takes while any is alive is not waited on: the test fails naming it
// and the form ends with mrAbort. A step that throws fails the test the same way. A watchdog
// ends the script's form with mrAbort (and every modal form still open above it) when it is
// still open two minutes after the script's last step ran, and fails the test naming the
// forms, so a broken test fails instead of hanging; time spent inside the steps (a long
// database job on a loaded machine) does not count.
class ModalScript {
 public:
  explicit ModalScript(std::vector<Step> steps);
  ModalScript(Dialog dialog, std::vector<Step> steps);
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  bool WatchdogFired() const;
  // True once a form was given to the script.
  bool Taken() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace uitest
