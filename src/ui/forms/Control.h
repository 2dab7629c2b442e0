#pragma once
// The control mixin: what every component and control of a form shares, whatever Qt widget
// it is built on.
//
//  - TComponent: a name (the QObject's objectName), a Tag and the owning form; the form keeps
//    its components in creation order (FindComponent).
//  - TControl: geometry, visibility, colour and font with their parent inheritance, hints
//    ("short|long"), Align and Anchors, tab order and tab stop, the reassignable events, and
//    the key pipeline: form key preview, the dialog-key query, the form's dialog keys, the
//    control's key-down stage (virtual-key code), its key-press stage (character), key-up.
//  - TWidgetControl<Base>: glues TControl onto a Qt widget class; it routes the widget's
//    events through TControl and hands back to Base what the pipeline leaves over.
//
// Every event that reaches a control from Qt runs inside the exception guard of
// Application.h: a handler that throws shows the error and the program goes on.
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/forms/Graphics.h"
#include "ui/forms/Keys.h"

class QKeyEvent;
class QInputMethodEvent;

namespace forms {

class TForm;
class TControl;

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TKeyEvent = std::function<void(QObject* Sender, int& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, char32_t& Key)>;
using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Border styles of forms; controls use the first two (bsNone, bsSingle).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// The text before the first "|" of a hint (all of it when there is none), and after it.
std::string GetShortHint(std::string_view hint);
std::string GetLongHint(std::string_view hint);

// Anything a form owns: controls and non-visual components alike.
class TComponent {
 public:
  TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  virtual ~TComponent() = default;

  virtual QObject* Object() = 0;
  const QObject* Object() const { return const_cast<TComponent*>(this)->Object(); }

  std::string Name() const;
  void SetName(std::string_view name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  // The form this component belongs to (the one it was created on); null for none.
  TForm* Owner() const { return owner_; }

 protected:
  // Adds the component to `form`'s list (once).
  void RegisterWith(TForm* form);

 private:
  int tag_ = 0;
  TForm* owner_ = nullptr;
};

// A component that is not a control (timers, file dialogs): a QObject owned by its form.
class TNonVisualComponent : public QObject, public TComponent {
 public:
  explicit TNonVisualComponent(QObject* owner);
  QObject* Object() override { return this; }
};

// The component of a widget: the control that the widget is, or that holds it (the line
// edit inside a combo box belongs to the combo box). Null when none.
TControl* ControlOf(QObject* object);
// The form a widget lies on (the TForm that is its window); null for none.
TForm* FormOf(QObject* object);
// Tells the form of `now` that the focus moved there (fires exit and enter events).
void NotifyFocusChange(QWidget* now);

class TControl : public TComponent {
 public:
  explicit TControl(QWidget* self);
  ~TControl() override;

  QWidget* Widget() const { return self_; }
  QObject* Object() override { return self_; }

  // ---- position and size (outer size for forms) ----
  virtual int Left() const;
  virtual int Top() const;
  virtual int Width() const;
  virtual int Height() const;
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  virtual void SetBounds(int left, int top, int width, int height);
  int ClientWidth() const;
  int ClientHeight() const;

  bool Visible() const;
  void SetVisible(bool visible);
  bool Enabled() const;
  void SetEnabled(bool enabled);

  // ---- the parent control and the form ----
  TControl* Parent() const;
  void SetParent(TControl* parent);
  TForm* ParentForm() const;

  // ---- Align and Anchors ----
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors);
  // Lays out the aligned and anchored child controls in the client area.
  void AlignControls();
  // The part of the client area that aligned children fill (panels leave their bevels out).
  virtual QRect AlignRect() const;

