// The list grid: what it shows (rows, the heading, frozen columns, colours, pictures, check
// cells) and the events it raises for the mouse and the keyboard. Writes
// ui_grid_screenshot.png into the working directory for a person to look at.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Form.h"

using namespace forms;

namespace {

constexpr TColor kEven = RGB(255, 255, 255);
constexpr TColor kOdd = RGB(0xE1, 0xF0, 0xFF);
constexpr TColor kDamaged = RGB(255, 0, 0);
constexpr TColor kFixed = RGB(0xDB, 0xDB, 0xDB);

class TGridForm : public TForm {
 public:
  explicit TGridForm(QWidget* owner) : TForm(owner) {
    SetName("TGridForm");
    SetCaption("データ選択");
    SetBorderStyle(bsDialog);
    SetClientSize(420, 200);
    Grid = new TPerfectGrid(this);
    Grid->SetName("PerfectGrid1");
    Grid->SetBounds(8, 8, 404, 184);
  }
  TPerfectGrid* Grid = nullptr;
};

// A grid as the data lists fill it: a hidden row header holding the record number, one
// visible frozen column, a code, a name, a hidden value column, a check column and a
// picture column; rows coloured by parity, one damaged row in red.
void FillList(TPerfectGrid& g, int rows) {
  g.SetFixedLefts(2);
  g.SetCols(6);
  g.SetColWidth(-2, 0);
  g.SetColWidth(-1, 36);
  const int widths[] = {60, 150, 0, 40, 36, 120};
  const char* headings[] = {"コード", "データ名", "鍵", "選択", "共有", "備考"};
  for (int c = 0; c < 6; ++c) {
    g.SetColWidth(c, widths[c]);
    g.SetCellText(c, TPerfectGrid::kHeadingRow, headings[c]);
  }
  g.SetCellText(-1, TPerfectGrid::kHeadingRow, "No");
  g.SetColAlign(-1, taRightJustify);
  g.SetColKind(3, gkCheck);
  g.SetFixedBackColor(kFixed);
  g.SetBackColor(kEven);
  g.SetOddRowBackColor(kOdd);
  g.InsertRows(0, rows);
  QImage icon(12, 12, QImage::Format_RGB32);
  icon.fill(QColor(0, 0, 200));
  TPicture picture;
  picture.Assign(icon, TGraphicKind::Bitmap);
  for (int r = 0; r < rows; ++r) {
    g.SetCellText(-2, r, std::to_string(1000 + r));
    g.SetCellText(-1, r, std::to_string(r + 1));
    g.SetCellText(0, r, "C" + std::to_string(r));
    g.SetCellText(1, r, "株式会社サンプル" + std::to_string(r));
    g.SetCellText(2, r, "0");
    if (r % 3 == 0) g.SetCellPicture(4, r, picture);
    g.SetRowBackColor(r, r % 2 ? kOdd : kEven);
  }
  g.SetCellChecked(3, 1, true);
  g.SetRowBackColor(2, kDamaged);
}

// A pixel of a cell's background: near its right edge, clear of text and frames.
QColor PixelAt(const QImage& image, const TPerfectGrid& g, int col, int row) {
  const QRect r = g.CellRect(col, row);
  return image.pixelColor(r.right() - 5, r.top() + 3);
}

// A mouse click on a cell (row -1: its heading) at the widget that lies there, as a real
// mouse would deliver it; `twice` adds the double click.
void ClickCell(TPerfectGrid& g, int col, int row, bool twice = false) {
  const QRect r = g.CellRect(col, row);
  ASSERT_FALSE(r.isEmpty()) << "cell " << col << "," << row << " is not shown";
  const QPoint p = r.center();
  QWidget* target = g.childAt(p);
  ASSERT_NE(target, nullptr);
  const QPoint local = target->mapFrom(&g, p);
  uitest::Click(target, local);
  if (twice) {
    const QPointF l(local), gl(target->mapToGlobal(local));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, l, gl, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dbl);
    QMouseEvent up(QEvent::MouseButtonRelease, l, gl, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &up);
    uitest::Pump();
  }
}

