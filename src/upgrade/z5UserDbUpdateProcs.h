// Stored procedure texts that several company steps write, each in the version a step needs.
// A step adds the returned statement to its body; the statement carries the verb the step
// uses (RECREATE, ALTER or CREATE OR ALTER) and ends with the " ^" terminator of a script run
// under SET TERM ^.
#pragma once

#include <cstdint>
#include <string>

namespace userprocs {

// The company step that writes a version, as major * 100 + minor1 * 10 + minor2 (1.0.3 -> 103).
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

}  // namespace userprocs
