#include "ui/PerfectGrid.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>
#include <vector>

#include "ui/PerfectGridModel.h"
#include "ui/forms/Application.h"

using forms::TColor;
using forms::TFontSpec;
using pgrid::GridCell;
using pgrid::GridRow;

namespace {

const forms::TPicture& EmptyPicture() {
  static const forms::TPicture empty;
  return empty;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The grid

TPerfectGrid::TPerfectGrid(QWidget* parent)
    : TWidgetControl<QTableView>(parent), model_(std::make_unique<TPerfectGridModel>(this)) {
  header_ = pgrid::NewHeader(this, this);
  pgrid::SetupView(this, header_);
  setModel(model_.get());
  setItemDelegate(pgrid::NewDelegate(this, this));

  // The frozen columns: a second view of the same model over the left edge, sharing the
  // current cell, scrolled up and down with the grid but never sideways.
  frozen_ = new QTableView(this);
  frozenHeader_ = pgrid::NewHeader(this, frozen_);
  pgrid::SetupView(frozen_, frozenHeader_);
  frozen_->setModel(model_.get());
  frozen_->setSelectionModel(selectionModel());
  frozen_->setItemDelegate(itemDelegate());
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->viewport()->installEventFilter(this);
  frozen_->hide();

  connect(frozen_->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(), &QScrollBar::setValue);
  connect(verticalHeader(), &QHeaderView::sectionResized, this,
          [this](int section, int, int size) { frozen_->setRowHeight(section, size); });
  connect(header_, &QHeaderView::sectionClicked, this, [this](int s) { HeadingClicked(s); });
  connect(frozenHeader_, &QHeaderView::sectionClicked, this, [this](int s) { HeadingClicked(s); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& now, const QModelIndex& before) { CurrentChanged(now, before); });

  SetDefHeight(defHeight_);
  ApplyViewColors();
  resize(320, 120);
}

TPerfectGrid::~TPerfectGrid() {
  // The views let go of the model before it goes.
  delete frozen_;
  frozen_ = nullptr;
  setModel(nullptr);
}

int TPerfectGrid::ModelCol(int col) const { return col + model_->fixedLefts; }

// ---- shape ----

int TPerfectGrid::Rows() const { return model_->rowCount(); }

void TPerfectGrid::SetRows(int rows) {
  rows = std::clamp(rows, 0, kMaxRows);
  if (rows > Rows()) InsertRows(Rows(), rows - Rows());
  else if (rows < Rows()) DeleteRows(rows, Rows() - rows);
}

int TPerfectGrid::Cols() const { return model_->columnCount() - model_->fixedLefts; }

void TPerfectGrid::SetCols(int cols) {
  cols = std::max(cols, 0);
  const int now = Cols();
  if (cols > now) {
    model_->InsertColumns(model_->columnCount(), cols - now, defWidth_);
  } else if (cols < now) {
    model_->RemoveColumns(model_->fixedLefts + cols, now - cols);
  }
  ApplyAllColumns();
}

int TPerfectGrid::FixedLefts() const { return model_->fixedLefts; }

void TPerfectGrid::SetFixedLefts(int count) {
  count = std::max(count, 0);
  const int now = model_->fixedLefts;
  if (count > now) {
    model_->InsertColumns(0, count - now, defWidth_);
  } else if (count < now) {
    model_->RemoveColumns(0, now - count);
  }
  model_->fixedLefts = count;
  ApplyAllColumns();
}

int TPerfectGrid::FixedTops() const { return model_->fixedTops; }

void TPerfectGrid::SetFixedTops(int count) {
  model_->fixedTops = count > 0 ? 1 : 0;
  header_->setVisible(model_->fixedTops == 1);
  frozenHeader_->setVisible(model_->fixedTops == 1);
  UpdateFrozenGeometry();
}

void TPerfectGrid::InsertRows(int row, int count) {
  row = std::clamp(row, 0, Rows());
  count = std::min(count, kMaxRows - Rows());
  if (count <= 0) return;
  quiet_ = true;
  model_->InsertRows(row, count);
  quiet_ = false;
}

void TPerfectGrid::DeleteRows(int row, int count) {
  if (row < 0 || row >= Rows() || count <= 0) return;
  count = std::min(count, Rows() - row);
  const int current = CurrentModelRow();
  quiet_ = true;
  model_->RemoveRows(row, count);
  if (current >= row && current < row + count) ClearCurrentQuietly();
  quiet_ = false;
  Repaint();
}

void TPerfectGrid::DeleteAllRows() { DeleteRows(0, Rows()); }

void TPerfectGrid::ClearCurrentQuietly() {
  const bool wasQuiet = quiet_;
  quiet_ = true;
  selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  quiet_ = wasQuiet;
}

// ---- sizes ----

void TPerfectGrid::SetDefHeight(int height) {
  defHeight_ = std::max(height, 1);
  for (QTableView* view : {static_cast<QTableView*>(this), frozen_}) {
    view->verticalHeader()->setDefaultSectionSize(defHeight_);
    // Rows given their own height take the new one too.
    for (int r = 0; r < Rows(); ++r) {
      if (view->rowHeight(r) != defHeight_) view->setRowHeight(r, defHeight_);
    }
  }
  if (model_->headingHeight < 0) SetRowHeight(kHeadingRow, -1);
  UpdateFrozenGeometry();
}

void TPerfectGrid::SetDefWidth(int width) { defWidth_ = std::max(width, 0); }

int TPerfectGrid::ColWidth(int col) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return 0;
  return model_->columns[static_cast<size_t>(mc)].width;
}

void TPerfectGrid::SetColWidth(int col, int width) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return;
  model_->columns[static_cast<size_t>(mc)].width = std::max(width, 0);
  ApplyColumn(mc);
  UpdateFrozenGeometry();
}

