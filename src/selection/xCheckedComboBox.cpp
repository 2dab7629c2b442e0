#include "selection/xCheckedComboBox.h"

#include <QAction>
#include <QCursor>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <algorithm>

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"
#include "ui/xKeyStyles.h"

using namespace forms;

namespace {

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string s;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) s += ',';
    s += parts[i];
  }
  return s;
}

// The count display: "%d" in the format stands for the count and "%%" for "%"; nothing else
// in the format is read as a conversion.
std::string FormatCount(const std::string& format, int count) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == 'd') {
        out += std::to_string(count);
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

TShiftState ShiftNow() {
  return ShiftStateOf(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
}

}  // namespace

QImage CheckedComboButtonPicture(TxCheckedComboBox::TButtonPicture picture) {
  QImage img(16, 16, QImage::Format_RGB32);
  const bool pressed = picture == TxCheckedComboBox::bpPress;
  img.fill(ToQColor(picture == TxCheckedComboBox::bpHot ? RGB(229, 241, 251) : pressed ? RGB(204, 228, 247) : clBtnFace));
  QPainter p(&img);
  // The edges: raised, or sunken while pressed.
  p.setPen(ToQColor(pressed ? clGray : clWhite));
  p.drawLine(0, 0, 15, 0);
  p.drawLine(0, 0, 0, 15);
  p.setPen(ToQColor(pressed ? clWhite : clGray));
  p.drawLine(15, 0, 15, 15);
  p.drawLine(0, 15, 15, 15);
  // The arrow: a small triangle pointing down, grey when disabled.
  p.setPen(Qt::NoPen);
  p.setBrush(ToQColor(picture == TxCheckedComboBox::bpGray ? clGray : clBlack));
  const int o = pressed ? 1 : 0;
  const QPoint arrow[3] = {QPoint(4 + o, 6 + o), QPoint(12 + o, 6 + o), QPoint(8 + o, 10 + o)};
  p.drawPolygon(arrow, 3);
  return img;
}

// ---------------------------------------------------------------------------------------
// The drop-down window

TxCheckDropDown::TxCheckDropDown(TxCheckedComboBox* owner, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), owner_(owner) {
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(clWindow));
  setPalette(pal);
  list_ = new QListWidget(this);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setAttribute(Qt::WA_InputMethodEnabled, false);
  list_->setUniformItemSizes(true);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->installEventFilter(this);
  menu_ = new QMenu(this);
  checkAll_ = menu_->addAction(QString());
  uncheckAll_ = menu_->addAction(QString());
  QObject::connect(checkAll_, &QAction::triggered, this, [this] { Guard([&] { owner_->CheckAll(); }); });
  QObject::connect(uncheckAll_, &QAction::triggered, this, [this] { Guard([&] { owner_->UncheckAll(); }); });
  QObject::connect(list_, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& pos) { menu_->popup(list_->viewport()->mapToGlobal(pos)); });
  QObject::connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    Guard([&] { owner_->ItemToggled(item); });
  });
}

void TxCheckDropDown::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Losing activation closes the list, unless the activation went to its own context menu.
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() && !menu_->isVisible()) {
    Guard([&] { owner_->CloseList(owner_->PointerOnButton()); });
  }
}

bool TxCheckDropDown::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    Guard([&] { handled = owner_->ListKey(key->key(), key->modifiers()); });
    if (handled) return true;
  }
  return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// TxCheckedComboBox

TxCheckedComboBox::TxCheckedComboBox(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetTabStop(true);
  setFocusPolicy(Qt::StrongFocus);
  resize(120, 20);
  dropDownWidth_ = width();
  panel_ = new TPanel(this);
  panel_->SetBevelOuter(bvNone);
  panel_->SetBevelInner(bvNone);
  panel_->SetBorderStyle(bsSingle);
  panel_->SetAlignment(taLeftJustify);
  panel_->SetColor(clWhite);
  panel_->SetTabStop(false);
  panel_->setFocusPolicy(Qt::NoFocus);
  panel_->installEventFilter(this);
  button_ = new TImage(panel_);
  button_->SetStretch(true);
  button_->setCursor(Qt::ArrowCursor);
  button_->installEventFilter(this);
  dropDown_ = new TxCheckDropDown(this, this);
  dropDown_->hide();
  SetPicture(bpNormal);
  RefreshDisplay();
  LayoutParts();
}

