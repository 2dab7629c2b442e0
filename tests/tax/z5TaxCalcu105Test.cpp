// The simplified method's figures (付表4, 付表5, the business-type breakdown and the return),
// computed from hand-filled journal tables.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCalcu104.h"
#include "tax/z5TaxCalcu105.h"
#include "tax/z5TaxCalcu108.h"
#include "tax/z5TaxCul_H.h"
#include "TaxTestSupport.h"

namespace {

Currency Tenths(int64_t tenths) { return Currency::FromRaw(tenths * 1000); }  // 769 = 76.9

// Tax-exclusive sales of a business type in the 8% class, with 8% tax recorded.
std::vector<Cell> Sales8(std::vector<std::pair<int, int64_t>> typeNet) {
  std::vector<Cell> cells;
  for (auto [type, net] : typeNet) {
    cells.push_back({'N', 2, 110 + type, net});
    cells.push_back({'Z', 2, 110 + type, net * 8 / 100});
  }
  return cells;
}

// A figure read after the pass and the value it must have.
struct Check {
  const char* what;
  std::function<Currency()> actual;
  Currency expected;
};
#define AT(expr) #expr, [] { return Currency(expr); }

class SimplifiedMethodTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTaxEngineRecords();
    TaxPar.SINKOKU_KUBUN = 1;
    TaxPar.FORM_ERA = 3;
    TaxPar.MINASIRITU1 = Currency::FromRaw(9000);
    TaxPar.MINASIRITU2 = Currency::FromRaw(8000);
    TaxPar.MINASIRITU3 = Currency::FromRaw(7000);
    TaxPar.MINASIRITU4 = Currency::FromRaw(6000);
    TaxPar.MINASIRITU5 = Currency::FromRaw(5000);
    TaxPar.MINASIRITU6 = Currency::FromRaw(4000);
  }
  void TearDown() override { ResetTaxEngineRecords(); }

  static void Run() { ASSERT_TRUE(CalcSimplifiedReturn(TaxPar, Sinkoku)); }
};

// ---------------------------------------------------------------------------------------
// Whole passes.

struct PassCase {
  const char* name;
  std::vector<Cell> cells;
  int transitional;
  int simpleFlag2;
  int onlyType;     // SENGYOU_JIGYOU of the reported column
  int tokureiType;  // TOKUREI_JIGYOU of the summed column
  std::vector<Check> checks;
};

