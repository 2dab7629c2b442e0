#pragma once
// Forms: top-level windows built in code, with the life cycle the dialogs of the system are
// written against.
//
//   auto* dlg = forms::CreateForm<TMyDialog>(owner);   // constructor, then OnCreate
//   int result = dlg->ShowModal();                      // our own loop over ModalResult
//   dlg->Free();                                        // OnDestroy, then delete
//
// ShowModal does not use QDialog::exec: a handler that sets ModalResult only stores it, and
// the loop checks it once the handler has returned (a close query may still veto, and a
// handler may set it back to 0). The result is reset before the form is shown, so a Close
// inside OnShow or the showing hook ends the loop with mrCancel instead of leaving the form
// open. The window is a plain QWidget, not a QDialog, so Qt's own Enter/Esc and default
// button handling stay out of the key pipeline.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UiServices.h"
#include "ui/forms/Control.h"

namespace forms {

using uis::mrAbort;
using uis::mrCancel;
using uis::mrIgnore;
using uis::mrNo;
using uis::mrNone;
using uis::mrOk;
using uis::mrRetry;
using uis::mrYes;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter,
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;

using TCloseEvent = std::function<void(QObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(QObject* Sender, bool& CanClose)>;

class TForm : public TWidgetControl<QWidget> {
 public:
  // `owner` (a form or any widget) owns the form and is its window's transient parent.
  explicit TForm(QWidget* owner = nullptr);
  ~TForm() override;

  // ---- appearance ----
  std::string Caption() const;
  void SetCaption(std::string_view caption);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons icons);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool value) { keyPreview_ = value; }

  // Outer size: the client size plus the frame and caption of WindowMetrics.
  int Width() const override;
  int Height() const override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetClientWidth(int width);
  void SetClientHeight(int height);
  void SetClientSize(int width, int height);
  int FrameWidth() const;
  int CaptionHeight() const;

  // ---- focus ----
  // The control that has (or will get, when the form is shown) the focus.
  TControl* ActiveControl() const;
  void SetActiveControl(TControl* control);

  // ---- showing and closing ----
  void Show();
  void Hide();
  bool Showing() const;
  int ShowModal();
  bool Modal() const { return modal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result);
  // Modal: ModalResult := mrCancel. Otherwise OnCloseQuery, OnClose and the close action.
  void Close();
  bool CloseQuery();
  // Frees the form once the event loop is back where Release was called from.
  void Release();
  // OnDestroy, then deletes the form (and the forms it owns).
  void Free();

  // ---- components ----
  std::vector<TComponent*> Components() const;
  int ComponentCount() const { return static_cast<int>(Components().size()); }
  // The component of that name (compared without regard to case); null when none.
  TComponent* FindComponent(std::string_view name) const;

  // ---- events ----
  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  // Runs OnCreate; called by CreateForm once the whole object exists.
  void AfterConstruction();

  bool DialogKey(int key, TShiftState shift) override;

 protected:
  // After a show or a hide is complete (derived forms check their state here and may Close).
  virtual void CMShowingChanged() {}
  // The focus moved to `control` of this form.
  virtual void CMFocusChanged(TControl* control) { (void)control; }
  void DoClose(TCloseAction& action);

  bool event(QEvent* event) override;
  bool focusNextPrevChild(bool next) override;

 private:
  friend class TComponent;
  friend void NotifyFocusChange(QWidget* now);
  void AddComponent(TComponent* component);
  void ApplyWindowFlags();
  void PlaceWindow();
  void BringToFront();
  void CloseModal();
  void BeforeDestruction();
  void FocusMovedTo(TControl* control);

  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  bool keyPreview_ = false;
  bool modal_ = false;
  int modalResult_ = 0;
  bool freeAfterModal_ = false;
  bool showing_ = false;
  bool hideAfterShow_ = false;
  bool destroyFired_ = false;
  std::vector<QPointer<QObject>> components_;
  QPointer<QWidget> focusedControl_;
};

// Creates a form in two phases: the constructor builds it, then OnCreate runs with the
// whole object in place (a handler of a derived form is already bound).
template <class T, class... Args>
T* CreateForm(QWidget* owner, Args&&... args) {
  T* form = new T(owner, std::forward<Args>(args)...);
  form->AfterConstruction();
  return form;
}

}  // namespace forms