TEST(PerfectGrid, ShowsRowsFrozenColumnsColoursAndCheckCells) {
  auto* form = CreateForm<TGridForm>(nullptr);
  TPerfectGrid& g = *form->Grid;
  FillList(g, 40);
  uitest::ShowActive(*form);
  g.SetFocus();
  g.SetCurCell(0, 0);
  uitest::Pump();
  EXPECT_EQ(g.Rows(), 40);
  EXPECT_EQ(g.Cols(), 6);

  QImage image = g.grab().toImage();
  ASSERT_TRUE(form->grab().save(QStringLiteral("ui_grid_screenshot.png")));
  EXPECT_EQ(PixelAt(image, g, 1, 0), ToQColor(kEven));
  EXPECT_EQ(PixelAt(image, g, 1, 1), ToQColor(kOdd));
  EXPECT_EQ(PixelAt(image, g, 1, 2), ToQColor(kDamaged));
  EXPECT_EQ(PixelAt(image, g, -1, 1), ToQColor(kFixed)) << "frozen cells keep the fixed colour";
  EXPECT_EQ(PixelAt(image, g, 0, TPerfectGrid::kHeadingRow), ToQColor(kFixed));
  EXPECT_TRUE(g.CellRect(-2, 0).isEmpty()) << "a width-0 column is hidden";
  EXPECT_TRUE(g.CellRect(2, 0).isEmpty());
  EXPECT_EQ(image.pixelColor(g.CellRect(4, 0).center()), QColor(0, 0, 200)) << "the picture, centred";

  // The check cell: a tick in the ticked one, an empty box in the other.
  auto darkIn = [&](int row) {
    const QRect box = g.CellRect(3, row).adjusted(12, 4, -12, -4);
    int dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
      for (int x = box.left(); x <= box.right(); ++x) dark += qGray(image.pixel(x, y)) < 80;
    }
    return dark;
  };
  EXPECT_GT(darkIn(1), darkIn(0) + 8);

  // Scrolled sideways the frozen column stays, the others move under it.
  const QRect frozenBefore = g.CellRect(-1, 0);
  const QRect nameBefore = g.CellRect(1, 0);
  g.horizontalScrollBar()->setValue(g.horizontalScrollBar()->maximum());
  uitest::Pump();
  ASSERT_GT(g.horizontalScrollBar()->maximum(), 0) << "the grid is narrower than its columns";
  EXPECT_EQ(g.CellRect(-1, 0), frozenBefore);
  EXPECT_LT(g.CellRect(1, 0).left(), nameBefore.left());
  image = g.grab().toImage();
  EXPECT_EQ(PixelAt(image, g, -1, 1), ToQColor(kFixed));

  // Rows scroll by whole rows; the frozen column scrolls with them.
  g.SetTopRow(10);
  uitest::Pump();
  EXPECT_EQ(g.TopRow(), 10);
  EXPECT_EQ(g.CellRect(-1, 10).top(), g.CellRect(0, 10).top());
  EXPECT_GT(g.VisibleRows(), 5);

  // Cells are painted, not built from widgets: the widget count does not grow with the rows.
  const auto widgets = g.findChildren<QWidget*>().size();
  g.InsertRows(g.Rows(), 2000);
  for (int r = 40; r < g.Rows(); ++r) g.SetCellText(1, r, "x");
  uitest::Pump();
  EXPECT_EQ(g.findChildren<QWidget*>().size(), widgets);
  form->Free();
}

