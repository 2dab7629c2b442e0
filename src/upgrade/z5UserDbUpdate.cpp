#include "upgrade/z5UserDbUpdate.h"

#include <filesystem>
#include <functional>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "platform/Paths.h"
#include "platform/db/TransactionScope.h"

namespace userupdate {

TGeneration GenerationOf(const TDbVersion& v) {
  if (v <= TDbVersion{2, 0, 4}) return TGeneration::Inline;
  if (v <= TDbVersion{5, 0, 2}) return TGeneration::FilesThenInline;
  if (v <= TDbVersion{7, 0, 2}) return TGeneration::Files;
  return TGeneration::FilesAllPresent;
}

TFilter CurrentFilter() {
  TFilter f;
  f.DataType = AccInf.DATATYPE;
  f.CodeType = AccInf.CODETYPE;
  f.Medical = AccInf.DATATYPE == 3 && AccInf.CODETYPE == 1;
  f.OemKind = OemKind;
  f.ProgramKind = ProgramKind;
  return f;
}

int32_t BuildScript(const TDbVersion& version, const TStepBody& body, TUpdateScript& script) {
  script.Lines.clear();
  const TGeneration generation = GenerationOf(version);
  std::vector<std::string> files;
  const std::string folder = IncludeTrailingPathDelimiter(UpdateFileFolder(version));
  if (generation != TGeneration::Inline) {
    std::error_code ec;
    for (const TUpdateFile& f : body.Files) {
      const bool needed = f.Use || generation == TGeneration::FilesAllPresent;
      if (needed && !std::filesystem::exists(folder + f.Name, ec)) return kStepFileMissing;
      if (f.Use) files.push_back(folder + f.Name);
    }
  }
  script.AddHeader();
  script.Lines.insert(script.Lines.end(), body.Leading.begin(), body.Leading.end());
  if (generation != TGeneration::Inline) {
    std::string missing;
    if (!script.AddUpdateFiles(files, missing)) {
      script.Lines.clear();
      return kStepFileMissing;
    }
  }
  script.Lines.insert(script.Lines.end(), body.Statements.begin(), body.Statements.end());
  script.AddVersionLines();
  script.AddExit();
  return kStepOk;
}

int32_t RunStep(const TDbVersion& version, const TStepBody& body) {
  TUpdateScript script(TUpdateDb::Company, version);
  const int32_t built = BuildScript(version, body, script);
  if (built != kStepOk) return built;
  if (!script.Save()) {
    // A script that could not be saved must not leave an older one to run.
    std::error_code ec;
    std::filesystem::remove(UpdateScriptFile(), ec);
  }
  return ExecIsqlScript(version.Text());
}

bool TestCompanyDb(const std::function<bool()>& test) {
  if (!DM) return false;
  bool answer = false;
  if (DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false)) {
    TTransactionScope tx(DM->IBTransactionDAT, TTransactionScope::End::CommitQuietly);
    answer = test();
  }
  // isql must find the file free of the program's own attachment.
  DM->AccDatDisconnect(SystemDef.DataDir, false, false);
  return answer;
}

bool ColumnExists(const std::string& table, const std::string& column) {
  return TestCompanyDb([&] { return DM->fnExistence_Field(table, column); });
}

void AddGuardedBlock(Lines& lines, const std::string& table, const std::string& column, const Lines& block) {
  if (ColumnExists(table, column)) return;
  lines.insert(lines.end(), block.begin(), block.end());
}

void AddSdaiHasuu3Block(Lines& lines) {
  AddGuardedBlock(lines, "ACCDEF1", "SDAI_HASUU3",
                  {"ALTER TABLE ACCDEF1", "ADD SDAI_HASUU3 INTEGER DEFAULT 0;",
                   "UPDATE ACCDEF1 SET SDAI_HASUU3=0 WHERE REC=1;", "COMMIT;"});
}

void AddKessanKikanBlock(Lines& lines) {
  AddGuardedBlock(lines, "ACCDEF1", "KESSAN_KIKAN",
                  {"ALTER TABLE ACCDEF1", "ADD KESSAN_KIKAN INTEGER DEFAULT -1,", "ADD CASHFLOW_KIKAN1 INTEGER DEFAULT -1,",
                   "ADD CASHFLOW_KIKAN2 INTEGER DEFAULT -1;",
                   "UPDATE ACCDEF1 SET KESSAN_KIKAN=-1,CASHFLOW_KIKAN1=-1,CASHFLOW_KIKAN2=-1 WHERE REC=1;", "COMMIT;"});
}