  // ---- colour and font ----
  TColor Color() const;
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);
  TFontSpec Font() const;
  void SetFont(const TFontSpec& font);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool value);

  // ---- hints ----
  std::string Hint() const { return hint_; }
  void SetHint(std::string_view hint);
  bool ShowHint() const;
  void SetShowHint(bool value);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool value);

  // ---- focus and tab order ----
  // Windowed controls can hold the focus and take part in the tab order; labels, images and
  // speed buttons are not windowed.
  bool Windowed() const { return windowed_; }
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool value);
  bool CanFocus() const;
  bool Focused() const;
  void SetFocus();
  // The windowed descendants in tab order: each child by TabOrder, followed by its own list.
  std::vector<TControl*> TabOrderList() const;
  // The next (or previous) control after `current` in this control's tab order list that
  // can take the focus; with `checkTabStop` only tab stops, with `checkParent` only direct
  // children. Wraps around; null when none.
  TControl* FindNextControl(TControl* current, bool forward, bool checkTabStop, bool checkParent) const;
  // Focuses FindNextControl(current, forward, checkTabStop, !checkTabStop).
  void SelectNext(TControl* current, bool forward, bool checkTabStop);
  // Focuses the first tab stop inside this control (or the first control that can take the
  // focus, when none is a tab stop).
  void SelectFirst();

  // ---- events (reassignable) ----
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TNotifyEvent OnResize;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // Fires the click (buttons first do their own part, such as the form's modal result).
  virtual void Click();
  void DblClick();

  // ---- the stages of the key pipeline (controls override; call the base to fire events) ----
  // The dialog-key query: true when the control takes Tab, an arrow, Enter or Esc itself, so
  // that the form does not treat it as a dialog key.
  virtual bool WantsKey(int key, TShiftState shift);
  // A dialog key offered by the form; true when consumed. The default offers it to the
  // children in turn.
  virtual bool DialogKey(int key, TShiftState shift);
  virtual void KeyDown(int& key, TShiftState shift);
  virtual void KeyPress(char32_t& key);
  virtual void KeyUp(int& key, TShiftState shift);
  // Focus entry and exit within the form.
  virtual void DoEnter();
  virtual void DoExit();

 protected:
  void SetWindowed(bool windowed);
  // Whether a left press and release inside fire Click (buttons click by themselves).
  void SetClickOnMouseUp(bool value) { clickOnMouseUp_ = value; }
  // Which palette role Color paints (Window for panels and labels, Base for edit fields),
  // and whether the control fills its background with it.
  void SetColorRole(QPalette::ColorRole role, bool fillBackground);
  // Called after the children were laid out, and after the control was resized.
  virtual void Resized() {}

  // The Qt widget's own handling, skipping this layer (supplied by TWidgetControl).
  virtual bool BaseEvent(QEvent* event) = 0;
  virtual void BaseKeyPress(QKeyEvent* event) = 0;
  virtual void BaseKeyRelease(QKeyEvent* event) = 0;

  // Runs the layer's part of a Qt event; false when the event is left to BaseEvent.
  bool ControlEvent(QEvent* event, bool& result);

 private:
  friend class TForm;
  friend void NotifyFocusChange(QWidget* now);

  bool KeyPressPipeline(QKeyEvent* event);
  void KeyReleasePipeline(QKeyEvent* event);
  void InputMethodPipeline(QInputMethodEvent* event);
  bool MouseEvent(QEvent* event);
  void ParentChanged();
  void RememberAnchorOrigin();
  void ApplyHint();
  void ApplyColor();
  void ApplyFont();
  void ChildrenColorChanged();
  void ChildrenFontChanged();
  void ChildrenShowHintChanged();
  std::vector<TControl*> ChildControls() const;
  std::vector<TControl*> TabList() const;

  QWidget* self_;
  bool windowed_ = true;
  bool tabStop_ = true;
  int tabPos_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = akLeft | akTop;
  QRect anchorRect_;
  QSize anchorParentSize_;
  bool anchorKnown_ = false;
  bool aligning_ = false;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  TFontSpec font_;
  bool parentFont_ = true;
  std::string hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  bool clickOnMouseUp_ = true;
  QPalette::ColorRole colorRole_ = QPalette::Window;
  bool fillBackground_ = false;
  bool leftPressed_ = false;
};

// The mixin over a Qt widget class. Base's constructor arguments are passed through.
template <class Base>
class TWidgetControl : public Base, public TControl {
 public:
  template <class... Args>
  explicit TWidgetControl(Args&&... args) : Base(std::forward<Args>(args)...), TControl(this) {}

  QObject* Object() override { return this; }

 protected:
  bool event(QEvent* event) override {
    bool result = false;
    if (ControlEvent(event, result)) return result;
    return Base::event(event);
  }
  bool BaseEvent(QEvent* event) override { return Base::event(event); }
  void BaseKeyPress(QKeyEvent* event) override { Base::keyPressEvent(event); }
  void BaseKeyRelease(QKeyEvent* event) override { Base::keyReleaseEvent(event); }
};

}  // namespace forms
