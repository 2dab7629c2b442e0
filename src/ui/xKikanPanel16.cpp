#include "ui/xKikanPanel16.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/forms/Application.h"
#include "ui/forms/Form.h"
#include "ui/xKeyStyles.h"

using namespace forms;

namespace {

constexpr int kLastCell = TxKikanPanel16::kCellCount - 1;

TMouseButton ButtonOf(const QMouseEvent& event) {
  switch (event.button()) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
  }
}

bool IsQuarterCell(int j) { return j == 3 || j == 7 || j == 11; }

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

int CellOfDate(int sime, TDateTime kishu, TDateTime date) {
  int y1, m1, d1, y0, m0, d0;
  DecodeDate(PeriodClosingDate(0, sime, date), y1, m1, d1);
  DecodeDate(PeriodClosingDate(0, sime, kishu), y0, m0, d0);
  const int e = (y1 - y0) * 12 + (m1 - m0);
  if (e < 0 || e > 14) return kLastCell;
  return e + e / 3;  // one adjustment cell after every three months
}

}  // namespace kikan

// ---------------------------------------------------------------------------------------
// TxKikanCell

TxKikanCell::TxKikanCell(TxKikanPanel16* panel, int index) : QWidget(panel), panel_(panel), index_(index) {
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
// TxKikanPanel16

TxKikanPanel16::TxKikanPanel16(QWidget* parent) : TPanel(parent) {
  SetCaption("");
  SetBevelInner(bvLowered);
  SetBevelOuter(bvLowered);
  SetTabStop(true);
  // Clicks focus the panel through CellMouseDown (left button only).
  setFocusPolicy(Qt::TabFocus);
  resize(242, 22);
  for (int i = 0; i < kCellCount; ++i) cells_[i] = new TxKikanCell(this, i);
  int year, month, day;
  DecodeDate(Today(), year, month, day);
  SetKikan(99, EncodeDate(year, 1, 1), EncodeDate(year, 12, 31), EncodeDate(year, 1, 1));
}

// ---- properties ----

void TxKikanPanel16::SetStno(int value) {
  if (stno_ == value) return;
  stno_ = value;
  PaintRange();
}

void TxKikanPanel16::SetEdno(int value) {
  if (edno_ == value) return;
  edno_ = std::min(value, lastNo_);
  PaintRange();
}

void TxKikanPanel16::SetBackColor(TColor color) {
  if (backColor_ == color) return;
  backColor_ = color;
  PaintRange();
}

void TxKikanPanel16::SetFontColor(TColor color) {
  if (fontColor_ == color) return;
  fontColor_ = color;
  PaintRange();
}

void TxKikanPanel16::SetDisabelColor(TColor color) {
  if (disabelColor_ == color) return;
  disabelColor_ = color;
  PaintRange();
}

void TxKikanPanel16::SetKikanMove(bool value) {
  if (kikanMove_ == value) return;
  kikanMove_ = value;
  if (!value) edno_ = stno_;
  PaintRange();
}

void TxKikanPanel16::SetKESSAN(bool value) {
  if (kessan_ == value) return;
  kessan_ = value;
  if (!value) {
    if (lastSel_ >= 0 && lastSel_ <= kLastCell) DisableCell(lastSel_);
    --lastSel_;
  } else if (lastSel_ < kLastCell) {
    // The panel has sixteen cells: the closing cell never moves past the last of them.
    ++lastSel_;
    if (lastSel_ >= 0) {
      cells_[lastSel_]->SetCellEnabled(true);
      cells_[lastSel_]->SetCaption("決");
    }
  }
}

void TxKikanPanel16::SetKakuteiMode(bool value) {
  if (kakuteiMode_ == value) return;
  kakuteiMode_ = value;
  PaintRange();
}

void TxKikanPanel16::SetKakuteiMNo(int value) {
  if (kakuteiMNo_ == value) return;
  kakuteiMNo_ = value;
  PaintRange();
}

void TxKikanPanel16::SetKakuteiBackColor(TColor color) {
  if (kakuteiBackColor_ == color) return;
  kakuteiBackColor_ = color;
  PaintRange();
}

void TxKikanPanel16::SetKakuteiFontColor(TColor color) {
  if (kakuteiFontColor_ == color) return;
  kakuteiFontColor_ = color;
  PaintRange();
}

int TxKikanPanel16::StMonthNo() const {
  return stno_ >= 0 && stno_ <= kLastCell ? periods_[stno_] : stno_;
}

int TxKikanPanel16::EdMonthNo() const {
  return edno_ >= 0 && edno_ <= kLastCell ? periods_[edno_] : edno_;
}

// ---- SetKikan ----

void TxKikanPanel16::DisableCell(int index) {
  TxKikanCell* cell = cells_[index];
  cell->SetCellEnabled(false);
  cell->SetCaption("");
  cell->SetColors(clBtnFace, clWindowText);
}

void TxKikanPanel16::SetKikan(int Sime, TDateTime Kishu, TDateTime Kimatu, TDateTime Kaisi) {
  // A fiscal year longer than twelve months would put its end or its start past the closing
  // cell; both are held to the last cell the strip has.
  const int endCell = kikan::CellOfDate(Sime, Kishu, Kimatu);
  lastNo_ = std::min(endCell + 1, kLastCell);
  lastSel_ = kessan_ ? lastNo_ : lastNo_ - 1;
  firstSel_ = std::min(kikan::CellOfDate(Sime, Kishu, Kaisi), kLastCell);
  stno_ = firstSel_;
  edno_ = kikanMove_ ? lastSel_ : firstSel_;

  for (int i = 0; i < kCellCount; ++i) {
    periods_[i] = -1;
    TxKikanCell* cell = cells_[i];
    cell->setVisible(true);
    cell->SetCellEnabled(true);
    cell->SetCaption("");
    cell->SetColors(backColor_, fontColor_);
  }
  for (int i = 0; i < firstSel_; ++i) {
    cells_[i]->SetCellEnabled(false);
    cells_[i]->SetColors(clBtnFace, clWindowText);
  }
  for (int j = 0; j <= lastNo_; ++j) {
    const TDateTime date = kikan::PeriodClosingDate(j - j / 4, Sime, Kishu);
    TxKikanCell* cell = cells_[j];
    if (j == lastNo_) {
      cell->SetCaption("決");
      periods_[j] = kLastCell;
    } else if (IsQuarterCell(j)) {
      cell->SetCaption("・");
      periods_[j] = j;
    } else if (j == kLastCell) {
      cell->SetCaption("決");
      periods_[j] = j;
    } else {
      int y, m, d;
      DecodeDate(date, y, m, d);
      cell->SetCaption(std::to_string(m));
      periods_[j] = j;
    }
  }
  for (int i = kessan_ ? lastNo_ + 1 : lastNo_; i <= kLastCell; ++i) DisableCell(i);
  anchor_ = stno_;
  moving_ = edno_;
  LayoutCells(false);
  ProcessPaint();
}

// ---- layout and painting ----

void TxKikanPanel16::LayoutCells(bool resize) {
  if (!cells_[0]) return;  // still being built
  const int w = std::max(0, (width() - 8) / kCellCount);
  if (resize && width() != kCellCount * w + 8) {
    // Not through SetBounds: an aligned panel must not make its parent re-align it.
    this->resize(kCellCount * w + 8, height());
  }
  cellW_ = w;
  cellH_ = height() - 6;
  const int widened = std::max(0, width() - kCellCount * w - 8);
  for (int i = 0; i < kCellCount; ++i) {
    const int before = std::min(i, widened);
    cells_[i]->setGeometry(4 + i * w + before, 3, w + (i < widened ? 1 : 0), std::max(0, cellH_));
    hits_[i] = HitRect{i * w + before, 3, i * w + w, cellH_ + 3};
    cells_[i]->setFont(font());
  }
  PaintRange();
}

void TxKikanPanel16::Resized() { LayoutCells(true); }

void TxKikanPanel16::changeEvent(QEvent* event) {
  TPanel::changeEvent(event);
  if (!cells_[0]) return;
  if (event->type() == QEvent::EnabledChange) {
    PaintRange();
    ProcessPaint();
  } else if (event->type() == QEvent::FontChange) {
    LayoutCells(true);
  }
}

void TxKikanPanel16::ColorCell(int i, int from, int to) {
  if (i >= from && i <= to) {
    cells_[i]->SetColors(backColor_, fontColor_);
  } else if (kakuteiMode_ && i < kakuteiMNo_) {
    cells_[i]->SetColors(kakuteiBackColor_, kakuteiFontColor_);
  } else {
    cells_[i]->SetColors(clBtnFace, clWindowText);
  }
}

void TxKikanPanel16::PaintRange() {
  if (!cells_[0]) return;
  const bool enabled = Enabled();
  for (int i = 0; i < kCellCount; ++i) {
    if (enabled) {
      ColorCell(i, stno_, edno_);
    } else {
      cells_[i]->SetColors(i >= stno_ && i <= edno_ ? disabelColor_ : clBtnFace, clGray);
    }
  }
  update();
}

void TxKikanPanel16::PaintWorkRange() {
  const int from = std::min(anchor_, moving_), to = std::max(anchor_, moving_);
  for (int i = 0; i < kCellCount; ++i) ColorCell(i, from, to);
  ProcessPaint();
}

void TxKikanPanel16::ProcessPaint() {
  // Paints now, without handling input: this runs inside mouse and key handlers.
  if (isVisible()) repaint();
}

// ---- mouse ----

void TxKikanPanel16::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TxKikanPanel16::CellDblClick(QObject*) { DblClick(); }

void TxKikanPanel16::CellMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
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
      for (int i = 0; i < kCellCount; ++i) ColorCell(i, index, index);
      ProcessPaint();
    }
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TxKikanPanel16::CellMouseMove(QObject* Sender, TShiftState, int X, int Y) {
  if (!kikanMove_ || !dragging_) return;
  auto* cell = dynamic_cast<TxKikanCell*>(Sender);
  // The cell that holds the mouse is the anchor; its coordinates become strip coordinates.
  const int origin = cell ? hits_[cell->Tag()].left : hits_[std::clamp(anchor_, 0, kLastCell)].left;
  const int x = X + origin;
  for (int i = 0; i < kCellCount; ++i) {
    if (hits_[i].Contains(x, Y)) {
      if (cells_[i]->CellEnabled()) moving_ = i;
      break;
    }
  }
  PaintWorkRange();
}

