#pragma once
// Combo box that moves the focus with Enter and the arrow keys of its KeyStyles, with a
// minimum width for the open list and a code-key search for lists whose items begin with a
// code ("001:name"): typing a code remembers the matching item without changing the list's
// selection, and the remembered item is taken when the list closes or the focus leaves.
#include <string>

#include "ui/forms/ComboBox.h"
#include "ui/xKeyStyles.h"

class TxComboBox : public forms::TComboBox {
 public:
  explicit TxComboBox(QWidget* parent);

  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int width) { dropDownWidth_ = width; }
  TKeyStyles KeyStyles() const { return keyStyles_; }
  void SetKeyStyles(TKeyStyles styles) { keyStyles_ = styles; }
  // Maximum CP932 length of the code at the start of an item; 0 turns the search off.
  int KeyLen() const { return keyLen_; }
  void SetKeyLen(int bytes) { keyLen_ = bytes; }
  std::string KeyTerm() const { return keyTerm_; }
  void SetKeyTerm(std::string term) { keyTerm_ = std::move(term); }
  // The item the code-key search matched last (-1 for none).
  int RememberedIndex() const { return remembered_; }

  void SetItemIndex(int index) override;

  void KeyDown(int& key, forms::TShiftState shift) override;
  void KeyPress(char32_t& key) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  void Change() override;
  void DropDown() override;
  void CloseUp() override;
  void changeEvent(QEvent* event) override;

 private:
  std::string KeyPart(const std::string& text) const;
  int Search(const std::string& key) const;

  int dropDownWidth_ = 0;
  TKeyStyles keyStyles_{ksEnter, ksUp};
  int keyLen_ = 0;
  std::string keyTerm_ = ":";
  int remembered_ = -1;
};
