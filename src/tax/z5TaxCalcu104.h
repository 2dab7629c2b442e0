#pragma once
// General method, 付表2: the taxable-sales ratio, the 95% rule and the deductible purchase
// tax per rate column. Also the arithmetic the general chain shares: the cuts toward zero,
// the journal sums by tax-code set, and the hub services the chain calls.
#include <initializer_list>
#include <string_view>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"

// Sets every amount of the total column of 付表2 to 0; the method name and the full-credit
// flag stay as they are.
void ClearFuhyou2Totals(TTAXPAR& settings);

// Whether the taxable sales, annualised over a period of 1 to 11 months, are at most
// 500,000,000 yen.
bool IsWithin500Million(const TTAXPAR& settings, Currency taxableSales);

// Fills 付表2 and lines ③ and ④ of the rate columns of 付表1. Always true.
bool CalcFuhyou2(TTAXPAR& settings);

namespace gencalc {

// Cuts toward zero: to the yen, to a multiple of 1,000 and of 100 yen; Th is the amount in
// whole thousands of yen.
Currency Tr(Currency x);
Currency Tr1000(Currency x);
Currency Tr100(Currency x);
Currency Th(Currency x);
Currency Max0(Currency x);

// Sums of the journal tables of one rate class over a set of tax codes.
class Journal {
 public:
  Journal(const TTAXPAR& settings, int rateClass) : t_(settings), c_(rateClass) {}
  Currency K(std::initializer_list<int> codes) const;  // tax-inclusive amounts
  Currency N(std::initializer_list<int> codes) const;  // net amounts
  Currency Z(std::initializer_list<int> codes) const;  // tax amounts
  // The hub's rate conversion for this rate class.
  Currency Conv(std::string_view operation, Currency amount) const;
  int RateClass() const { return c_; }

 private:
  const TTAXPAR& t_;
  int c_;
};

// Tax-code sets of the general forms.
inline constexpr std::initializer_list<int> kSales = {110, 111, 112, 113, 114, 115, 116,
                                                      610, 611, 612, 613, 614, 615, 616};
inline constexpr std::initializer_list<int> kReturns = {310, 311, 312, 313, 314, 315, 316,
                                                        630, 631, 632, 633, 634, 635, 636};
inline constexpr std::initializer_list<int> kBadDebt = {410, 640};
inline constexpr std::initializer_list<int> kSpecified = {551, 552, 553};
inline constexpr std::initializer_list<int> kSpecifiedReturns = {581, 582, 583};

// 95.0 percent: the ratio at and above which the full credit may apply and specified
// purchases are left out.
inline constexpr Currency kRatio95 = Currency::FromYen(95);

}  // namespace gencalc

// Services of the engine's hub that the general chain calls. They live here until the hub
// unit provides them; the namespace keeps them apart from the hub's own definitions.
namespace hubsvc {

// Slot of a tax code in the journal tables, 1..93; 0 for any other code.
int TaxCodeSlot(int code);

// amount × the factor of the operation for the rate class, rounded to four decimals (halves
// to even). An unknown operation (case counts) or rate class gives 0.
Currency ConvertTaxAmount(int rateClass, std::string_view operation, Currency amount);

// Whether the 500-million-yen limit of the 95% rule applies: judged on the fiscal-year start
// of the open data set and its entity kind.
bool Uses500MillionTest(int periodBasis, TDateTime start, TDateTime end);

// 2 when only the 8% class holds amounts in the lines of 付表1 and 付表2 that count, else -1;
// stored in TRANSITIONAL of the engine's settings.
int CheckTransitionalAmounts(bool fromForms);

// Whether a rate column of 付表1 reports specified purchases (or their returns) while the
// taxable-sales ratio is below 95.0.
bool HasSpecifiedPurchases(bool fromForms);

}  // namespace hubsvc