void AddStep01Blocks(int32_t step, Lines& lines) {
  // Which of the two settings blocks each step carries after its body.
  const bool sdai = step == 1 || step == 3;
  const bool kessan = step == 1 || step == 3 || step == 4;
  if (sdai) AddSdaiHasuu3Block(lines);
  if (kessan) AddKessanKikanBlock(lines);
}

int32_t RunStep01(int32_t step, Lines body) {
  AddStep01Blocks(step, body);
  TStepBody b;
  b.Statements = std::move(body);
  return RunStep({0, 1, step}, b);
}

}  // namespace userupdate

void InstallUserDbUpdateBuilders(TArrayDbUpdateListRec& list) {
  const struct {
    TDbVersion version;
    int32_t (*run)();
  } builders[] = {
      {{0, 1, 1}, ExecUserDbUpdate011},
      {{0, 1, 2}, ExecUserDbUpdate012},
      {{0, 1, 3}, ExecUserDbUpdate013},
      {{0, 1, 4}, ExecUserDbUpdate014},
      {{0, 1, 5}, ExecUserDbUpdate015},
      {{0, 2, 0}, ExecUserDbUpdate020},
      {{0, 2, 1}, ExecUserDbUpdate021},
      {{0, 2, 2}, ExecUserDbUpdate022},
      {{0, 3, 0}, ExecUserDbUpdate030},
      {{0, 3, 1}, ExecUserDbUpdate031},
      {{0, 3, 2}, ExecUserDbUpdate032},
      {{0, 3, 3}, ExecUserDbUpdate033},
      {{0, 3, 4}, ExecUserDbUpdate034},
      {{0, 4, 0}, ExecUserDbUpdate040},
      {{0, 4, 1}, ExecUserDbUpdate041},
      {{1, 0, 0}, ExecUserDbUpdate100},
      {{1, 0, 1}, ExecUserDbUpdate101},
      {{1, 0, 2}, ExecUserDbUpdate102},
      {{1, 0, 3}, ExecUserDbUpdate103},
      {{1, 0, 5}, ExecUserDbUpdate105},
      {{2, 0, 0}, ExecUserDbUpdate200},
      {{2, 0, 4}, ExecUserDbUpdate204},
      {{3, 0, 0}, ExecUserDbUpdate300},   {{3, 0, 1}, ExecUserDbUpdate301},   {{3, 0, 3}, ExecUserDbUpdate303},
      {{3, 0, 4}, ExecUserDbUpdate304},   {{3, 0, 6}, ExecUserDbUpdate306},   {{3, 0, 7}, ExecUserDbUpdate307},
      {{4, 0, 0}, ExecUserDbUpdate400},   {{4, 0, 2}, ExecUserDbUpdate402},   {{5, 0, 0}, ExecUserDbUpdate500},
      {{5, 0, 2}, ExecUserDbUpdate502},   {{5, 0, 5}, ExecUserDbUpdate505},   {{6, 0, 0}, ExecUserDbUpdate600},
      {{6, 1, 0}, ExecUserDbUpdate610},   {{6, 1, 3}, ExecUserDbUpdate613},   {{7, 0, 0}, ExecUserDbUpdate700},
      {{7, 0, 2}, ExecUserDbUpdate702},   {{7, 0, 3}, ExecUserDbUpdate703},   {{7, 0, 4}, ExecUserDbUpdate704},
      {{8, 0, 0}, ExecUserDbUpdate800},   {{8, 0, 2}, ExecUserDbUpdate802},   {{8, 0, 3}, ExecUserDbUpdate803},
      {{9, 0, 0}, ExecUserDbUpdate900},   {{9, 0, 1}, ExecUserDbUpdate901},   {{9, 0, 2}, ExecUserDbUpdate902},
      {{9, 0, 3}, ExecUserDbUpdate903},   {{9, 0, 4}, ExecUserDbUpdate904},   {{9, 0, 5}, ExecUserDbUpdate905},
      {{10, 0, 0}, ExecUserDbUpdate1000},
  };
  for (TDbUpdateListRec& r : list) {
    for (const auto& b : builders) {
      if (r.Version() == b.version) r.RunProc = b.run;
    }
  }
}
