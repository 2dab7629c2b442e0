#pragma once
// What the caller of an export (the command-line exporter now, the wizard later) decides about
// one run: the company's fiscal dates, the calculation period and the tax switches. The caller
// fills one TExportParams from the opened company and its own choices; the exporter keeps it
// for the header of the file and hands the same record, unchanged, to its data maker.
//
// TZaimuDataLoad, the base of the data makers, is built on that record and adds the switches
// that only the family's other makers read (branch range, months of the year).
#include <cstdint>
#include <string>

#include "platform/DateTime.h"

struct TExportParams {
  int32_t FiscalYear = 0;
  TDateTime YearStart = 0;
  TDateTime YearEnd = 0;
  int32_t ClosingDay = 99;        // 99: month end
  int32_t IncomeKind = 0;         // income-tax kinds only
  int32_t HasuuSyoukyaku = 0;     // income-tax kinds only
  uint8_t IncludeDetails = 0;     // income-tax kinds only
  int32_t StartSlot = 0;          // first period number (MNUM 0..15) of the calculation period
  int32_t EndSlot = 0;            // last period number of the calculation period
  int32_t LastSlot = 0;           // last period number of the fiscal year
  int32_t TaxCalcKind = 0;        // 0 tax-included, 1 tax-excluded
  int32_t Simplified = 0;         // non-zero: simplified method
  int32_t MainBusinessType = 0;   // 1..6, 0 none
  int32_t AccumMethod = 0;        // 0 principle, non-zero accumulation; always 0 here
  int32_t DataType = 0;           // 1 corporation, 2 individual, 3 medical corporation
  int32_t CodeType = 0;
};

// Highest period number of a fiscal year.
inline constexpr int32_t kMaxSlot = 15;

// Refuses a calculation period the makers cannot turn into dates: a period number outside
// 0..15, or a start after the end (which would give an empty period and so a file of empty
// groups under the user's name). Raises EDataExportError kExportErrPeriod.
void CheckExportPeriod(const TExportParams& params);

class TZaimuDataLoad : public TExportParams {
 public:
  // The makers' own initial period: the whole of a full fiscal year.
  TZaimuDataLoad() {
    EndSlot = kMaxSlot;
    LastSlot = kMaxSlot;
  }
  explicit TZaimuDataLoad(const TExportParams& params) : TExportParams(params) {}
  virtual ~TZaimuDataLoad() = default;

  std::string ScodeFrom = " ";  // first branch code of a branch range
  std::string ScodeTo = " ";    // last branch code of a branch range
  int32_t Months = 12;          // months of the fiscal year
};