TxCheckedComboBox::~TxCheckedComboBox() = default;

// ---- properties ----

void TxCheckedComboBox::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  if (sorted_) std::sort(items_.begin(), items_.end());
  checked_.clear();
  count_ = 0;
  RefreshDisplay();
  FillList();
}

void TxCheckedComboBox::SetSorted(bool value) {
  sorted_ = value;
  if (value && !std::is_sorted(items_.begin(), items_.end())) SetItems(items_);
}

void TxCheckedComboBox::SetColumns(int value) {
  columns_ = value;
  QListWidget* list = dropDown_->List();
  // Several columns: the items run down the first column, then the next.
  const bool multi = value >= 2;
  list->setFlow(QListView::TopToBottom);
  list->setWrapping(multi);
  list->setResizeMode(multi ? QListView::Adjust : QListView::Fixed);
}

void TxCheckedComboBox::SetDropDownLines(int value) {
  if (value < 1 || value > 20) return;
  dropDownLines_ = value;
}

void TxCheckedComboBox::SetEmptyValue(std::string value) {
  if (value == emptyValue_) return;
  emptyValue_ = std::move(value);
  RefreshDisplay();
}

void TxCheckedComboBox::SetSortDisplay(bool value) {
  sortDisplay_ = value;
  RefreshDisplay();
}

void TxCheckedComboBox::SetDispStyle(TCHBDispStyle value) {
  dispStyle_ = value;
  RefreshDisplay();
}

void TxCheckedComboBox::SetKensuValueFormat(std::string value) {
  kensuValueFormat_ = std::move(value);
  RefreshDisplay();
}

void TxCheckedComboBox::SetMultiSelect(bool value) {
  multiSelect_ = value;
  dropDown_->CheckAllAction()->setEnabled(value);
}

// ---- the checked text ----

bool TxCheckedComboBox::Contains(const std::string& text, const std::string& item) {
  if (text == item) return true;
  const auto parts = Split(text);
  return std::find(parts.begin(), parts.end(), item) != parts.end();
}

bool TxCheckedComboBox::AddChecked(const std::string& item) {
  if (checked_.empty()) {
    checked_ = item;
    return true;
  }
  if (Contains(checked_, item)) return false;
  checked_ += ',';
  checked_ += item;
  return true;
}

bool TxCheckedComboBox::RemoveChecked(const std::string& item) {
  if (checked_.empty()) return false;
  auto parts = Split(checked_);
  const auto it = std::find(parts.begin(), parts.end(), item);
  if (it == parts.end()) return false;
  parts.erase(it);
  checked_ = Join(parts);
  return true;
}

std::string TxCheckedComboBox::DisplayText() const {
  if (dispStyle_ == dsItems) {
    if (checked_.empty()) return emptyValue_;
    if (!sortDisplay_) return checked_;
    std::vector<std::string> inOrder;
    for (const std::string& item : items_) {
      if (Contains(checked_, item)) inOrder.push_back(item);
    }
    return Join(inOrder);
  }
  if (count_ == 0) return emptyValue_;
  if (count_ == 1) return checked_;
  return FormatCount(kensuValueFormat_, count_);
}

void TxCheckedComboBox::RefreshDisplay() {
  if (panel_) panel_->SetCaption(DisplayText());
}

void TxCheckedComboBox::FillList() {
  QListWidget* list = dropDown_->List();
  filling_ = true;
  list->clear();
  const int h = ItemHeight();
  for (const std::string& text : items_) {
    auto* item = new QListWidgetItem(QString::fromStdString(text), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(0, h));
  }
  filling_ = false;
}

