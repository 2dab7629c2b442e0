// The cloud analysis dump of a fixture corporation with the given number of journal lines.
//   dump_s          seconds for the whole script
//   script_mb       size of the script
//   peak_rss_mb     the process's peak resident size while the dump ran (reset before it)
//   growth_mb       how far that peak lies above the resident size at the start: flat in the
//                   number of lines, since rows go to the file as they are read
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "comm/z5WebDbSqlDump.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/Installation.h"
#include "support/TempDir.h"

namespace {

struct Setup {
  std::unique_ptr<fixtures::Installation> inst;
  fixtures::Company* company = nullptr;
};

Setup& CompanyWithLines(int64_t lines) {
  static std::map<int64_t, Setup> setups;
  Setup& s = setups[lines];
  if (!s.inst) {
    s.inst = std::make_unique<fixtures::Installation>();
    s.company = &s.inst->AddCompany(fixtures::CompanyPlan::Corporation());
    s.company->GenerateJournal({.seed = 11, .entries = lines / 2, .deletedPerMille = 0, .correctedPerMille = 0});
  }
  return s;
}

long StatusKb(const char* name) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(name);
  while (std::getline(in, line))
    if (line.compare(0, n, name) == 0 && line.size() > n && line[n] == ':') return std::stol(line.substr(n + 1));
  return 0;
}

void ResetPeakRss() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

// The templates live under init/ of the source tree (the installation root of a build).
std::string SourceDir() {
  const char* root = std::getenv("RENDO_SOURCE_DIR");
  return root != nullptr && *root ? root : RENDO_SOURCE_DIR_DEFAULT;
}

void BM_CloudDump(benchmark::State& state) {
  Setup& s = CompanyWithLines(state.range(0));
  TempDir tmp;
  ConnectMode = 0;
  SystemDef.SysDir = s.inst->SysDir().string();
  SystemDef.DbUser = "GKFMCB";
  SystemDef.DbPassword = "mirsol";
  SystemDef.LogDir = s.inst->LogDir().string();
  SystemDef.GroupId = fixtures::Installation::kGroupId;
  SystemDef.LogonId = fixtures::Installation::LogonId(11);
  SystemDef.BaseDir = SourceDir();
  SystemDef.TempDir = (tmp.Path() / "temp").string();
  SetAppInfoDefaults(AppInfo);
  ApplyAppInfo(0);
  CreateDataModule();
  if (!DM->fnAccDatConnected("", s.company->Folder().string(), false) || !DM->fnGetAccInfo()) {
    state.SkipWithError("cannot open the company");
    FreeDataModule();
    return;
  }
  double peak = 0, growth = 0, size = 0;
  for (auto _ : state) {
    TWebDbSqlDump dump;
    dump.DatabaseName = "velkor_d_BENCH_1";
    const long before = StatusKb("VmRSS");
    ResetPeakRss();
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = dump.WriteDump();
    const auto t1 = std::chrono::steady_clock::now();
    if (!ok) {
      state.SkipWithError("the dump failed");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    const long hwm = StatusKb("VmHWM");
    peak = hwm / 1024.0;
    growth = (hwm - before) / 1024.0;
    size = static_cast<double>(std::filesystem::file_size(dump.ScriptPath())) / (1024.0 * 1024.0);
  }
  state.counters["peak_rss_mb"] = peak;
  state.counters["growth_mb"] = growth;
  state.counters["script_mb"] = size;
  FreeDataModule();
}

}  // namespace

BENCHMARK(BM_CloudDump)->Arg(10000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_CloudDump)->Arg(100000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_CloudDump)->Arg(1000000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(2);

BENCHMARK_MAIN();