int TPerfectGrid::RowHeight(int row) const {
  if (row == kHeadingRow) return model_->headingHeight < 0 ? defHeight_ : model_->headingHeight;
  if (row < 0 || row >= Rows()) return 0;
  return rowHeight(row);
}

void TPerfectGrid::SetRowHeight(int row, int height) {
  if (row == kHeadingRow) {
    model_->headingHeight = height;
    const int h = height < 0 ? defHeight_ : height;
    header_->setFixedHeight(h);
    frozenHeader_->setFixedHeight(h);
    UpdateFrozenGeometry();
    return;
  }
  if (row < 0 || row >= Rows()) return;
  setRowHeight(row, std::max(height, 0));  // the frozen view follows through sectionResized
}

forms::TAlignment TPerfectGrid::ColAlign(int col) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return forms::taLeftJustify;
  return model_->columns[static_cast<size_t>(mc)].align;
}

void TPerfectGrid::SetColAlign(int col, forms::TAlignment alignment) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return;
  model_->columns[static_cast<size_t>(mc)].align = alignment;
  Repaint();
}

TGridCellKind TPerfectGrid::ColKind(int col) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return gkText;
  return model_->columns[static_cast<size_t>(mc)].kind;
}

void TPerfectGrid::SetColKind(int col, TGridCellKind kind) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return;
  model_->columns[static_cast<size_t>(mc)].kind = kind;
  Repaint();
}

void TPerfectGrid::ApplyColumn(int mc) {
  const int width = model_->columns[static_cast<size_t>(mc)].width;
  setColumnHidden(mc, width == 0);
  if (width > 0) setColumnWidth(mc, width);
  const bool frozenShown = mc < model_->fixedLefts && width > 0;
  frozen_->setColumnHidden(mc, !frozenShown);
  if (frozenShown) frozen_->setColumnWidth(mc, width);
}

void TPerfectGrid::ApplyAllColumns() {
  for (int mc = 0; mc < model_->columnCount(); ++mc) ApplyColumn(mc);
  UpdateFrozenGeometry();
}

void TPerfectGrid::UpdateFrozenGeometry() {
  if (!frozen_) return;
  int width = 0;
  for (int mc = 0; mc < model_->fixedLefts && mc < model_->columnCount(); ++mc) {
    width += model_->columns[static_cast<size_t>(mc)].width;
  }
  if (width <= 0) {
    frozen_->hide();
    return;
  }
  const int headerHeight = model_->fixedTops ? RowHeight(kHeadingRow) : 0;
  frozen_->setGeometry(frameWidth(), frameWidth(), width, viewport()->height() + headerHeight);
  frozen_->show();
  frozen_->raise();
}

