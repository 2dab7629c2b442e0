#pragma once
// A multiple-choice field that looks like a drop-down combo box: a one-line display with a
// drop button at its right end; the button (or F4) opens a borderless window holding a check
// list of Items, whose context menu checks or unchecks everything. The checked items are held
// as one text joined by "," in the order they were checked. The display shows the count
// ("%d件選択"), or the checked items themselves, and EmptyValue when nothing is checked.
//
// A click on the drop button while the list is open closes it and does not reopen it: the
// close remembers that the pointer was on the button, and the click that follows only clears
// that mark.
#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/forms/Control.h"
#include "ui/forms/Image.h"
#include "ui/forms/Panel.h"

class QListWidget;
class QListWidgetItem;
class QMenu;
class QAction;
class TxCheckedComboBox;

enum TCHBQuoteStyle { qsNone, qsSingle, qsDouble };
enum TCHBDispStyle { dsKensu, dsItems };

// The drop-down window: closes itself when it loses activation.
class TxCheckDropDown : public QWidget {
 public:
  TxCheckDropDown(TxCheckedComboBox* owner, QWidget* parent);
  QListWidget* List() const { return list_; }
  QMenu* Menu() const { return menu_; }
  QAction* CheckAllAction() const { return checkAll_; }
  QAction* UncheckAllAction() const { return uncheckAll_; }

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TxCheckedComboBox* owner_;
  QListWidget* list_;
  QMenu* menu_;
  QAction* checkAll_;
  QAction* uncheckAll_;
};

class TxCheckedComboBox : public forms::TWidgetControl<QWidget> {
 public:
  // The drop button's pictures.
  enum TButtonPicture { bpNormal, bpHot, bpPress, bpGray };

  explicit TxCheckedComboBox(QWidget* parent);
  ~TxCheckedComboBox() override;

  // ---- published properties ----
  const std::vector<std::string>& Items() const { return items_; }
  // Any change of the items unchecks everything.
  void SetItems(const std::vector<std::string>& items);
  std::string CapSelectAll() const { return capSelectAll_; }
  void SetCapSelectAll(std::string caption) { capSelectAll_ = std::move(caption); }
  std::string CapDeSelectAll() const { return capDeSelectAll_; }
  void SetCapDeSelectAll(std::string caption) { capDeSelectAll_ = std::move(caption); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TCHBQuoteStyle QuoteStyle() const { return quoteStyle_; }
  void SetQuoteStyle(TCHBQuoteStyle value) { quoteStyle_ = value; }
  int Columns() const { return columns_; }
  void SetColumns(int value);
  // Visible lines of the check list, 1 to 20 (other values are ignored).
  int DropDownLines() const { return dropDownLines_; }
  void SetDropDownLines(int value);
  std::string EmptyValue() const { return emptyValue_; }
  void SetEmptyValue(std::string value);
  bool SortDisplay() const { return sortDisplay_; }
  void SetSortDisplay(bool value);
  // Minimum width of the drop-down window.
  int DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(int value) { dropDownWidth_ = value; }
  TCHBDispStyle DispStyle() const { return dispStyle_; }
  void SetDispStyle(TCHBDispStyle value);
  std::string KensuValueFormat() const { return kensuValueFormat_; }
  void SetKensuValueFormat(std::string value);
  bool KeyUse() const { return keyUse_; }
  void SetKeyUse(bool value) { keyUse_ = value; }
  int KeyLength() const { return keyLength_; }
  void SetKeyLength(int value) { keyLength_ = value; }
  std::string KeyDelimiter() const { return keyDelimiter_; }
  void SetKeyDelimiter(std::string value) { keyDelimiter_ = std::move(value); }
  std::string Version() const { return "1.0.3"; }
  void SetVersion(const std::string&) {}
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);

  forms::TNotifyEvent OnChange;
  forms::TNotifyEvent OnClickCheck;
  forms::TNotifyEvent OnPanelClick;
  forms::TNotifyEvent OnButtonClick;
  forms::TNotifyEvent OnCloseUp;
  forms::TMouseMoveEvent OnMouseEnter;
  forms::TMouseMoveEvent OnMouseLeave;

  // ---- reading ----
  // The checked items joined by "," in the order they were checked, and their number.
  std::string CheckedText() const { return checked_; }
  int CheckedCount() const { return count_; }
  std::string DisplayText() const;
  bool DroppedDown() const;
  // Lines of the list when it last opened.
  int OpenLines() const { return openLines_; }
  TButtonPicture ButtonPicture() const { return picture_; }
  forms::TPanel* DisplayPanel() const { return panel_; }
  forms::TImage* DropButton() const { return button_; }
  TxCheckDropDown* DropDown() const { return dropDown_; }
  // The height of one line of the check list.
  int ItemHeight() const;

  // ---- operations ----
  // Opens the list (the drop button's click and F4).
  void OpenList();
  // Closes the list; `onButton` when the pointer was on the drop button.
  void CloseList(bool onButton);
  void CheckAll();
  void UncheckAll();

  bool WantsKey(int key, forms::TShiftState shift) override;
  void KeyDown(int& key, forms::TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  void Resized() override;
  void changeEvent(QEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TxCheckDropDown;
  void ItemToggled(QListWidgetItem* item);
  // The list operations on the checked text; true when the text changed.
  static bool Contains(const std::string& text, const std::string& item);
  bool AddChecked(const std::string& item);
  bool RemoveChecked(const std::string& item);
  void RefreshDisplay();
  void FillList();
  void SetPicture(TButtonPicture picture);
  void LayoutParts();
  void PaintPanel();
  bool PointerOnButton() const;
  // Keys in the open list: Esc, Tab, Shift+Tab, Enter.
  bool ListKey(int qtKey, Qt::KeyboardModifiers modifiers);

  std::vector<std::string> items_;
  std::string capSelectAll_ = "&全て選択";
  std::string capDeSelectAll_ = "&選択解除";
  bool sorted_ = false;
  TCHBQuoteStyle quoteStyle_ = qsNone;
  int columns_ = 0;
  int dropDownLines_ = 15;
  std::string emptyValue_ = "未選択";
  bool sortDisplay_ = false;
  int dropDownWidth_ = 120;
  TCHBDispStyle dispStyle_ = dsKensu;
  std::string kensuValueFormat_ = "%d件選択";
  bool keyUse_ = false;
  int keyLength_ = 0;
  std::string keyDelimiter_ = ":";
  bool multiSelect_ = true;

  std::string checked_;
  int count_ = 0;
  int openLines_ = 0;
  bool closedOnButton_ = false;  // the drop button's tag
  bool filling_ = false;
  bool closing_ = false;
  TButtonPicture picture_ = bpNormal;
  forms::TPanel* panel_ = nullptr;
  forms::TImage* button_ = nullptr;
  TxCheckDropDown* dropDown_ = nullptr;
};

// The drop button's picture of a state, 16 × 16, drawn in code.
QImage CheckedComboButtonPicture(TxCheckedComboBox::TButtonPicture picture);
