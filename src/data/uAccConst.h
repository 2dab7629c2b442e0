#pragma once
// Constant tables of the shared records: the account-group codes and the cash-flow items, whose
// contents follow the data kind of the open company (general or medical layout), and the names
// the other units share. The file names of the databases and settings files are framework
// settings (fw:: in data/z5AppInfo.h), since start-up may replace them.
#include <array>
#include <string>
#include <vector>

// Number of entries of AccGroupCodes.
inline constexpr int kAccGroupCodeCount = 150;
// An entry that does not apply to the layout.
inline constexpr const char* kNoAccGroup = "****";

// Account-group codes (KGROUP, 4 characters) by position in the account tables of the reports.
// Before the first company is loaded it holds the general codes, except entries 88-141, which
// hold the medical ones.
extern std::array<std::string, kAccGroupCodeCount> AccGroupCodes;

// Switches AccGroupCodes to the medical or the general layout.
void InitKamokuLineMap(bool medical);

// One cash-flow item.
struct TSikinguriRec {
  std::string Code;
  std::string Name;
  std::string Qualifier;  // which part of the statement a generic name belongs to, or empty
};

// The cash-flow items of the open company's layout (39 general, 38 medical).
extern std::vector<TSikinguriRec> SikinguriTable;

// Rebuilds SikinguriTable for the layout.
void InitSikinguriTable(bool medical);

// True for the data-kind names "医療法人" and "個人(クリニック)" exactly.
bool IsMedicalDataKind(const std::string& name);

// Names of the business types of the simplified tax method, 第一種事業 to 第六種事業.
extern const std::array<const char*, 6> JigyouKubunNames;
// Digits of a cost-unit code by KobetuGenkaDigits 0 to 3.
extern const std::array<int, 4> KobetuGenkaCodeWidths;
// Name of the company as a whole in branch lists, by data type 1 to 3 (index data type - 1).
extern const std::array<const char*, 3> SitenTotalNames;
// Names of the facility kinds: the company as a whole, then the business kinds of medical data.
extern const std::array<const char*, 5> SisetuKindNames;
