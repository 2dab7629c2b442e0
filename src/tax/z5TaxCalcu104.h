#pragma once
// General method, 付表2: the taxable-sales ratio, the 95% rule and the deductible purchase
// tax per rate column. Also the arithmetic both method chains share: the cuts toward zero,
// the journal sums by tax-code set and the split of a net balance.
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

// A net balance split into the refund side, which keeps its yen, and the payable side, cut to
// 100 yen; the side the balance does not fall on is 0.
void SplitNet(Currency net, Currency& refund, Currency& payable);

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

// National tax of a set of codes: tax-inclusive amounts and recorded tax each converted to
// national tax and cut to the yen.
Currency NationalTax(const Journal& j, std::initializer_list<int> codes);

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
