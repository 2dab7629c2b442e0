#pragma once
// Check box and radio button. OnClick fires whenever the check state changes, by the user
// or by the program. Radio buttons with the same parent form a group; a radio button is a
// tab stop exactly while it is checked, and one that receives the focus other than by a
// click becomes checked, as the platform's radio buttons do. A click anywhere on the control
// counts, not only on the box and its text: the platform's buttons take the whole rectangle.
#include <QCheckBox>
#include <QRadioButton>
#include <string>
#include <string_view>

#include "ui/forms/Control.h"

namespace forms {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWidgetControl<QCheckBox> {
 public:
  explicit TCheckBox(QWidget* parent);

  std::string Caption() const;
  void SetCaption(std::string_view caption);
  bool Checked() const { return checkState() == Qt::Checked; }
  void SetChecked(bool value) { setCheckState(value ? Qt::Checked : Qt::Unchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState state);
  bool AllowGrayed() const { return isTristate(); }
  void SetAllowGrayed(bool value) { setTristate(value); }
  // taRightJustify (the default) puts the caption right of the box.
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

 protected:
  void BaseKeyPress(QKeyEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

 private:
  TAlignment alignment_ = taRightJustify;
};

class TRadioButton : public TWidgetControl<QRadioButton> {
 public:
  explicit TRadioButton(QWidget* parent);

  std::string Caption() const;
  void SetCaption(std::string_view caption);
  bool Checked() const { return isChecked(); }
  void SetChecked(bool value) { setChecked(value); }

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void BaseKeyPress(QKeyEvent* event) override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace forms
