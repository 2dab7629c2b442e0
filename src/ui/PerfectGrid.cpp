#include "ui/PerfectGrid.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <vector>

#include "ui/forms/Application.h"

using forms::TColor;
using forms::TFontSpec;

// ---------------------------------------------------------------------------------------
// The model: the grid's cells, rows and columns. Columns are stored in model order, the
// frozen ones first (model column = grid column + FixedLefts).

namespace {

struct GridCell {
  QString text;
  forms::TPicture picture;
  bool checked = false;
  TColor back = forms::clDefault;
  TColor fore = forms::clDefault;
  int font = -1;  // index into the model's font table
};

struct GridRow {
  std::vector<GridCell> cells;
  TColor back = forms::clDefault;
  TColor fore = forms::clDefault;
  int font = -1;
};

struct GridColumn {
  int width = 64;
  forms::TAlignment align = forms::taLeftJustify;
  TGridCellKind kind = gkText;
  QString heading;
  TGridSortMark mark = gsNone;
};

const forms::TPicture& EmptyPicture() {
  static const forms::TPicture empty;
  return empty;
}

}  // namespace

class TPerfectGridModel : public QAbstractTableModel {
 public:
  explicit TPerfectGridModel(TPerfectGrid* grid) : grid_(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const GridCell& c = Cell(index.row(), index.column());
    switch (role) {
      case Qt::DisplayRole:
        return c.text;
      case Qt::CheckStateRole:
        if (columns[static_cast<size_t>(index.column())].kind == gkCheck) return c.checked ? Qt::Checked : Qt::Unchecked;
        return {};
      default:
        return {};
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount()) {
      return {};
    }
    const GridColumn& col = columns[static_cast<size_t>(section)];
    switch (col.mark) {
      case gsAscending: return col.heading + QStringLiteral("▲");
      case gsDescending: return col.heading + QStringLiteral("▼");
      default: return col.heading;
    }
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

  GridCell& Cell(int r, int c) { return rows[static_cast<size_t>(r)].cells[static_cast<size_t>(c)]; }
  const GridCell& Cell(int r, int c) const { return rows[static_cast<size_t>(r)].cells[static_cast<size_t>(c)]; }

  // ---- structure ----
  void InsertRows(int at, int count) {
    beginInsertRows({}, at, at + count - 1);
    GridRow blank;
    blank.cells.resize(columns.size());
    rows.insert(rows.begin() + at, static_cast<size_t>(count), blank);
    endInsertRows();
  }
  void RemoveRows(int at, int count) {
    beginRemoveRows({}, at, at + count - 1);
    rows.erase(rows.begin() + at, rows.begin() + at + count);
    endRemoveRows();
  }
  void InsertColumns(int at, int count, int width) {
    beginInsertColumns({}, at, at + count - 1);
    GridColumn col;
    col.width = width;
    columns.insert(columns.begin() + at, static_cast<size_t>(count), col);
    for (GridRow& r : rows) r.cells.insert(r.cells.begin() + at, static_cast<size_t>(count), GridCell{});
    endInsertColumns();
  }
  void RemoveColumns(int at, int count) {
    beginRemoveColumns({}, at, at + count - 1);
    columns.erase(columns.begin() + at, columns.begin() + at + count);
    for (GridRow& r : rows) r.cells.erase(r.cells.begin() + at, r.cells.begin() + at + count);
    endRemoveColumns();
  }

  // ---- change notices (repaints; none while drawing is off) ----
  void CellChanged(int r, int c) {
    if (grid_->Redraw()) emit dataChanged(index(r, c), index(r, c));
  }
  void RowChanged(int r) {
    if (grid_->Redraw() && !columns.empty()) emit dataChanged(index(r, 0), index(r, columnCount() - 1));
  }
  void HeadingChanged(int c) {
    if (grid_->Redraw()) emit headerDataChanged(Qt::Horizontal, c, c);
  }

  // ---- fonts: one table per grid, cells and rows hold an index ----
  int FontIndex(const TFontSpec& spec) {
    for (size_t i = 0; i < fontSpecs.size(); ++i) {
      if (fontSpecs[i] == spec) return static_cast<int>(i);
    }
    fontSpecs.push_back(spec);
    fonts.push_back(forms::ToQFont(spec));
    return static_cast<int>(fontSpecs.size() - 1);
  }

  std::vector<GridRow> rows;
  std::vector<GridColumn> columns;
  std::vector<TFontSpec> fontSpecs;
  std::vector<QFont> fonts;
  int fixedLefts = 0;
  int fixedTops = 1;
  int headingHeight = -1;  // -1: DefHeight

 private:
  TPerfectGrid* grid_;
};

// ---------------------------------------------------------------------------------------
// The heading: flat sections in the fixed colours, the text centred.

class TPerfectGridHeader : public QHeaderView {
 public:
  TPerfectGridHeader(TPerfectGrid* grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), grid_(grid) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(0);
    setDefaultAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    if (!rect.isValid()) return;
    painter->save();
    painter->fillRect(rect, forms::ToQColor(grid_->FixedBackColor()));
    painter->setPen(forms::ToQColor(grid_->FixedBorderColor()));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->setPen(forms::ToQColor(grid_->ThruBorderColor()));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (logicalIndex == grid_->FixedLefts() - 1) painter->drawLine(rect.topRight(), rect.bottomRight());
    const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
    painter->setPen(forms::ToQColor(grid_->isEnabled() ? grid_->ForeColor() : grid_->DisabledColor()));
    painter->setFont(grid_->font());
    painter->drawText(rect.adjusted(2, 0, -2, -1), Qt::AlignCenter | Qt::TextSingleLine, text);
    painter->restore();
  }

