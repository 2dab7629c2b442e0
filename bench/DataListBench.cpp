// Loading and sorting a data list of 10,000 rows (a third of them named, every tenth named
// row combined data with three members) by each sort kind of the data-list control.
//
// One benchmark per sort kind (argument: the kind; 1 number, 2 name, 3 fiscal year, 4 start
// date, 5 folder, 6 version, 7 data code); the time is that of one full load with children.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/DateTime.h"
#include "platform/db/IBSQL.h"
#include "selection/z5ComDataSentaku.h"

namespace {

constexpr int kRows = 10000;

// The installation with its list, built on first use and kept for the run.
fixtures::Installation& ListOf10000() {
  static std::unique_ptr<fixtures::Installation> inst;
  if (inst) return *inst;
  inst = std::make_unique<fixtures::Installation>();
  fixtures::DbSession s(inst->SystemDbFile());
  TIBSQL q;
  s.Prepare(q, "SELECT COUNT(*) FROM SP_DATALIST_INSERT(0, :PATH, :MAXCNT)");
  q.ParamByName("PATH").SetString(inst->SysDir().string());
  q.ParamByName("MAXCNT").SetInteger(kRows);
  q.ExecQuery();
  q.Close();
  s.Prepare(q,
            "UPDATE DATALIST SET ENTTEXT=:NAME, SHOUGOU=:NAME, NENDO=:NENDO, KISHU=:KISHU, KIMATU=:KIMATU, "
            "DATACODE=:CODE, VER_MAJOR=:MAJOR, VER_MINOR1=:MINOR, GASSAN=:GASSAN WHERE REC=:REC");
  TIBSQL c;
  s.Prepare(c, "INSERT INTO CHILD_DATALIST (REC, ROWNO, GROUPID, ENTTEXT, PASNAME, GASSAN) "
               "VALUES (:REC, :ROWNO, 10000, :NAME, :PASNAME, 10)");
  for (int rec = 1; rec <= kRows; rec += 3) {
    const int year = 2010 + rec % 12;
    q.ParamByName("REC").SetInteger(rec);
    q.ParamByName("NAME").SetString("会社" + std::to_string((rec * 7919) % 5000));
    q.ParamByName("NENDO").SetInteger(year);
    q.ParamByName("KISHU").SetDateTime(EncodeDate(year, 4, 1));
    q.ParamByName("KIMATU").SetDateTime(EncodeDate(year + 1, 3, 31));
    q.ParamByName("CODE").SetString(std::to_string((rec * 31) % 9973));
    q.ParamByName("MAJOR").SetInteger(8 + rec % 3);
    q.ParamByName("MINOR").SetInteger(rec % 5);
    const bool combined = rec % 10 == 1;
    q.ParamByName("GASSAN").SetInteger(combined ? 1 : 0);
    q.ExecQuery();
    if (!combined) continue;
    for (int row = 1; row <= 3; ++row) {
      c.ParamByName("REC").SetInteger(rec);
      c.ParamByName("ROWNO").SetInteger(row);
      c.ParamByName("NAME").SetString("支店" + std::to_string(row));
      c.ParamByName("PASNAME").SetString(inst->DataFolder(rec).string() + "/00" + std::to_string(row));
      c.ExecQuery();
    }
  }
  s.Commit();
  return *inst;
}

void Connect(const fixtures::Installation& inst) {
  fixtures::LogOnLocally(inst);
  SetAppInfoDefaults(AppInfo);
  ApplyAppInfo(0);
  CreateDataModule();
  DM->fnAccDefConnected("", false);
}

void BM_LoadAndSort(benchmark::State& state) {
  fixtures::Installation& inst = ListOf10000();
  Connect(inst);
  TDataSentakuListCtl ctl;
  const auto kind = static_cast<uint8_t>(state.range(0));
  for (auto _ : state) {
    ctl.Execute(0, kind, false, "");
    benchmark::DoNotOptimize(ctl.Rows.data());
  }
  state.counters["rows"] = ctl.RowCount;
  state.counters["children"] = ctl.ChildRowCount;
  FreeDataModule();
}
BENCHMARK(BM_LoadAndSort)->DenseRange(1, 7)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
