#include "ui/forms/CheckBox.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "ui/forms/Application.h"

namespace forms {

TCheckBox::TCheckBox(QWidget* parent) : TWidgetControl<QCheckBox>(parent) {
  SetClickOnMouseUp(false);
  SetParentColor(true);
  resize(97, 17);
  connect(this, &QCheckBox::stateChanged, this, [this](int) { Guard([&] { Click(); }); });
}

std::string TCheckBox::Caption() const { return text().toStdString(); }

void TCheckBox::SetCaption(std::string_view caption) {
  setText(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

TCheckBoxState TCheckBox::State() const {
  switch (checkState()) {
    case Qt::Checked: return cbChecked;
    case Qt::PartiallyChecked: return cbGrayed;
    default: return cbUnchecked;
  }
}

void TCheckBox::SetState(TCheckBoxState state) {
  if (state == cbGrayed) setTristate(true);
  setCheckState(state == cbChecked ? Qt::Checked : state == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
  alignment_ = alignment;
  setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCheckBox::BaseKeyPress(QKeyEvent* event) {
  if (!IsArrowKey(*event)) TWidgetControl<QCheckBox>::BaseKeyPress(event);
}

TRadioButton::TRadioButton(QWidget* parent) : TWidgetControl<QRadioButton>(parent) {
  SetClickOnMouseUp(false);
  SetParentColor(true);
  SetTabStop(false);
  resize(113, 17);
  connect(this, &QRadioButton::toggled, this, [this](bool checked) {
    SetTabStop(checked);
    if (checked) Guard([&] { Click(); });
  });
}

std::string TRadioButton::Caption() const { return text().toStdString(); }

void TRadioButton::SetCaption(std::string_view caption) {
  setText(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

void TRadioButton::BaseKeyPress(QKeyEvent* event) {
  if (!IsArrowKey(*event)) TWidgetControl<QRadioButton>::BaseKeyPress(event);
}

void TRadioButton::focusInEvent(QFocusEvent* event) {
  TWidgetControl<QRadioButton>::focusInEvent(event);
  switch (event->reason()) {
    case Qt::MouseFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
      break;
    default:
      if (!isChecked()) setChecked(true);
      break;
  }
}

}  // namespace forms
