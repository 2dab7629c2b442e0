// Stored procedure texts that several company steps write, each in the version a step needs.
// A step adds the returned statement to its body; the statement carries the verb the step
// uses (RECREATE, ALTER or CREATE OR ALTER) and ends with the " ^" terminator of a script run
// under SET TERM ^.
#pragma once

#include <cstdint>
#include <string>

namespace userprocs {

// The company step that writes a version, as major * 100 + minor1 * 10 + minor2 (1.0.3 -> 103).
constexpr int32_t kStep022 = 22;
constexpr int32_t kStep101 = 101;
constexpr int32_t kStep102 = 102;
constexpr int32_t kStep103 = 103;
constexpr int32_t kStep200 = 200;
constexpr int32_t kStep204 = 204;

// ------------------------------------------------------------------ journal paging lists

enum class TListMember : uint8_t {
  MonitorListUp,
  MonitorListDown,
  MonitorListUpEntryOrder,
  MonitorListDownEntryOrder,
  SiwakeListUp,
  SiwakeListDown,
  SiwakeListIn,
  MotochoListUp,
  MotochoListDown,
  MotochoListIn,
};

const char* ListMemberName(TListMember member);

// One page of journal lines from a caller's position. `step` selects the version: 103 (only the
// monitor up/down lists), 200 or 204; a version that step does not write falls back to the
// nearest earlier one that exists for the member (204 for a member last written by 200 gives
// the 200 text).
std::string JournalListProcedure(TListMember member, int32_t step, const std::string& verb = "RECREATE");

// ------------------------------------------------------------------ balance procedures

// The consumption-tax table of a tax kind added to sixteen slot totals.
std::string ZeigakuAddProcedure(const std::string& verb = "ALTER");

// The fixed forms of the trial balance: which line table and which account column assign an
// account to a line.
enum class TFixedForm : uint8_t { A4, A3 };

// The past-year balance and budget readers: whole company or one branch, one department, a
// branch group, a department group, and the A4 form lines of one department.
enum class TKanendoMember : uint8_t { Zandaka, BumonZandaka, GroupZandaka, BumonGroupZandaka, BumonZandakaA4 };

// The trial balance of one department of one branch (SP_SISANHYO_BUMON); `step` 102 or 103.
// With allocation the common department "00" keeps FLOOR(0.5 + amount x its rate) and every
// other department adds FLOOR(0.5 + common amount x its rate), each share rounded on its own.
std::string SisanhyoBumonProcedure(int32_t step, const std::string& verb);
// The fixed-form trial balance of the whole company or of filtered branches
// (SP_SISANHYO_A4, SP_SISANHYO_A3); `step` 200 or 204.
std::string SisanhyoFormProcedure(TFixedForm form, int32_t step, const std::string& verb);
// The fixed-form trial balance of one department (SP_SISANHYO_BUMON_A4, _A3); `step` 103, 200
// or 204.
std::string SisanhyoBumonFormProcedure(TFixedForm form, int32_t step, const std::string& verb);
// The closing-statement fixed form with the past-year balances (SP_SISANHYO_KESSAN); `step`
// 200 (previous year only) or 204.
std::string SisanhyoKessanProcedure(int32_t step, const std::string& verb);
// A past-year balance and budget reader (SP_KANENDO_*). `step` 101 gives the form from step
// 1.0.1 on; 22 the first form of step 0.2.2, written for Zandaka, BumonZandaka and
// BumonGroupZandaka only (std::invalid_argument otherwise). In that form the balances stop below
// the data's start month, read as a slot number (KAISINO 6 reads the slots up to 5), budgets
// of one department are read only with allocation, and a department group's slot takes the
// value of the department read last. Every returned row starts from zero, so a sub-account never
// shows the slots of the sub-account returned before it.
std::string KanendoProcedure(TKanendoMember member, const std::string& verb, int32_t step = kStep101);
const char* KanendoMemberName(TKanendoMember member);

}  // namespace userprocs
