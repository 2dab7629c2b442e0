#include "ui/forms/Control.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <algorithm>

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"

namespace forms {
namespace {

// Keys the form may take as dialog keys before the control sees them.
bool IsDialogKeyCandidate(int key) {
  switch (key) {
    case VK_TAB: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL:
      return true;
    default:
      return false;
  }
}

// The character a key press types (0 for none). Keys that only move or delete type nothing,
// whatever text the Qt event carries.
char32_t CharOf(const QKeyEvent& event, int vk) {
  if (vk == VK_DELETE) return 0;
  const QString text = event.text();
  if (text.isEmpty()) return 0;
  const auto ucs = text.toUcs4();
  return ucs.isEmpty() ? 0 : static_cast<char32_t>(ucs.front());
}

QString TextOf(char32_t ch) {
  return ch ? QString::fromUcs4(&ch, 1) : QString();
}

// The windowed child controls of `parent` in tab order.
std::vector<TControl*> TabListOf(const QWidget* parent, int (*pos)(const TControl*)) {
  std::vector<TControl*> list;
  if (!parent) return list;
  for (QObject* child : parent->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    auto* c = dynamic_cast<TControl*>(child);
    if (c && c->Windowed()) list.push_back(c);
  }
  std::stable_sort(list.begin(), list.end(), [pos](const TControl* a, const TControl* b) { return pos(a) < pos(b); });
  return list;
}

}  // namespace

std::string GetShortHint(std::string_view hint) {
  const auto bar = hint.find('|');
  return std::string(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

std::string GetLongHint(std::string_view hint) {
  const auto bar = hint.find('|');
  return std::string(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

// ---------------------------------------------------------------------------------------
// TComponent

std::string TComponent::Name() const { return Object()->objectName().toStdString(); }

void TComponent::SetName(std::string_view name) {
  Object()->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
}

void TComponent::RegisterWith(TForm* form) {
  if (owner_ || !form || static_cast<TComponent*>(form) == this) return;
  owner_ = form;
  form->AddComponent(this);
}

TNonVisualComponent::TNonVisualComponent(QObject* owner) : QObject(owner) { RegisterWith(FormOf(owner)); }

TControl* ControlOf(QObject* object) {
  for (QObject* o = object; o; o = o->parent()) {
    if (auto* c = dynamic_cast<TControl*>(o)) return c;
    auto* w = qobject_cast<QWidget*>(o);
    if (w && w->isWindow()) return nullptr;
  }
  return nullptr;
}

TForm* FormOf(QObject* object) {
  auto* w = qobject_cast<QWidget*>(object);
  if (!w) {
    for (QObject* o = object; o && !w; o = o->parent()) w = qobject_cast<QWidget*>(o);
  }
  return w ? dynamic_cast<TForm*>(w->window()) : nullptr;
}

void NotifyFocusChange(QWidget* now) {
  if (!now) return;
  TForm* form = FormOf(now);
  if (!form) return;
  TControl* control = ControlOf(now);
  if (control == form) control = nullptr;
  form->FocusMovedTo(control);
}

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl(QWidget* self) : self_(self) {
  if (!self_->isWindow()) {
    tabPos_ = static_cast<int>(TabListOf(self_->parentWidget(), [](const TControl* c) { return c->tabPos_; }).size());
    RegisterWith(FormOf(self_->parentWidget()));
  }
  self_->setFocusPolicy(Qt::StrongFocus);
  ApplyFont();
  ApplyColor();
}

TControl::~TControl() = default;

int TControl::Left() const { return self_->x(); }
int TControl::Top() const { return self_->y(); }
int TControl::Width() const { return self_->width(); }
int TControl::Height() const { return self_->height(); }
int TControl::ClientWidth() const { return self_->width(); }
int TControl::ClientHeight() const { return self_->height(); }

void TControl::SetBounds(int left, int top, int width, int height) {
  self_->setGeometry(left, top, std::max(0, width), std::max(0, height));
  if (!aligning_) RememberAnchorOrigin();
  AlignControls();
  if (align_ != alNone) {
    if (TControl* parent = Parent()) parent->AlignControls();
  }
}

bool TControl::Visible() const { return !self_->isHidden(); }

void TControl::SetVisible(bool visible) {
  // Hiding a not-yet-parented control must be remembered even though Qt already counts it hidden.
  if (Visible() == visible && !(visible == false && self_->isWindow())) return;
  self_->setVisible(visible);
  if (align_ != alNone) {
    if (TControl* parent = Parent()) parent->AlignControls();
  }
}

bool TControl::Enabled() const { return !self_->testAttribute(Qt::WA_ForceDisabled); }
void TControl::SetEnabled(bool enabled) { self_->setEnabled(enabled); }

TControl* TControl::Parent() const {
  if (self_->isWindow()) return nullptr;
  return ControlOf(self_->parentWidget());
}

void TControl::SetParent(TControl* parent) {
  // A control made without a parent is a hidden window to Qt; it counts as visible (as a
  // control does by default) unless somebody hid it on purpose.
  const bool visible =
      Visible() || (self_->isWindow() && !self_->testAttribute(Qt::WA_WState_ExplicitShowHide));
  self_->setParent(parent ? parent->Widget() : nullptr);  // ParentChange runs ParentChanged
  if (parent) self_->setVisible(visible);
}

TForm* TControl::ParentForm() const { return FormOf(self_); }

void TControl::ParentChanged() {
  if (!self_->isWindow()) {
    auto list = TabListOf(self_->parentWidget(), [](const TControl* c) { return c->tabPos_; });
    int maxPos = -1;
    for (TControl* c : list) {
      if (c != this) maxPos = std::max(maxPos, c->tabPos_);
    }
    tabPos_ = maxPos + 1;
    RegisterWith(FormOf(self_->parentWidget()));
  }
  RememberAnchorOrigin();
  ApplyFont();
  ApplyColor();
  ApplyHint();
  if (align_ != alNone) {
    if (TControl* parent = Parent()) parent->AlignControls();
  }
}

// ---- Align and Anchors ----

void TControl::SetAlign(TAlign align) {
  if (align_ == align) return;
  align_ = align;
  if (TControl* parent = Parent()) parent->AlignControls();
}

void TControl::SetAnchors(TAnchors anchors) {
  anchors_ = anchors;
  RememberAnchorOrigin();
}

void TControl::RememberAnchorOrigin() {
  QWidget* parent = self_->isWindow() ? nullptr : self_->parentWidget();
  if (!parent) {
    anchorKnown_ = false;
    return;
  }
  anchorRect_ = self_->geometry();
  anchorParentSize_ = parent->size();
  anchorKnown_ = true;
}

QRect TControl::AlignRect() const { return self_->rect(); }

void TControl::AlignControls() {
  const std::vector<TControl*> children = ChildControls();
  if (children.empty()) return;
  QRect rect = AlignRect();
  auto place = [](TControl* c, const QRect& r) {
    c->aligning_ = true;
    c->self_->setGeometry(QRect(r.topLeft(), QSize(std::max(0, r.width()), std::max(0, r.height()))));
    c->aligning_ = false;
    c->AlignControls();
    c->Resized();
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : children) {
      if (c->align_ == align && c->Visible()) list.push_back(c);
    }
    std::stable_sort(list.begin(), list.end(), [align](const TControl* a, const TControl* b) {
      switch (align) {
        case alTop: return a->Top() < b->Top();
        case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
        case alLeft: return a->Left() < b->Left();
        case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
        default: return false;
      }
    });
    for (TControl* c : list) {
      const int w = c->self_->width(), h = c->self_->height();
      switch (align) {
        case alTop:
          place(c, QRect(rect.left(), rect.top(), rect.width(), h));
          rect.setTop(rect.top() + h);
          break;
        case alBottom:
          place(c, QRect(rect.left(), rect.bottom() + 1 - h, rect.width(), h));
          rect.setBottom(rect.bottom() - h);
          break;
        case alLeft:
          place(c, QRect(rect.left(), rect.top(), w, rect.height()));
          rect.setLeft(rect.left() + w);
          break;
        case alRight:
          place(c, QRect(rect.right() + 1 - w, rect.top(), w, rect.height()));
          rect.setRight(rect.right() - w);
          break;
        default:
          place(c, rect);
          break;
      }
    }
  }
  // Anchored controls keep their distances to the anchored edges of the client area.
  const QSize size = self_->size();
  for (TControl* c : children) {
    if (c->align_ != alNone || !c->anchorKnown_) continue;
    // Also with the parent back at the size of the origin: a control placed while it was
    // hidden (Qt defers its events) must return to its origin.
    if (c->anchors_ == (akLeft | akTop)) continue;
    QRect r = c->anchorRect_;
    const QSize old = c->anchorParentSize_;
    const int dw = size.width() - old.width(), dh = size.height() - old.height();
    int left = r.left(), width = r.width(), top = r.top(), height = r.height();
    if ((c->anchors_ & akLeft) && (c->anchors_ & akRight)) width += dw;
    else if (c->anchors_ & akRight) left += dw;
    else if (!(c->anchors_ & akLeft) && old.width() > 0) left = (r.left() + r.width() / 2) * size.width() / old.width() - width / 2;
    if ((c->anchors_ & akTop) && (c->anchors_ & akBottom)) height += dh;
    else if (c->anchors_ & akBottom) top += dh;
    else if (!(c->anchors_ & akTop) && old.height() > 0) top = (r.top() + r.height() / 2) * size.height() / old.height() - height / 2;
    place(c, QRect(left, top, std::max(0, width), std::max(0, height)));
  }
}

std::vector<TControl*> TControl::ChildControls() const {
  std::vector<TControl*> list;
  for (QObject* child : self_->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow()) continue;
    if (auto* c = dynamic_cast<TControl*>(child)) list.push_back(c);
  }
  return list;
}

// ---- colour and font ----

TColor TControl::Color() const {
  if (parentColor_) {
    if (const TControl* parent = Parent()) return parent->Color();
  }
  return color_;
}

void TControl::SetColor(TColor color) {
  color_ = color;
  parentColor_ = false;
  ApplyColor();
}

void TControl::SetParentColor(bool value) {
  parentColor_ = value;
  ApplyColor();
}

void TControl::SetColorRole(QPalette::ColorRole role, bool fillBackground) {
  colorRole_ = role;
  fillBackground_ = fillBackground;
  ApplyColor();
}

void TControl::ApplyColor() {
  QPalette palette = self_->palette();
  palette.setColor(colorRole_, ToQColor(Color()));
  self_->setPalette(palette);
  self_->setAutoFillBackground(fillBackground_);
  self_->update();
  ChildrenColorChanged();
}

void TControl::ChildrenColorChanged() {
  for (TControl* c : ChildControls()) {
    if (c->parentColor_) c->ApplyColor();
  }
}

TFontSpec TControl::Font() const {
  if (parentFont_) {
    if (const TControl* parent = Parent()) return parent->Font();
  }
  return font_;
}

void TControl::SetFont(const TFontSpec& font) {
  font_ = font;
  parentFont_ = false;
  ApplyFont();
}

void TControl::SetParentFont(bool value) {
  if (!value) font_ = Font();
  parentFont_ = value;
  ApplyFont();
}

void TControl::ApplyFont() {
  const TFontSpec fontSpec = Font();
  self_->setFont(ToQFont(fontSpec));
  QPalette palette = self_->palette();
  const QColor text = ToQColor(fontSpec.Color);
  // The disabled look keeps the grey text of the application's palette.
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Active, role, text);
    palette.setColor(QPalette::Inactive, role, text);
  }
  self_->setPalette(palette);
  ChildrenFontChanged();
}

void TControl::ChildrenFontChanged() {
  for (TControl* c : ChildControls()) {
    if (c->parentFont_) c->ApplyFont();
  }
}

// ---- hints ----

void TControl::SetHint(std::string_view hint) {
  hint_ = std::string(hint);
  ApplyHint();
}

bool TControl::ShowHint() const {
  if (parentShowHint_) {
    if (const TControl* parent = Parent()) return parent->ShowHint();
  }
  return showHint_;
}

void TControl::SetShowHint(bool value) {
  showHint_ = value;
  parentShowHint_ = false;
  ApplyHint();
  ChildrenShowHintChanged();
}

void TControl::SetParentShowHint(bool value) {
  parentShowHint_ = value;
  ApplyHint();
  ChildrenShowHintChanged();
}

void TControl::ApplyHint() {
  // The tooltip shows only the short part; the long part is for a form's hint area.
  self_->setToolTip(ShowHint() ? QString::fromStdString(GetShortHint(hint_)) : QString());
}

void TControl::ChildrenShowHintChanged() {
  for (TControl* c : ChildControls()) {
    if (c->parentShowHint_) {
      c->ApplyHint();
      c->ChildrenShowHintChanged();
    }
  }
}

// ---- focus and tab order ----

void TControl::SetWindowed(bool windowed) {
  windowed_ = windowed;
  if (!windowed) {
    tabStop_ = false;
    self_->setFocusPolicy(Qt::NoFocus);
  }
}

std::vector<TControl*> TControl::TabList() const {
  return TabListOf(self_, [](const TControl* c) { return c->tabPos_; });
}

int TControl::TabOrder() const {
  if (!windowed_ || self_->isWindow()) return -1;
  const auto list = TabListOf(self_->parentWidget(), [](const TControl* c) { return c->tabPos_; });
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TControl::SetTabOrder(int order) {
  if (!windowed_ || self_->isWindow()) return;
  auto list = TabListOf(self_->parentWidget(), [](const TControl* c) { return c->tabPos_; });
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
  for (size_t i = 0; i < list.size(); ++i) list[i]->tabPos_ = static_cast<int>(i);
}

void TControl::SetTabStop(bool value) {
  if (!windowed_) return;
  tabStop_ = value;
}

bool TControl::CanFocus() const {
  if (!windowed_) return false;
  const TForm* form = ParentForm();
  if (!form) return false;
  const QWidget* top = form->Widget();
  if (self_ == top) return true;
  return self_->isVisibleTo(top) && self_->isEnabledTo(top);
}

bool TControl::Focused() const { return self_->hasFocus(); }

void TControl::SetFocus() {
  if (!windowed_) return;
  self_->setFocus(Qt::OtherFocusReason);
}

std::vector<TControl*> TControl::TabOrderList() const {
  std::vector<TControl*> result;
  for (TControl* c : TabList()) {
    result.push_back(c);
    const auto sub = c->TabOrderList();
    result.insert(result.end(), sub.begin(), sub.end());
  }
  return result;
}

TControl* TControl::FindNextControl(TControl* current, bool forward, bool checkTabStop, bool checkParent) const {
  const auto list = TabOrderList();
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  const auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (forward ? count - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  do {
    if (forward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    TControl* c = list[i];
    if (c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this)) return c;
  } while (i != start);
  return nullptr;
}

void TControl::SelectNext(TControl* current, bool forward, bool checkTabStop) {
  if (TControl* next = FindNextControl(current, forward, checkTabStop, !checkTabStop)) next->SetFocus();
}

void TControl::SelectFirst() {
  TControl* first = FindNextControl(nullptr, true, true, false);
  if (!first) first = FindNextControl(nullptr, true, false, false);
  if (first) first->SetFocus();
}

// ---- events ----

void TControl::Click() {
  if (OnClick) OnClick(self_);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(self_);
}

bool TControl::WantsKey(int, TShiftState) { return false; }

bool TControl::DialogKey(int key, TShiftState shift) {
  for (TControl* c : ChildControls()) {
    if (c->DialogKey(key, shift)) return true;
  }
  return false;
}

void TControl::KeyDown(int& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(self_, key, shift);
}

void TControl::KeyPress(char32_t& key) {
  if (OnKeyPress) OnKeyPress(self_, key);
}

void TControl::KeyUp(int& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(self_, key, shift);
}

void TControl::DoEnter() {
  if (OnEnter) OnEnter(self_);
}

void TControl::DoExit() {
  if (OnExit) OnExit(self_);
}

// ---- the Qt side ----

bool TControl::ControlEvent(QEvent* event, bool& result) {
  switch (event->type()) {
    case QEvent::KeyPress:
      Guard([&] { KeyPressPipeline(static_cast<QKeyEvent*>(event)); });
      event->accept();
      result = true;
      return true;
    case QEvent::KeyRelease:
      Guard([&] { KeyReleasePipeline(static_cast<QKeyEvent*>(event)); });
      event->accept();
      result = true;
      return true;
    case QEvent::InputMethod: {
      auto* im = static_cast<QInputMethodEvent*>(event);
      if (im->commitString().isEmpty()) return false;
      Guard([&] { InputMethodPipeline(im); });
      result = true;
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      // A disabled control takes no clicks (a greyed OK must not confirm); Qt's own handling
      // drops the event, as it does for its widgets. A press made while it was enabled still
      // gets its release, as the platform's mouse capture delivers it (a control that the
      // press itself disables, by moving the focus, is still clicked).
      if (!self_->isEnabled() && !(event->type() == QEvent::MouseButtonRelease && leftPressed_)) return false;
      result = MouseEvent(event);
      return true;
    case QEvent::ParentChange:
      ParentChanged();
      return false;
    case QEvent::Move:
      if (!aligning_) RememberAnchorOrigin();
      return false;
    case QEvent::Resize: {
      QPointer<QWidget> alive(self_);
      result = BaseEvent(event);
      if (!alive) return true;
      if (!aligning_) RememberAnchorOrigin();
      AlignControls();
      Guard([&] {
        Resized();
        if (OnResize) OnResize(self_);
      });
      return true;
    }
    default:
      return false;
  }
}

bool TControl::KeyPressPipeline(QKeyEvent* event) {
  QPointer<QWidget> alive(self_);
  const int vk = VirtualKeyOf(*event);
  const TShiftState shift = ShiftStateOf(event->modifiers());
  TForm* form = ParentForm();
  const bool preview = form && static_cast<TControl*>(form) != this && form->KeyPreview();

  // Key-down stage: the form's preview, the form's dialog keys, the control.
  int key = vk;
  if (key != 0) {
    if (preview) {
      form->KeyDown(key, shift);
      if (!alive) return true;
    }
    if (key != 0 && IsDialogKeyCandidate(key) && !WantsKey(key, shift) && form && form->DialogKey(key, shift)) {
      return true;  // a consumed dialog key types no character
    }
    if (!alive) return true;
    if (key != 0) KeyDown(key, shift);
    if (!alive) return true;
  }

  // Key-press stage: the character goes to this control even when the focus moved meanwhile.
  const char32_t typed = CharOf(*event, vk);
  char32_t ch = typed;
  if (ch != 0) {
    if (preview) form->KeyPress(ch);
    if (!alive) return true;
    if (ch != 0) KeyPress(ch);
    if (!alive) return true;
  }

  // What is left goes to the widget's own handling.
  if (key == 0 && ch == 0) return true;
  if (key == vk && ch == typed) {
    BaseKeyPress(event);
    return true;
  }
  const int qtKey = key == 0 ? 0 : (key == vk ? event->key() : QtKeyOf(key));
  QKeyEvent rest(QEvent::KeyPress, qtKey, event->modifiers(), TextOf(ch), event->isAutoRepeat(),
                 static_cast<quint16>(event->count()));
  BaseKeyPress(&rest);
  return true;
}

void TControl::KeyReleasePipeline(QKeyEvent* event) {
  QPointer<QWidget> alive(self_);
  const int vk = VirtualKeyOf(*event);
  const TShiftState shift = ShiftStateOf(event->modifiers());
  TForm* form = ParentForm();
  int key = vk;
  if (key != 0) {
    if (form && static_cast<TControl*>(form) != this && form->KeyPreview()) {
      form->KeyUp(key, shift);
      if (!alive) return;
    }
    if (key != 0) KeyUp(key, shift);
    if (!alive) return;
  }
  if (vk != 0 && key == 0) return;
  BaseKeyRelease(event);
}

void TControl::InputMethodPipeline(QInputMethodEvent* event) {
  // Text committed by the input method reaches the key-press stage character by character,
  // as typed characters do; the characters that survive are committed.
  QPointer<QWidget> alive(self_);
  TForm* form = ParentForm();
  const bool preview = form && static_cast<TControl*>(form) != this && form->KeyPreview();
  QString kept;
  for (char32_t c : event->commitString().toUcs4()) {
    char32_t ch = c;
    if (preview) form->KeyPress(ch);
    if (!alive) return;
    if (ch != 0) KeyPress(ch);
    if (!alive) return;
    if (ch != 0) kept += TextOf(ch);
  }
  QInputMethodEvent rest(event->preeditString(), event->attributes());
  rest.setCommitString(kept, event->replacementStart(), event->replacementLength());
  BaseEvent(&rest);
}

bool TControl::MouseEvent(QEvent* event) {
  QPointer<QWidget> alive(self_);
  auto* me = static_cast<QMouseEvent*>(event);
  const bool result = BaseEvent(event);
  if (!alive) return result;
  const TMouseButton button = me->button() == Qt::RightButton ? mbRight : me->button() == Qt::MiddleButton ? mbMiddle : mbLeft;
  const QPoint pos = me->position().toPoint();
  TShiftState shift = ShiftStateOf(me->modifiers(), me->buttons());
  Guard([&] {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        if (me->button() == Qt::LeftButton) leftPressed_ = true;
        if (OnMouseDown) OnMouseDown(self_, button, shift, pos.x(), pos.y());
        break;
      case QEvent::MouseButtonDblClick:
        if (clickOnMouseUp_ && me->button() == Qt::LeftButton) DblClick();
        if (alive && OnMouseDown) OnMouseDown(self_, button, shift | ssDouble, pos.x(), pos.y());
        break;
      case QEvent::MouseButtonRelease:
        if (me->button() == Qt::LeftButton && leftPressed_) {
          leftPressed_ = false;
          if (clickOnMouseUp_ && self_->rect().contains(pos)) Click();
        }
        if (alive && OnMouseUp) OnMouseUp(self_, button, shift, pos.x(), pos.y());
        break;
      default:
        if (OnMouseMove) OnMouseMove(self_, shift, pos.x(), pos.y());
        break;
    }
  });
  return result;
}

}  // namespace forms
