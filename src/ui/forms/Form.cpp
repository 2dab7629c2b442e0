#include "ui/forms/Form.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/AsciiCase.h"
#include "ui/forms/Application.h"

namespace forms {
namespace {

bool IsFixedBorder(TFormBorderStyle style) {
  return style == bsDialog || style == bsSingle || style == bsToolWindow;
}

}  // namespace

TForm::TForm(QWidget* owner) : TWidgetControl<QWidget>(owner, Qt::Window) {
  SetColorRole(QPalette::Window, true);
  setFocusPolicy(Qt::NoFocus);
  RegisterWith(owner ? FormOf(owner) : nullptr);
  Application().FormCreated(this);
  ApplyWindowFlags();
}

TForm::~TForm() {
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TForm::AfterConstruction() {
  Guard([&] {
    if (OnCreate) OnCreate(this);
  });
}

// ---- appearance ----

std::string TForm::Caption() const { return windowTitle().toStdString(); }

void TForm::SetCaption(std::string_view caption) {
  setWindowTitle(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (borderStyle_ == style) return;
  borderStyle_ = style;
  ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
  if (borderIcons_ == icons) return;
  borderIcons_ = icons;
  ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style) {
  if (formStyle_ == style) return;
  formStyle_ = style;
  ApplyWindowFlags();
}

void TForm::ApplyWindowFlags() {
  Qt::WindowFlags flags;
  switch (borderStyle_) {
    case bsNone:
      flags = Qt::Window | Qt::FramelessWindowHint;
      break;
    case bsDialog:
      flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      break;
    case bsToolWindow:
    case bsSizeToolWin:
      flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      break;
    default:
      flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
      if (borderIcons_ & biMinimize) flags |= Qt::WindowMinimizeButtonHint;
      if (borderIcons_ & biMaximize) flags |= Qt::WindowMaximizeButtonHint;
      break;
  }
  if (borderIcons_ & biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (formStyle_ == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  if (flags != windowFlags()) {
    const bool visible = isVisible();
    setWindowFlags(flags);  // hides a visible window
    if (visible) QWidget::show();
  }
  if (IsFixedBorder(borderStyle_)) {
    setFixedSize(size());
  } else {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}

TWindowState TForm::WindowState() const {
  if (isMinimized()) return wsMinimized;
  if (isMaximized()) return wsMaximized;
  return wsNormal;
}

void TForm::SetWindowState(TWindowState state) {
  switch (state) {
    case wsMinimized: setWindowState(Qt::WindowMinimized); break;
    case wsMaximized: setWindowState(Qt::WindowMaximized); break;
    default: setWindowState(Qt::WindowNoState); break;
  }
}

int TForm::FrameWidth() const {
  switch (borderStyle_) {
    case bsNone: return 0;
    case bsSizeable: case bsSizeToolWin: return WindowMetrics().sizeFrame;
    default: return WindowMetrics().fixedFrame;
  }
}

int TForm::CaptionHeight() const {
  switch (borderStyle_) {
    case bsNone: return 0;
    case bsToolWindow: case bsSizeToolWin: return WindowMetrics().smallCaption;
    default: return WindowMetrics().caption;
  }
}

int TForm::Width() const { return width() + 2 * FrameWidth(); }
int TForm::Height() const { return height() + 2 * FrameWidth() + CaptionHeight(); }

void TForm::SetBounds(int left, int top, int width, int height) {
  move(left, top);
  SetClientSize(width - 2 * FrameWidth(), height - 2 * FrameWidth() - CaptionHeight());
}

void TForm::SetClientWidth(int width) { SetClientSize(width, this->height()); }
void TForm::SetClientHeight(int height) { SetClientSize(this->width(), height); }

void TForm::SetClientSize(int width, int height) {
  const QSize size(std::max(0, width), std::max(0, height));
  if (IsFixedBorder(borderStyle_)) {
    setFixedSize(size);
  } else {
    resize(size);
  }
  AlignControls();
}

// ---- focus ----

TControl* TForm::ActiveControl() const {
  QWidget* focus = focusWidget();
  TControl* control = focus ? ControlOf(focus) : nullptr;
  return control == static_cast<const TControl*>(this) ? nullptr : control;
}

void TForm::SetActiveControl(TControl* control) {
  if (control && control->ParentForm() == this) control->SetFocus();
}

void TForm::FocusMovedTo(TControl* control) {
  TControl* previous = ControlOf(focusedControl_.data());
  if (previous == static_cast<TControl*>(this)) previous = nullptr;
  if (previous == control) return;
  focusedControl_ = control ? control->Widget() : nullptr;

  // The nearest control that holds both the old and the new one: the exit events run from
  // the old control up to it, the enter events from below it down to the new control.
  auto contains = [](TControl* outer, TControl* inner) {
    for (TControl* c = inner; c; c = c->Parent()) {
      if (c == outer) return true;
    }
    return false;
  };
  TControl* common = previous;
  while (common && common != static_cast<TControl*>(this) && !contains(common, control)) common = common->Parent();

  std::vector<QPointer<QWidget>> exits;
  for (TControl* c = previous; c && c != common && c != static_cast<TControl*>(this); c = c->Parent()) exits.push_back(c->Widget());
  std::vector<QPointer<QWidget>> enters;
  for (TControl* c = control; c && c != common && c != static_cast<TControl*>(this); c = c->Parent()) enters.push_back(c->Widget());
  std::reverse(enters.begin(), enters.end());

  for (auto& w : exits) {
    if (TControl* c = w ? ControlOf(w.data()) : nullptr) Guard([&] { c->DoExit(); });
  }
  for (auto& w : enters) {
    if (TControl* c = w ? ControlOf(w.data()) : nullptr) Guard([&] { c->DoEnter(); });
  }
  QPointer<QWidget> now = control ? control->Widget() : nullptr;
  Guard([&] { CMFocusChanged(now ? ControlOf(now.data()) : nullptr); });
}

bool TForm::focusNextPrevChild(bool next) {
  // Tab handling that reaches Qt (from widgets outside this layer) follows our tab order.
  SelectNext(ActiveControl(), next, true);
  return true;
}

bool TForm::DialogKey(int key, TShiftState shift) {
  if (!(shift & ssAlt)) {
    switch (key) {
      case VK_TAB:
        if (!(shift & ssCtrl)) {
          SelectNext(ActiveControl(), !(shift & ssShift), true);
          return true;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        // Arrows move among the active control's siblings, tab stop or not.
        if (TControl* active = ActiveControl()) {
          if (TControl* parent = active->Parent()) parent->SelectNext(active, key == VK_RIGHT || key == VK_DOWN, false);
          return true;
        }
        return false;
      default:
        break;
    }
  }
  return TControl::DialogKey(key, shift);
}

// ---- showing and closing ----

void TForm::PlaceWindow() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  auto centreOn = [&](const QRect& r) { move(r.left() + (r.width() - Width()) / 2, r.top() + (r.height() - Height()) / 2); };
  auto outer = [](TForm* f) { return QRect(f->Left(), f->Top(), f->Width(), f->Height()); };
  TForm* main = Application().MainForm();
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      centreOn(area);
      break;
    case poMainFormCenter:
      if (main && main != this && main->isVisible()) centreOn(outer(main));
      else centreOn(area);
      break;
    case poOwnerFormCenter: {
      TForm* owner = parentWidget() ? FormOf(parentWidget()) : nullptr;
      if (!owner || !owner->isVisible()) owner = main;
      if (owner && owner != this && owner->isVisible()) centreOn(outer(owner));
      else centreOn(area);
      break;
    }
    default:
      break;
  }
}

bool TForm::Showing() const { return isVisible(); }

void TForm::Show() {
  if (isVisible()) {
    BringToFront();
    return;
  }
  QPointer<QWidget> alive(this);
  showing_ = true;
  hideAfterShow_ = false;
  Guard([&] {
    if (OnShow) OnShow(this);
  });
  if (!alive) return;
  PlaceWindow();
  QWidget::show();
  if (!focusWidget()) SelectFirst();
  BringToFront();
  Guard([&] { CMShowingChanged(); });
  if (!alive) return;
  showing_ = false;
  if (hideAfterShow_) {
    hideAfterShow_ = false;
    Hide();
  }
}

void TForm::BringToFront() {
  // The off-screen platform has no stacking order (and says so on every raise).
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
  activateWindow();
  // A form shown again after it was hidden while active may still be the system's focus
  // window when nothing took over; the activation it asks for then changes nothing, and the
  // form would stay inactive without a focused control.
  if (windowHandle() && QGuiApplication::focusWindow() == windowHandle() && QApplication::activeWindow() != this) {
    QApplication::setActiveWindow(this);
  }
}

void TForm::Hide() {
  if (showing_) {
    hideAfterShow_ = true;
    return;
  }
  if (!isVisible()) return;
  QPointer<QWidget> alive(this);
  Guard([&] {
    if (OnHide) OnHide(this);
  });
  if (!alive) return;
  QWidget::hide();
  Guard([&] { CMShowingChanged(); });
}

void TForm::SetModalResult(int result) {
  modalResult_ = result;
  // The modal loop may be waiting for an event; make it look at the result.
  if (modal_) {
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
  }
}

int TForm::ShowModal() {
  if (isVisible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  QPointer<QWidget> alive(this);
  modal_ = true;
  freeAfterModal_ = false;
  const TCursor savedCursor = Screen().Cursor();
  Screen().SetCursor(crDefault);
  // Reset before showing: a Close from OnShow or CMShowingChanged must end the loop.
  modalResult_ = 0;
  setWindowModality(Qt::ApplicationModal);
  Show();
  if (alive) {
    QTimer::singleShot(0, this, [this] {
      if (modal_ && isVisible()) Application().RunModalShownHooks(*this);
    });
  }
  while (alive) {
    if (Application().Terminated()) modalResult_ = mrCancel;
    else if (modalResult_ != 0) CloseModal();
    if (!alive || modalResult_ != 0) break;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (!alive) return mrCancel;
  const int result = modalResult_;
  showing_ = false;
  Hide();
  setWindowModality(Qt::NonModal);
  Screen().SetCursor(savedCursor);
  modal_ = false;
  if (freeAfterModal_) Release();
  return result;
}

void TForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone) modalResult_ = 0;
    else if (action == caFree) freeAfterModal_ = true;
  } catch (...) {
    modalResult_ = 0;
    HandleException(std::current_exception());
  }
}

void TForm::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  switch (action) {
    case caNone:
      return;
    case caMinimize:
      setWindowState(Qt::WindowMinimized);
      return;
    default:
      break;
  }
  if (Application().MainForm() == this) {
    Hide();
    Application().Terminate();
  } else if (action == caHide) {
    Hide();
  } else {
    Release();
  }
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::DoClose(TCloseAction& action) {
  if (OnClose) OnClose(this, action);
}

void TForm::Release() { deleteLater(); }

void TForm::Free() {
  BeforeDestruction();
  delete this;
}

void TForm::BeforeDestruction() {
  if (destroyFired_) return;
  destroyFired_ = true;
  Guard([&] {
    if (OnDestroy) OnDestroy(this);
  });
  // Forms this one owns go first, newest first, each with its own OnDestroy.
  const auto owned = Components();
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    if (auto* form = dynamic_cast<TForm*>(*it)) form->Free();
  }
}

bool TForm::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::DeferredDelete:
      BeforeDestruction();
      break;
    case QEvent::Close:
      // The close box and QWidget::close() go through Close, so that the close query, the
      // close action and a modal result all apply; Qt itself never hides the form.
      event->ignore();
      Guard([&] { Close(); });
      return true;
    case QEvent::WindowActivate:
      Guard([&] {
        if (OnActivate) OnActivate(this);
      });
      break;
    case QEvent::WindowDeactivate:
      Guard([&] {
        if (OnDeactivate) OnDeactivate(this);
      });
      break;
    default:
      break;
  }
  return TWidgetControl<QWidget>::event(event);
}

// ---- components ----

void TForm::AddComponent(TComponent* component) { components_.emplace_back(component->Object()); }

std::vector<TComponent*> TForm::Components() const {
  std::vector<TComponent*> list;
  for (const auto& p : components_) {
    if (auto* c = p ? dynamic_cast<TComponent*>(p.data()) : nullptr) list.push_back(c);
  }
  return list;
}

TComponent* TForm::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : Components()) {
    if (ascii::SameText(c->Name(), name)) return c;
  }
  return nullptr;
}

}  // namespace forms
