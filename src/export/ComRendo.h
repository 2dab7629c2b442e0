#pragma once
// The base of the data makers: the period and tax switches that an export hands to its maker.
// The consumption-tax maker reads StartSlot, EndSlot, LastSlot, Simplified, MainBusinessType
// and AccumMethod; the branch range, TaxCalcKind and Months serve the family's other makers.
#include <cstdint>
#include <string>

class TZaimuDataLoad {
 public:
  TZaimuDataLoad() = default;
  virtual ~TZaimuDataLoad() = default;

  std::string ScodeFrom = " ";  // first branch code of a branch range
  std::string ScodeTo = " ";    // last branch code of a branch range
  int32_t StartSlot = 0;        // first period number of the calculation period
  int32_t EndSlot = 15;         // last period number
  int32_t LastSlot = 15;        // last period number of the fiscal year
  int32_t TaxCalcKind = 0;      // 0 tax-included, 1 tax-excluded
  int32_t Simplified = 0;       // non-zero: simplified method
  int32_t MainBusinessType = 0; // 1..6, 0 none
  int32_t AccumMethod = 0;      // 0 principle, non-zero accumulation
  int32_t Months = 12;          // months of the fiscal year
};
