#pragma once
// The engine's arithmetic, below the hub and both method chains: the rate conversions, the
// tax-code slots of the journal tables, the named sets of tax codes, the journal sums by set
// and the cuts of amounts. The consumption-tax data maker reads the same sets, so that every
// list of codes is written down once.
#include <cstdint>
#include <initializer_list>

#include "platform/Currency.h"
#include "tax/z5ComSyohizei.h"

// ---------------------------------------------------------------------------------------
// Rate conversions.

// The conversions between the parts of an amount of one rate class. Factors for the classes
// 0 (3%), 1 (5%) and 2 (8%):
enum class TaxConv {
  KOMI2NUKI,     // tax-inclusive amount to net amount: 100/103, 100/105, 100/108
  KOMI_KOKUZEI,  // tax-inclusive amount to its national tax: 3/103, 4/105, 6.3/108
  NUKI_ZEIGAKU,  // net amount to its whole tax: 3/100, 5/100, 8/100
  TAX_KOKUZEI,   // whole tax to its national part: 1, 4/5, 6.3/8
  TAX_ZEIRITU,   // net amount to national tax at the national rate: 0.03, 0.04, 0.063
  JYOTOWARI,     // national tax to local consumption tax: 0, 25/100, 17/63
  NUKI_KOKUZEI,  // net amount of a specified purchase to its national tax: 0, 4/100, 6.3/100
};

// amount × the factor of the conversion for the rate class, rounded to four decimals with
// halves to even. A rate class outside 0..2 gives 0. A value that is none of the conversions
// throws std::invalid_argument rather than passing for an amount of 0.
Currency ConvertTaxAmount(int32_t rateClass, TaxConv op, Currency amount);

// ---------------------------------------------------------------------------------------
// Tax-code slots.

// Slot of a tax code in the journal tables, 1..93; 0 for a code outside the table.
int32_t TaxCodeSlot(int32_t code);

namespace taxarith {

// ---------------------------------------------------------------------------------------
// Named sets of tax codes. A set lists its codes in the order in which they are summed.
using CodeSet = std::initializer_list<int>;

// Taxable sales and their returns: the codes of the sales side and of the tax received, each
// untyped and by business type.
inline constexpr CodeSet kSales = {110, 111, 112, 113, 114, 115, 116,
                                   610, 611, 612, 613, 614, 615, 616};
inline constexpr CodeSet kReturns = {310, 311, 312, 313, 314, 315, 316,
                                     630, 631, 632, 633, 634, 635, 636};
// Bad debts of taxable sales, and written-off debts of taxable sales collected.
inline constexpr CodeSet kBadDebt = {410, 640};
inline constexpr CodeSet kCollected = {210, 620};

// Purchases, imports and stock adjustments by what they serve (taxable sales, common,
// non-taxable sales), on the purchase side and on the tax paid; and their returns.
inline constexpr CodeSet kPurchases = {511, 512, 513, 711, 712, 713};
inline constexpr CodeSet kPurchaseReturns = {561, 562, 563, 761, 762, 763};
inline constexpr CodeSet kImports = {521, 522, 523, 721, 722, 723};
inline constexpr CodeSet kImportReturns = {571, 572, 573, 771, 772, 773};
inline constexpr CodeSet kStockAdjustments = {531, 532, 533, 731, 732, 733};
// The national tax of imports, entered as tax, and its returns.
inline constexpr CodeSet kImportNationalTax = {724, 725, 726};
inline constexpr CodeSet kImportNationalTaxReturns = {774, 775, 776};
// Specified purchases (特定課税仕入れ) and their returns.
inline constexpr CodeSet kSpecified = {551, 552, 553};
inline constexpr CodeSet kSpecifiedReturns = {581, 582, 583};

// The groups whose codes carry a business type under the simplified method: the untyped
// code `base` and the typed codes base + 1 .. base + kBusinessTypeCount.
inline constexpr int kBusinessTypeCount = 6;
inline constexpr int kSalesBase = 110;        // taxable sales
inline constexpr int kReturnsBase = 310;      // their returns
inline constexpr int kSalesTaxBase = 610;     // tax received on taxable sales
inline constexpr int kReturnsTaxBase = 630;   // tax received on their returns
inline constexpr CodeSet kBusinessTypeBases = {kSalesBase, kReturnsBase, kSalesTaxBase,
                                               kReturnsTaxBase};

bool Contains(CodeSet set, int code);

// ---------------------------------------------------------------------------------------
// Cuts of amounts.

// Toward zero: to the yen, to a multiple of 1,000 and of 100 yen; Th is the amount in whole
// thousands of yen.
Currency Tr(Currency x);
Currency Tr1000(Currency x);
Currency Tr100(Currency x);
Currency Th(Currency x);
Currency Max0(Currency x);

// Whole thousands of yen: the amount ÷ 1,000 held to four decimals (halves away from zero),
// then rounded to the yen by mode.
Currency Thousands(Currency yen, RoundMode mode);

// A net balance split into the refund side, which keeps its yen, and the payable side, cut to
// 100 yen; the side the balance does not fall on is 0.
void SplitNet(Currency net, Currency& refund, Currency& payable);

// 95.0 percent: the taxable-sales ratio at and above which the full credit may apply and
// specified purchases are left out.
inline constexpr Currency kRatio95 = Currency::FromYen(95);

// ---------------------------------------------------------------------------------------
// Journal sums.

// Sums of the journal tables of one rate class over a set of tax codes.
class Journal {
 public:
  Journal(const TTAXPAR& settings, int rateClass) : t_(settings), c_(rateClass) {}
  Currency K(CodeSet codes) const;  // tax-inclusive amounts
  Currency N(CodeSet codes) const;  // net amounts
  Currency Z(CodeSet codes) const;  // tax amounts
  // The rate conversion for this rate class.
  Currency Conv(TaxConv op, Currency amount) const { return ConvertTaxAmount(c_, op, amount); }
  int RateClass() const { return c_; }

 private:
  const TTAXPAR& t_;
  int c_;
};

// National tax of a set of codes: tax-inclusive amounts and recorded tax each converted to
// national tax and cut to the yen.
Currency NationalTax(const Journal& j, CodeSet codes);

}  // namespace taxarith
