// The list grid with 10,000 rows of 12 columns, off-screen.
//
//   BM_GridFirstPaint   fill the rows cell by cell as the dialogs do, show the grid and paint
//                       it once: the time until the list is first on screen;
//   BM_GridScrollStep   one step down by a row and the paint that follows: the time per
//                       scroll step.
//
// Counters: widgets, the widgets the grid holds with all rows filled (a handful, whatever the
// row count: cells are painted, not built from widgets); paints, viewport paints per step.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <memory>
#include <string>

#include "ui/PerfectGrid.h"
#include "ui/forms/Application.h"
#include "ui/forms/Form.h"

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 12;

forms::TForm* MakeForm(TPerfectGrid*& grid) {
  auto* form = forms::CreateForm<forms::TForm>(nullptr);
  form->SetClientSize(980, 400);
  grid = new TPerfectGrid(form);
  grid->SetBounds(8, 8, 964, 384);
  grid->SetFixedLefts(1);
  grid->SetColWidth(-1, 0);
  grid->SetCols(kCols);
  for (int c = 0; c < kCols; ++c) {
    grid->SetColWidth(c, c == 1 ? 200 : 70);
    grid->SetCellText(c, TPerfectGrid::kHeadingRow, "列" + std::to_string(c));
  }
  return form;
}

void Fill(TPerfectGrid& grid) {
  grid.InsertRows(0, kRows);
  for (int r = 0; r < kRows; ++r) {
    grid.SetCellText(-1, r, std::to_string(r + 1));
    for (int c = 0; c < kCols; ++c) grid.SetCellText(c, r, c == 1 ? "株式会社サンプル商事" : std::to_string(r * kCols + c));
    grid.SetRowBackColor(r, r % 2 ? 0xFFF0E1 : 0xFFFFFF);
  }
  grid.SetCurCell(0, 0);
}

void BM_GridFirstPaint(benchmark::State& state) {
  size_t widgets = 0;
  for (auto _ : state) {
    TPerfectGrid* grid = nullptr;
    forms::TForm* form = MakeForm(grid);
    Fill(*grid);
    form->Show();
    for (int i = 0; i < 100 && !form->testAttribute(Qt::WA_Mapped); ++i) QCoreApplication::processEvents();
    grid->viewport()->repaint();
    widgets = static_cast<size_t>(grid->findChildren<QWidget*>().size());
    state.PauseTiming();
    form->Free();
    state.ResumeTiming();
  }
  state.counters["widgets"] = static_cast<double>(widgets);
}
BENCHMARK(BM_GridFirstPaint)->Unit(benchmark::kMillisecond);

struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};
PaintCounter& Painted() {
  static PaintCounter counter;
  return counter;
}

void BM_GridScrollStep(benchmark::State& state) {
  TPerfectGrid* grid = nullptr;
  forms::TForm* form = MakeForm(grid);
  grid->viewport()->installEventFilter(&Painted());
  Fill(*grid);
  form->Show();
  for (int i = 0; i < 100 && !form->testAttribute(Qt::WA_Mapped); ++i) QCoreApplication::processEvents();
  if (!form->testAttribute(Qt::WA_Mapped)) state.SkipWithError("the grid is not on screen");
  int top = 0;
  for (auto _ : state) {
    top = top + 1 < kRows - grid->VisibleRows() ? top + 1 : 0;
    grid->SetTopRow(top);
    QCoreApplication::processEvents();  // the scrolled view is painted as on screen
  }
  state.counters["paints"] = benchmark::Counter(static_cast<double>(Painted().paints), benchmark::Counter::kAvgIterations);
  form->Free();
}
BENCHMARK(BM_GridScrollStep)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  forms::Application().Initialize();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
