#pragma once
// Push buttons. A TButton sets its form's ModalResult when clicked (0 included) and then fires
// OnClick; as a dialog key, Enter clicks the focused button (or the Default button while the
// focus is not on another button) and Esc clicks the Cancel button, with no modifier held.
// TSpeedButton is a flat tool button that never takes the focus.
#include <QImage>
#include <QPushButton>
#include <QToolButton>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"

namespace forms {

class TButton : public TWidgetControl<QPushButton> {
 public:
  explicit TButton(QWidget* parent);

  std::string Caption() const;
  void SetCaption(std::string_view caption);
  bool Default() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  void Click() override;
  bool DialogKey(int key, TShiftState shift) override;

 protected:
  void BaseKeyPress(QKeyEvent* event) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = 0;
};

class TSpeedButton : public TWidgetControl<QToolButton> {
 public:
  explicit TSpeedButton(QWidget* parent);

  std::string Caption() const;
  void SetCaption(std::string_view caption);
  bool Flat() const { return autoRaise(); }
  void SetFlat(bool value) { setAutoRaise(value); }
  QImage Glyph() const { return glyph_; }
  void SetGlyph(const QImage& glyph);

 private:
  QImage glyph_;
};

}  // namespace forms