 private:
  TPerfectGrid* grid_;
};

// ---------------------------------------------------------------------------------------
// The painter of every cell, in both views.

namespace {

class TPerfectGridDelegate : public QStyledItemDelegate {
 public:
  TPerfectGridDelegate(TPerfectGrid* grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const TPerfectGridModel& m = grid_->Model();
    const int r = index.row(), c = index.column();
    if (r < 0 || c < 0 || r >= m.rowCount() || c >= m.columnCount()) return;
    const GridRow& row = m.rows[static_cast<size_t>(r)];
    const GridCell& cell = row.cells[static_cast<size_t>(c)];
    const GridColumn& col = m.columns[static_cast<size_t>(c)];
    const bool fixed = c < m.fixedLefts;
    const QRect rect = option.rect;

    TColor back = cell.back;
    if (back == forms::clDefault && !fixed) back = row.back;
    if (back == forms::clDefault) back = fixed ? grid_->FixedBackColor() : (r % 2 ? grid_->OddRowBackColor() : grid_->BackColor());
    TColor fore = cell.fore != forms::clDefault ? cell.fore : row.fore != forms::clDefault ? row.fore : grid_->ForeColor();
    if (!grid_->isEnabled()) fore = grid_->DisabledColor();
    const int fontIndex = cell.font >= 0 ? cell.font : row.font;

    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, forms::ToQColor(back));
    const QColor foreColor = forms::ToQColor(fore);

    QRect inner = rect.adjusted(2, 0, -2, -1);
    if (col.kind == gkCheck) {
      const int side = std::min({13, rect.width() - 2, rect.height() - 2});
      if (side > 4) {
        const QRect box(rect.left() + (rect.width() - side) / 2, rect.top() + (rect.height() - side) / 2, side, side);
        painter->fillRect(box, Qt::white);
        painter->setPen(foreColor);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (cell.checked) {
          QPen pen(foreColor, 2);
          painter->setPen(pen);
          const QPointF a(box.left() + side * 0.22, box.top() + side * 0.52);
          const QPointF b(box.left() + side * 0.42, box.top() + side * 0.74);
          const QPointF d(box.left() + side * 0.80, box.top() + side * 0.26);
          painter->drawLine(a, b);
          painter->drawLine(b, d);
        }
      }
    } else {
      if (!cell.picture.Empty()) {
        const QImage& image = cell.picture.Image();
        const int y = rect.top() + (rect.height() - image.height()) / 2;
        if (cell.text.isEmpty()) {
          painter->drawImage(QPoint(rect.left() + (rect.width() - image.width()) / 2, y), image);
        } else {
          painter->drawImage(QPoint(inner.left(), y), image);
          inner.setLeft(inner.left() + image.width() + 2);
        }
      }
      if (!cell.text.isEmpty()) {
        painter->setFont(fontIndex >= 0 ? m.fonts[static_cast<size_t>(fontIndex)] : grid_->font());
        painter->setPen(foreColor);
        int align = Qt::AlignVCenter | Qt::TextSingleLine;
        switch (col.align) {
          case forms::taRightJustify: align |= Qt::AlignRight; break;
          case forms::taCenter: align |= Qt::AlignHCenter; break;
          default: align |= Qt::AlignLeft; break;
        }
        painter->drawText(inner, align, cell.text);
      }
    }