const PassCase kPassCases[] = {
    // One business type, 8% only: its own rate on the whole base; the local tax is taken on
    // the return's base cut to 100 yen (Tr100(100,099 × 17/63) would give 27,000).
    {"OneBusinessType",
     {{'N', 2, 113, 5'296'789}, {'Z', 2, 113, 423'700}},
     2, 0, 3, 0,
     {{AT(Fuhyou4[3].KAZEI_HYOUJUN), Yen(5'296'000)},
      {AT(Fuhyou4[3].SYOHIZEIGAKU), Yen(333'663)},
      {AT(Fuhyou5[4].SENGYOU_KOUJO), Yen(233'564)},
      {AT(Fuhyou5[1].SENGYOU_KOUJO), Yen(233'564)},
      {AT(Fuhyou5[1].SENGYOU_URIAGE), Yen(5'296'789)},
      {AT(Fuhyou5[4].SENGYOU_URIAGE), Yen(5'296'789)},
      {AT(Fuhyou5[1].URIAGE_GOUKEI), Yen(0)},
      {AT(Fuhyou5[0].URIAGE[3]), Yen(0)},
      {AT(Fuhyou5[0].WARIAI[3]), Yen(0)},
      {AT(Fuhyou5[4].ZEI_GOUKEI), Yen(0)},
      {AT(Fuhyou5[1].SENTAKU), Yen(0)},
      {AT(Fuhyou4[0].KOUJYO_SIIRE), Yen(233'564)},
      {AT(Fuhyou4[3].KOUJYO_SIIRE), Yen(233'564)},
      {AT(Fuhyou4[3].SASHIHIKI_ZEIGAKU), Yen(100'099)},
      {AT(Fuhyou4[3].JOUTO_NOUZEI), Yen(27'010)},
      {AT(Fuhyou4[0].JOUTO_GOUKEI), Yen(27'010)},
      {AT(Sinkoku.KAZEI_HYOUJUN), Yen(5'296'000)},
      {AT(Sinkoku.KOUJYO_SIIRE), Yen(233'564)},
      {AT(Sinkoku.SASHIHIKI_ZEIGAKU), Yen(100'000)},
      {AT(Sinkoku.TIHO_SASHIHIKI), Yen(100'000)},
      {AT(Sinkoku.JOUTO_NOUZEI), Yen(26'900)},
      {AT(Sinkoku.TIHO_KIJYUN_4), Yen(0)},
      {AT(Sinkoku.TIHO_KIJYUN_63), Yen(100'000)},
      {AT(Sinkoku.NOUFU_ZEIGAKU), Yen(100'000)},
      {AT(Sinkoku.JOUTO_NOUFU), Yen(26'900)},
      {AT(Sinkoku.GOUKEI_ZEIGAKU), Yen(126'900)},
      {AT(Sinkoku.HYOUJUN_63), Yen(5'296)},
      {AT(Sinkoku.SANKOU_URIAGE1), Yen(5'296'789)},
      {AT(Sinkoku.JIGYOU_URIAGE[3]), Yen(5'297)},
      {AT(Sinkoku.JIGYOU_WARIAI[3]), Yen(100)},
      {AT(Sinkoku.JIGYOU_URIAGE[1]), Yen(0)},
      {AT(Sinkoku.JIGYOU_URIAGE_GOUKEI), Yen(5'297)}}},

    // Tax-inclusive sales of three types, no type or pair at 75%: the principle computation,
    // on a base (157,500) below the types' own tax (157,558).
    {"SeveralTypesByThePrinciple",
     {{'K', 2, 111, 1'080'999}, {'K', 2, 112, 864'000}, {'K', 2, 113, 756'000}},
     2, 0, 0, 0,
     {{AT(Fuhyou5[4].KISO_ZEIGAKU), Yen(157'500)},
      {AT(Fuhyou5[4].ZEI[1]), Yen(63'058)},
      {AT(Fuhyou5[4].ZEI_GOUKEI), Yen(157'558)},
      {AT(Fuhyou5[0].WARIAI[1]), Tenths(400)},
      {AT(Fuhyou5[0].WARIAI[2]), Tenths(319)},
      {AT(Fuhyou5[0].WARIAI[3]), Tenths(279)},
      {AT(Fuhyou5[4].GENSOKU), Yen(127'894)},
      {AT(Fuhyou5[4].TOKUREI1), Yen(0)},
      {AT(Fuhyou5[4].TOKUREI12), Yen(0)},
      {AT(Fuhyou5[1].SENTAKU), Yen(127'894)},
      {AT(Fuhyou4[0].KOUJYO_SIIRE), Yen(127'894)},
      {AT(Sinkoku.KAZEI_HYOUJUN), Yen(2'500'000)},
      {AT(Sinkoku.SYOHIZEIGAKU), Yen(157'500)},
      {AT(Sinkoku.SASHIHIKI_ZEIGAKU), Yen(29'600)},
      {AT(Sinkoku.JOUTO_NOUZEI), Yen(7'900)},
      {AT(Sinkoku.JIGYOU_URIAGE[1]), Yen(1'001)},
      {AT(Sinkoku.JIGYOU_WARIAI[2]), Tenths(319)},
      {AT(Sinkoku.JIGYOU_URIAGE_GOUKEI), Yen(2'501)}}},

    // A share of exactly 75.0: the type's own rate on the whole base beats the principle.
    // With two types only, the pair lines are blank in the result.
    {"SingleTypeAt75",
     Sales8({{1, 750'000}, {2, 250'000}}),
     2, 0, 0, 1,
     {{AT(Fuhyou5[0].WARIAI[1]), Tenths(750)},
      {AT(Fuhyou5[4].GENSOKU), Yen(55'125)},
      {AT(Fuhyou5[4].TOKUREI1), Yen(56'700)},
      {AT(Fuhyou5[4].TOKUREI12), Yen(0)},
      {AT(Fuhyou5[4].SENTAKU), Yen(56'700)},
      {AT(Fuhyou5[1].SENTAKU), Yen(56'700)},
      {AT(Fuhyou5[0].SENTAKU), Yen(56'700)},
      {AT(Fuhyou4[0].KOUJYO_SIIRE), Yen(56'700)},
      {AT(Sinkoku.SASHIHIKI_ZEIGAKU), Yen(6'300)}}},

    // Types 1 and 2 make 80%: type 5's tax is taken at type 2's rate.
    {"PairAt75",
     Sales8({{1, 1'000'000}, {2, 600'000}, {5, 400'000}}),
     2, 0, 0, 0,
     {{AT(Fuhyou5[4].GENSOKU), Yen(99'540)},
      {AT(Fuhyou5[4].TOKUREI12), Yen(107'100)},
      {AT(Fuhyou5[4].TOKUREI15), Yen(0)},
      {AT(Fuhyou5[4].TOKUREI25), Yen(0)},
      {AT(Fuhyou5[0].TOKUREI12), Yen(107'100)},
      {AT(Fuhyou5[4].SENTAKU), Yen(107'100)},
      {AT(Fuhyou5[1].SENTAKU), Yen(107'100)},
      {AT(Fuhyou4[3].KOUJYO_SIIRE), Yen(107'100)},
      {AT(Sinkoku.SASHIHIKI_ZEIGAKU), Yen(18'900)},
      {AT(Sinkoku.JIGYOU_WARIAI[5]), Tenths(200)}}},

    // The pair 1+3 (88.6%) sums to exactly the principle: the principle keeps its own figures
    // in every column although the pair is better in the 8% column.
    {"TieKeepsThePrinciple",
     {{'N', 1, 111, 500'000}, {'Z', 1, 111, 25'000},
      {'N', 1, 113, 500'000}, {'Z', 1, 113, 25'000},
      {'N', 1, 112, 157'500}, {'Z', 1, 112, 7'875},
      {'N', 2, 111, 500'000}, {'Z', 2, 111, 40'000},
      {'N', 2, 113, 500'000}, {'Z', 2, 113, 40'000},
      {'N', 2, 114, 100'000}, {'Z', 2, 114, 8'000}},
     -1, 0, 0, 0,
     {{AT(Fuhyou5[3].GENSOKU), Yen(37'040)},
      {AT(Fuhyou5[3].TOKUREI13), Yen(36'410)},
      {AT(Fuhyou5[4].GENSOKU), Yen(54'180)},
      {AT(Fuhyou5[4].TOKUREI13), Yen(54'810)},
      {AT(Fuhyou5[0].GENSOKU), Yen(91'220)},
      {AT(Fuhyou5[0].TOKUREI13), Yen(91'220)},
      {AT(Fuhyou5[3].SENTAKU), Yen(37'040)},
      {AT(Fuhyou5[4].SENTAKU), Yen(54'180)},
      {AT(Fuhyou5[1].SENTAKU), Yen(91'220)},
      {AT(Fuhyou4[2].KOUJYO_SIIRE), Yen(37'040)},
      {AT(Fuhyou4[3].KOUJYO_SIIRE), Yen(54'180)},
      {AT(Sinkoku.KOUJYO_SIIRE), Yen(91'220)}}},

    // Written-off debts collected (8%) and type 2's returns in the 5% class, with no sales
    // there: the reported total column is computed from its own lines (base 94,500 + 6,300 −
    // 8,000), not summed from the rate columns (whose 5% base is floored at 0).
    {"CollectedDebtsAndNegativeTypeTax",
     {{'N', 2, 111, 1'000'000}, {'Z', 2, 111, 80'000},
      {'N', 2, 112, 500'000}, {'Z', 2, 112, 40'000},
      {'K', 2, 210, 108'000},
      {'N', 1, 312, 200'000}, {'Z', 1, 312, 10'000}},
     -1, 1, 0, 1,
     {{AT(Fuhyou4[3].KAISYUU_ZEIGAKU), Yen(6'300)},
      {AT(Fuhyou5[3].URIAGE[2]), Yen(-200'000)},
      {AT(Fuhyou5[3].ZEI_RAW[2]), Yen(-8'000)},
      {AT(Fuhyou5[3].ZEI[2]), Yen(0)},
      {AT(Fuhyou5[3].KISO_ZEIGAKU), Yen(0)},
      {AT(Fuhyou5[0].URIAGE[2]), Yen(300'000)},
      {AT(Fuhyou5[0].URIAGE_ABS[2]), Yen(700'000)},
      {AT(Fuhyou5[0].ZEI_GOUKEI_RAW), Yen(86'500)},
      {AT(Fuhyou5[0].WARIAI[1]), Tenths(769)},
      {AT(Fuhyou5[0].KISO_ZEIGAKU), Yen(100'800)},
      {AT(Fuhyou5[1].KISO_ZEIGAKU), Yen(92'800)},
      {AT(Fuhyou5[0].GENSOKU), Yen(87'360)},
      {AT(Fuhyou5[1].GENSOKU), Yen(80'998)},
      {AT(Fuhyou5[1].TOKUREI1), Yen(83'520)},
      {AT(Fuhyou5[1].TOKUREI12), Yen(0)},
      {AT(Fuhyou5[1].SENTAKU), Yen(83'520)},
      {AT(Fuhyou5[4].SENTAKU), Yen(90'720)},
      {AT(Fuhyou5[0].SENTAKU), Yen(90'720)},
      {AT(Fuhyou4[0].KOUJYO_SIIRE), Yen(83'520)},
      {AT(Fuhyou4[3].KOUJYO_SIIRE), Yen(90'720)},
      {AT(Fuhyou4[2].KANPU_ZEIGAKU), Yen(8'000)},
      {AT(Fuhyou4[2].JOUTO_KANPU), Yen(2'000)},
      {AT(Fuhyou4[3].SASHIHIKI_ZEIGAKU), Yen(10'080)},
      {AT(Fuhyou4[0].KOUJYO_SYOUKEI), Yen(91'520)},
      {AT(Fuhyou4[0].SASHIHIKI_ZEIGAKU), Yen(9'280)},
      {AT(Fuhyou4[0].TIHO_GOUKEI), Yen(2'080)},
      {AT(Sinkoku.KOUJYO_KADAI), Yen(6'300)},
      {AT(Sinkoku.KOUJYO_SIIRE), Yen(83'520)},
      {AT(Sinkoku.HENKAN_ZEIGAKU), Yen(8'000)},
      {AT(Sinkoku.SASHIHIKI_ZEIGAKU), Yen(9'200)},
      {AT(Sinkoku.TIHO_SASHIHIKI), Yen(2'000)},
      {AT(Sinkoku.JOUTO_NOUZEI), Yen(700)},
      {AT(Sinkoku.TIHO_KIJYUN_4), Yen(-8'000)},
      {AT(Sinkoku.TIHO_KIJYUN_63), Yen(10'080)},
      {AT(Sinkoku.GOUKEI_ZEIGAKU), Yen(9'900)},
      {AT(Sinkoku.SANKOU_URIAGE1), Yen(1'300'000)},
      {AT(Sinkoku.JIGYOU_URIAGE[1]), Yen(1'000)},
      {AT(Sinkoku.JIGYOU_URIAGE[2]), Yen(300)},
      {AT(Sinkoku.JIGYOU_WARIAI[2]), Tenths(230)},
      {AT(Sinkoku.JIGYOU_URIAGE_GOUKEI), Yen(1'300)}}},

    {"NoBusinessTypeAmounts",
     {{'K', 2, 120, 500'000}},
     -1, 0, 0, 0,
     {{AT(Fuhyou5[0].GENSOKU), Yen(0)},
      {AT(Fuhyou5[1].SENTAKU), Yen(0)},
      {AT(Fuhyou5[4].SENTAKU), Yen(0)},
      {AT(Fuhyou4[0].KOUJYO_SIIRE), Yen(0)},
      {AT(Sinkoku.JIGYOU_URIAGE_GOUKEI), Yen(0)},
      {AT(Sinkoku.SANKOU_URIAGE1), Yen(500'000)},
      {AT(Sinkoku.GOUKEI_ZEIGAKU), Yen(0)}}},
};

void PrintTo(const PassCase& c, std::ostream* os) { *os << c.name; }

class SimplifiedPassTest : public SimplifiedMethodTest,
                           public ::testing::WithParamInterface<PassCase> {};

TEST_P(SimplifiedPassTest, Figures) {
  const PassCase& c = GetParam();
  Fill(c.cells);
  Run();
  EXPECT_EQ(TaxPar.TRANSITIONAL, c.transitional);
  EXPECT_EQ(TaxPar.SIMPLE_FLAG2, c.simpleFlag2);
  EXPECT_EQ(Fuhyou5[1].SENGYOU_JIGYOU, c.onlyType);
  EXPECT_EQ(Fuhyou5[0].TOKUREI_JIGYOU, c.tokureiType);
  for (const Check& e : c.checks) EXPECT_EQ(e.actual(), e.expected) << e.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, SimplifiedPassTest, ::testing::ValuesIn(kPassCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// The 75% tests: one type on its share cut to one decimal, a pair on its share rounded to
// four decimals.

struct ShareCase {
  const char* name;
  std::vector<Cell> cells;
  int64_t shareTenths1;  // WARIAI[1]
  int tokureiType;
  bool pair12;           // whether TOKUREI12 was computed
};

const ShareCase kShareCases[] = {
    {"Type74Point9999", Sales8({{1, 749'999}, {2, 250'001}}), 749, 0, false},
    {"Type75Point0", Sales8({{1, 750'000}, {2, 250'000}}), 750, 1, false},
    // 74.99996% rounds to 75.0000; 74.99994% to 74.9999.
    {"Pair74Point99996",
     Sales8({{1, 37'499'980}, {2, 37'499'980}, {3, 25'000'040}}), 374, 0, true},
    {"Pair74Point99994",
     Sales8({{1, 37'499'970}, {2, 37'499'970}, {3, 25'000'060}}), 374, 0, false},
    // Type 2's returns exceed its sales: the floored total is below type 1's sales, the share
    // is capped, and type 2 still counts as a second type.
    {"ShareCappedAt100",
     {{'N', 2, 111, 1'000'000}, {'Z', 2, 111, 80'000}, {'N', 2, 312, 500'000},
      {'Z', 2, 312, 40'000}},
     1000, 1, false},
};

void PrintTo(const ShareCase& c, std::ostream* os) { *os << c.name; }

class ShareTest : public SimplifiedMethodTest, public ::testing::WithParamInterface<ShareCase> {};

TEST_P(ShareTest, QualifiesForTheSpecialComputation) {
  const ShareCase& c = GetParam();
  Fill(c.cells);
  Run();
  EXPECT_EQ(Fuhyou5[0].WARIAI[1], Tenths(c.shareTenths1));
  EXPECT_EQ(Fuhyou5[0].TOKUREI_JIGYOU, c.tokureiType);
  EXPECT_EQ(Fuhyou5[1].SENGYOU_JIGYOU, 0);
  EXPECT_EQ(Fuhyou5[4].TOKUREI1 > Currency(), c.tokureiType > 0);
  EXPECT_EQ(Fuhyou5[4].TOKUREI12 > Currency(), c.pair12);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShareTest, ::testing::ValuesIn(kShareCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Return lines.

TEST_F(SimplifiedMethodTest, BreakdownRoundsThousandsHalfAwayAndTheTotalFromTheExactSum) {
  struct {
    int64_t type1, type2;
    int64_t th1, th2, total;
  } cases[] = {{1'400, 1'400, 1, 1, 3}, {1'499'500, 1'499'499, 1'500, 1'499, 2'999}};
  for (const auto& c : cases) {
    SetUp();
    Fill({{'N', 2, 111, c.type1}, {'N', 2, 112, c.type2}});
    Run();
    SCOPED_TRACE(c.type1);
    EXPECT_EQ(Sinkoku.JIGYOU_URIAGE[1], Yen(c.th1));
    EXPECT_EQ(Sinkoku.JIGYOU_URIAGE[2], Yen(c.th2));
    EXPECT_EQ(Sinkoku.JIGYOU_URIAGE_GOUKEI, Yen(c.total));
  }
}

TEST_F(SimplifiedMethodTest, TaxableSalesOfThePeriod) {
  // Exempt sales and exports count only as booked tax-inclusive; bad debts of exempt sales
  // and exports reduce the line, bad debts of taxable sales do not.
  Fill({{'K', 2, 110, 108'000},
        {'K', 2, 310, 10'800},
        {'K', 2, 120, 108'000},
        {'N', 2, 120, 50'000},
        {'K', 2, 420, 10'000},
        {'K', 2, 150, 20'000},
        {'K', 2, 450, 5'000},
        {'K', 2, 410, 10'800},
        {'N', 1, 111, 30'000}});
  Run();
  EXPECT_EQ(Sinkoku.SANKOU_URIAGE1, Yen(100'000 - 10'000 + 108'000 - 10'000 + 20'000 - 5'000 +
                                         30'000));
  EXPECT_EQ(Sinkoku.KASHIDAORE_ZEIGAKU, Yen(630));
}

TEST_F(SimplifiedMethodTest, InterimPaymentsAndTheBasePeriod) {
  for (int kind : {0, 1, 2}) {
    SetUp();
    TaxPar.SINKOKUSYO = kind;
    TaxPar.TYUUKAN_NOUFU = Yen(12'345);
    TaxPar.TYUUKAN_JOUTO = Yen(3'456);
    TaxPar.KIJYUNKIKANURI = Currency::FromRaw(123'456'789);
    Run();
    SCOPED_TRACE(kind);
    EXPECT_EQ(Sinkoku.TYUUKAN_KANPU, Yen(12'300));
    EXPECT_EQ(Sinkoku.TYUUKAN_JOUTO_KANPU, Yen(3'400));
    // An interim return claims no refund.
    EXPECT_EQ(Sinkoku.GOUKEI_ZEIGAKU, kind == 1 ? Yen(0) : Yen(-15'700));
    EXPECT_EQ(Sinkoku.SANKOU_URIAGE2, Currency::FromRaw(123'456'789));
  }
}

// ---------------------------------------------------------------------------------------
// The plain tests that decide whether the reported total column is computed on its own.

TEST(Fuhyou5PlainTest, Rules) {
  struct {
    const char* name;
    int column;
    int64_t kaisyuu, henkan, zeiRaw2;
    bool columnPlain;   // the column's own test
    bool ratesPlain;    // the rate columns together
  } cases[] = {
      {"Nothing", 3, 0, 0, 0, true, true},
      {"Collected", 4, 1, 0, 0, false, false},
      {"ReturnsWithNegativeTax", 3, 0, 5, -5, false, false},
      {"ReturnsOnly", 3, 0, 5, 0, true, true},
      {"NegativeTaxWithoutReturns", 2, 0, 0, -5, true, false},
  };
  for (const auto& c : cases) {
    ResetTaxEngineRecords();
    TFuhyou5_H260401& col = Fuhyou5[c.column];
    col.KAISYUU_ZEIGAKU = Yen(c.kaisyuu);
    col.HENKAN_ZEIGAKU = Yen(c.henkan);
    col.ZEI_RAW[2] = Yen(c.zeiRaw2);
    EXPECT_EQ(IsFuhyou5ColumnPlain(c.column - 2), c.columnPlain) << c.name;
    EXPECT_EQ(IsFuhyou5ColumnPlain(-2), c.ratesPlain) << c.name;
    EXPECT_TRUE(IsFuhyou5ColumnPlain(5)) << c.name;
  }
  ResetTaxEngineRecords();
}

}  // namespace
