#include "ui/xComboBox.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLineEdit>

#include "platform/Encoding.h"

namespace {

bool FirstCharIsDoubleByte(const std::string& text) {
  if (text.empty()) return false;
  const std::string cp932 = sjis::FromUtf8(sjis::CutToBytes(text, 2));
  return !cp932.empty() && sjis::IsLeadByte(static_cast<unsigned char>(cp932[0]));
}

}  // namespace

TxComboBox::TxComboBox(QWidget* parent) : forms::TComboBox(parent) {}

void TxComboBox::SetItemIndex(int index) {
  forms::TComboBox::SetItemIndex(index);
  if (index >= 0) remembered_ = ItemIndex();
}

std::string TxComboBox::KeyPart(const std::string& text) const {
  std::string part = text;
  if (!keyTerm_.empty()) {
    const auto at = text.find(keyTerm_);
    if (at != std::string::npos) part = text.substr(0, at);
  }
  part = sjis::CutToBytes(part, static_cast<size_t>(keyLen_));
  // Blanks and control characters are trimmed at both ends.
  size_t b = 0, e = part.size();
  while (b < e && static_cast<unsigned char>(part[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(part[e - 1]) <= ' ') --e;
  return part.substr(b, e - b);
}

int TxComboBox::Search(const std::string& key) const {
  const int n = ItemCount();
  if (n == 0) return -1;
  const QString k = QString::fromStdString(key);
  const int start = ItemIndex() >= 0 ? ItemIndex() : 0;
  for (int i = 0; i < n; ++i) {
    const int index = (start + i) % n;
    if (itemText(index).startsWith(k, Qt::CaseInsensitive)) return index;
  }
  return -1;
}

void TxComboBox::Change() {
  if (keyLen_ > 0) {
    const std::string text = Text();
    const std::string key = KeyPart(text);
    if (!key.empty()) {
      if (FirstCharIsDoubleByte(text)) {
        remembered_ = ItemIndex();
      } else if (const int found = Search(key); found >= 0) {
        remembered_ = found;  // the list's selection stays as it is while typing
      } else {
        forms::TComboBox::SetItemIndex(-1);  // the remembered index stays
        if (Editable()) {
          SetText(key);
          if (QLineEdit* edit = lineEdit()) edit->end(false);
        }
      }
    }
  }
  forms::TComboBox::Change();
  update();
}

void TxComboBox::DropDown() {
  forms::TComboBox::DropDown();
  if (view()) view()->setMinimumWidth(dropDownWidth_);
}

void TxComboBox::CloseUp() {
  if (keyLen_ > 0 && remembered_ >= 0) {
    if (ItemIndex() < 0) SetItemIndex(remembered_);
    else SetText(Item(remembered_));
  }
  forms::TComboBox::CloseUp();
}

void TxComboBox::DoEnter() {
  if (keyLen_ > 0) remembered_ = ItemIndex();
  forms::TComboBox::DoEnter();
}

void TxComboBox::DoExit() {
  if (keyLen_ > 0) {
    forms::TComboBox::SetItemIndex(remembered_);
    if (remembered_ >= 0) SetText(Item(remembered_));
  }
  forms::TComboBox::DoExit();
}

void TxComboBox::KeyDown(int& key, forms::TShiftState shift) {
  // The combo box judges the key as it was before its handlers ran.
  const int judged = key;
  forms::TComboBox::KeyDown(key, shift);
  if (judged == forms::VK_DELETE) {
    if (DroppedDown() || SelStart() == 0 || Text().empty()) {
      key = 0;
      if (ItemCount() > 0) {
        SetItemIndex(0);
        SetText(Item(0));
      }
    }
    return;
  }
  TKeyStyle style;
  if ((shift & forms::kModifierKeys) != 0 || !ArrowKeyStyle(judged, style) || !keyStyles_.Contains(style)) return;
  if (DroppedDown()) return;
  NextDlgCtl(this, ArrowGoesBack(judged));
  key = 0;
}

void TxComboBox::KeyPress(char32_t& key) {
  const char32_t judged = key;
  forms::TComboBox::KeyPress(key);
  if (judged == U'\r' && keyStyles_.Contains(ksEnter) && !DroppedDown()) {
    NextDlgCtl(this, false);
    key = 0;
  }
}

void TxComboBox::changeEvent(QEvent* event) {
  forms::TComboBox::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  // The edit field keeps its selection across a font change only while it has the focus.
  if (QLineEdit* edit = lineEdit(); edit && !hasFocus()) edit->setSelection(0, 0);
  update();
}
