#pragma once
// Inside the list grid (PerfectGrid.h): its model, which holds the cells, rows and columns,
// and the parts that paint them. Columns are stored in model order, the frozen ones first
// (model column = grid column + FixedLefts); the heading texts live with the columns.
#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "ui/PerfectGrid.h"
#include "ui/forms/Graphics.h"
#include "ui/forms/Image.h"

class QAbstractItemDelegate;
class QHeaderView;
class QTableView;

namespace pgrid {

struct GridCell {
  QString text;
  forms::TPicture picture;
  bool checked = false;
  forms::TColor back = forms::clDefault;
  forms::TColor fore = forms::clDefault;
  int font = -1;  // index into the model's font table
};

struct GridRow {
  std::vector<GridCell> cells;
  forms::TColor back = forms::clDefault;
  forms::TColor fore = forms::clDefault;
  int font = -1;
};

struct GridColumn {
  int width = 64;
  forms::TAlignment align = forms::taLeftJustify;
  TGridCellKind kind = gkText;
  QString heading;
  TGridSortMark mark = gsNone;
};

}  // namespace pgrid

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
    const pgrid::GridCell& c = Cell(index.row(), index.column());
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
    const pgrid::GridColumn& col = columns[static_cast<size_t>(section)];
    switch (col.mark) {
      case gsAscending: return col.heading + QStringLiteral("▲");
      case gsDescending: return col.heading + QStringLiteral("▼");
      default: return col.heading;
    }
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

  pgrid::GridCell& Cell(int r, int c) { return rows[static_cast<size_t>(r)].cells[static_cast<size_t>(c)]; }
  const pgrid::GridCell& Cell(int r, int c) const { return rows[static_cast<size_t>(r)].cells[static_cast<size_t>(c)]; }

  // ---- structure ----
  void InsertRows(int at, int count) {
    beginInsertRows({}, at, at + count - 1);
    pgrid::GridRow blank;
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
    pgrid::GridColumn col;
    col.width = width;
    columns.insert(columns.begin() + at, static_cast<size_t>(count), col);
    for (pgrid::GridRow& r : rows) r.cells.insert(r.cells.begin() + at, static_cast<size_t>(count), pgrid::GridCell{});
    endInsertColumns();
  }
  void RemoveColumns(int at, int count) {
    beginRemoveColumns({}, at, at + count - 1);
    columns.erase(columns.begin() + at, columns.begin() + at + count);
    for (pgrid::GridRow& r : rows) r.cells.erase(r.cells.begin() + at, r.cells.begin() + at + count);
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
  int FontIndex(const forms::TFontSpec& wanted) {
    for (size_t i = 0; i < fontSpecs.size(); ++i) {
      if (fontSpecs[i] == wanted) return static_cast<int>(i);
    }
    fontSpecs.push_back(wanted);
    fonts.push_back(forms::ToQFont(wanted));
    return static_cast<int>(fontSpecs.size() - 1);
  }

  std::vector<pgrid::GridRow> rows;
  std::vector<pgrid::GridColumn> columns;
  std::vector<forms::TFontSpec> fontSpecs;
  std::vector<QFont> fonts;
  int fixedLefts = 0;
  int fixedTops = 1;
  int headingHeight = -1;  // -1: DefHeight

 private:
  TPerfectGrid* grid_;
};

namespace pgrid {

// The heading row of a view of the grid: flat sections in the grid's fixed colours.
QHeaderView* NewHeader(TPerfectGrid* grid, QWidget* parent);
// The painter of every cell, shared by the grid's views.
QAbstractItemDelegate* NewDelegate(TPerfectGrid* grid, QObject* parent);
// A view of the grid's model set up as the grid shows it: no grid lines of its own, no
// selection, no editing, rows scrolled whole, columns sideways by pixels.
void SetupView(QTableView* view, QHeaderView* header);

}  // namespace pgrid
