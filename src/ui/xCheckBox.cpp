#include "ui/xCheckBox.h"

namespace xkeys {

bool WantsKey(TKeyStyles styles, int key) {
  // Claiming the key keeps it from the form: Enter does not press a default button and the
  // arrows do not move among the siblings, so the key reaches the control's own stages.
  TKeyStyle style;
  if (key == forms::VK_RETURN) return styles.Contains(ksEnter);
  return ArrowKeyStyle(key, style) && styles.Contains(style);
}

bool MoveOnKeyDown(forms::TControl* control, TKeyStyles styles, int judged, forms::TShiftState shift) {
  TKeyStyle style;
  if ((shift & forms::kModifierKeys) != 0 || !ArrowKeyStyle(judged, style) || !styles.Contains(style)) return false;
  NextDlgCtl(control, ArrowGoesBack(judged));
  return true;
}

bool MoveOnKeyPress(forms::TControl* control, TKeyStyles styles, char32_t judged) {
  if (judged != U'\r' || !styles.Contains(ksEnter)) return false;
  NextDlgCtl(control, false);
  return true;
}

}  // namespace xkeys

TxCheckBox::TxCheckBox(QWidget* parent) : forms::TCheckBox(parent) {}

bool TxCheckBox::WantsKey(int key, forms::TShiftState shift) {
  return xkeys::WantsKey(keyStyles_, key) || forms::TCheckBox::WantsKey(key, shift);
}

void TxCheckBox::KeyDown(int& key, forms::TShiftState shift) {
  const int judged = key;
  forms::TCheckBox::KeyDown(key, shift);
  if (xkeys::MoveOnKeyDown(this, keyStyles_, judged, shift)) key = 0;
}

void TxCheckBox::KeyPress(char32_t& key) {
  const char32_t judged = key;
  forms::TCheckBox::KeyPress(key);
  if (xkeys::MoveOnKeyPress(this, keyStyles_, judged)) key = 0;
}
