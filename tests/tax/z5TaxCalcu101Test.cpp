// The general method's figures, computed from hand-filled journal tables.
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCalcu101.h"
#include "tax/z5TaxArith.h"
#include "tax/z5TaxCalcu104.h"
#include "tax/z5TaxCul_H.h"
#include "TaxTestSupport.h"

namespace {

using RetField = Currency TSyohizeiSinkoku::*;
using F1Field = Currency TFuhyou1_H260401::*;
using F2Field = Currency TFuhyou2_H260401::*;

struct RetExpect {
  const char* name;
  RetField field;
  int64_t yen;
};
struct F1Expect {
  const char* name;
  F1Field field;
  int column;
  int64_t yen;
};
struct F2Expect {
  const char* name;
  F2Field field;
  int column;
  int64_t yen;
};

#define RET(f) #f, &TSyohizeiSinkoku::f
#define F1(f) #f, &TFuhyou1_H260401::f
#define F2(f) #f, &TFuhyou2_H260401::f

class GeneralMethodTest : public TaxRecordsTest {
 protected:
  void SetUp() override {
    TaxRecordsTest::SetUp();
    AccInf.DATATYPE = 1;
    AccInf.SIME = 99;
    SetYear(EncodeDate(2014, 4, 1), EncodeDate(2015, 3, 31));
    TaxPar.SINKOKU_KUBUN = 0;
    TaxPar.FORM_ERA = 1;
  }
  static void Run() { ASSERT_TRUE(CalcGeneralReturn(TaxPar, Sinkoku)); }
};

// ---------------------------------------------------------------------------------------
// 付表1 and the return.

struct ReturnCase {
  const char* name;
  std::vector<Cell> cells;
  int64_t interimNational = 0;
  int64_t interimLocal = 0;
  int transitional = 0;
  std::vector<F1Expect> fuhyou1;
  std::vector<RetExpect> ret;
};

const ReturnCase kReturnCases[] = {
    {"TaxInclusiveSales8",
     {{'K', 2, 110, 1'080'999}},
     0, 0, 2,
     {{F1(KAZEI_HYOUJUN), 3, 1'000'000}, {F1(SYOHIZEIGAKU), 3, 63'000}},
     {{RET(KAZEI_HYOUJUN), 1'000'000}, {RET(SYOHIZEIGAKU), 63'000},
      {RET(HYOUJUN_63), 1'000}, {RET(NOUFU_ZEIGAKU), 63'000}, {RET(JOUTO_NOUFU), 17'000},
      {RET(GOUKEI_ZEIGAKU), 80'000}}},
    // The recorded tax's national part, not the rate applied to the cut base.
    {"TaxExclusiveSales8",
     {{'N', 2, 110, 1'000'500}, {'Z', 2, 110, 80'040}},
     0, 0, 2,
     {{F1(KAZEI_HYOUJUN), 3, 1'000'000}, {F1(SYOHIZEIGAKU), 3, 63'031}},
     {{RET(SASHIHIKI_ZEIGAKU), 63'000}, {RET(TIHO_SASHIHIKI), 63'000},
      {RET(JOUTO_NOUZEI), 17'000}}},
    // 8% only: the local tax is taken on the return's base cut to 100 yen.
    {"EightPercentOnlyTransitional",
     {{'N', 2, 110, 1'000'000}, {'Z', 2, 110, 127'110}},
     0, 0, 2,
     {{F1(TIHO_SASHIHIKI), 3, 100'099}, {F1(JOUTO_NOUZEI), 3, 27'010}},
     {{RET(TIHO_SASHIHIKI), 100'000}, {RET(JOUTO_NOUZEI), 26'900}, {RET(JOUTO_NOUFU), 26'900},
      {RET(TIHO_KIJYUN_4), 0}, {RET(TIHO_KIJYUN_63), 100'000}}},
    // One 5% line, however small, ends the transitional computation.
    {"OneFivePercentLine",
     {{'N', 2, 110, 1'000'000}, {'Z', 2, 110, 127'110}, {'K', 1, 511, 1}},
     0, 0, -1,
     {{F1(JOUTO_NOUZEI), 3, 27'010}},
     {{RET(TIHO_SASHIHIKI), 100'000}, {RET(JOUTO_NOUZEI), 27'000},
      {RET(TIHO_KIJYUN_63), 100'099}}},
    {"ThreePercentOnly",
     {{'K', 0, 110, 1'030'000}},
     0, 0, -1,
     {{F1(SYOHIZEIGAKU), 1, 30'000}, {F1(TIHO_SASHIHIKI), 1, 0}, {F1(TIHO_GOUKEI), 0, 0},
      {F1(JOUTO_GOUKEI), 0, 0}},
     {{RET(SASHIHIKI_ZEIGAKU), 30'000}, {RET(TIHO_KANPU), 0}, {RET(TIHO_SASHIHIKI), 0},
      {RET(JOUTO_KANPU), 0}, {RET(JOUTO_NOUZEI), 0}, {RET(GOUKEI_ZEIGAKU), 30'000}}},
    {"NoAmountsInterimPayment",
     {},
     12'345, 0, -1,
     {{F1(GOUKEI_SASHIHIKI), 0, 0}},
     {{RET(TYUUKAN_ZEIGAKU), 12'300}, {RET(NOUFU_ZEIGAKU), 0}, {RET(TYUUKAN_KANPU), 12'300},
      {RET(GOUKEI_ZEIGAKU), -12'300}}},
    {"NoAmountsInterimLocalPayment",
     {},
     12'345, 3'456, -1,
     {},
     {{RET(TYUUKAN_JOUTOWARI), 3'400}, {RET(JOUTO_NOUFU), 0}, {RET(TYUUKAN_JOUTO_KANPU), 3'400},
      {RET(GOUKEI_ZEIGAKU), -15'700}}},
    // A refund keeps its yen; only payable amounts are cut to 100 yen.
    {"RefundKeepsYen",
     {{'K', 2, 110, 108'000}, {'K', 2, 511, 1'080'099}},
     0, 0, 2,
     {{F1(KOUJYO_SIIRE), 3, 63'005}, {F1(KANPU_ZEIGAKU), 3, 56'705}, {F1(JOUTO_KANPU), 3, 15'301},
      {F1(GOUKEI_SASHIHIKI), 0, -56'705}},
     {{RET(KANPU_ZEIGAKU), 56'705}, {RET(SASHIHIKI_ZEIGAKU), 0}, {RET(TIHO_KANPU), 56'705},
      {RET(JOUTO_KANPU), 15'301}, {RET(TIHO_KIJYUN_63), -56'705},
      {RET(GOUKEI_ZEIGAKU), -72'006}}},
    // Returns above sales in the 5% column: that column refunds, the total nets.
    {"ReturnsAboveSalesInAColumn",
     {{'K', 1, 110, 105'000}, {'K', 1, 310, 210'000}, {'K', 2, 110, 1'080'000}},
     0, 0, -1,
     {{F1(HENKAN_ZEIGAKU), 2, 8'000}, {F1(KANPU_ZEIGAKU), 2, 4'000},
      {F1(SASHIHIKI_ZEIGAKU), 2, 0}, {F1(JOUTO_KANPU), 2, 1'000},
      {F1(GOUKEI_SASHIHIKI), 0, 59'000}},
     {{RET(KANPU_ZEIGAKU), 0}, {RET(SASHIHIKI_ZEIGAKU), 59'000}, {RET(TIHO_SASHIHIKI), 59'000},
      {RET(JOUTO_NOUZEI), 16'000}, {RET(TIHO_KIJYUN_4), -4'000},
      {RET(GOUKEI_ZEIGAKU), 75'000}}},
    // Bad debts of taxable sales reduce the tax, at the national part of the inclusive amount.
    {"BadDebts",
     {{'K', 2, 110, 1'080'000}, {'K', 2, 410, 10'800}},
     0, 0, 2,
     {{F1(KASHIDAORE_ZEIGAKU), 3, 630}, {F1(SASHIHIKI_ZEIGAKU), 3, 62'370}},
     {{RET(KASHIDAORE_ZEIGAKU), 630}, {RET(SASHIHIKI_ZEIGAKU), 62'300}}},
};

void PrintTo(const ReturnCase& c, std::ostream* os) { *os << c.name; }

class GeneralReturnTest : public GeneralMethodTest,
                          public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(GeneralReturnTest, Figures) {
  const ReturnCase& c = GetParam();
  Fill(c.cells);
  TaxPar.TYUUKAN_NOUFU = Yen(c.interimNational);
  TaxPar.TYUUKAN_JOUTO = Yen(c.interimLocal);
  Run();
  EXPECT_EQ(TaxPar.TRANSITIONAL, c.transitional);
  for (const F1Expect& e : c.fuhyou1)
    EXPECT_EQ(Fuhyou1[e.column].*e.field, Yen(e.yen)) << "付表1 col " << e.column << " " << e.name;
  for (const RetExpect& e : c.ret) EXPECT_EQ(Sinkoku.*e.field, Yen(e.yen)) << e.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, GeneralReturnTest, ::testing::ValuesIn(kReturnCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneralMethodTest, InterimReturnClaimsNoRefundAmendedReturnIsLikeFinal) {
  for (int kind : {0, 1, 2}) {
    SetUp();
    TaxPar.SINKOKUSYO = kind;
    TaxPar.TYUUKAN_NOUFU = Yen(12'345);
    Run();
    EXPECT_EQ(Sinkoku.GOUKEI_ZEIGAKU, kind == 1 ? Yen(0) : Yen(-12'300)) << "kind " << kind;
    EXPECT_EQ(Sinkoku.TYUUKAN_KANPU, Yen(12'300)) << "kind " << kind;
    EXPECT_EQ(Sinkoku.KIKAKUTEI_ZEIGAKU, Yen(0));
  }
}

TEST_F(GeneralMethodTest, SpecifiedPurchasesCountOnlyBelow95) {
  struct {
    int64_t taxable, nonTaxable;
    bool counted;
  } cases[] = {{9'500'000, 500'000, false}, {9'490'000, 510'000, true}};
  for (const auto& c : cases) {
    SetUp();
    SetYear(EncodeDate(2015, 10, 1), EncodeDate(2016, 9, 30));
    TaxPar.FORM_ERA = 3;
    Fill({{'N', 2, 110, c.taxable},
          {'Z', 2, 110, 760'000},
          {'N', 2, 130, c.nonTaxable},
          {'N', 2, 551, 1'000'000},
          {'N', 2, 581, 100'000}});
    Run();
    const TFuhyou1_H260401& col = Fuhyou1[3];
    SCOPED_TRACE(c.counted ? "ratio 94.9" : "ratio 95.0");
    EXPECT_EQ(Fuhyou2[0].KAZEI_WARIAI, Currency::FromRaw(c.counted ? 949'000 : 950'000));
    EXPECT_EQ(col.KAZEI_TAIKA, Yen(c.taxable));
    EXPECT_EQ(col.TOKUTEI_TAIKA, c.counted ? Yen(1'000'000) : Yen(0));
    EXPECT_EQ(col.KAZEI_HYOUJUN, Yen(c.counted ? 10'490'000 : 9'500'000));
    // The specified purchases are taxed at the national rate on their cut base.
    EXPECT_EQ(col.SYOHIZEIGAKU, Yen(c.counted ? 63'000 + 598'500 : 598'500));
    EXPECT_EQ(col.TOKUTEI_HENKAN_ZEIGAKU, c.counted ? Yen(6'300) : Yen(0));
    EXPECT_EQ(col.HENKAN_ZEIGAKU, col.URIAGE_HENKAN_ZEIGAKU + col.TOKUTEI_HENKAN_ZEIGAKU);
    EXPECT_EQ(Fuhyou2[3].TOKUTEI_ZEIGAKU, c.counted ? Yen(56'700) : Yen(0));
    EXPECT_EQ(Sinkoku.TOKUTEI_SIIRE_ARI, c.counted);
    EXPECT_EQ(KazeiHyoujunUtiwake.KAZEI_HYOUJUN, col.KAZEI_HYOUJUN);
    EXPECT_EQ(KazeiHyoujunUtiwake.TAIKA_KEI[0], Yen(c.counted ? 10'490'000 : 9'500'000));
    EXPECT_EQ(KazeiHyoujunUtiwake.TOKUTEI_HENKAN_ZEIGAKU, col.TOKUTEI_HENKAN_ZEIGAKU);
  }
}

TEST_F(GeneralMethodTest, EarlierFormsLeaveTheSpecifiedLinesEmpty) {
  Fill({{'N', 2, 110, 9'000'000}, {'N', 2, 130, 1'000'000}, {'N', 2, 551, 1'000'000}});
  Run();
  EXPECT_EQ(Fuhyou1[3].KAZEI_HYOUJUN, Yen(9'000'000));
  EXPECT_EQ(Fuhyou1[3].TOKUTEI_TAIKA, Yen(0));
  EXPECT_FALSE(Sinkoku.TOKUTEI_SIIRE_ARI);
  EXPECT_EQ(KazeiHyoujunUtiwake.KAZEI_HYOUJUN, Yen(0));
}

// ---------------------------------------------------------------------------------------
// The ratio and the 95% rule.

struct RatioCase {
  const char* name;
  int dataType;
  TDateTime kishu;
  TDateTime kaisi, syuryo;
  int sime;
  std::vector<Cell> cells;
  int64_t ratioTenths;  // 949 = 94.9%
  int zengaku;
};

const TDateTime kApr15 = EncodeDate(2015, 4, 1);
const TDateTime kMar16 = EncodeDate(2016, 3, 31);
const TDateTime kSep15 = EncodeDate(2015, 9, 30);

const RatioCase kRatioCases[] = {
    // 94.99999% is cut to 94.9, not rounded to 95.0.
    {"JustBelow95", 1, kApr15, kApr15, kMar16, 99,
     {{'N', 2, 110, 9'499'999}, {'N', 2, 130, 500'001}}, 949, 0},
    {"Exactly95", 1, kApr15, kApr15, kMar16, 99,
     {{'N', 2, 110, 9'500'000}, {'N', 2, 130, 500'000}}, 950, 1},
    {"SixMonthsAnnualisedTo500Million", 1, kApr15, kApr15, kSep15, 99,
     {{'N', 2, 110, 250'000'000}}, 1000, 1},
    {"SixMonthsAnnualisedAbove500Million", 1, kApr15, kApr15, kSep15, 99,
     {{'N', 2, 110, 250'000'001}}, 1000, 0},
    // Exempt sales count toward the limit.
    {"ExemptSalesCountTowardTheLimit", 1, kApr15, kApr15, kSep15, 99,
     {{'N', 2, 110, 200'000'000}, {'N', 2, 120, 50'000'001}}, 1000, 0},
    // Six closing months with the 20th as closing day: 21 April to 20 October.
    {"ClosingDay20SixMonths", 1, kApr15, EncodeDate(2015, 4, 21), EncodeDate(2015, 10, 20), 20,
     {{'N', 2, 110, 250'000'001}}, 1000, 0},
    {"TwelveMonthsAbove500Million", 1, kApr15, kApr15, kMar16, 99,
     {{'N', 2, 110, 500'000'001}}, 1000, 0},
    {"TwelveMonthsAt500Million", 1, kApr15, kApr15, kMar16, 99,
     {{'N', 2, 110, 500'000'000}}, 1000, 1},
    {"CorporationBeforeApril2012", 1, EncodeDate(2012, 3, 1), kApr15, kMar16, 99,
     {{'N', 2, 110, 900'000'000}}, 1000, 1},
    {"CorporationFromApril2012", 3, EncodeDate(2012, 4, 1), kApr15, kMar16, 99,
     {{'N', 2, 110, 900'000'000}}, 1000, 0},
    {"IndividualIn2012", 2, EncodeDate(2012, 1, 1), kApr15, kMar16, 99,
     {{'N', 2, 110, 900'000'000}}, 1000, 1},
    {"IndividualFrom2013", 2, EncodeDate(2013, 1, 1), kApr15, kMar16, 99,
     {{'N', 2, 110, 900'000'000}}, 1000, 0},
    {"ExemptExportsOnly", 1, kApr15, kApr15, kMar16, 99, {{'K', 2, 120, 1'000'000}}, 1000, 1},
    // Securities count at 5%: 1,000,000 / 1,050,000 = 95.238%.
    {"SecuritiesAtFivePercent", 1, kApr15, kApr15, kMar16, 99,
     {{'N', 2, 110, 1'000'000}, {'N', 1, 140, 1'000'000}}, 952, 1},
    {"NoSales", 1, kApr15, kApr15, kMar16, 99, {}, 0, 0},
};

void PrintTo(const RatioCase& c, std::ostream* os) { *os << c.name; }

class RatioTest : public GeneralMethodTest, public ::testing::WithParamInterface<RatioCase> {};

TEST_P(RatioTest, RatioAndFullCredit) {
  const RatioCase& c = GetParam();
  AccInf.DATATYPE = c.dataType;
  AccInf.KISHU = c.kishu;
  AccInf.SIME = c.sime;
  TaxPar.KIKAN_KAISI = c.kaisi;
  TaxPar.KIKAN_SYURYO = c.syuryo;
  Fill(c.cells);
  Run();
  EXPECT_EQ(Fuhyou2[0].KAZEI_WARIAI, Currency::FromRaw(c.ratioTenths * 1000));
  EXPECT_EQ(Fuhyou2[0].ZENGAKU, c.zengaku);
  EXPECT_EQ(Fuhyou2[0].KOUJYO_HOUSIKI, c.zengaku ? "全額控除" : "個別対応");
  EXPECT_EQ(Sinkoku.SANKOU_URIAGE1, Fuhyou2[0].KAZEI_TAIKA);
  EXPECT_EQ(Sinkoku.SANKOU_URIAGE2, Fuhyou2[0].SISAN_TAIKA);
}

INSTANTIATE_TEST_SUITE_P(Cases, RatioTest, ::testing::ValuesIn(kRatioCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GeneralMethodTest, SecuritiesCountAtFivePercentOfTheirValue) {
  Fill({{'N', 2, 110, 1'000'000}, {'N', 1, 140, 1'000'000}});
  Run();
  EXPECT_EQ(Fuhyou2[0].HIKAZEI_URIAGE, Yen(50'000));
  EXPECT_EQ(Fuhyou2[0].SISAN_TAIKA, Yen(1'050'000));
}

// ---------------------------------------------------------------------------------------
// The credit when the full credit does not apply.

struct CreditCase {
  const char* name;
  std::vector<Cell> cells;
  int kazeiuri95miman;
  int anbunwariai;
  int64_t junzuruTenths;  // 905 = 90.5%
  const char* method;
  std::vector<F2Expect> expect;
};

// Sales at 80%: 8,000,000 taxable and 2,000,000 non-taxable. 8% purchases: 63,000 of tax for
// taxable sales, 126,000 common, 31,500 for non-taxable sales; import tax booked apart 10,000.
const std::vector<Cell> kPurchases = {{'K', 2, 511, 1'080'000},
                                      {'K', 2, 512, 2'160'000},
                                      {'K', 2, 513, 540'000},
                                      {'Z', 2, 724, 10'000}};

std::vector<Cell> With(std::vector<Cell> a, const std::vector<Cell>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<Cell> kSales80 = {{'N', 2, 110, 8'000'000}, {'N', 2, 130, 2'000'000}};

const CreditCase kCreditCases[] = {
    // Purchases for non-taxable sales only never count under the itemised method.
    {"Itemised", With(kSales80, kPurchases), 0, 0, 0, "個別対応",
     {{F2(SIIRE_ZEIGAKU_KEI), 3, 230'500}, {F2(YUNYU_ZEIGAKU), 3, 10'000},
      {F2(KOBETU_KAZEI), 3, 73'000}, {F2(KOBETU_KYOTUU), 3, 126'000},
      {F2(KOBETU_KOUJYO), 3, 73'000 + 100'800}, {F2(KOUJYO_SIIRE), 3, 173'800},
      {F2(KOUJYO_SIIRE), 0, 173'800}}},
    {"ItemisedByEquivalentRatio", With(kSales80, kPurchases), 0, 1, 905, "個別対応",
     {{F2(KOBETU_KOUJYO), 3, 73'000 + 114'030}}},
    {"Proportional", With(kSales80, kPurchases), 1, 0, 0, "比例配分",
     {{F2(HIREI_KOUJYO), 3, 184'400}, {F2(KOUJYO_SIIRE), 3, 184'400},
      {F2(KOBETU_KOUJYO), 3, 0}}},
    // Two thirds: the exact quotient, not the ratio's 66.6%.
    {"ProportionalExactQuotient",
     With({{'N', 2, 110, 2'000'000}, {'N', 2, 130, 1'000'000}}, kPurchases), 1, 0, 0, "比例配分",
     {{F2(HIREI_KOUJYO), 3, 153'666}}},
    {"NoSalesItemised", kPurchases, 0, 0, 0, "個別対応", {{F2(KOUJYO_SIIRE), 3, 73'000}}},
    {"NoSalesProportional", kPurchases, 1, 0, 0, "比例配分", {{F2(KOUJYO_SIIRE), 3, 0}}},
    // Sales over the limit with non-taxable returns as large as all sales: no denominator.
    {"NoDenominatorItemised",
     With({{'N', 2, 110, 600'000'000}, {'N', 2, 330, 600'000'000}}, kPurchases), 0, 0, 0,
     "個別対応", {{F2(SISAN_TAIKA), 0, 0}, {F2(KOBETU_KOUJYO), 3, 73'000 + 126'000}}},
    {"NoDenominatorProportional",
     With({{'N', 2, 110, 600'000'000}, {'N', 2, 330, 600'000'000}}, kPurchases), 1, 0, 0,
     "比例配分", {{F2(HIREI_KOUJYO), 3, 230'500}}},
    // Non-taxable returns larger than non-taxable sales: never more than the purchase tax.
    {"DenominatorBelowNumerator",
     With({{'N', 2, 110, 600'000'000}, {'N', 2, 330, 100'000'000}}, kPurchases), 1, 0, 0,
     "比例配分", {{F2(SISAN_TAIKA), 0, 500'000'000}, {F2(HIREI_KOUJYO), 3, 230'500}}},
};

void PrintTo(const CreditCase& c, std::ostream* os) { *os << c.name; }

class CreditTest : public GeneralMethodTest, public ::testing::WithParamInterface<CreditCase> {};

TEST_P(CreditTest, Credit) {
  const CreditCase& c = GetParam();
  Fill(c.cells);
  TaxPar.KAZEIURI95MIMAN = c.kazeiuri95miman;
  TaxPar.ANBUNWARIAI = c.anbunwariai;
  TaxPar.JUNZURUWARIAI = Currency::FromRaw(c.junzuruTenths * 1000);
  Run();
  EXPECT_EQ(Fuhyou2[0].ZENGAKU, 0);
  EXPECT_EQ(Fuhyou2[0].KOUJYO_HOUSIKI, c.method);
  for (const F2Expect& e : c.expect)
    EXPECT_EQ(Fuhyou2[e.column].*e.field, Yen(e.yen)) << "付表2 col " << e.column << " " << e.name;
  EXPECT_EQ(Fuhyou1[3].KOUJYO_SIIRE, Fuhyou2[3].KOUJYO_SIIRE);
  EXPECT_LE(Fuhyou2[3].KOUJYO_SIIRE, Fuhyou2[3].SIIRE_ZEIGAKU_KEI);
}

INSTANTIATE_TEST_SUITE_P(Cases, CreditTest, ::testing::ValuesIn(kCreditCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An adjustment larger than the credit becomes the excess-credit line, which 付表1 takes with
// the tax on written-off debts collected; a 5% adjustment also ends the 8%-only computation.
TEST_F(GeneralMethodTest, AdjustmentAboveCreditBecomesExcessCredit) {
  Fill({{'N', 2, 110, 1'000'000}, {'K', 1, 511, 105'000}, {'K', 1, 210, 52'500}});
  TaxPar.KOUJYOZEI_18B = Yen(-10'000);
  TaxPar.KOUJYOZEI_19A = Yen(700);
  Run();
  EXPECT_EQ(Fuhyou2[0].ZENGAKU, 1);
  EXPECT_EQ(Fuhyou2[2].ZENGAKU_KOUJYO, Yen(4'000));
  EXPECT_EQ(Fuhyou2[2].HENDOU_TYOUSEI, Yen(-10'000));
  EXPECT_EQ(Fuhyou2[2].KOUJYO_SIIRE, Yen(0));
  EXPECT_EQ(Fuhyou2[2].KOUJYO_KADAI, Yen(6'000));
  EXPECT_EQ(Fuhyou2[2].KAISYUU_ZEIGAKU, Yen(2'000));
  EXPECT_EQ(Fuhyou2[1].KOUJYO_SIIRE, Yen(700));
  EXPECT_EQ(Fuhyou2[0].HENDOU_TYOUSEI, Yen(-10'000));
  EXPECT_EQ(Fuhyou2[0].TENYOU_TYOUSEI, Yen(700));
  EXPECT_EQ(Fuhyou1[2].KOUJYO_KADAI, Yen(8'000));
  EXPECT_EQ(Fuhyou1[2].KOUJYO_SIIRE, Yen(0));
  EXPECT_EQ(Fuhyou1[1].KOUJYO_SIIRE, Yen(700));
  EXPECT_EQ(Sinkoku.KOUJYO_KADAI, Yen(8'000));
  // Column 2 owes 8,000 on no sales; column 1 has 700 to refund.
  EXPECT_EQ(Fuhyou1[2].SASHIHIKI_ZEIGAKU, Yen(8'000));
  EXPECT_EQ(Fuhyou1[1].KANPU_ZEIGAKU, Yen(700));
  EXPECT_EQ(TaxPar.TRANSITIONAL, -1);
}

// ---------------------------------------------------------------------------------------
// The rate conversion the chain relies on.

TEST(GeneralMethodConversionTest, ConvertTaxAmount) {
  struct {
    int rateClass;
    TaxConv op;
    int64_t raw, expectedRaw;
  } cases[] = {
      {2, TaxConv::KOMI2NUKI, 1'080'0000, 1'000'0000},
      {2, TaxConv::KOMI_KOKUZEI, 1'080'0000, 63'0000},
      {2, TaxConv::JYOTOWARI, 63'0000, 17'0000},
      {1, TaxConv::KOMI2NUKI, 100'0000, 95'2381},
      {0, TaxConv::JYOTOWARI, 1'000'0000, 0},
      {3, TaxConv::KOMI2NUKI, 1'080'0000, 0},
      {-1, TaxConv::NUKI_ZEIGAKU, 1'000'0000, 0},
      // One row for each conversion not named above, so that none is read from another's
      // factors.
      {0, TaxConv::KOMI_KOKUZEI, 1'030'0000, 30'0000},
      {1, TaxConv::NUKI_ZEIGAKU, 1'000'0000, 50'0000},
      {2, TaxConv::TAX_KOKUZEI, 800'0000, 630'0000},
      {1, TaxConv::TAX_KOKUZEI, 50'0000, 40'0000},
      {0, TaxConv::TAX_ZEIRITU, 1'000'0000, 30'0000},
      {1, TaxConv::JYOTOWARI, 40'0000, 10'0000},
      {2, TaxConv::NUKI_KOKUZEI, 1'000'0000, 63'0000},
      {0, TaxConv::NUKI_KOKUZEI, 1'000'0000, 0},
      // Halves go to the even neighbour: 3.15 and 9.45 ten-thousandths.
      {2, TaxConv::TAX_ZEIRITU, 500, 32},
      {2, TaxConv::TAX_ZEIRITU, 1'500, 94},
      {2, TaxConv::TAX_ZEIRITU, -500, -32},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ConvertTaxAmount(c.rateClass, c.op, Currency::FromRaw(c.raw)),
              Currency::FromRaw(c.expectedRaw))
        << c.rateClass << " " << static_cast<int>(c.op) << " " << c.raw;
  // A value that names no conversion is an error, not an amount of 0.
  EXPECT_THROW(ConvertTaxAmount(2, static_cast<TaxConv>(99), Yen(1'080)), std::invalid_argument);
}

}  // namespace
