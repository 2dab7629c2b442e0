#pragma once
// What the company steps 0.2.0 to 0.4.1 share: script text written line by line, and the
// month-slot columns of the past-year balance procedures.
#include <cstdint>
#include <string>
#include <string_view>

#include "upgrade/z5UserDbUpdate.h"

namespace userupdate {

// Appends a block of script text, one list entry per line of `text`.
void AddText(Lines& lines, std::string_view text);

// The balance column of month slot `slot` (-32 .. 15): ZANM32 .. ZANM00 for the slots up to 0,
// ZANP01 .. ZANP15 after it.
std::string BalanceColumn(int32_t slot);
// The budget column of slot `slot` (1 .. 15).
std::string BudgetColumn(int32_t slot);

// The parameters and results of SP_KANENDO_BUMON_GROUPZANDAKA, as callers and restores of the
// database expect them: "(PSCODE ..., PGCODE ...) RETURNS (...)".
std::string GroupZandakaSignature();
// PSQL statements that put `value` into the column of `slot` (a variable), one per slot of
// the family: `prefix` "ZAN" for the 48 balance columns, "YOSAN" for the 15 budget columns.
void AddSlotAssignments(Lines& lines, const std::string& prefix, const std::string& slot, const std::string& value,
                        const std::string& indent);
// PSQL statements that set every column of the family to `value`.
void AddSlotClear(Lines& lines, const std::string& prefix, const std::string& value, const std::string& indent);

}  // namespace userupdate