TEST(PerfectGrid, RaisesItsEventsForClicksAndKeys) {
  auto* form = CreateForm<TGridForm>(nullptr);
  TPerfectGrid& g = *form->Grid;
  FillList(g, 8);
  std::vector<std::string> log;
  auto cell = [](const char* what, int c, int r) { return std::string(what) + " " + std::to_string(c) + "," + std::to_string(r); };
  g.OnCellGotFocus = [&](QObject*, int c, int r) { log.push_back(cell("got", c, r)); };
  g.OnCellLostFocus = [&](QObject*, int c, int r) { log.push_back(cell("lost", c, r)); };
  g.OnCellClick = [&](QObject*, int c, int r) { log.push_back(cell("click", c, r)); };
  g.OnDblClick = [&](QObject*) { log.push_back("dblclick"); };
  g.OnCheckChange = [&](QObject*, int c, int r, bool on) { log.push_back(cell(on ? "ticked" : "cleared", c, r)); };
  g.OnKeyDown = [&](QObject*, int& key, TShiftState) { log.push_back("keydown " + std::to_string(key)); };
  g.OnKeyPress = [&](QObject*, char32_t& ch) { log.push_back("keypress " + std::to_string(static_cast<int>(ch))); };
  uitest::ShowActive(*form);

  ClickCell(g, 1, 2);
  EXPECT_EQ(log, (std::vector<std::string>{"got 1,2", "click 1,2"}));
  EXPECT_EQ(uitest::FocusedName(), "PerfectGrid1");
  log.clear();

  // A heading click reports row -1 and leaves the current cell where it was.
  ClickCell(g, 0, TPerfectGrid::kHeadingRow);
  EXPECT_EQ(log, (std::vector<std::string>{"click 0,-1"}));
  EXPECT_EQ(g.Row(), 2);
  log.clear();

  // Keys: the dialog sees each key first; the arrows then move the current cell, and the
  // hidden column 2 is passed over.
  uitest::Key(Qt::Key_Down);
  uitest::Key(Qt::Key_Right);
  uitest::Key(Qt::Key_Right);
  EXPECT_EQ(log, (std::vector<std::string>{"keydown 40", "lost 1,2", "got 1,3", "keydown 39", "lost 1,3", "got 3,3",
                                           "keydown 39", "lost 3,3", "got 4,3"}));
  log.clear();

  // Letters are the dialog's (its incremental search), not a jump of the view.
  uitest::Type("A");
  uitest::Key(Qt::Key_Return);
  EXPECT_EQ(log, (std::vector<std::string>{"keydown 65", "keypress 65", "keydown 13", "keypress 13"}));
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.Col(), 4);
  log.clear();

  // Check cells: a click and Space toggle them.
  ClickCell(g, 3, 1);
  uitest::Key(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_EQ(log, (std::vector<std::string>{"lost 4,3", "got 3,1", "cleared 3,1", "click 3,1", "keydown 32", "ticked 3,1",
                                           "keypress 32"}));
  EXPECT_TRUE(g.CellChecked(3, 1));
  log.clear();

  // A frozen cell is a cell like the others; a double click on a row.
  ClickCell(g, -1, 5, true);
  EXPECT_EQ(log, (std::vector<std::string>{"lost 3,1", "got -1,5", "click -1,5", "dblclick"}));
  EXPECT_EQ(g.Col(), -1);
  form->Free();
}

TEST(PerfectGrid, RowsComeAndGoWithoutCellEvents) {
  auto* form = CreateForm<TGridForm>(nullptr);
  TPerfectGrid& g = *form->Grid;
  FillList(g, 6);
  uitest::ShowActive(*form);
  g.SetCurCell(1, 4);
  int events = 0;
  g.OnCellGotFocus = [&](QObject*, int, int) { ++events; };
  g.OnCellLostFocus = [&](QObject*, int, int) { ++events; };

  // Rows inserted above the current one push it down; deleting other rows keeps it.
  g.InsertRows(0, 2);
  EXPECT_EQ(g.Row(), 6);
  EXPECT_EQ(g.CellText(0, 6), "C4");
  g.DeleteRows(0, 1);
  EXPECT_EQ(g.Row(), 5);
  // Deleting the current row leaves none current.
  g.DeleteRows(5, 1);
  EXPECT_EQ(g.Row(), TPerfectGrid::kNoRow);
  g.SetCurCell(0, 0);
  g.DeleteAllRows();
  EXPECT_EQ(g.Row(), TPerfectGrid::kNoRow);
  EXPECT_EQ(g.Rows(), 0);
  EXPECT_EQ(events, 1) << "only SetCurCell(0, 0) raised one";

  // The row count stays below the row-number limit.
  g.InsertRows(0, TPerfectGrid::kMaxRows + 5);
  EXPECT_EQ(g.Rows(), TPerfectGrid::kMaxRows);
  form->Free();
}

}  // namespace
