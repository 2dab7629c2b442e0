#include "ui/xKikanPanelBase.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"
#include "ui/xKeyStyles.h"

using namespace forms;

namespace {

TMouseButton ButtonOf(const QMouseEvent& event) {
  switch (event.button()) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Month arithmetic

namespace kikan {

TDateTime AddMonths(TDateTime date, int n) {
  int y, m, d;
  DecodeDate(date, y, m, d);
  const int total = y * 12 + m + n;
  int year = total / 12, month = total % 12;
  if (month == 0) {
    month = 12;
    --year;
  }
  return EncodeDate(year, month, std::min(d, DaysInAMonth(year, month)));
}

TDateTime PeriodClosingDate(int n, int sime, TDateTime date) {
  if (!((sime >= 1 && sime <= 28) || sime == 99)) {
    Application().Beep();
    return date;
  }
  int y, m, d;
  DecodeDate(date, y, m, d);
  if (sime < d) ++n;
  DecodeDate(AddMonths(date, n), y, m, d);
  return EncodeDate(y, m, sime == 99 ? DaysInAMonth(y, m) : sime);
}

int MonthOffset(int sime, TDateTime kishu, TDateTime date) {
  int y1, m1, d1, y0, m0, d0;
  DecodeDate(PeriodClosingDate(0, sime, date), y1, m1, d1);
  DecodeDate(PeriodClosingDate(0, sime, kishu), y0, m0, d0);
  return (y1 - y0) * 12 + (m1 - m0);
}

int YearMonthOffset(int sime, TDateTime kishu, TDateTime date) {
  const int e = MonthOffset(sime, kishu, date);
  return e >= 0 && e <= 11 ? e : 11;
}

int CellOfDate(int sime, TDateTime kishu, TDateTime date) {
  const int e = MonthOffset(sime, kishu, date);
  if (e < 0 || e > 14) return 15;
  return e + e / 3;  // one adjustment cell after every three months
}

}  // namespace kikan

// ---------------------------------------------------------------------------------------
// TxKikanCell

TxKikanCell::TxKikanCell(TxKikanPanelBase* panel, int index) : QWidget(panel), panel_(panel), index_(index) {
  setObjectName(QStringLiteral("No%1").arg(index + 1));
  setFocusPolicy(Qt::NoFocus);
}

void TxKikanCell::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  update();
}

void TxKikanCell::SetColors(TColor back, TColor fore) {
  if (back_ == back && fore_ == fore) return;
  back_ = back;
  fore_ = fore;
  update();
}

void TxKikanCell::SetCellEnabled(bool value) { enabled_ = value; }

void TxKikanCell::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(back_));
  if (caption_.empty()) return;
  painter.setFont(font());
  painter.setPen(ToQColor(fore_));
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(caption_));
}