void TxCheckedComboBox::ItemToggled(QListWidgetItem* changed) {
  if (filling_) return;
  QListWidget* list = dropDown_->List();
  const std::string item = changed->text().toStdString();
  if (changed->checkState() == Qt::Checked) {
    if (!multiSelect_) {
      // One choice only: every other checked item is taken off first.
      filling_ = true;
      for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* other = list->item(i);
        if (other == changed || other->checkState() != Qt::Checked) continue;
        RemoveChecked(other->text().toStdString());
        other->setCheckState(Qt::Unchecked);
      }
      filling_ = false;
      count_ = 0;
    }
    if (AddChecked(item)) ++count_;
  } else if (RemoveChecked(item)) {
    --count_;
  }
  RefreshDisplay();
  if (OnChange) OnChange(this);
  if (OnClickCheck) OnClickCheck(this);
}

void TxCheckedComboBox::CheckAll() {
  if (!multiSelect_) return;
  QListWidget* list = dropDown_->List();
  filling_ = true;
  for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
  filling_ = false;
  checked_ = Join(items_);
  count_ = static_cast<int>(items_.size());
  RefreshDisplay();
  panel_->update();
  if (OnChange) OnChange(this);
}

void TxCheckedComboBox::UncheckAll() {
  QListWidget* list = dropDown_->List();
  count_ = 0;
  filling_ = true;
  for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
  filling_ = false;
  checked_.clear();
  RefreshDisplay();
  if (OnChange) OnChange(this);
}

// ---- the list ----

int TxCheckedComboBox::ItemHeight() const { return QFontMetrics(font()).height() + 2; }

bool TxCheckedComboBox::DroppedDown() const { return dropDown_->isVisible(); }

bool TxCheckedComboBox::PointerOnButton() const {
  return button_->isVisible() && button_->rect().contains(button_->mapFromGlobal(QCursor::pos()));
}

void TxCheckedComboBox::OpenList() {
  QPointer<QWidget> alive(this);
  SetPicture(bpPress);
  SetFocus();
  if (!alive) return;
  auto finish = [&] {
    if (alive && OnButtonClick) OnButtonClick(this);
  };
  if (items_.empty()) return finish();
  if (closedOnButton_) {
    // The list was just closed by this very click on the button.
    closedOnButton_ = false;
    SetPicture(bpNormal);
    return finish();
  }
  Click();
  if (!alive) return;

  int lines = dropDownLines_;
  const int n = static_cast<int>(items_.size());
  if (columns_ < 2) lines = std::min(lines, n);
  else lines = n / columns_ + 1;
  lines = std::clamp(lines, 1, 20);
  openLines_ = lines;

  dropDown_->CheckAllAction()->setText(QString::fromStdString(capSelectAll_));
  dropDown_->UncheckAllAction()->setText(QString::fromStdString(capDeSelectAll_));
  dropDown_->CheckAllAction()->setEnabled(multiSelect_);
  dropDown_->setFont(font());
  const int w = std::max(width(), dropDownWidth_);
  const int h = ItemHeight() * lines + 4;
  QPoint at = mapToGlobal(QPoint(0, height()));
  const QScreen* screen = this->screen();
  if (screen && at.y() + h > screen->geometry().bottom() + 1 - 20) at = mapToGlobal(QPoint(0, -h));
  dropDown_->setGeometry(at.x(), at.y(), w, h);
  dropDown_->List()->setGeometry(0, 0, w, h);
  if (columns_ >= 2) dropDown_->List()->setGridSize(QSize(std::max(1, w / columns_), ItemHeight()));
  dropDown_->show();
  dropDown_->raise();
  dropDown_->activateWindow();
  dropDown_->List()->setFocus();
  update();
  finish();
}

void TxCheckedComboBox::CloseList(bool onButton) {
  // Hiding the window takes its activation away, which asks for a close again.
  if (closing_ || !dropDown_->isVisible()) return;
  closing_ = true;
  SetPicture(bpNormal);
  dropDown_->hide();
  closing_ = false;
  closedOnButton_ = onButton;
  update();
  if (QWidget* w = window()) w->activateWindow();
  SetFocus();
  if (OnCloseUp) OnCloseUp(dropDown_);
}

