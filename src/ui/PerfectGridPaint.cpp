// How the list grid looks: the heading sections and the cells, painted in the grid's colours.
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>

#include "ui/PerfectGridModel.h"

using forms::TColor;

namespace {

using pgrid::GridCell;
using pgrid::GridColumn;
using pgrid::GridRow;

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

// The painter of every cell, in both views.
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

}  // namespace

namespace pgrid {

QHeaderView* NewHeader(TPerfectGrid* grid, QWidget* parent) { return new TPerfectGridHeader(grid, parent); }

QAbstractItemDelegate* NewDelegate(TPerfectGrid* grid, QObject* parent) { return new TPerfectGridDelegate(grid, parent); }

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

}  // namespace pgrid
