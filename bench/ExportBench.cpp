// The export of a whole fiscal year against two fetches of the journal rows that the export's
// aggregation query returns, on a fixture corporation with the given number of journal lines:
//
//   raw    the query straight through the client library: prepared once, one message buffer,
//          rows fetched and not converted. What no program that reads these rows can beat.
//   layer  the same query through the project's database layer (TIBSQL), every column read
//          with the accessor the aggregation uses.
//
// Each run times the three one after another; the counters are medians over the runs.
//   raw_s, layer_s, export_s   seconds
//   ratio_raw                  export / raw    (the goal: 1.2 or less)
//   ratio_layer                export / layer
//   peak_rss_mb                the process's peak resident size while the export ran (the
//                              peak is reset before it starts)
//   export_growth_mb           how far that peak lies above the resident size at the start:
//                              flat in the number of lines when no line is kept after it is
//                              summed
//   count_s                    the one statement of the export besides the aggregation that
//                              grows with the journal, timed on its own: the count of the
//                              journal's linked lines that the refund detail's flag needs (a
//                              scan of the whole journal, on a column no index serves)
#include <benchmark/benchmark.h>
#include <firebird/Interface.h>
#include <ibase.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "export/sy26.h"
#include "export/sy26Export.h"
#include "fixtures/Installation.h"
#include "platform/db/IBSQL.h"
#include "support/TempDir.h"
#include "tax/z5TaxCul_H.h"

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
    s.company = &s.inst->AddCompany(fixtures::CompanyPlan::Corporation());
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

// A line "Name:   123 kB" of /proc/self/status, in kB.
long StatusKb(const char* name) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(name);
  while (std::getline(in, line))
    if (line.compare(0, n, name) == 0 && line.size() > n && line[n] == ':') return std::stol(line.substr(n + 1));
  return 0;
}

// Starts a new peak of the resident size (Linux: "5" to clear_refs resets VmHWM).
void ResetPeakRss() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
}

// Days since 1858-11-17, as the engine counts dates.
ISC_DATE IscDate(TDateTime dt) { return static_cast<ISC_DATE>(static_cast<int64_t>(dt) + 15018); }

// The aggregation query through the client library alone.
int64_t RawFetch(const fixtures::Company& company) {
  using namespace Firebird;
  TIBTransaction& tr = DM->IBTransactionDATSS;
  tr.StartTransaction();
  IMaster* master = fb_get_master_interface();
  ThrowStatusWrapper st(master->getStatus());
  int64_t rows = 0;
  uint64_t touched = 0;
  try {
    const std::string sql = ibdb::ParseParams(JournalAggregationSql()).text;
    IStatement* stmt = DM->IBDatabaseDAT.Attachment()->prepare(&st, tr.Handle(), 0, sql.c_str(), 3,
                                                                IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata* in = stmt->getInputMetadata(&st);
    IMessageMetadata* out = stmt->getOutputMetadata(&st);
    std::vector<unsigned char> inBuf(in->getMessageLength(&st), 0);
    std::vector<unsigned char> outBuf(out->getMessageLength(&st), 0);
    const ISC_DATE bounds[2] = {IscDate(company.Setup().kishu), IscDate(company.Setup().kimatu)};
    for (unsigned k = 0; k < 2; ++k) {
      std::memcpy(inBuf.data() + in->getOffset(&st, k), &bounds[k], sizeof bounds[k]);
      std::memset(inBuf.data() + in->getNullOffset(&st, k), 0, sizeof(short));
    }
    IResultSet* rs = stmt->openCursor(&st, tr.Handle(), in, inBuf.data(), out, 0);
    while (rs->fetchNext(&st, outBuf.data()) == IStatus::RESULT_OK) {
      touched += outBuf[0];
      ++rows;
    }
    rs->close(&st);
    out->release();
    in->release();
    stmt->free(&st);
  } catch (const FbException&) {
    rows = -1;
  }
  st.dispose();
  benchmark::DoNotOptimize(touched);
  tr.Commit();
  return rows;
}

// The aggregation query through the database layer, every column read as the aggregation
// reads it: texts as text, scaled numbers as amounts, whole numbers as integers, dates as dates.
int64_t LayerFetch(const fixtures::Company& company) {
  TIBTransaction& tr = DM->IBTransactionDATSS;
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&DM->IBDatabaseDAT);
  q.SetTransaction(&tr);
  q.SQL = JournalAggregationSql();
  q.ParamByName("DT1").SetDate(company.Setup().kishu);
  q.ParamByName("DT2").SetDate(company.Setup().kimatu);
  using Kind = ibdb::Value::Kind;
  int64_t rows = 0;
  int64_t sum = 0;
  std::string text;
  for (q.ExecQuery(); !q.Eof(); q.Next()) {
    for (int k = 0; k < q.FieldCount(); ++k) {
      const TIBField& f = q.Fields(k);
      switch (f.RawValue().kind) {
        case Kind::Text: text = f.AsString(); break;
        case Kind::Date: sum += static_cast<int64_t>(f.AsDateTime()); break;
        case Kind::Integer: sum += f.RawValue().scale != 0 ? f.AsCurrency().Raw() : f.AsInteger(); break;
        default: break;
      }
    }
    ++rows;
  }
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(text);
  q.Close();
  tr.Commit();
  return rows;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The wizard's export step: the data set is connected and its accounting information loaded
// when the data set is chosen, so neither is timed.
void BM_Export(benchmark::State& state) {
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
  auto seconds = [](Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); };
  int64_t rows = RawFetch(*s.company);  // warms the page cache for all three
  if (rows < 0 || LayerFetch(*s.company) != rows) {
    state.SkipWithError("the fetches disagree");
    return;
  }
  std::vector<double> raw, layer, exported, ratioRaw, ratioLayer, peak, growth, count;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    RawFetch(*s.company);
    const auto t1 = Clock::now();
    LayerFetch(*s.company);
    const auto t2 = Clock::now();
    const long start = StatusKb("VmRSS");
    ResetPeakRss();
    const auto t3 = Clock::now();
    TSyohizeiDataExport exporter(file, 1);
    TakeAccInfo(exporter, AccInf);
    exporter.Params.StartSlot = 0;
    WriteSyohizeiFile(exporter);
    const auto t4 = Clock::now();
    const long top = StatusKb("VmHWM");
    const auto t5 = Clock::now();
    DM->CheckLinkSiwake(0, 0, 0);
    count.push_back(seconds(t5, Clock::now()));
    raw.push_back(seconds(t0, t1));
    layer.push_back(seconds(t1, t2));
    exported.push_back(seconds(t3, t4));
    ratioRaw.push_back(exported.back() / raw.back());
    ratioLayer.push_back(exported.back() / layer.back());
    peak.push_back(top / 1024.0);
    growth.push_back((top - start) / 1024.0);
    state.SetIterationTime(exported.back());
  }
  DM->AccDatDisconnect(folder, false, false);
  FreeDataModule();
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["raw_s"] = Median(raw);
  state.counters["layer_s"] = Median(layer);
  state.counters["export_s"] = Median(exported);
  state.counters["ratio_raw"] = Median(ratioRaw);
  state.counters["ratio_layer"] = Median(ratioLayer);
  state.counters["peak_rss_mb"] = Median(peak);
  state.counters["export_growth_mb"] = Median(growth);
  state.counters["count_s"] = Median(count);
}

BENCHMARK(BM_Export)->Arg(10000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(9);
BENCHMARK(BM_Export)->Arg(100000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Export)->Arg(1000000)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
