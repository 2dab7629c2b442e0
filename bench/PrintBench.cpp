// Printing a data file to PDF through the print entry and the printing loop, at 50 and at
// 500 pages of a typical list page (a title, column rules, 40 rows of text).
//
// Counter: s_per_page (seconds per printed page). It must stay flat from 50 to 500 pages: the
// loop reads the data file once per copy and draws page after page, keeping nothing per page.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <map>
#include <memory>
#include <string>

#include "platform/Encoding.h"
#include "print/Zenpagex_Pages.h"
#include "print/Zenpagex_PrintIng.h"
#include "print/Zenpagex_Record.h"
#include "print/Zenpagex_State.h"
#include "print/Zenpagex_Vdb.h"
#include "support/TempDir.h"

namespace {

TempDir& Dir() {
  static TempDir dir;
  return dir;
}

// The data file of `pages` pages, written on first use.
const std::string& DataFile(int pages) {
  static std::map<int, std::string> files;
  std::string& file = files[pages];
  if (!file.empty()) return file;
  std::string text = HeaderFirstLine() + "\r\n";
  for (int i = 2; i < kHeaderLineCount; ++i) text += "*LINE" + std::to_string(i) + "\r\n";
  text += HeaderLastLine() + "\r\n";
  for (int p = 1; p <= pages; ++p) {
    if (p > 1) text += "E;\r\n";
    text += "TEXT;1050;150;データリスト;ＭＳ 明朝;16;;黒;1;CENTER;0;0;\r\n";
    text += "TEXT;1950;250;PAGE " + std::to_string(p) + ";ＭＳ 明朝;9;;黒;1;RIGHT;0;0;\r\n";
    text += "LINE;150;300;1950;300;4;0;0;\r\n";
    for (int r = 0; r < 40; ++r) {
      const int y = r * 44 + 405;
      text += "TEXT;160;" + std::to_string(y) + ";" + std::to_string(p * 40 + r) +
              " 株式会社サンプル商事;ＭＳ 明朝;9;;黒;1;LEFT;0;0;\r\n";
      text += "LINE;150;" + std::to_string(y + 34) + ";1950;" + std::to_string(y + 34) + ";0;2;0;\r\n";
    }
  }
  file = Dir().Write("data" + std::to_string(pages) + ".zpx", sjis::FromUtf8(text));
  return file;
}

void BM_PrintToPdf(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  const std::string& data = DataFile(pages);
  for (auto _ : state) {
    TZPGXDEF job;
    job.DataFile = data;
    job.PaperSize = 9;
    job.PrnDlg = false;
    if (StartPrint(job) != -1) state.SkipWithError("the print failed");
  }
  state.counters["s_per_page"] =
      benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PrintToPdf)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Without widgets the loop runs without its printing window (no 500 ms wait per print).
  QGuiApplication app(argc, argv);
  const std::string pdf = Dir().Str() + "/bench.pdf";
  EngineStartup([pdf] { return std::make_unique<TVDBPrint>(pdf); });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  EngineShutdown();
  return 0;
}
