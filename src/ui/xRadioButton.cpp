#include "ui/xRadioButton.h"

#include "ui/xCheckBox.h"

TxRadioButton::TxRadioButton(QWidget* parent) : forms::TRadioButton(parent) {}

bool TxRadioButton::WantsKey(int key, forms::TShiftState shift) {
  return xkeys::WantsKey(keyStyles_, key) || forms::TRadioButton::WantsKey(key, shift);
}

void TxRadioButton::KeyDown(int& key, forms::TShiftState shift) {
  const int judged = key;
  forms::TRadioButton::KeyDown(key, shift);
  if (xkeys::MoveOnKeyDown(this, keyStyles_, judged, shift)) key = 0;
}

void TxRadioButton::KeyPress(char32_t& key) {
  const char32_t judged = key;
  forms::TRadioButton::KeyPress(key);
  if (xkeys::MoveOnKeyPress(this, keyStyles_, judged)) key = 0;
}
