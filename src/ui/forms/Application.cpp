#include "ui/forms/Application.h"

#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QScreen>
#include <QStyleFactory>
#include <QWidget>
#include <cmath>

#include "platform/TextLines.h"
#include "platform/UiServices.h"
#include "ui/forms/Control.h"
#include "ui/forms/Form.h"
#include "ui/forms/Graphics.h"

namespace forms {
namespace {

void ShowError(const std::string& text) {
  try {
    uis::MessageRequest request;
    request.kind = uis::MsgKind::Error;
    request.caption = Application().Title();
    request.lines = textlines::Split(text);
    request.buttons = uis::Buttons::Ok;
    request.defaultResult = uis::mrOk;
    uis::Ui().MessageBox(request);
  } catch (...) {
    // Nothing more can be done for the user; the program goes on.
  }
}

Qt::CursorShape ShapeOf(TCursor cursor) {
  switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crAppStart: return Qt::BusyCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

// Swallows user input to the windows that are disabled, and counts the disables.
class InputBlocker final : public QObject {
 public:
  void Change(QWidget* window, bool enable) {
    if (!window) return;
    window = window->window();
    auto it = counts_.find(window);
    if (!enable) {
      if (it == counts_.end()) {
        counts_.insert(window, 1);
        connect(window, &QObject::destroyed, this, [this, window] { counts_.remove(window); });
      } else {
        ++it.value();
      }
    } else if (it != counts_.end() && --it.value() <= 0) {
      counts_.erase(it);
    }
  }
  bool Blocked(QWidget* window) const { return window && counts_.contains(window->window()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (counts_.isEmpty() || !IsInput(event)) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    if (event->type() == QEvent::Close && !event->spontaneous()) return false;
    return Blocked(widget);
  }

 private:
  static bool IsInput(QEvent* event) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: case QEvent::Wheel: case QEvent::KeyPress: case QEvent::KeyRelease:
      case QEvent::ShortcutOverride: case QEvent::Shortcut: case QEvent::ContextMenu:
      case QEvent::InputMethod: case QEvent::TouchBegin: case QEvent::TouchUpdate: case QEvent::TouchEnd:
      case QEvent::TabletPress: case QEvent::TabletRelease: case QEvent::TabletMove:
      case QEvent::DragEnter: case QEvent::DragMove: case QEvent::Drop: case QEvent::Close:
        return true;
      default:
        return false;
    }
  }
  QHash<QWidget*, int> counts_;
};

InputBlocker& Blocker() {
  static InputBlocker* blocker = new InputBlocker;  // lives as long as the process
  return *blocker;
}

}  // namespace

void Abort() { throw EAbort(); }

void HandleException(std::exception_ptr e) {
  if (!e) return;
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
    // silent by design
  } catch (const std::exception& ex) {
    ShowError(ex.what());
  } catch (...) {
    ShowError("不明なエラーが発生しました。");
  }
}

// ---- screen ----

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  const TCursor previous = cursor_;
  cursor_ = cursor;
  if (!qGuiApp) return;
  if (cursor == crDefault) {
    QGuiApplication::restoreOverrideCursor();
  } else if (previous == crDefault) {
    QGuiApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
  } else {
    QGuiApplication::changeOverrideCursor(QCursor(ShapeOf(cursor)));
  }
}

TForm* TScreen::ActiveForm() const {
  return qApp ? dynamic_cast<TForm*>(QApplication::activeWindow()) : nullptr;
}

TControl* TScreen::ActiveControl() const {
  return qApp ? ControlOf(QApplication::focusWidget()) : nullptr;
}

int TScreen::PixelsPerInch() const {
  if (ppi_ > 0) return ppi_;
  QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
  return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

int TScreen::Width() const {
  QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
  return screen ? screen->geometry().width() : 1024;
}

int TScreen::Height() const {
  QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
  return screen ? screen->geometry().height() : 768;
}

QRect TScreen::WorkArea() const {
  QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

TWindowMetrics& WindowMetrics() {
  static TWindowMetrics metrics;
  return metrics;
}

// ---- application ----

TApplication& Application() {
  static TApplication application;
  return application;
}

void TApplication::Initialize() {
  if (initialized_ || !qApp) return;
  initialized_ = true;
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  InstallFontSubstitutions();
  QApplication::setFont(ToQFont(TFontSpec{}));

  // The fixed system colours, so that every control paints the same on every machine.
  QPalette palette;
  const struct {
    QPalette::ColorRole role;
    TColor color;
  } roles[] = {
      {QPalette::Window, clBtnFace},         {QPalette::WindowText, clWindowText},
      {QPalette::Base, clWindow},            {QPalette::AlternateBase, clBtnFace},
      {QPalette::Text, clWindowText},        {QPalette::Button, clBtnFace},
      {QPalette::ButtonText, clBtnText},     {QPalette::Highlight, clHighlight},
      {QPalette::HighlightedText, clHighlightText}, {QPalette::ToolTipBase, clInfoBk},
      {QPalette::ToolTipText, clInfoText},   {QPalette::Light, clBtnHighlight},
      {QPalette::Midlight, cl3DLight},       {QPalette::Dark, clBtnShadow},
      {QPalette::Mid, clBtnShadow},          {QPalette::Shadow, cl3DDkShadow},
      {QPalette::BrightText, clWhite},       {QPalette::Link, clHotLight},
  };
  for (const auto& r : roles) palette.setColor(r.role, ToQColor(r.color));
  for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
    palette.setColor(QPalette::Disabled, role, ToQColor(clGrayText));
  }
  QApplication::setPalette(palette);

  // Closing windows never ends the program by itself: the main form's close does.
  QApplication::setQuitOnLastWindowClosed(false);
  QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
    Guard([&] { NotifyFocusChange(now); });
  });
  qApp->installEventFilter(&Blocker());
}

void TApplication::Run() {
  if (terminated_ || !qApp) return;
  QApplication::exec();
}

void TApplication::Terminate() {
  terminated_ = true;
  if (qApp) QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() {
  if (qApp) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::Beep() {
  if (OnBeep) {
    Guard([&] { OnBeep(); });
  } else if (qApp) {
    QApplication::beep();
  }
}

int TApplication::AddModalShownHook(ModalShownHook hook) {
  const int id = nextHookId_++;
  modalHooks_.emplace_back(id, std::move(hook));
  return id;
}

void TApplication::RemoveModalShownHook(int id) {
  std::erase_if(modalHooks_, [id](const auto& h) { return h.first == id; });
}

void TApplication::RunModalShownHooks(TForm& form) {
  QPointer<QWidget> alive(&form);
  const auto hooks = modalHooks_;
  for (const auto& h : hooks) {
    if (!alive) return;
    Guard([&] { h.second(form); });
  }
}

void TApplication::FormCreated(TForm* form) {
  std::erase_if(forms_, [](const QPointer<QWidget>& p) { return p.isNull(); });
  forms_.emplace_back(form);
}

void TApplication::FreeForms() {
  const auto forms = forms_;
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    if (*it && it->data() != mainForm_) {
      if (auto* form = dynamic_cast<TForm*>(it->data())) form->Free();
    }
  }
  if (mainForm_) mainForm_->Free();
  forms_.clear();
}

void EnableWindow(QWidget* window, bool enable) { Blocker().Change(window, enable); }

bool IsWindowEnabled(QWidget* window) { return window && !Blocker().Blocked(window); }

}  // namespace forms
