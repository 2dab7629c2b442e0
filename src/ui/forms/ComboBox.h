#pragma once
// The combo box. Styles with an edit field (csDropDown, csSimple) let the user type; the
// typed text does not change the list's selection by itself (the completer is off).
//
// The change handling runs for typing and for a choice from the list (OnChange, or OnSelect
// when assigned); setting ItemIndex or Text from code does not run it. DropDown and CloseUp
// run when the list opens and closes; derived combo boxes override these stages.
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <string>
#include <string_view>
#include <vector>

#include "ui/forms/Control.h"

namespace forms {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWidgetControl<QComboBox> {
 public:
  explicit TComboBox(QWidget* parent);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  bool Editable() const { return isEditable(); }

  std::vector<std::string> Items() const;
  void SetItems(const std::vector<std::string>& items);
  void AddItem(std::string_view item);
  int ItemCount() const { return count(); }
  std::string Item(int index) const;

  int ItemIndex() const { return currentIndex(); }
  // -1 clears the selection (and the text of an edit field).
  virtual void SetItemIndex(int index);
  std::string Text() const;
  void SetText(std::string_view text);
  int MaxLength() const { return maxBytes_; }
  void SetMaxLength(int bytes);
  int DropDownCount() const { return maxVisibleItems(); }
  void SetDropDownCount(int count) { setMaxVisibleItems(count); }
  bool DroppedDown() const;
  void SetDroppedDown(bool value);

  // Selection of the edit field in characters (0 and 0 without one).
  int SelStart() const;
  int SelLength() const;
  void SetSelStart(int start);
  void SetSelLength(int length);

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

  bool WantsKey(int key, TShiftState shift) override;

  void showPopup() override;
  void hidePopup() override;

 protected:
  // The text was changed by typing or by a choice from the list.
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();

 private:
  TComboBoxStyle style_ = csDropDown;
  int maxBytes_ = 0;
  QPointer<QLineEdit> connectedEdit_;
};

}  // namespace forms