// ---- cells ----

std::string TPerfectGrid::CellText(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return {};
  if (row == kHeadingRow) return model_->columns[static_cast<size_t>(mc)].heading.toStdString();
  if (row < 0 || row >= Rows()) return {};
  return model_->Cell(row, mc).text.toStdString();
}

void TPerfectGrid::SetCellText(int col, int row, std::string_view text) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return;
  const QString value = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
  if (row == kHeadingRow) {
    model_->columns[static_cast<size_t>(mc)].heading = value;
    model_->HeadingChanged(mc);
    return;
  }
  if (row < 0 || row >= Rows()) return;
  model_->Cell(row, mc).text = value;
  model_->CellChanged(row, mc);
}

const forms::TPicture& TPerfectGrid::CellPicture(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return EmptyPicture();
  return model_->Cell(row, mc).picture;
}

void TPerfectGrid::SetCellPicture(int col, int row, const forms::TPicture& picture) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return;
  model_->Cell(row, mc).picture = picture;
  model_->CellChanged(row, mc);
}

bool TPerfectGrid::CellChecked(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return false;
  return model_->Cell(row, mc).checked;
}

void TPerfectGrid::SetCellChecked(int col, int row, bool checked) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return;
  model_->Cell(row, mc).checked = checked;
  model_->CellChanged(row, mc);
}

TColor TPerfectGrid::CellBackColor(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return forms::clDefault;
  return model_->Cell(row, mc).back;
}

void TPerfectGrid::SetCellBackColor(int col, int row, TColor color) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return;
  model_->Cell(row, mc).back = color;
  model_->CellChanged(row, mc);
}

TColor TPerfectGrid::CellForeColor(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return forms::clDefault;
  return model_->Cell(row, mc).fore;
}

void TPerfectGrid::SetCellForeColor(int col, int row, TColor color) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return;
  model_->Cell(row, mc).fore = color;
  model_->CellChanged(row, mc);
}

TFontSpec TPerfectGrid::CellFont(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return Font();
  const int index = model_->Cell(row, mc).font;
  return index >= 0 ? model_->fontSpecs[static_cast<size_t>(index)] : RowFont(row);
}

void TPerfectGrid::SetCellFont(int col, int row, const TFontSpec& font) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return;
  model_->Cell(row, mc).font = model_->FontIndex(font);
  model_->CellChanged(row, mc);
}

// ---- rows ----

TColor TPerfectGrid::RowBackColor(int row) const {
  return row >= 0 && row < Rows() ? model_->rows[static_cast<size_t>(row)].back : forms::clDefault;
}

void TPerfectGrid::SetRowBackColor(int row, TColor color) {
  if (row < 0 || row >= Rows()) return;
  GridRow& r = model_->rows[static_cast<size_t>(row)];
  r.back = color;
  for (GridCell& c : r.cells) c.back = forms::clDefault;
  model_->RowChanged(row);
}

TColor TPerfectGrid::RowForeColor(int row) const {
  return row >= 0 && row < Rows() ? model_->rows[static_cast<size_t>(row)].fore : forms::clDefault;
}

void TPerfectGrid::SetRowForeColor(int row, TColor color) {
  if (row < 0 || row >= Rows()) return;
  GridRow& r = model_->rows[static_cast<size_t>(row)];
  r.fore = color;
  for (GridCell& c : r.cells) c.fore = forms::clDefault;
  model_->RowChanged(row);
}

TFontSpec TPerfectGrid::RowFont(int row) const {
  if (row < 0 || row >= Rows()) return Font();
  const int index = model_->rows[static_cast<size_t>(row)].font;
  return index >= 0 ? model_->fontSpecs[static_cast<size_t>(index)] : Font();
}

void TPerfectGrid::SetRowFont(int row, const TFontSpec& font) {
  if (row < 0 || row >= Rows()) return;
  GridRow& r = model_->rows[static_cast<size_t>(row)];
  r.font = model_->FontIndex(font);
  for (GridCell& c : r.cells) c.font = -1;
  model_->RowChanged(row);
}

