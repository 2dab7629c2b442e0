#pragma once
// The application object, the screen, the exception guard and input blocking of the form
// layer.
//
// Exceptions: Qt must never see one. Every place where the layer calls a handler from a Qt
// event runs it inside Guard(); an escaping exception is shown through the UI services as an
// error box with the exception's text (EAbort silently) and the program goes on.
//
// Disabling a window: DisableWindow/EnableWindow stop all user input to a top-level window
// (mouse, keys, wheel, context menu, input method, drops, the close box) with an event filter,
// the way the platform disables a window. QWidget::setEnabled(false) is not used for this
// because it greys the whole tree and fires enabled changes: the controls would repaint in
// their disabled look, which the disabled window of the original does not do. Disables are
// counted, so nested progress windows or a repeated Close do not enable a window early.
#include <QPointer>
#include <QRect>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace forms {

class TForm;
class TControl;

// The silent exception: unwinds a handler without a message.
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};
[[noreturn]] void Abort();

// An operation that is not possible in the form's state (ShowModal of a visible form).
class EInvalidOperation : public std::exception {
 public:
  explicit EInvalidOperation(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Shows the exception in flight (or `e`) to the user; EAbort is silent.
void HandleException(std::exception_ptr e);

// Runs `f`; an exception is shown and swallowed. True when `f` returned normally.
template <class F>
bool Guard(F&& f) noexcept {
  try {
    f();
    return true;
  } catch (...) {
    HandleException(std::current_exception());
    return false;
  }
}

// Screen cursors (the platform's cursor numbers).
enum TCursor : int {
  crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22,
};

class TScreen {
 public:
  // The application-wide cursor, readable: code that uses the hourglass as a busy flag reads
  // it back. crDefault lets every control show its own cursor.
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

  // The form that holds the active window, and the control that has the focus.
  TForm* ActiveForm() const;
  TControl* ActiveControl() const;

  // Pixels per inch of the screen; tests fix it with SetPixelsPerInch (0 = the real screen).
  int PixelsPerInch() const;
  void SetPixelsPerInch(int ppi) { ppi_ = ppi; }
  int Width() const;
  int Height() const;
  // The work area (the screen without task bars).
  QRect WorkArea() const;

 private:
  TCursor cursor_ = crDefault;
  int ppi_ = 0;
};
TScreen& Screen();

// Frame sizes of top-level windows, so that a form's outer Width/Height relate to its client
// size the same way everywhere (off-screen windows have no frame at all).
struct TWindowMetrics {
  int fixedFrame = 3;     // each side of a dialog or single-border window
  int sizeFrame = 4;      // each side of a resizable window
  int caption = 22;       // title bar
  int smallCaption = 17;  // title bar of tool windows
};
TWindowMetrics& WindowMetrics();

class TApplication {
 public:
  // Sets up the running QApplication for the forms: Fusion style, the fixed system colours
  // as its palette, the MS font names mapped to the IPA fonts, focus tracking for the enter
  // and exit events, and the input blocker. Call once after the QApplication exists.
  void Initialize();
  bool Initialized() const { return initialized_; }

  std::string Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Runs the event loop until Terminate (or the main form closes).
  void Run();
  // Ends the event loops: modal loops end with mrCancel, Run returns.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Clears the terminated state (tests that run one form after another).
  void ResetTerminated() { terminated_ = false; }
  // Handles everything pending (paint, input, timers) and returns.
  void ProcessMessages();

  // A short sound; tests replace OnBeep to count them.
  void Beep();
  std::function<void()> OnBeep;

  // Called once for every form that ShowModal has shown, from inside its modal loop; scripts
  // and tests use it to work the dialog. Handlers run in the order added.
  using ModalShownHook = std::function<void(TForm&)>;
  int AddModalShownHook(ModalShownHook hook);
  void RemoveModalShownHook(int id);
  void RunModalShownHooks(TForm& form);

  // Frees every form still alive (firing their OnDestroy), mains last.
  void FreeForms();

 private:
  friend class TForm;
  void FormCreated(TForm* form);

  bool initialized_ = false;
  bool terminated_ = false;
  std::string title_;
  TForm* mainForm_ = nullptr;
  std::vector<QPointer<QWidget>> forms_;
  std::vector<std::pair<int, ModalShownHook>> modalHooks_;
  int nextHookId_ = 1;
};
TApplication& Application();

// Counted input blocking of a top-level window (see above).
void EnableWindow(QWidget* window, bool enable);
bool IsWindowEnabled(QWidget* window);

}  // namespace forms