void TxKikanPanel16::CellMouseUp(QObject*, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft) return;
  dragging_ = false;
  stno_ = std::min(anchor_, moving_);
  edno_ = std::max(anchor_, moving_);
  PaintRange();
  MouseUp(Button, Shift, X, Y);
}

// ---- keys and focus ----

bool TxKikanPanel16::WantsKey(int key, TShiftState shift) {
  if (key == VK_LEFT || key == VK_RIGHT) {
    kbdMouse_ = true;
    return true;
  }
  return TPanel::WantsKey(key, shift);
}

void TxKikanPanel16::KeyDown(int& key, TShiftState shift) {
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
        if (left ? anchor_ > firstSel_ : anchor_ < lastSel_) {
          anchor_ += left ? -1 : 1;
          moving_ = anchor_;
          PaintWorkRange();
        }
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

void TxKikanPanel16::KeyUp(int& key, TShiftState shift) {
  if (key == VK_SHIFT) {
    stno_ = std::min(anchor_, moving_);
    edno_ = std::max(anchor_, moving_);
    PaintRange();
  }
  TPanel::KeyUp(key, shift);
}

void TxKikanPanel16::DoEnter() {
  kbdMouse_ = false;
  SetColor(clGray);
  for (TxKikanCell* cell : cells_) cell->SetMoveHandler(cell->CellEnabled());
  TPanel::DoEnter();
}

void TxKikanPanel16::DoExit() {
  SetColor(clBtnFace);
  for (TxKikanCell* cell : cells_) cell->SetMoveHandler(false);
  if (kbdMouse_) {
    // A range changed with the keys is reported when the focus leaves.
    kbdMouse_ = false;
    MouseUp(mbLeft, ssLeft, 0, 0);
  }
  TPanel::DoExit();
}
