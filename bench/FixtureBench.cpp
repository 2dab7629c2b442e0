// Time to build a fixture company with a journal of the given number of lines (each entry is
// two lines), from an empty installation to the finished data set. The million-line case is
// the data set the export benchmarks stand on; the small case is for quick runs.
#include <benchmark/benchmark.h>

#include "fixtures/Installation.h"

namespace {

void BM_BuildCompanyWithJournal(benchmark::State& state) {
  const int64_t lines = state.range(0);
  int64_t written = 0;
  for (auto _ : state) {
    fixtures::Installation inst;
    fixtures::Company& co = inst.AddCompany(fixtures::CompanyPlan::Corporation());
    written = co.GenerateJournal({.seed = 1, .entries = lines / 2}).rows;
  }
  state.counters["lines"] = static_cast<double>(written);
  state.counters["lines_per_second"] =
      benchmark::Counter(static_cast<double>(written) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

BENCHMARK(BM_BuildCompanyWithJournal)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BuildCompanyWithJournal)->Arg(1000000)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