void TPerfectGrid::ResetRowFont(int row) {
  if (row < 0 || row >= Rows()) return;
  GridRow& r = model_->rows[static_cast<size_t>(row)];
  r.font = -1;
  for (GridCell& c : r.cells) c.font = -1;
  model_->RowChanged(row);
}

// ---- heading ----

TGridSortMark TPerfectGrid::SortMark(int col) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return gsNone;
  return model_->columns[static_cast<size_t>(mc)].mark;
}

void TPerfectGrid::SetSortMark(int col, TGridSortMark mark) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return;
  model_->columns[static_cast<size_t>(mc)].mark = mark;
  model_->HeadingChanged(mc);
}

// ---- colours ----

void TPerfectGrid::SetForeColor(TColor color) { foreColor_ = color; Repaint(); }
void TPerfectGrid::SetFixedBackColor(TColor color) { fixedBackColor_ = color; Repaint(); }
void TPerfectGrid::SetFixedBorderColor(TColor color) { fixedBorderColor_ = color; Repaint(); }
void TPerfectGrid::SetBackColor(TColor color) { backColor_ = color; Repaint(); }
void TPerfectGrid::SetOddRowBackColor(TColor color) { oddRowBackColor_ = color; Repaint(); }
void TPerfectGrid::SetFocusBorderColor(TColor color) { focusBorderColor_ = color; Repaint(); }
void TPerfectGrid::SetBorderColor(TColor color) { borderColor_ = color; Repaint(); }
void TPerfectGrid::SetThruBorderColor(TColor color) { thruBorderColor_ = color; Repaint(); }
void TPerfectGrid::SetDisabledColor(TColor color) { disabledColor_ = color; Repaint(); }

void TPerfectGrid::SetVoidAreaColor(TColor color) {
  voidAreaColor_ = color;
  ApplyViewColors();
}

void TPerfectGrid::ApplyViewColors() {
  for (QTableView* view : {static_cast<QTableView*>(this), frozen_}) {
    QPalette p = view->viewport()->palette();
    p.setColor(QPalette::Base, forms::ToQColor(voidAreaColor_));
    p.setColor(QPalette::Window, forms::ToQColor(voidAreaColor_));
    view->viewport()->setPalette(p);
  }
  Repaint();
}

void TPerfectGrid::Repaint() {
  if (!redraw_) return;
  viewport()->update();
  header_->viewport()->update();
  if (frozen_) {
    frozen_->viewport()->update();
    frozenHeader_->viewport()->update();
  }
}

void TPerfectGrid::SetRedraw(bool value) {
  if (redraw_ == value) return;
  redraw_ = value;
  setUpdatesEnabled(value);
  if (value) Repaint();
}

// ---- current cell and scrolling ----

int TPerfectGrid::CurrentModelRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : -1;
}

int TPerfectGrid::CurrentModelColumn() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.column() : -1;
}

int TPerfectGrid::Col() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.column() - model_->fixedLefts : 0;
}

int TPerfectGrid::Row() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() : kNoRow;
}

void TPerfectGrid::SetCurCell(int col, int row) {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount() || row < 0 || row >= Rows()) return;
  const QModelIndex index = model_->index(row, mc);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  scrollTo(index);
}

void TPerfectGrid::SetSelectMode(TGridSelectMode mode) {
  selectMode_ = mode;
  Repaint();
}

int TPerfectGrid::TopRow() const { return Rows() ? verticalScrollBar()->value() : 0; }

void TPerfectGrid::SetTopRow(int row) { verticalScrollBar()->setValue(std::clamp(row, 0, std::max(Rows() - 1, 0))); }

int TPerfectGrid::VisibleRows() const {
  int used = 0, count = 0;
  for (int r = TopRow(); r < Rows(); ++r) {
    used += rowHeight(r);
    if (used > viewport()->height()) break;
    ++count;
  }
  return count;
}

