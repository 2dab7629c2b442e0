#pragma once
// The menus of the page-and-slot era: which program each slot of a page started, for the
// conversion of the operators' menu rights into program ids. Table A served levels up to
// 1000, table B (the medical corporations' menus) the levels above.
#include <cstdint>
#include <string>
#include <vector>

struct TMenuListRec {
  std::string ProgramId;  // empty: the slot is unused
  int32_t PageNo = 0;     // from 1
  int32_t MenuNo = 0;     // 0 to 19
  std::string Option;     // may hold a line "SyoriType=n"
};

// Entry (page, menu) lies at index (page - 1) * 20 + menu.
const std::vector<TMenuListRec>& OldMenuListA();  // 200 entries, pages 1 to 10
const std::vector<TMenuListRec>& OldMenuListB();  // 240 entries, pages 1 to 12

// The program id and the "SyoriType=n" line of a slot of the old menu of the level (empty when
// the slot is unused or unknown); OEM kinds 1 and 2 had their own programs on page 1 below
// level 1000. Returns the program id.
std::string FindOldMenuProgram(int32_t level, int32_t page, int32_t menu, std::string& programId,
                               std::string& option, int oemKind);
