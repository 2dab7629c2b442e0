#pragma once
// What the company steps 1.0.0 to 2.0.4 share.
#include <string>
#include <string_view>
#include <vector>

#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate020.h"

namespace userupdate {

// The slot of the month before the data's first month, for KAISINO 1 to 12 (0 outside).
int32_t SlotBeforeStartMonth(int32_t kaisino);

}  // namespace userupdate

namespace userupdate {

// The ACCTOTALNAME rows of step 1.0.5 for a company of the given kind: 38 for a corporation, 31
// for an individual's general codes, 24 for an individual's other codes, none otherwise.
void AddTotalNameRows(Lines& lines, int32_t dataType, int32_t codeType);

// Step 1.0.2's repair before its script, on the company database connected by the caller:
// writes the opening balances into the past-year slot before the data's first month. False
// after a failure, which it has rolled back and reported.
bool RepairKanendoZandaka();

}  // namespace userupdate

namespace userupdate {
// The journal re-totalling procedure that step 1.0.2 installs (its text, without SET TERM).
const char* SiwakeRepairProcedure();
}  // namespace userupdate

namespace userupdate {
// Step 2.0.4's re-seed of the fixed-asset journal settings of an individual's other code system:
// reads the company database when the open company is one, and appends the statements when its
// settings lack account 1401.
void ResetKsSetSwkInit(Lines& lines);
// The statements of that re-seed: the 35 settings rows, then the settings of each branch.
void AddKsSetSwkInitRows(Lines& lines, const std::vector<std::string>& branches);
}  // namespace userupdate

namespace userupdate {
// Step 1.0.3's clearing of the blank branch's past-year balances and budgets, for a company
// that keeps branches (SITEN 1).
void AddBlankBranchClearing(Lines& lines, int32_t siten);
}  // namespace userupdate