QRect TPerfectGrid::CellRect(int col, int row) const {
  const int mc = ModelCol(col);
  if (mc < 0 || mc >= model_->columnCount()) return {};
  const bool frozenCol = mc < model_->fixedLefts;
  if (row == kHeadingRow) {
    const QHeaderView* h = frozenCol ? frozenHeader_ : header_;
    if (!h->isVisible() || h->isSectionHidden(mc)) return {};
    const QRect r(h->sectionViewportPosition(mc), 0, h->sectionSize(mc), h->height());
    return QRect(h->viewport()->mapTo(this, r.topLeft()), r.size());
  }
  if (row < 0 || row >= Rows()) return {};
  const QTableView* view = frozenCol ? frozen_ : this;
  const QRect r = view->visualRect(model_->index(row, mc));
  if (!r.isValid()) return {};
  return QRect(view->viewport()->mapTo(this, r.topLeft()), r.size());
}

void TPerfectGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid()) return;
  const int hValue = horizontalScrollBar()->value();
  QTableView::scrollTo(index, hint);
  if (index.column() < model_->fixedLefts) {
    // A frozen cell is always in sight: only the rows scroll.
    horizontalScrollBar()->setValue(hValue);
    return;
  }
  int frozenWidth = 0;
  for (int mc = 0; mc < model_->fixedLefts; ++mc) frozenWidth += model_->columns[static_cast<size_t>(mc)].width;
  const QRect r = visualRect(index);
  if (frozenWidth > 0 && r.left() < frozenWidth) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (frozenWidth - r.left()));
  }
}

QModelIndex TPerfectGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
  const QModelIndex before = currentIndex();
  const QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
  if (!noBeep_ && before.isValid() && next == before &&
      (cursorAction == MoveUp || cursorAction == MoveDown || cursorAction == MoveLeft || cursorAction == MoveRight)) {
    forms::Application().Beep();
  }
  return next;
}

void TPerfectGrid::CurrentChanged(const QModelIndex& now, const QModelIndex& before) {
  Repaint();
  if (quiet_) return;
  QPointer<QWidget> alive(this);
  if (before.isValid() && before.row() < Rows()) {
    const int col = before.column() - model_->fixedLefts, row = before.row();
    forms::Guard([&] {
      if (OnCellLostFocus) OnCellLostFocus(this, col, row);
    });
  }
  if (!alive) return;
  if (now.isValid()) {
    const int col = now.column() - model_->fixedLefts, row = now.row();
    forms::Guard([&] {
      if (OnCellGotFocus) OnCellGotFocus(this, col, row);
    });
  }
}

// ---- keys ----

bool TPerfectGrid::WantsKey(int key, forms::TShiftState) {
  switch (key) {
    case forms::VK_LEFT: case forms::VK_RIGHT: case forms::VK_UP: case forms::VK_DOWN: case forms::VK_RETURN:
      return true;
    default:
      return false;
  }
}

void TPerfectGrid::KeyDown(int& key, forms::TShiftState shift) {
  TControl::KeyDown(key, shift);
  if (key == forms::VK_SPACE && !(shift & forms::kModifierKeys)) {
    const int mc = CurrentModelColumn(), r = CurrentModelRow();
    if (mc >= 0 && r >= 0 && model_->columns[static_cast<size_t>(mc)].kind == gkCheck) {
      ToggleCheck(mc, r);
      key = 0;
    }
  }
}

void TPerfectGrid::focusInEvent(QFocusEvent* event) {
  // The view's own focus handling would make the first cell current; here the dialogs decide
  // which cell is current.
  QAbstractScrollArea::focusInEvent(event);
  Repaint();
}

void TPerfectGrid::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  Repaint();
}

void TPerfectGrid::keyboardSearch(const QString&) {
  // Typed characters belong to the dialogs (their own incremental search), not to the view.
}

// ---- mouse ----

void TPerfectGrid::mousePressEvent(QMouseEvent* event) {
  PressAt(this, event->position().toPoint(), event->button(), event->modifiers());
}

void TPerfectGrid::mouseReleaseEvent(QMouseEvent* event) {
  ReleaseAt(this, event->position().toPoint(), event->button(), event->modifiers());
}

void TPerfectGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  DoubleClickAt(this, event->position().toPoint(), event->button(), event->modifiers());
}

void TPerfectGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = viewport()->mapTo(this, event->position().toPoint());
  forms::Guard([&] {
    if (OnMouseMove) OnMouseMove(this, forms::ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
  });
}

bool TPerfectGrid::eventFilter(QObject* watched, QEvent* event) {
  if (frozen_ && watched == frozen_->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        PressAt(frozen_, me->position().toPoint(), me->button(), me->modifiers());
        return true;
      }
      case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        ReleaseAt(frozen_, me->position().toPoint(), me->button(), me->modifiers());
        return true;
      }
      case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        DoubleClickAt(frozen_, me->position().toPoint(), me->button(), me->modifiers());
        return true;
      }
      case QEvent::Wheel:
        QCoreApplication::sendEvent(viewport(), event);
        return true;
      default:
        break;
    }
  }
  return QTableView::eventFilter(watched, event);
}

namespace {
forms::TMouseButton ButtonOf(Qt::MouseButton b) {
  return b == Qt::RightButton ? forms::mbRight : b == Qt::MiddleButton ? forms::mbMiddle : forms::mbLeft;
}
}  // namespace

void TPerfectGrid::PressAt(QTableView* view, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  QPointer<QWidget> alive(this);
  if (CanFocus() && !hasFocus()) SetFocus();
  const QModelIndex index = view->indexAt(pos);
  pressed_ = false;
  if (index.isValid() && isEnabled()) {
    pressed_ = button == Qt::LeftButton;
    pressCol_ = index.column();
    pressRow_ = index.row();
    if (index != currentIndex()) {
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
      if (!alive) return;
      scrollTo(index);
    }
    if (button == Qt::LeftButton && model_->columns[static_cast<size_t>(index.column())].kind == gkCheck) {
      ToggleCheck(index.column(), index.row());
      if (!alive) return;
    }
  }
  const QPoint p = view->viewport()->mapTo(this, pos);
  forms::Guard([&] {
    if (OnMouseDown) OnMouseDown(this, ButtonOf(button), forms::ShiftStateOf(modifiers, button), p.x(), p.y());
  });
}

void TPerfectGrid::ReleaseAt(QTableView* view, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  QPointer<QWidget> alive(this);
  const QModelIndex index = view->indexAt(pos);
  if (pressed_ && button == Qt::LeftButton && index.isValid() && index.column() == pressCol_ && index.row() == pressRow_) {
    pressed_ = false;
    const int col = index.column() - model_->fixedLefts, row = index.row();
    forms::Guard([&] {
      if (OnCellClick) OnCellClick(this, col, row);
    });
    if (!alive) return;
  }
  if (button == Qt::LeftButton) pressed_ = false;
  const QPoint p = view->viewport()->mapTo(this, pos);
  forms::Guard([&] {
    if (OnMouseUp) OnMouseUp(this, ButtonOf(button), forms::ShiftStateOf(modifiers), p.x(), p.y());
  });
}

void TPerfectGrid::DoubleClickAt(QTableView* view, QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  // The second press of a double click: a check cell toggles again, then the double click.
  QPointer<QWidget> alive(this);
  PressAt(view, pos, button, modifiers);
  if (!alive) return;
  pressed_ = false;  // its release is no click
  if (button == Qt::LeftButton && view->indexAt(pos).isValid()) forms::Guard([&] { DblClick(); });
}

void TPerfectGrid::HeadingClicked(int section) {
  const int col = section - model_->fixedLefts;
  forms::Guard([&] {
    if (OnCellClick) OnCellClick(this, col, kHeadingRow);
  });
}

void TPerfectGrid::ToggleCheck(int mc, int r) {
  GridCell& cell = model_->Cell(r, mc);
  cell.checked = !cell.checked;
  model_->CellChanged(r, mc);
  const bool checked = cell.checked;
  const int col = mc - model_->fixedLefts;
  forms::Guard([&] {
    if (OnCheckChange) OnCheckChange(this, col, r, checked);
  });
}

// ---- geometry and look ----

void TPerfectGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  UpdateFrozenGeometry();
}

void TPerfectGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange) Repaint();
}
