#pragma once
// The company steps 3.0.0 to 10.0.0: which update files of its folder each step runs, and the
// few lines some of them write themselves.
//
// A step's files are chosen by the filters (medical data, data type, edition) and by facts read
// from the company database before the script is built (a trigger, the number of accounts, tax
// code 116). StepBody is the whole choice, without a database, so that every case can be shown
// as a script; the ExecUserDbUpdateNNN builders read the facts and run it.
#include <cstdint>
#include <string>

#include "upgrade/z5UserDbUpdate.h"

namespace userupdate {

// What the builders read from the company database (and its settings) before the script.
struct TStepFacts {
  bool Update2TriggerExists = false;  // KAMOKUMST_AFTER_UPDATE2 (3.0.4)
  int32_t KamokuCountKind = 0;        // 3.0.6: 1 for 377 medical accounts, 2 for 567, else 0
  bool TaxCode116Exists = false;      // 7.0.4
  std::string ShokuchiCode;           // the account 諸口 (4.0.0)
  int32_t Siten = 0;                  // branches in use (4.0.0)
  int32_t Bumon = 0;                  // departments in use (4.0.0)
};

// The files (with their choice) and the own lines of step `version`; an empty body for a
// version outside 3.0.0 to 10.0.0.
TStepBody StepBody(const TDbVersion& version, const TFilter& filter, const TStepFacts& facts);

// The facts the settings of the open company give (諸口, branches, departments).
TStepFacts FactsFromAccInf();
// Builds and runs the script of `version` with the current filter.
int32_t RunFiles(const TDbVersion& version, const TStepFacts& facts);
int32_t RunFiles(const TDbVersion& version);

// The lines step 4.0.0 writes after its files: the sub-account switch of 諸口, the medical
// cash-flow items, the combined-data settings, the branch and department rows, COMMIT.
void AddUserDbUpdate400Sql(Lines& lines, const TFilter& filter, const TStepFacts& facts);

// Checks on the company database, made in the pre-step connection; they raise on a database
// error.
bool TriggerExists(const std::string& name);
int32_t GetKamokuCountKind(bool medical);
bool TaxCode116Exists();
// Step 3.0.7: an empty KAMOKUSZ_AFTER_DELETE2 trigger, which the step's files then alter, made
// only while the trigger is missing.
void CreateKamokuSzDeleteTrigger();

}  // namespace userupdate
