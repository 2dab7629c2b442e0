#pragma once
// The two ordered lists of schema upgrade steps (system database and company database) and the
// check that tells which of them a database of a given version still needs. Headless, so that
// callers that only ask the question (the data selection) need no dialog.
//
//   TDbUpdateLists lists = MakeDbUpdateLists(AppInfo.AppTitle, OemKind);
//   TDbVersion v;
//   DbVersionFromText("2.0.5", v);                     // or ReadDbVersion(...)
//   TDbUpdatePending p = FindPendingSteps(lists.UserList, v);
//   if (p.NeedUpdate) ... steps p.FirstIndex .. p.LastIndex ...
#include <compare>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TIBDatabase;

// A schema version: compared first number first.
struct TDbVersion {
  int32_t Major = 0;
  int32_t Minor1 = 0;
  int32_t Minor2 = 0;

  auto operator<=>(const TDbVersion&) const = default;
  bool operator==(const TDbVersion&) const = default;
  // "%d.%d.%d"
  std::string Text() const;
};

// Result codes of a step (see ExecIsqlScript).
enum : int32_t {
  kStepOk = 1,
  kStepIsqlError = 16,
  kStepIsqlNotStarted = 17,
  kStepFileMissing = 18,
  kStepException = 19,
};

// The script builder of a step: no arguments, returns a step result code.
using TDbUpdateRunProc = std::function<int32_t()>;

struct TDbUpdateListRec {
  int32_t Major = 0;
  int32_t Minor1 = 0;
  int32_t Minor2 = 0;
  TDbUpdateRunProc RunProc;  // empty while the step's builder is not installed
  int32_t Backup = 0;        // 1: back the database up before a run that contains this step
  std::string Title;
  std::string Memo;          // lines separated by CR

  TDbVersion Version() const { return {Major, Minor1, Minor2}; }
};

using TArrayDbUpdateListRec = std::vector<TDbUpdateListRec>;

// The descriptors of the fifteen system steps (0.3.1 .. 9.0.4) and of the fifty company steps
// (0.1.1 .. 10.0.0), in ascending version order. `productName` is the accounting product's name
// (some titles and memos begin with it); OEM kinds 1 and 2 replace some titles and memos.
struct TDbUpdateLists {
  TArrayDbUpdateListRec SystemList;
  TArrayDbUpdateListRec UserList;
};
TDbUpdateLists MakeDbUpdateLists(const std::string& productName, int oemKind);

// The version of a text of exactly three items separated by '.': an item that is not a whole
// number counts as 0; any other number of items gives 0.0.0.
void DbVersionFromText(const std::string& text, TDbVersion& version);

// What a database of `version` still needs from `list`: the steps strictly newer than it,
// which (the list being ordered) run from the first newer one to the end.
struct TDbUpdatePending {
  bool NeedUpdate = false;
  int32_t FirstIndex = -1;
  int32_t LastIndex = -1;
  int32_t BackupCount = 0;  // sum of Backup over the pending steps
};
TDbUpdatePending FindPendingSteps(const TArrayDbUpdateListRec& list, const TDbVersion& version);

// How reading a database's version went.
enum class TDbVersionRead {
  Read,     // the highest version row
  NoRows,   // no version row at all: a database before the first step, 0.0.0
  Failed,   // the query failed (reported); the version is unknown
};

// Reads the highest version row of the connected database: VERSION of the system database
// (mode 0) or ACCVERSION of a company database (mode 1), in a read-committed transaction of
// its own. A failure is reported to the user ("データベースバージョンの取得に失敗しました。")
// and leaves `version` at 0.0.0; the caller must then not treat the database as 0.0.0.
TDbVersionRead ReadDbVersion(TIBDatabase& db, int mode, TDbVersion& version);
