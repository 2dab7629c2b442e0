// The export of a whole fiscal year against one bare fetch of the same journal rows by the
// aggregation query, on a fixture corporation with the given number of journal lines.
//
// Counters: fetch_s and export_s (seconds of one run each), ratio (export / fetch; the goal
// is 1.2 or less: the export reads the journal twice, once per method), and rss_growth_kb
// (how far the export raised the process's peak resident size: flat in the number of lines
// when no line is kept after it is summed).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "export/sy26.h"
#include "export/sy26Export.h"
#include "fixtures/Installation.h"
#include "platform/db/IBSQL.h"
#include "support/TempDir.h"

namespace {

struct Setup {
  std::unique_ptr<fixtures::Installation> inst;
  fixtures::Company* company = nullptr;
};

// One installation per journal size, built on first use and kept for the run.
Setup& CompanyWithLines(int64_t lines) {
  static std::map<int64_t, Setup> setups;
  Setup& s = setups[lines];
  if (!s.inst) {
    s.inst = std::make_unique<fixtures::Installation>();
    s.company = &s.inst->AddCompany(fixtures::CompanySpec::Corporation());
    s.company->GenerateJournal({.seed = 11, .entries = lines / 2, .deletedPerMille = 0, .correctedPerMille = 0});
  }
  return s;
}

void Connect(const fixtures::Installation& inst) {
  ConnectMode = 0;
  SystemDef.HostName = "";
  SystemDef.SysDir = inst.SysDir().string();
  SystemDef.DbUser = "GKFMCB";
  SystemDef.DbPassword = "mirsol";
  SystemDef.LogDir = inst.LogDir().string();
  SystemDef.GroupId = fixtures::Installation::kGroupId;
  SystemDef.LogonId = fixtures::Installation::LogonId(11);
  SetAppInfoDefaults(AppInfo);
  ApplyAppInfo(0);
  CreateDataModule();
}

long PeakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

// The rows of the fiscal year as the aggregation reads them, every column taken, nothing summed.
int64_t BareFetch(const fixtures::Company& company) {
  TIBTransaction& tr = DM->IBTransactionDATSS;
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDAT);
  q.SetTransaction(&tr);
  q.SQL =
      "SELECT S.HIZUKE,S.TAISHAKU,S.KCODE,S.TAXCODE,S.TAXDC,S.NUK,S.ZEI,S.RIT,S.AUTCALCU,S.ZEIRITUNO,"
      "S.R_KCODE,KM.GROUPM0,KM.BLDAC,KM.DAC,S2.LINKKUB FROM SIWAKE S\n"
      "INNER JOIN KAMOKUMST KM ON (S.KCODE=KM.KCODE)\n"
      "INNER JOIN SIWAKE2   S2 ON (S.REC=S2.REC)\n"
      "WHERE (S.DELFLG=0) AND (S.HIZUKE>=:DT1) AND (S.HIZUKE<=:DT2)";
  q.ParamByName("DT1").SetDate(company.Setup().kishu);
  q.ParamByName("DT2").SetDate(company.Setup().kimatu);
  int64_t rows = 0;
  int64_t sum = 0;
  std::string text;
  for (q.ExecQuery(); !q.Eof(); q.Next()) {
    sum += static_cast<int64_t>(q.Fields(0).AsDateTime()) + q.Fields(1).AsInteger() + q.Fields(3).AsInteger() +
           q.Fields(4).AsInteger() + q.Fields(5).AsCurrency().Raw() + q.Fields(6).AsCurrency().Raw() +
           q.Fields(7).AsCurrency().Raw() + q.Fields(8).AsInteger() + q.Fields(9).AsInteger() +
           q.Fields(12).AsInteger() + q.Fields(13).AsInteger() + q.Fields(14).AsInteger();
    text = q.Fields(2).AsString();
    text = q.Fields(10).AsString();
    text = q.Fields(11).AsString();
    ++rows;
  }
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(text);
  q.Close();
  tr.Commit();
  return rows;
}

// The wizard's export step: the data set is connected and its accounting information loaded
// when the data set is chosen, so neither is timed.
void BM_ExportVsBareFetch(benchmark::State& state) {
  Setup& s = CompanyWithLines(state.range(0));
  fixtures::InstallationEnv env(*s.inst);
  Connect(*s.inst);
  const std::string folder = s.company->Folder().string();
  if (!DM->fnAccDatConnected("", folder, false) || !DM->fnGetAccInfo()) {
    state.SkipWithError("cannot open the fixture company");
    return;
  }
  TempDir out;
  const std::string file = (out.Path() / "syouhizei.xml").string();
  using Clock = std::chrono::steady_clock;
  double fetch = 0, exported = 0;
  int64_t rows = BareFetch(*s.company);  // warms the page cache for both
  long growth = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    rows = BareFetch(*s.company);
    const auto t1 = Clock::now();
    const long before = PeakRssKb();
    TSyohizeiDataExport exporter(file, 1);
    TakeAccInfo(exporter, AccInf);
    exporter.Params.StartSlot = 0;
    WriteSyohizeiFile(exporter);
    const auto t2 = Clock::now();
    growth = PeakRssKb() - before;
    fetch = std::chrono::duration<double>(t1 - t0).count();
    exported = std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(fetch + exported);
  }
  DM->AccDatDisconnect(folder, false, false);
  FreeDataModule();
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["fetch_s"] = fetch;
  state.counters["export_s"] = exported;
  state.counters["ratio"] = fetch > 0 ? exported / fetch : 0;
  state.counters["rss_growth_kb"] = static_cast<double>(growth);
}

BENCHMARK(BM_ExportVsBareFetch)->Arg(100000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ExportVsBareFetch)->Arg(1000000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
