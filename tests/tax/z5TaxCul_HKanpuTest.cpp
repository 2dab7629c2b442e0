// The purchase grids of the refund detail: which row a journal line feeds and how, and how
// the grids are finished after the general pass.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCul_H.h"
#include "TaxTestSupport.h"

namespace {

Currency Tenths(int64_t tenths) { return Currency::FromRaw(tenths * 1000); }  // 949 = 94.9

class RefundDetailTest : public TaxRecordsTest {};

// Every row the journal feeds, by name.
struct NamedRow {
  std::string name;
  TKanpuGridRow* row;
};

std::vector<NamedRow> JournalRows() {
  std::vector<NamedRow> rows;
  auto add = [&rows](const std::string& grid, auto& g) {
    for (int i = 1; i <= g.size(); ++i) rows.push_back({grid + std::to_string(i), &g[i]});
  };
  add("PL", KanpuMeisai_Hojin.PL_GRID);
  add("ASSET", KanpuMeisai_Hojin.ASSET_GRID);
  add("BUSINESS", KanpuMeisai_Kojin.BUSINESS_GRID);
  add("REALESTATE", KanpuMeisai_Kojin.REALESTATE_GRID);
  add("OTHER", KanpuMeisai_Kojin.OTHER_GRID);
  return rows;
}

// ---------------------------------------------------------------------------------------
// Accumulation.

struct AccumulateCase {
  const char* name;
  int dataType, codeType, keiri, method;
  int taishaku;
  const char* group;
  int dac, taxCode;
  bool counterTax;
  int linkKub;
  // The row that changes ("" none) and its first three columns afterwards.
  const char* row;
  int64_t col0, col1, col2;
};

void PrintTo(const AccumulateCase& c, std::ostream* os) { *os << c.name; }

// Every case books NUK 100,000 and ZEI 8,000.
const AccumulateCase kAccumulateCases[] = {
    {"ExpenseOutOfScope", 1, 1, 0, 0, 1, "6150", 1, 810, false, 0, "PL2", 108'000, 108'000, 0},
    {"TaxExcludedBookkeepingTakesTheNet", 1, 1, 1, 0, 1, "6150", 1, 810, false, 0, "PL2", 100'000, 100'000, 0},
    {"BatchTaxExclusionLineSkipped", 1, 1, 1, 0, 1, "6150", 1, 810, false, 9, "", 0, 0, 0},
    {"BatchLineCountsInTaxIncludedBookkeeping", 1, 1, 0, 0, 1, "6150", 1, 810, false, 9, "PL2", 108'000, 108'000,
     0},
    {"UnknownBookkeepingAddsNothing", 1, 1, 2, 0, 1, "6150", 1, 810, false, 0, "PL2", 0, 0, 0},
    {"TaxablePurchase", 1, 1, 0, 0, 1, "5210", 1, 511, false, 0, "PL1", 108'000, 0, 0},
    {"NonTaxablePurchase", 1, 1, 0, 0, 1, "7210", 1, 540, false, 0, "PL3", 108'000, 108'000, 0},
    {"UndecidedAgainstTaxAccount", 1, 1, 0, 0, 1, "8210", 1, 910, true, 0, "PL4", 108'000, 0, 0},
    {"OpeningStockLeftOut", 1, 1, 0, 0, 1, "5100", 1, 810, false, 0, "", 0, 0, 0},
    {"ClosingStockLeftOut", 1, 1, 0, 0, 1, "5820", 1, 810, false, 0, "", 0, 0, 0},
    {"NextToStockCounts", 1, 1, 0, 0, 1, "5101", 1, 810, false, 0, "PL1", 108'000, 108'000, 0},
    {"UpperBoundIncluded", 1, 1, 0, 0, 1, "1880", 1, 511, false, 0, "ASSET2", 108'000, 0, 0},
    {"OutsideEveryRange", 1, 1, 0, 0, 1, "6190", 1, 810, false, 0, "", 0, 0, 0},
    // Group codes compare as text.
    {"GroupComparedAsText", 1, 1, 0, 0, 1, "15", 1, 511, false, 0, "ASSET1", 108'000, 0, 0},
    {"LongerCodeAboveItsPrefix", 1, 1, 0, 0, 1, "16800", 1, 511, false, 0, "", 0, 0, 0},
    {"NoSideAttribute", 1, 1, 0, 0, 1, "6150", 0, 810, false, 0, "", 0, 0, 0},
    {"SideAttributeAboveFour", 1, 1, 0, 0, 1, "6150", 5, 810, false, 0, "", 0, 0, 0},
    {"OddSide", 1, 1, 0, 0, 3, "6150", 1, 810, false, 0, "", 0, 0, 0},
    // Credit lines: expense rows lose every column, asset rows only against a tax account.
    {"CreditOnExpense", 1, 1, 0, 0, 2, "6150", 1, 810, false, 0, "PL2", -108'000, -108'000, 0},
    {"CreditOnAsset", 1, 1, 0, 0, 2, "1500", 1, 810, false, 0, "", 0, 0, 0},
    {"CreditOnAssetAgainstTaxAccount", 1, 1, 0, 0, 2, "1500", 1, 810, true, 0, "ASSET1", -108'000, 0, 0},
    // Specified purchases are kept apart in the general pass only.
    {"SpecifiedPurchaseGeneral", 1, 1, 0, 0, 1, "5210", 1, 551, false, 0, "PL1", 108'000, 0, 108'000},
    {"SpecifiedPurchaseSimplified", 1, 1, 0, 1, 1, "5210", 1, 551, false, 0, "PL1", 108'000, 0, 0},
    {"SpecifiedReturnOnExpense", 1, 1, 0, 0, 2, "6150", 1, 583, false, 0, "PL2", -108'000, 0, -108'000},
    {"SpecifiedOnAssetCredit", 1, 1, 0, 0, 2, "1410", 1, 581, true, 0, "ASSET1", -108'000, 0, 0},
    // Medical corporations count the wider expense groups.
    {"MedicalWideExpenseGroup", 3, 1, 0, 0, 1, "6500", 1, 810, false, 0, "PL2", 108'000, 108'000, 0},
    {"MedicalLowerBound", 3, 1, 0, 0, 1, "6100", 1, 810, false, 0, "", 0, 0, 0},
    {"CorporationWideExpenseGroup", 1, 1, 0, 0, 1, "6500", 1, 810, false, 0, "", 0, 0, 0},
    {"IndividualBusinessAsset", 2, 1, 0, 0, 1, "1500", 1, 511, false, 0, "BUSINESS3", 108'000, 0, 0},
    {"IndividualClinicPurchase", 2, 3, 0, 0, 1, "5210", 1, 511, false, 0, "BUSINESS1", 108'000, 0, 0},
    {"IndividualBusinessExpense", 2, 1, 0, 0, 1, "6150", 1, 810, false, 0, "BUSINESS2", 108'000, 108'000, 0},
    {"IndividualRealEstateExpense", 2, 2, 0, 0, 1, "6150", 1, 810, false, 0, "REALESTATE1", 108'000, 108'000,
     0},
    {"IndividualAgricultureAsset", 2, 4, 0, 0, 1, "1500", 1, 511, false, 0, "REALESTATE2", 108'000, 0, 0},
    {"IndividualRealEstateHasNoPurchases", 2, 2, 0, 0, 1, "5210", 1, 511, false, 0, "", 0, 0, 0},
    {"IndividualOtherCodeType", 2, 5, 0, 0, 1, "6150", 1, 810, false, 0, "", 0, 0, 0},
    {"OtherEntityKind", 4, 1, 0, 0, 1, "6150", 1, 810, false, 0, "", 0, 0, 0},
};

class AccumulateTest : public RefundDetailTest, public ::testing::WithParamInterface<AccumulateCase> {};

TEST_P(AccumulateTest, Row) {
  const AccumulateCase& c = GetParam();
  AccInf.DATATYPE = c.dataType;
  AccInf.CODETYPE = c.codeType;
  KanpuMeisai_Hojin.KEIRI_HOUSIKI = c.keiri;
  KanpuMeisai_Kojin.KEIRI_HOUSIKI = c.keiri;
  TaxPar.SINKOKU_KUBUN = c.method;

  AccumulateRefundDetail(c.counterTax, c.taishaku, c.group, c.dac, c.taxCode, Yen(100'000), Yen(8'000),
                         c.linkKub);

  for (const NamedRow& r : JournalRows()) {
    const bool fed = r.name == c.row;
    EXPECT_EQ(r.row->KESSANKIN, fed ? Yen(c.col0) : Yen(0)) << r.name;
    EXPECT_EQ(r.row->NOTKAZEISIIREKIN, fed ? Yen(c.col1) : Yen(0)) << r.name;
    EXPECT_EQ(r.row->TOKUTEI, fed ? Yen(c.col2) : Yen(0)) << r.name;
    EXPECT_EQ(r.row->KAZEISIIREKIN, Yen(0)) << r.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, AccumulateTest, ::testing::ValuesIn(kAccumulateCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Finishing after the general pass.

TEST_F(RefundDetailTest, CorporateRowsInThousandsWithSpecifiedPurchasesMergedFrom95) {
  struct {
    int64_t ratioTenths;
    int64_t col1, col3;  // thousands
  } cases[] = {{950, 134, 1'100}, {1000, 134, 1'100}, {949, 34, 1'200}};
  for (const auto& c : cases) {
    ResetTaxEngineRecords();
    AccInf.DATATYPE = 3;
    Fuhyou2[0].KAZEI_WARIAI = Tenths(c.ratioTenths);
    TKanpuMeisai_Hojin& h = KanpuMeisai_Hojin;
    h.PL_GRID[1] = {Yen(1'234'567), Yen(34'567), Yen(100'000), Yen(99)};
    // Cut toward zero, also below zero; the quotient is held to four decimals first, so
    // 999.9999 yen make a whole thousand.
    h.PL_GRID[4] = {Yen(-1'500), Currency::FromRaw(9'999'999), Yen(0), Yen(0)};
    h.ASSET_GRID[3] = {Yen(2'000), Yen(0), Yen(0), Yen(0)};
    h.PL_GRID[5] = {Yen(7), Yen(7), Yen(7), Yen(7)};
    h.SIIREKIN_ZEIGAKU = Yen(5);

    FinishRefundDetail();

    const std::string at = "ratio " + std::to_string(c.ratioTenths);
    EXPECT_EQ(h.PL_GRID[1].KESSANKIN, Yen(1'234)) << at;
    EXPECT_EQ(h.PL_GRID[1].NOTKAZEISIIREKIN, Yen(c.col1)) << at;
    EXPECT_EQ(h.PL_GRID[1].KAZEISIIREKIN, Yen(c.col3)) << at;
    EXPECT_EQ(h.PL_GRID[4].KESSANKIN, Yen(-1)) << at;
    EXPECT_EQ(h.PL_GRID[4].NOTKAZEISIIREKIN, Yen(1)) << at;
    EXPECT_EQ(h.PL_GRID[4].KAZEISIIREKIN, Yen(-2)) << at;
    EXPECT_EQ(h.PL_GRID[5].KESSANKIN, Yen(1'233)) << at;
    EXPECT_EQ(h.PL_GRID[5].NOTKAZEISIIREKIN, Yen(c.col1 + 1)) << at;
    EXPECT_EQ(h.PL_GRID[5].KAZEISIIREKIN, Yen(c.col3 - 2)) << at;
    EXPECT_EQ(h.ASSET_GRID[4].KESSANKIN, Yen(2)) << at;
    EXPECT_EQ(h.ASSET_GRID[4].KAZEISIIREKIN, Yen(2)) << at;
    EXPECT_EQ(h.SIIREKIN_ZEIGAKU, Yen(0)) << at;
  }
}

TEST_F(RefundDetailTest, IndividualGridsStayInYen) {
  AccInf.DATATYPE = 2;
  Fuhyou2[0].KAZEI_WARIAI = Yen(95);
  TKanpuMeisai_Kojin& k = KanpuMeisai_Kojin;
  k.BUSINESS_GRID[1] = {Yen(1'234'567), Yen(34'567), Yen(100'000), Yen(0)};
  k.BUSINESS_GRID[3] = {Yen(500'000), Yen(0), Yen(0), Yen(0)};
  k.REALESTATE_GRID[2] = {Yen(80'000), Yen(10'000), Yen(0), Yen(0)};
  k.OTHER_GRID[1] = {Yen(1'000), Yen(0), Yen(0), Yen(0)};
  k.BUSINESS_GRID[4].KESSANKIN = Yen(9);

  FinishRefundDetail();

  EXPECT_EQ(k.BUSINESS_GRID[1].NOTKAZEISIIREKIN, Yen(134'567));
  EXPECT_EQ(k.BUSINESS_GRID[1].KAZEISIIREKIN, Yen(1'100'000));
  EXPECT_EQ(k.BUSINESS_GRID[4].KESSANKIN, Yen(1'734'567));
  EXPECT_EQ(k.BUSINESS_GRID[4].KAZEISIIREKIN, Yen(1'600'000));
  EXPECT_EQ(k.REALESTATE_GRID[3].KAZEISIIREKIN, Yen(70'000));
  EXPECT_EQ(k.OTHER_GRID[4].KAZEISIIREKIN, Yen(1'000));
  EXPECT_EQ(k.KAZEISIIREKIN_TOTAL, Yen(1'671'000));
}

TEST_F(RefundDetailTest, PurchaseTaxBase) {
  struct {
    int dataType;
    int64_t ratioTenths;
    int64_t tokutei;
    int64_t expected;  // thousands for corporations, yen for individuals
  } cases[] = {
      {1, 960, 0, 1'234},        {2, 960, 0, 1'234'567},
      {1, 949, 10'000, 1'244},   {2, 949, 10'000, 1'244'567},
      {3, 950, 10'000, 1'234},   {2, 950, 10'000, 1'234'567},
  };
  for (const auto& c : cases) {
    ResetTaxEngineRecords();
    AccInf.DATATYPE = c.dataType;
    Fuhyou2[0].SIIRE_ZEIGAKU = Yen(1'200'000);
    Fuhyou2[0].YUNYU_ZEIGAKU = Yen(34'567);
    Fuhyou2[0].TOKUTEI_ZEIGAKU = Yen(c.tokutei);
    Fuhyou2[0].KAZEI_WARIAI = Tenths(c.ratioTenths);

    StoreRefundPurchaseTaxBase();

    const bool corporate = c.dataType != 2;
    const Currency base = corporate ? KanpuMeisai_Hojin.SIIREKIN_ZEIGAKU : KanpuMeisai_Kojin.SIIREKIN_ZEIGAKU;
    const Currency copy = corporate ? KanpuMeisai_Hojin.SIIREKIN_ZEIGAKU2 : KanpuMeisai_Kojin.SIIREKIN_ZEIGAKU2;
    EXPECT_EQ(base, Yen(c.expected)) << c.dataType << " " << c.ratioTenths;
    EXPECT_EQ(copy, Yen(c.expected)) << c.dataType << " " << c.ratioTenths;
  }

  // Other entity kinds have no refund detail.
  ResetTaxEngineRecords();
  AccInf.DATATYPE = 0;
  Fuhyou2[0].SIIRE_ZEIGAKU = Yen(1'000);
  StoreRefundPurchaseTaxBase();
  EXPECT_EQ(KanpuMeisai_Hojin.SIIREKIN_ZEIGAKU, Yen(0));
  EXPECT_EQ(KanpuMeisai_Kojin.SIIREKIN_ZEIGAKU, Yen(0));
}

}  // namespace
