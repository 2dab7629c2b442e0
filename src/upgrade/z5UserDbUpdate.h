#pragma once
// The company-database upgrade steps: the shape every step's builder shares, and the builders.
//
// A builder writes one script in the frame of z5DbUpdateScript.h (comment, CONNECT, SET NAMES
// from 3.0.6 on, the step's statements, the version lines, EXIT), has isql run it and returns
// the step result code. Where a step's statements come from depends on its generation:
//
//   1  0.1.1 .. 2.0.4   inline text written by the builder
//   2  3.0.0 .. 5.0.2   update files of the step's folder, then a few inline lines
//   3  5.0.5 .. 7.0.2   update files
//   4  7.0.3 .. 10.0.0  update files; every listed file must exist, also one the filters leave
//                       out, before anything is written
//
// In every generation the version lines follow the statements, so a step whose statements fail
// never marks the database as upgraded, and a chosen update file that is missing ends the step
// with 18 before anything is written or run.
//
// What a builder writes may depend only on the filters: facts of the open company (AccInf:
// medical data, data type, code type), the edition (OemKind, ProgramKind), and tests against
// the company database made before the script (the column guard below and its kin).
//
// Adding a step: write ExecUserDbUpdateNNN in its own z5UserDbUpdateNNN.cpp, declare it here,
// add it to the table of InstallUserDbUpdateBuilders, and add its rows to the chain test.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"

namespace userupdate {

using Lines = std::vector<std::string>;

enum class TGeneration : uint8_t { Inline = 1, FilesThenInline = 2, Files = 3, FilesAllPresent = 4 };
TGeneration GenerationOf(const TDbVersion& version);

// The facts that choose what a builder writes, read when the builder runs.
struct TFilter {
  bool Medical = false;  // medical-corporation data: data type 3 with code type 1
  int32_t DataType = 0;
  int32_t CodeType = 0;
  int32_t OemKind = 0;
  int32_t ProgramKind = 0;
};
TFilter CurrentFilter();

// One update file of a step's folder and whether the filters choose it.
struct TUpdateFile {
  std::string Name;
  bool Use = true;
};

// What a step's script carries besides its frame.
struct TStepBody {
  Lines Statements;                 // generation 1: everything; generation 2: after the files
  std::vector<TUpdateFile> Files;  // generations 2 to 4
  Lines Leading = {};               // generations 2 to 4: after the header, before the files
};

// Builds the whole script of a step into `script` (not saved). 18 when a needed update file is
// missing (then `script` holds nothing), else 1.
int32_t BuildScript(const TDbVersion& version, const TStepBody& body, TUpdateScript& script);
// Builds, saves and runs the script; the runner's result, or 18 as BuildScript.
int32_t RunStep(const TDbVersion& version, const TStepBody& body);

// A test against the selected company database before the script: connects it without a
// status mark, runs `test` inside a transaction of the data module's company connection and
// disconnects again. False without running `test` when the connection fails (reported).
bool TestCompanyDb(const std::function<bool()>& test);

// Column guard: connects the selected company data without a status mark, asks whether
// `table`.`column` exists and disconnects again. A failed connection or query is reported by
// the data module and counts as a missing column.
bool ColumnExists(const std::string& table, const std::string& column);
// Appends `block` to `lines` only when `table`.`column` is missing.
void AddGuardedBlock(Lines& lines, const std::string& table, const std::string& column, const Lines& block);

// The two guarded blocks of the company settings row that the steps 0.1.1 to 0.1.4 share: the
// third rounding setting, and the closing and cash-flow period settings (guarded by the first
// of its three columns only).
void AddSdaiHasuu3Block(Lines& lines);
void AddKessanKikanBlock(Lines& lines);

// The guarded settings blocks that step 0.1.`step` carries after its body: both for 0.1.1 and
// 0.1.3, the closing-period block for 0.1.4, none for 0.1.2 and 0.1.5.
void AddStep01Blocks(int32_t step, Lines& lines);
// The frame of the steps 0.1.1 to 0.1.5: the body, then the guarded settings blocks the step
// carries, then the version 0.1.`step`.
int32_t RunStep01(int32_t step, Lines body);

}  // namespace userupdate

int32_t ExecUserDbUpdate011();
int32_t ExecUserDbUpdate012();
int32_t ExecUserDbUpdate013();
int32_t ExecUserDbUpdate014();
int32_t ExecUserDbUpdate015();
int32_t ExecUserDbUpdate020();
int32_t ExecUserDbUpdate021();
int32_t ExecUserDbUpdate022();
int32_t ExecUserDbUpdate030();
int32_t ExecUserDbUpdate031();
int32_t ExecUserDbUpdate032();
int32_t ExecUserDbUpdate033();
int32_t ExecUserDbUpdate034();
int32_t ExecUserDbUpdate040();
int32_t ExecUserDbUpdate041();
int32_t ExecUserDbUpdate100();
int32_t ExecUserDbUpdate101();
int32_t ExecUserDbUpdate102();
int32_t ExecUserDbUpdate103();
int32_t ExecUserDbUpdate105();
int32_t ExecUserDbUpdate200();
int32_t ExecUserDbUpdate204();
// The steps 3.0.0 to 10.0.0 (z5UserDbUpdate300.h tells what chooses their files).
int32_t ExecUserDbUpdate300();
int32_t ExecUserDbUpdate301();
int32_t ExecUserDbUpdate303();
int32_t ExecUserDbUpdate304();
int32_t ExecUserDbUpdate306();
int32_t ExecUserDbUpdate307();
int32_t ExecUserDbUpdate400();
int32_t ExecUserDbUpdate402();
int32_t ExecUserDbUpdate500();
int32_t ExecUserDbUpdate502();
int32_t ExecUserDbUpdate505();
int32_t ExecUserDbUpdate600();
int32_t ExecUserDbUpdate610();
int32_t ExecUserDbUpdate613();
int32_t ExecUserDbUpdate700();
int32_t ExecUserDbUpdate702();
int32_t ExecUserDbUpdate703();
int32_t ExecUserDbUpdate704();
int32_t ExecUserDbUpdate800();
int32_t ExecUserDbUpdate802();
int32_t ExecUserDbUpdate803();
int32_t ExecUserDbUpdate900();
int32_t ExecUserDbUpdate901();
int32_t ExecUserDbUpdate902();
int32_t ExecUserDbUpdate903();
int32_t ExecUserDbUpdate904();
int32_t ExecUserDbUpdate905();
int32_t ExecUserDbUpdate1000();

// Sets the builders of the company steps built so far into the list's entries (by version);
// the other entries keep an empty RunProc.
void InstallUserDbUpdateBuilders(TArrayDbUpdateListRec& userList);
