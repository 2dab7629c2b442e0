#pragma once
// Japanese eras (和暦) and the calendar arithmetic of closing periods.
//
// Dates are TDateTime values. A data set's closing day (SIME) is 1 to 28 (the day each
// closing period ends on) or 99 (the month's last day); any other value means no closing
// arithmetic. Period numbers (MNUM) run 1 to 16: four quarters of three monthly periods,
// each quarter followed by a closing-adjustment period sharing its last month
// (1, 2, 3, [4], 5, 6, 7, [8], 9, 10, 11, [12], 13, 14, 15, [16]). A slot index is MNUM - 1.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/DateTime.h"

class TIBDatabase;
class TIBTransaction;

// One era.
struct TGengoRec {
  std::string Name;       // "平成"
  std::string Sign;       // "H"
  TDateTime StartDate = 0;
  int32_t YearOffset = 0;  // the western year in which the era's year 1 falls (1989)
};

// Eras, newest first.
using TGengoArray = std::vector<TGengoRec>;

// One built-in era.
struct TGengo2Rec {
  const char* Name;
  const char* Sign;
  const char* StartDate;  // "yyyy/mm/dd"
  int32_t FirstYear;
};

// A date in era form. The era year is signed: a date before the oldest era known counts
// back from that era's year 1 (0, -1 ...) rather than wrapping round.
struct TWarekiRec {
  std::string GengoName;
  std::string GengoSign;
  int16_t Year = 0;
  uint16_t Month = 0;
  uint16_t Day = 0;
};

// The era table every conversion reads; loaded once after the logon. Empty until then, and
// conversions then give western years without an era name.
extern TGengoArray GengoArray;

// Fills GengoArray with the built-in eras (明治 to 平成).
void InitGengoTable();

// Fills GengoArray from the GENGO table of the system database, newest era first, in the
// transaction given (started and committed here when it is not active). Never raises: on a
// database failure, or when the table has no rows, the built-in eras take over.
void LoadGengoTableFrom(TIBDatabase& db, TIBTransaction& tr);

TWarekiRec DateToWareki(TDateTime date);

// Gregorian leap year; false for a year that cannot be tested (outside 1 to 9999).
bool IsLeapYearSafe(int32_t year);
TDateTime AddDays(int32_t n, TDateTime date);
int32_t DayOfDate(TDateTime date);
// The date n months on (back when negative), keeping the day but no later than the last day
// of the target month.
TDateTime IncMonthClamp(int32_t n, TDateTime date);

// The closing date of the closing period containing the date, moved n months on. The date
// itself for a closing day other than 1 to 28 and 99.
TDateTime GetSimeDate(int32_t n, int32_t sime, TDateTime date);
// The first day of the closing period n months on: GetSimeDate(n - 1) + 1 day.
TDateTime GetSimeStartDate(int32_t n, int32_t sime, TDateTime date);
// Months from the closing month of date1 to that of date2.
int32_t GetMonthOffset(int32_t sime, TDateTime date1, TDateTime date2);

// Period number 1 to 16 of a date in the fiscal year; -1 before the fiscal start. Dates after
// the fiscal end count as its month. With the closing flag 1 a date in a quarter's last month
// belongs to the quarter's closing-adjustment period, and the fiscal end itself to period 16.
int32_t GetKikanNo(int32_t sime, int32_t kessan, TDateTime kishu, TDateTime date, TDateTime kimatu);
// First day of slot k (0 to 15); with clamp no later than the fiscal end. A slot outside 1 to
// 15 starts at the fiscal start.
TDateTime GetKikanStartDate(int32_t k, int32_t sime, bool clamp, TDateTime kishu, TDateTime kimatu);
// Last day of slot k; with clamp no later than the fiscal end.
TDateTime GetKikanEndDate(int32_t k, int32_t sime, bool clamp, TDateTime kishu, TDateTime kimatu);
// Slot index of the n-th month of the fiscal year (1 to 12); 0 for any other value.
int32_t MonthToKikanIndex(int32_t month);
