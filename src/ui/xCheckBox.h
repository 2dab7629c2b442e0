#pragma once
// Check box that moves the focus with Enter and the arrow keys of its KeyStyles.
#include "ui/forms/CheckBox.h"
#include "ui/xKeyStyles.h"

class TxCheckBox : public forms::TCheckBox {
 public:
  explicit TxCheckBox(QWidget* parent);

  TKeyStyles KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(TKeyStyles styles) { keyStyles_ = styles; }

  bool WantsKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyPress(char32_t& key) override;

 private:
  TKeyStyles keyStyles_{ksEnter, ksUp};
};

namespace xkeys {
// The key rule of the check box and the radio button, shared by both: the key is judged as
// it was before the control's own handlers ran.
bool WantsKey(TKeyStyles styles, int key);
bool MoveOnKeyDown(forms::TControl* control, TKeyStyles styles, int judged, forms::TShiftState shift);
bool MoveOnKeyPress(forms::TControl* control, TKeyStyles styles, char32_t judged);
}  // namespace xkeys
