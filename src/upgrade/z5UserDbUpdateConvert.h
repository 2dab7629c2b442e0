#pragma once
// Work of the company steps 3.0.0 to 10.0.0 that the program does itself, in its own connection
// to the company database, before a step's script is built or after it has run.
//
// Both connection frames connect the selected company data, run their work in the connection's
// default transaction and disconnect again, so that isql (or the next step) finds the file
// free. Work that fails is rolled back as a whole: a half-converted company database is never
// committed, and the step ends with 19.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace userupdate {

using TConversion = std::function<void()>;

// Runs the pre-steps in order in one transaction. True when all of them were committed; false
// (everything rolled back, reported in the error log) when one failed.
bool RunPreSteps(std::initializer_list<TConversion> steps);
// After a script that returned 1: runs the post-steps in order in one transaction. 1 when all
// were committed, 19 when one failed (everything rolled back). Another `scriptResult` is
// returned unchanged and nothing runs.
int32_t RunPostSteps(int32_t scriptResult, std::initializer_list<TConversion> steps);

// Step 3.0.6: the sub-account switch of the four standard medical accounts becomes '×'.
void DisableMedicalHojo();
// Step 3.0.6 (converted data): opening balances copied into the slot before the first month.
void ConvertKamokuPzOpening();
// The slot before the first month of input for the first month number `kaisino`.
int32_t OpeningSlot(int32_t kaisino);
// Step 7.0.0: the data password moves to its scrambled setting.
void ConvertDataPasswordV2();
// Step 9.0.3: the budgets rounded by the database's F_ROUND.
void RoundKamokuMsBudget();
// Step 9.0.4: the closing-statement print settings from the operator's settings.
void ConvertKessanPrintSettings();
// Step 9.0.5 (OEM editions): journal numbers cleared.
void ClearSiwakeDnum();

// Budget-analysis seeds of steps 8.0.2 (corporation), 8.0.3 (individual), 9.0.2 (medical).
void InsertKoseiGroupHyokaRule802();
void InsertKoseiGroupHyokaRule803();
void InsertHyokaRule902();
// Step 8.0.2: the company's menu rights by position become rights by program id.
void ConvertJobControl2();
// The program id (and option) of menu page `page`, item `menu` of the company rights.
void CompanyMenuProgram(int32_t page, int32_t menu, bool medical, int32_t oemKind, std::string& id,
                        std::string& option);

}  // namespace userupdate