// A disabled cell takes no mouse input at all; the press that starts a drag gives the cell
// Qt's implicit mouse grab, so moves and the release come to the cell where the drag began.
void TxKikanCell::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (!enabled_) return;
  const QPoint p = event->position().toPoint();
  Guard([&] { panel_->CellMouseDown(this, ButtonOf(*event), ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

void TxKikanCell::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (!enabled_ || !moveHandler_) return;
  const QPoint p = event->position().toPoint();
  Guard([&] { panel_->CellMouseMove(this, ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

void TxKikanCell::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (!enabled_) return;
  const QPoint p = event->position().toPoint();
  Guard([&] { panel_->CellMouseUp(this, ButtonOf(*event), ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

void TxKikanCell::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click: the double-click handling, then a press as usual.
  event->accept();
  if (!enabled_) return;
  const QPoint p = event->position().toPoint();
  QPointer<QWidget> alive(this);
  Guard([&] {
    panel_->CellDblClick(this);
    if (alive) panel_->CellMouseDown(this, ButtonOf(*event), ShiftStateOf(event->modifiers(), event->buttons()) | ssDouble, p.x(), p.y());
  });
}

// ---------------------------------------------------------------------------------------
// TxKikanPanelBase

TxKikanPanelBase::TxKikanPanelBase(QWidget* parent, int cellCount) : TPanel(parent) {
  SetCaption("");
  SetBevelInner(bvLowered);
  SetBevelOuter(bvLowered);
  SetTabStop(true);
  // Clicks focus the panel through CellMouseDown (left button only).
  setFocusPolicy(Qt::TabFocus);
  for (int i = 0; i < cellCount; ++i) cells_.push_back(new TxKikanCell(this, i));
  hits_.resize(cells_.size());
  built_ = true;
}

// ---- properties ----

void TxKikanPanelBase::SetBackColor(TColor color) {
  if (backColor_ == color) return;
  backColor_ = color;
  PaintRange();
}

void TxKikanPanelBase::SetFontColor(TColor color) {
  if (fontColor_ == color) return;
  fontColor_ = color;
  PaintRange();
}

void TxKikanPanelBase::SetKikanMove(bool value) {
  if (kikanMove_ == value) return;
  kikanMove_ = value;
  if (!value) edno_ = stno_;
  PaintRange();
}

void TxKikanPanelBase::SetKakuteiMode(bool value) {
  if (kakuteiMode_ == value) return;
  kakuteiMode_ = value;
  PaintRange();
}

void TxKikanPanelBase::SetKakuteiMNo(int value) {
  if (kakuteiMNo_ == value) return;
  kakuteiMNo_ = value;
  PaintRange();
}

void TxKikanPanelBase::SetKakuteiBackColor(TColor color) {
  if (kakuteiBackColor_ == color) return;
  kakuteiBackColor_ = color;
  PaintRange();
}

void TxKikanPanelBase::SetKakuteiFontColor(TColor color) {
  if (kakuteiFontColor_ == color) return;
  kakuteiFontColor_ = color;
  PaintRange();
}

void TxKikanPanelBase::ClearCells() {
  for (int i = 0; i < CellCount(); ++i) {
    TxKikanCell* cell = CellAt(i);
    cell->setVisible(true);
    cell->SetCellEnabled(true);
    cell->SetCaption("");
    cell->SetColors(BackColor(), FontColor());
  }
  for (int i = 0; i < firstSel_; ++i) {
    CellAt(i)->SetCellEnabled(false);
    CellAt(i)->SetColors(clBtnFace, clWindowText);
  }
}

void TxKikanPanelBase::DisableCell(int index) {
  TxKikanCell* cell = CellAt(index);
  cell->SetCellEnabled(false);
  cell->SetCaption("");
  cell->SetColors(clBtnFace, clWindowText);
}

// ---- layout and painting ----

void TxKikanPanelBase::LayoutCells(bool resize) {
  if (!built_) return;
  const int count = std::clamp(LaidOutCells(), 1, CellCount());
  const int w = std::max(0, (width() - 8) / count);
  if (resize && width() != count * w + 8) {
    // Not through SetBounds: an aligned panel must not make its parent re-align it.
    this->resize(count * w + 8, height());
  }
  cellW_ = w;
  cellH_ = height() - 6;
  const int widened = std::max(0, width() - count * w - 8);
  for (int i = 0; i < CellCount(); ++i) {
    if (i >= count) {
      hits_[i] = HitRect{};
      continue;
    }
    const int before = std::min(i, widened);
    cells_[i]->setGeometry(4 + i * w + before, 3, w + (i < widened ? 1 : 0), std::max(0, cellH_));
    hits_[i] = HitRect{i * w + before, 3, i * w + w, cellH_ + 3};
    cells_[i]->setFont(font());
  }
  PaintRange();
}

void TxKikanPanelBase::Resized() { LayoutCells(true); }

void TxKikanPanelBase::changeEvent(QEvent* event) {
  TPanel::changeEvent(event);
  if (!built_) return;
  if (event->type() == QEvent::EnabledChange) {
    PaintRange();
    ProcessPaint();
  } else if (event->type() == QEvent::FontChange) {
    LayoutCells(true);
  }
}

void TxKikanPanelBase::ColorCell(int i, int from, int to) {
  if (i >= from && i <= to) {
    cells_[i]->SetColors(backColor_, fontColor_);
  } else if (kakuteiMode_ && i < kakuteiMNo_) {
    cells_[i]->SetColors(kakuteiBackColor_, kakuteiFontColor_);
  } else {
    cells_[i]->SetColors(clBtnFace, clWindowText);
  }
}

void TxKikanPanelBase::PaintRange() {
  if (!built_) return;
  const bool enabled = Enabled();
  for (int i = 0; i < CellCount(); ++i) {
    if (enabled) {
      ColorCell(i, stno_, edno_);
    } else {
      cells_[i]->SetColors(i >= stno_ && i <= edno_ ? DisabledRangeColor() : clBtnFace, clGray);
    }
  }
  PaintRangeDone();
}

void TxKikanPanelBase::PaintWorkRange() {
  const int from = std::min(anchor_, moving_), to = std::max(anchor_, moving_);
  for (int i = 0; i < CellCount(); ++i) ColorCell(i, from, to);
  ProcessPaint();
}

void TxKikanPanelBase::ProcessPaint() {
  // Paints now, without handling input: this runs inside mouse and key handlers.
  if (isVisible()) repaint();
}

// ---- mouse ----

void TxKikanPanelBase::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TxKikanPanelBase::CellDblClick(QObject*) { DblClick(); }

void TxKikanPanelBase::CellMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto* cell = dynamic_cast<TxKikanCell*>(Sender);
  QPointer<QWidget> alive(this);
  if (Button == mbLeft && cell) {
    SetFocus();
    if (!alive) return;
    const int index = cell->Tag();
    if (index > lastSel_) {
      anchor_ = stno_;
      moving_ = edno_;
    } else {
      anchor_ = moving_ = index;
      dragging_ = true;
      for (int i = 0; i < CellCount(); ++i) ColorCell(i, index, index);
      ProcessPaint();
    }
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TxKikanPanelBase::CellMouseMove(QObject* Sender, TShiftState, int X, int Y) {
  if (!kikanMove_ || !dragging_) return;
  auto* cell = dynamic_cast<TxKikanCell*>(Sender);
  // The cell that holds the mouse is the anchor; its coordinates become strip coordinates.
  const int origin = cell ? hits_[cell->Tag()].left : hits_[std::clamp(anchor_, 0, CellCount() - 1)].left;
  const int x = X + origin;
  for (int i = 0; i < CellCount(); ++i) {
    if (hits_[i].Contains(x, Y)) {
      if (cells_[i]->CellEnabled()) moving_ = i;
      break;
    }
  }
  PaintWorkRange();
}

void TxKikanPanelBase::CellMouseUp(QObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  dragging_ = false;
  stno_ = std::min(anchor_, moving_);
  edno_ = std::max(anchor_, moving_);
  PaintRange();
  MouseUp(Button, Shift, X, Y);
}

// ---- keys and focus ----

bool TxKikanPanelBase::WantsKey(int key, TShiftState shift) {
  if (key == VK_LEFT || key == VK_RIGHT) {
    kbdMouse_ = true;
    return true;
  }
  return TPanel::WantsKey(key, shift);
}

void TxKikanPanelBase::StepAnchor(bool left) {
  if (left ? anchor_ > firstSel_ : anchor_ < lastSel_) {
    anchor_ += left ? -1 : 1;
    moving_ = anchor_;
    PaintWorkRange();
  }
}

void TxKikanPanelBase::KeyDown(int& key, TShiftState shift) {
  TPanel::KeyDown(key, shift);
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
      const bool left = key == VK_LEFT;
      if (kikanMove_ && (shift & kModifierKeys) == ssShift) {
        // Extends or shrinks the range at its moving end; normalised when Shift is released.
        if (left ? moving_ > firstSel_ : moving_ < lastSel_) {
          moving_ += left ? -1 : 1;
          stno_ = anchor_;
          edno_ = moving_;
          PaintWorkRange();
        }
      } else {
        StepAnchor(left);
        stno_ = anchor_;
        edno_ = moving_;
      }
      key = 0;
      break;
    }
    case VK_UP:
      key = 0;
      NextDlgCtl(this, true);
      break;
    case VK_RETURN:
      key = 0;
      kbdMouse_ = false;
      MouseUp(mbLeft, ssLeft, 0, 0);
      NextDlgCtl(this, false);
      break;
    default:
      break;
  }
}

void TxKikanPanelBase::KeyUp(int& key, TShiftState shift) {
  if (key == VK_SHIFT) {
    stno_ = std::min(anchor_, moving_);
    edno_ = std::max(anchor_, moving_);
    PaintRange();
  }
  TPanel::KeyUp(key, shift);
}

void TxKikanPanelBase::DoEnter() {
  kbdMouse_ = false;
  SetColor(clGray);
  for (TxKikanCell* cell : cells_) cell->SetMoveHandler(cell->CellEnabled());
  TPanel::DoEnter();
}

void TxKikanPanelBase::DoExit() {
  SetColor(clBtnFace);
  for (TxKikanCell* cell : cells_) cell->SetMoveHandler(false);
  if (kbdMouse_) {
    // A range changed with the keys is reported when the focus leaves.
    kbdMouse_ = false;
    MouseUp(mbLeft, ssLeft, 0, 0);
  }
  TPanel::DoExit();
}
