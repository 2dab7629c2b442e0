#pragma once
// Radio button that moves the focus with Enter and the arrow keys of its KeyStyles.
#include "ui/forms/CheckBox.h"
#include "ui/xKeyStyles.h"

class TxRadioButton : public forms::TRadioButton {
 public:
  explicit TxRadioButton(QWidget* parent);

  TKeyStyles KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(TKeyStyles styles) { keyStyles_ = styles; }

  bool WantsKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyPress(char32_t& key) override;

 private:
  TKeyStyles keyStyles_{ksEnter, ksUp};
};