    // Grid lines right and below; the frozen columns end with the through line.
    painter->setPen(forms::ToQColor(fixed ? grid_->FixedBorderColor() : grid_->BorderColor()));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (c == m.fixedLefts - 1) painter->setPen(forms::ToQColor(grid_->ThruBorderColor()));
    painter->drawLine(rect.topRight(), rect.bottomRight());

    // The focus frame: the current cell, or the current row.
    if (grid_->hasFocus() && r == grid_->CurrentModelRow() &&
        (grid_->SelectMode() == gsRow || c == grid_->CurrentModelColumn())) {
      QPen pen(forms::ToQColor(grid_->FocusBorderColor()), 2);
      pen.setJoinStyle(Qt::MiterJoin);
      painter->setPen(pen);
      const QRect f = rect.adjusted(1, 1, -1, -1);
      painter->drawLine(f.topLeft(), f.topRight());
      painter->drawLine(f.bottomLeft(), f.bottomRight());
      const bool first = grid_->SelectMode() == gsCell || IsEdgeColumn(c, -1);
      const bool last = grid_->SelectMode() == gsCell || IsEdgeColumn(c, +1);
      if (first) painter->drawLine(f.topLeft(), f.bottomLeft());
      if (last) painter->drawLine(f.topRight(), f.bottomRight());
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(grid_->DefWidth(), grid_->DefHeight());
  }

 private:
  // No shown column lies beyond `c` in direction `step`.
  bool IsEdgeColumn(int c, int step) const {
    const TPerfectGridModel& m = grid_->Model();
    for (int i = c + step; i >= 0 && i < m.columnCount(); i += step) {
      if (m.columns[static_cast<size_t>(i)].width > 0) return false;
    }
    return true;
  }

  TPerfectGrid* grid_;
};

void SetupView(QTableView* view, QHeaderView* header) {
  view->setHorizontalHeader(header);
  view->verticalHeader()->hide();
  view->verticalHeader()->setMinimumSectionSize(0);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->setShowGrid(false);
  view->setWordWrap(false);
  view->setCornerButtonEnabled(false);
  view->setTabKeyNavigation(false);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setSelectionMode(QAbstractItemView::NoSelection);
  // Row behaviour keeps a heading press from moving the current cell.
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  view->setAutoScroll(false);
  view->setDragEnabled(false);
  view->viewport()->setAutoFillBackground(true);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The grid

TPerfectGrid::TPerfectGrid(QWidget* parent)
    : TWidgetControl<QTableView>(parent), model_(std::make_unique<TPerfectGridModel>(this)) {
  header_ = new TPerfectGridHeader(this, this);
  SetupView(this, header_);
  setModel(model_.get());
  setItemDelegate(new TPerfectGridDelegate(this, this));

  // The frozen columns: a second view of the same model over the left edge, sharing the
  // current cell, scrolled up and down with the grid but never sideways.
  frozen_ = new QTableView(this);
  frozenHeader_ = new TPerfectGridHeader(this, frozen_);
  SetupView(frozen_, frozenHeader_);
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
    const QHeaderView* h = frozenCol ? static_cast<QHeaderView*>(frozenHeader_) : static_cast<QHeaderView*>(header_);
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

bool TPerfectGrid::CellAt(QPoint pos, int& col, int& row) const {
  // The frozen view lies over the grid: it answers first.
  for (const QTableView* view : {static_cast<const QTableView*>(frozen_), static_cast<const QTableView*>(this)}) {
    if (!view->isVisible() && view != this) continue;
    const QHeaderView* h = view->horizontalHeader();
    const QPoint inHeader = h->viewport()->mapFrom(this, pos);
    if (h->isVisible() && h->viewport()->rect().contains(inHeader)) {
      const int mc = h->logicalIndexAt(inHeader.x());
      if (mc < 0) return false;
      col = mc - model_->fixedLefts;
      row = kHeadingRow;
      return true;
    }
    const QPoint inView = view->viewport()->mapFrom(this, pos);
    if (view->viewport()->rect().contains(inView)) {
      const QModelIndex index = view->indexAt(inView);
      if (!index.isValid()) {
        if (view == this) return false;
        continue;
      }
      col = index.column() - model_->fixedLefts;
      row = index.row();
      return true;
    }
  }
  return false;
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
