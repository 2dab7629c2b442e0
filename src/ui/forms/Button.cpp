#include "ui/forms/Button.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"

namespace forms {

TButton::TButton(QWidget* parent) : TWidgetControl<QPushButton>(parent) {
  // Enter and Esc are dialog keys of the form; Qt's default-button logic stays out.
  setAutoDefault(false);
  setDefault(false);
  SetClickOnMouseUp(false);
  SetColorRole(QPalette::Button, false);
  resize(75, 25);
  connect(this, &QAbstractButton::clicked, this, [this] { Guard([&] { Click(); }); });
}

std::string TButton::Caption() const { return text().toStdString(); }

void TButton::SetCaption(std::string_view caption) {
  setText(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

void TButton::Click() {
  if (TForm* form = ParentForm()) form->SetModalResult(modalResult_);
  TControl::Click();
}

bool TButton::DialogKey(int key, TShiftState shift) {
  if ((shift & kModifierKeys) == 0 && (key == VK_RETURN || key == VK_ESCAPE) && CanFocus()) {
    bool active = false;
    if (key == VK_RETURN) {
      // The focused button answers Enter; the Default button does while no other button has it.
      TControl* focused = ControlOf(QApplication::focusWidget());
      active = dynamic_cast<TButton*>(focused) ? focused == this : default_;
    } else {
      active = cancel_;
    }
    if (active) {
      Click();
      return true;
    }
  }
  return TControl::DialogKey(key, shift);
}

void TButton::BaseKeyPress(QKeyEvent* event) {
  if (!IsArrowKey(*event)) TWidgetControl<QPushButton>::BaseKeyPress(event);
}

TSpeedButton::TSpeedButton(QWidget* parent) : TWidgetControl<QToolButton>(parent) {
  SetWindowed(false);
  SetClickOnMouseUp(false);
  setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  resize(23, 22);
  connect(this, &QAbstractButton::clicked, this, [this] { Guard([&] { Click(); }); });
}

std::string TSpeedButton::Caption() const { return text().toStdString(); }

void TSpeedButton::SetCaption(std::string_view caption) {
  setText(QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
}

void TSpeedButton::SetGlyph(const QImage& glyph) {
  glyph_ = glyph;
  setIcon(glyph.isNull() ? QIcon() : QIcon(QPixmap::fromImage(glyph)));
  setIconSize(glyph.size());
}

}  // namespace forms
