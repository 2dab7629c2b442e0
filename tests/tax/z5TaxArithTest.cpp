// The engine's code sets against the tax-code table of the data layer, and the cuts of
// amounts.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "data/uAccRecord.h"
#include "data/uAccTaxCmp.h"
#include "tax/z5TaxArith.h"
#include "TaxTestSupport.h"

namespace {

using namespace taxarith;

class TaxArithTest : public TaxRecordsTest {};

// A code without a slot would be summed from slot 0, the bin of every unknown code, and a
// form line would take amounts that are not its own without any error.
TEST_F(TaxArithTest, EveryCodeOfTheNamedSetsIsATableCodeWithASlot) {
  const std::pair<const char*, CodeSet> sets[] = {
      {"sales", kSales},
      {"returns", kReturns},
      {"bad debt", kBadDebt},
      {"collected", kCollected},
      {"purchases", kPurchases},
      {"purchase returns", kPurchaseReturns},
      {"imports", kImports},
      {"import returns", kImportReturns},
      {"stock adjustments", kStockAdjustments},
      {"import national tax", kImportNationalTax},
      {"import national tax returns", kImportNationalTaxReturns},
      {"specified", kSpecified},
      {"specified returns", kSpecifiedReturns},
  };
  for (const auto& [name, set] : sets) {
    for (int code : set) {
      TTaxCodeInfo info;
      EXPECT_TRUE(GetTaxCodeInfo(code, info)) << name << " " << code;
      EXPECT_NE(TaxCodeSlot(code), 0) << name << " " << code;
    }
  }
}

// The journal entry's rules and the engine must agree on which codes are specified purchases
// and which carry a business type.
TEST_F(TaxArithTest, SpecifiedAndBusinessTypeCodesAgreeWithTheEntryRules) {
  std::set<int> typed;
  for (int base : kBusinessTypeBases)
    for (int t = 0; t <= kBusinessTypeCount; ++t) typed.insert(base + t);

  for (int code = 0; code <= 999; ++code) {
    EXPECT_EQ(IsSpecifiedPurchaseCode(code), Contains(kSpecified, code) || Contains(kSpecifiedReturns, code))
        << code;
    TTaxCodeInfo info;
    GetTaxCodeInfo(code, info);
    EXPECT_EQ(info.BizClass != 0, typed.count(code) == 1) << code;
  }

  for (int base : kBusinessTypeBases) {
    TTaxCodeInfo info;
    ASSERT_TRUE(GetTaxCodeInfo(base, info));
    EXPECT_EQ(info.BizClass, 1) << base;
    for (int t = 1; t <= kBusinessTypeCount; ++t) {
      // General method: every typed code folds back to its group's untyped code.
      AccInf.TAXKANNI = 0;
      int code = base + t;
      NormalizeTaxCode(code);
      EXPECT_EQ(code, base) << base << "+" << t;
      // Simplified method: the untyped code takes the main business type.
      AccInf.TAXKANNI = 1;
      AccInf.TAXJIGYOU = t;
      code = base;
      NormalizeTaxCode(code);
      EXPECT_EQ(code, base + t) << base << "+" << t;
    }
  }
}

TEST(TaxArithCuts, TowardZeroAndByThousands) {
  struct Case { const char* amount; int64_t tr, tr100, tr1000, th, halfThousands, cutThousands; };
  const Case cases[] = {
      {"1499.5", 1499, 1400, 1000, 1, 1, 1},
      {"1499500", 1499500, 1499500, 1499000, 1499, 1500, 1499},
      {"-1499500", -1499500, -1499500, -1499000, -1499, -1500, -1499},
      {"99.9999", 99, 0, 0, 0, 0, 0},
      // Thousands holds the quotient to four decimals first (0.9999999 becomes 1.0000,
      // -1,499.4999999 becomes -1,499.5000); Th cuts the exact amount.
      {"999.9999", 999, 900, 0, 0, 1, 1},
      {"-1499499.9999", -1499499, -1499400, -1499000, -1499, -1500, -1499},
      {"-1999.9999", -1999, -1900, -1000, -1, -2, -2},
  };
  for (const auto& c : cases) {
    Currency x;
    ASSERT_TRUE(Currency::TryParse(c.amount, x)) << c.amount;
    EXPECT_EQ(Tr(x), Yen(c.tr)) << c.amount;
    EXPECT_EQ(Tr100(x), Yen(c.tr100)) << c.amount;
    EXPECT_EQ(Tr1000(x), Yen(c.tr1000)) << c.amount;
    EXPECT_EQ(Th(x), Yen(c.th)) << c.amount;
    EXPECT_EQ(Thousands(x, RoundMode::HalfAwayFromZero), Yen(c.halfThousands)) << c.amount;
    EXPECT_EQ(Thousands(x, RoundMode::TowardZero), Yen(c.cutThousands)) << c.amount;
  }
}

}  // namespace