bool TxCheckedComboBox::ListKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers mods = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  QPointer<QWidget> alive(this);
  if (qtKey == Qt::Key_Escape) {
    CloseList(false);
    return true;
  }
  if ((qtKey == Qt::Key_Tab || qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) && mods == Qt::NoModifier) {
    CloseList(false);
    if (alive) NextDlgCtl(this, false);
    return true;
  }
  if (qtKey == Qt::Key_Backtab || (qtKey == Qt::Key_Tab && mods == Qt::ShiftModifier)) {
    CloseList(false);
    if (alive) NextDlgCtl(this, true);
    return true;
  }
  return false;
}

// ---- appearance ----

void TxCheckedComboBox::SetPicture(TButtonPicture picture) {
  picture_ = picture;
  button_->Picture().Assign(CheckedComboButtonPicture(picture), TGraphicKind::Bitmap);
  button_->PictureChanged();
}

void TxCheckedComboBox::LayoutParts() {
  if (!panel_) return;
  const QFontMetrics fm(font());
  const int h = fm.height() + 6;  // not 3-D: six borders of one pixel
  if (height() != h) resize(width(), h);
  panel_->setGeometry(0, 0, width(), height());
  const int bw = width() / 10;
  button_->setGeometry(width() - bw, 1, bw, height() - 2);
  PaintPanel();
}

void TxCheckedComboBox::PaintPanel() {
  if (!panel_) return;
  TFontSpec f = Font();
  if (!Enabled()) {
    f.Color = clGray;
    panel_->SetColor(clWhite);
  } else if (Focused()) {
    f.Color = clWhite;
    panel_->SetColor(clHighlight);
  } else {
    panel_->SetColor(clWhite);
  }
  panel_->SetFont(f);
}

void TxCheckedComboBox::Resized() { LayoutParts(); }

void TxCheckedComboBox::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (!panel_) return;
  if (event->type() == QEvent::EnabledChange) {
    SetPicture(isEnabled() ? bpNormal : bpGray);
    LayoutParts();
  } else if (event->type() == QEvent::FontChange) {
    LayoutParts();
  }
}

void TxCheckedComboBox::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  if (!DroppedDown() && isEnabled() && PointerOnButton()) SetPicture(bpHot);
  const QPoint p = event->position().toPoint();
  if (OnMouseEnter) Guard([&] { OnMouseEnter(this, ShiftNow(), p.x(), p.y()); });
}

void TxCheckedComboBox::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (!DroppedDown() && isEnabled() && !PointerOnButton()) SetPicture(bpNormal);
  const QPoint p = mapFromGlobal(QCursor::pos());
  if (OnMouseLeave) Guard([&] { OnMouseLeave(this, ShiftNow(), p.x(), p.y()); });
}

bool TxCheckedComboBox::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == button_) {
      Guard([&] {
        // A press on the button while the list is open closes it, with the pointer on the
        // button (the window system does the same by taking the activation away first).
        if (DroppedDown()) CloseList(true);
        OpenList();
      });
      return true;
    }
    if (watched == panel_) {
      Guard([&] {
        SetFocus();
        if (OnPanelClick) OnPanelClick(this);
      });
      return true;
    }
  }
  return TWidgetControl<QWidget>::eventFilter(watched, event);
}

// ---- keys and focus ----

bool TxCheckedComboBox::WantsKey(int key, TShiftState shift) {
  if (key == VK_RETURN) return true;
  return TControl::WantsKey(key, shift);
}

void TxCheckedComboBox::KeyDown(int& key, TShiftState shift) {
  TControl::KeyDown(key, shift);
  if (key == VK_F4) {
    key = 0;
    OpenList();
  } else if (key == VK_RETURN) {
    key = 0;
    NextDlgCtl(this, false);
  }
}

void TxCheckedComboBox::DoEnter() {
  TControl::DoEnter();
  LayoutParts();
}

void TxCheckedComboBox::DoExit() {
  TControl::DoExit();
  LayoutParts();
}
