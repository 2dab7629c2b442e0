#include "ui/forms/ComboBox.h"

#include <QAbstractItemView>
#include <QLineEdit>

#include "ui/forms/Application.h"
#include "ui/forms/Edit.h"

namespace forms {

TComboBox::TComboBox(QWidget* parent) : TWidgetControl<QComboBox>(parent) {
  SetColor(clWindow);
  SetColorRole(QPalette::Base, false);
  setInsertPolicy(QComboBox::NoInsert);
  resize(145, 21);
  SetStyle(csDropDown);
  connect(this, qOverload<int>(&QComboBox::activated), this, [this](int) {
    Guard([&] {
      Click();
      Select();
    });
  });
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  style_ = style;
  const bool editable = style == csDropDown || style == csSimple;
  if (editable != isEditable()) setEditable(editable);
  QLineEdit* edit = lineEdit();
  if (edit && edit != connectedEdit_) {
    // A new edit field comes with a completer that would select items while typing.
    setCompleter(nullptr);
    connect(edit, &QLineEdit::textEdited, this, [this](const QString&) { Guard([&] { Change(); }); });
    connectedEdit_ = edit;
    SetMaxLength(maxBytes_);
  }
}

std::vector<std::string> TComboBox::Items() const {
  std::vector<std::string> items;
  for (int i = 0; i < count(); ++i) items.push_back(itemText(i).toStdString());
  return items;
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  const QString text = currentText();
  clear();
  for (const auto& item : items) addItem(QString::fromStdString(item));
  setCurrentIndex(-1);
  if (isEditable()) setEditText(text);
}

void TComboBox::AddItem(std::string_view item) {
  const QString text = currentText();
  const int index = currentIndex();
  addItem(QString::fromUtf8(item.data(), static_cast<int>(item.size())));
  // Adding to the list never selects an item by itself.
  if (currentIndex() != index) setCurrentIndex(index);
  if (isEditable() && currentText() != text) setEditText(text);
}

std::string TComboBox::Item(int index) const {
  return index >= 0 && index < count() ? itemText(index).toStdString() : std::string();
}

void TComboBox::SetItemIndex(int index) { setCurrentIndex(index >= 0 && index < count() ? index : -1); }

std::string TComboBox::Text() const { return currentText().toStdString(); }

void TComboBox::SetText(std::string_view text) {
  const QString t = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (isEditable()) {
    setEditText(t);
  } else {
    setCurrentIndex(findText(t, Qt::MatchFixedString));
  }
}

void TComboBox::SetMaxLength(int bytes) {
  maxBytes_ = std::max(0, bytes);
  if (QLineEdit* edit = lineEdit()) SetByteLimit(*edit, maxBytes_);
}

bool TComboBox::DroppedDown() const { return view() && view()->isVisible(); }

void TComboBox::SetDroppedDown(bool value) {
  if (value == DroppedDown()) return;
  if (value) showPopup();
  else hidePopup();
}

int TComboBox::SelStart() const {
  const QLineEdit* edit = lineEdit();
  if (!edit) return 0;
  return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

int TComboBox::SelLength() const {
  const QLineEdit* edit = lineEdit();
  return edit && edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
}

void TComboBox::SetSelStart(int start) {
  if (QLineEdit* edit = lineEdit()) edit->setCursorPosition(std::max(0, start));
}

void TComboBox::SetSelLength(int length) {
  QLineEdit* edit = lineEdit();
  if (!edit) return;
  const int start = SelStart();
  if (length <= 0) edit->setCursorPosition(start);
  else edit->setSelection(start, length);
}

bool TComboBox::WantsKey(int key, TShiftState) {
  switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
      return true;
    case VK_RETURN: case VK_ESCAPE:
      return DroppedDown();
    default:
      return false;
  }
}

void TComboBox::showPopup() {
  Guard([&] { DropDown(); });
  QComboBox::showPopup();
}

void TComboBox::hidePopup() {
  const bool wasOpen = DroppedDown();
  QComboBox::hidePopup();
  if (wasOpen) Guard([&] { CloseUp(); });
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Select() {
  if (OnSelect) OnSelect(this);
  else Change();
}

void TComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

}  // namespace forms
