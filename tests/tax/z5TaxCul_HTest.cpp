// The hub of the engine: form eras, the presets of a pass, the business-type folds of the
// simplified pass and the dispatch to the method chains.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCul_H.h"
#include "TaxTestSupport.h"

namespace {

class TaxHubTest : public TaxRecordsTest {
 protected:
  void SetUp() override {
    TaxRecordsTest::SetUp();
    AccInf.DATATYPE = 1;
    AccInf.SIME = 99;
  }
};

// ---------------------------------------------------------------------------------------
// Form eras and the main business type, by fiscal year and method.

struct EraCase {
  const char* name;
  TDateTime start, end;
  int taxJigyou;
  int generalEra, simplifiedEra;  // TaxEra
  int generalMain, simplifiedMain;
};

void PrintTo(const EraCase& c, std::ostream* os) { *os << c.name; }

const EraCase kEraCases[] = {
    {"EndsBefore8Percent", EncodeDate(2013, 4, 1), EncodeDate(2014, 3, 31), 2, 0, 0, 2, 2},
    {"FirstEightPercentYear", EncodeDate(2014, 4, 1), EncodeDate(2015, 3, 31), 2, 1, 1, 2, 2},
    {"GeneralLastDayBeforeSpecified", EncodeDate(2014, 10, 1), EncodeDate(2015, 9, 30), 3, 1, 1, 3, 3},
    {"GeneralFirstDayOfSpecified", EncodeDate(2014, 10, 2), EncodeDate(2015, 10, 1), 3, 3, 1, 3, 3},
    // Starts in the sixth-type era and ends after 2015: era 3 for both, type 6 stays.
    {"StartsAfterSixthTypeEndsEra3", EncodeDate(2015, 4, 1), EncodeDate(2016, 3, 31), 6, 3, 3, 6, 6},
    // Starts before the sixth type: the simplified method has none, even in era 3.
    {"CalendarYear2015", EncodeDate(2015, 1, 1), EncodeDate(2015, 12, 31), 6, 3, 1, 6, 5},
    {"CalendarYear2016SixthTypeFolded", EncodeDate(2015, 1, 1), EncodeDate(2016, 1, 1), 6, 3, 3, 6, 5},
    {"ShortYearSixthTypeEra", EncodeDate(2015, 4, 1), EncodeDate(2015, 12, 31), 6, 3, 2, 6, 6},
    {"NoMainTypeReadsAsFour", EncodeDate(2014, 4, 1), EncodeDate(2015, 3, 31), 0, 1, 1, 4, 4},
    // No form has a seventh type: read like none, so the fold never targets a dead code.
    {"TypeAboveSixReadsAsFour", EncodeDate(2016, 4, 1), EncodeDate(2017, 3, 31), 7, 3, 3, 4, 4},
};

class EraTest : public TaxHubTest, public ::testing::WithParamInterface<EraCase> {};

TEST_P(EraTest, ByMethod) {
  const EraCase& c = GetParam();
  SetYear(c.start, c.end);
  AccInf.TAXJIGYOU = c.taxJigyou;

  TaxPar.SINKOKU_KUBUN = 0;
  EXPECT_EQ(TaxEra(TaxPar), c.generalEra);
  EXPECT_EQ(TaxPar.MAIN_JIGYOU, c.generalMain);
  EXPECT_EQ(FormEra(TaxPar), c.generalEra == 0 ? 1 : c.generalEra);

  TaxPar.SINKOKU_KUBUN = 1;
  EXPECT_EQ(TaxEra(TaxPar), c.simplifiedEra);
  EXPECT_EQ(TaxPar.MAIN_JIGYOU, c.simplifiedMain);
  EXPECT_EQ(FormEra(TaxPar), c.simplifiedEra == 0 ? 1 : c.simplifiedEra);

  // Any other method value keeps the era of the 8% change alone.
  TaxPar.SINKOKU_KUBUN = 2;
  EXPECT_EQ(TaxEra(TaxPar), c.end >= EncodeDate(2014, 4, 1) ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, EraTest, ::testing::ValuesIn(kEraCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TaxHubTest, FiveHundredMillionTestByEntityKindAndYearStart) {
  struct {
    int dataType;
    TDateTime start;
    bool applies;
  } cases[] = {
      {1, EncodeDate(2012, 3, 31), false}, {1, EncodeDate(2012, 4, 1), true},
      {3, EncodeDate(2012, 3, 31), false}, {3, EncodeDate(2012, 4, 1), true},
      {2, EncodeDate(2012, 1, 1), false},  {2, EncodeDate(2013, 1, 1), true},
      {0, EncodeDate(2000, 1, 1), true},
  };
  for (const auto& c : cases) {
    AccInf.DATATYPE = c.dataType;
    AccInf.KISHU = c.start;
    // The calculation period is not consulted.
    EXPECT_EQ(Uses500MillionTest(0, EncodeDate(2020, 1, 1), EncodeDate(2020, 12, 31)), c.applies)
        << c.dataType << " " << FormatDateTime("yyyy/mm/dd", c.start);
  }
}

// ---------------------------------------------------------------------------------------
// The presets of a pass.

TEST_F(TaxHubTest, ResetClearsTheFormsAndPresetsTheRefundDetailOfTheEntityKind) {
  Sinkoku.KAZEI_HYOUJUN = Yen(1);
  Sinkoku.TOKUTEI_SIIRE_ARI = true;
  Fuhyou1[3].SYOHIZEIGAKU = Yen(2);
  Fuhyou2[0].KAZEI_WARIAI = Yen(95);
  Fuhyou4[1].KOUJYO_SIIRE = Yen(3);
  Fuhyou5[4].URIAGE[2] = Yen(4);
  KazeiHyoujunUtiwake.KAZEI_TAIKA[2] = Yen(5);
  KanpuMeisai_Hojin.TRANSFER_ROWS[10].SIMEI = "前回";
  KanpuMeisai_Hojin.PL_GRID[5].KESSANKIN = Yen(6);
  KanpuMeisai_Hojin.KANPURIYUUOTHER = 1;
  KanpuMeisai_Kojin.BUSINESS_GRID[1].KESSANKIN = Yen(7);

  AccInf.DATATYPE = 1;
  AccInf.TAXDEFUH = 1;
  ResetTaxResults();

  EXPECT_EQ(Sinkoku.KAZEI_HYOUJUN, Yen(0));
  EXPECT_FALSE(Sinkoku.TOKUTEI_SIIRE_ARI);
  EXPECT_EQ(Fuhyou1[3].SYOHIZEIGAKU, Yen(0));
  EXPECT_EQ(Fuhyou2[0].KAZEI_WARIAI, Yen(0));
  EXPECT_EQ(Fuhyou4[1].KOUJYO_SIIRE, Yen(0));
  EXPECT_EQ(Fuhyou5[4].URIAGE[2], Yen(0));
  EXPECT_EQ(KazeiHyoujunUtiwake.KAZEI_TAIKA[2], Yen(0));

  const TKanpuMeisai_Hojin& h = KanpuMeisai_Hojin;
  EXPECT_EQ(h.ZEIKBN, 1);
  EXPECT_EQ(h.KEIRI_HOUSIKI, 1);
  EXPECT_EQ(h.ZEINUKI_HYOUJI, 1);  // tax-excluded bookkeeping shows itself
  EXPECT_EQ(h.KANPURIYUU01, 1);
  EXPECT_EQ(h.KANPURIYUU02, 0);
  EXPECT_EQ(h.KANPURIYUUOTHER, 0);
  EXPECT_EQ(h.TRANSFER_ROWS[10].SIMEI, "");
  EXPECT_EQ(h.PL_GRID[5].KESSANKIN, Yen(0));
  // The other entity kind's record is not this pass's business.
  EXPECT_EQ(KanpuMeisai_Kojin.BUSINESS_GRID[1].KESSANKIN, Yen(7));

  // Kinds the refund detail does not know leave both records alone.
  AccInf.DATATYPE = 5;
  KanpuMeisai_Hojin.KANPURIYUU01 = 0;
  ResetTaxResults();
  EXPECT_EQ(KanpuMeisai_Hojin.KANPURIYUU01, 0);
  EXPECT_EQ(KanpuMeisai_Kojin.BUSINESS_GRID[1].KESSANKIN, Yen(7));

  AccInf.DATATYPE = 2;
  AccInf.TAXDEFUH = 0;
  ResetTaxResults();
  EXPECT_EQ(KanpuMeisai_Kojin.BUSINESS_GRID[1].KESSANKIN, Yen(0));
  EXPECT_EQ(KanpuMeisai_Kojin.KEIRI_HOUSIKI, 0);
  EXPECT_EQ(KanpuMeisai_Kojin.ZEINUKI_HYOUJI, 0);
  EXPECT_EQ(KanpuMeisai_Kojin.KANPURIYUU01, 1);
}

// ---------------------------------------------------------------------------------------
// The business-type folds.

struct FoldCase {
  const char* name;
  int method;  // SINKOKU_KUBUN
  int formEra;
  int mainType;
  std::vector<Cell> before;
  std::vector<Cell> after;
};

void PrintTo(const FoldCase& c, std::ostream* os) { *os << c.name; }

const FoldCase kFoldCases[] = {
    {"UntypedSalesJoinTheMainType", 1, 3, 2,
     {{'K', 2, 110, 1'000}, {'K', 2, 111, 500}},
     {{'K', 2, 112, 1'500}}},
    // Every table, class and group moves, typed amounts of other types included.
    {"AllTablesClassesAndGroups", 1, 3, 3,
     {{'N', 0, 110, 10}, {'Z', 1, 114, 20}, {'K', 2, 116, 30}, {'K', 2, 311, 40}, {'N', 1, 613, 50},
      {'Z', 2, 636, 60}, {'K', 2, 120, 70}},
     {{'N', 0, 113, 10}, {'Z', 1, 113, 20}, {'K', 2, 113, 30}, {'K', 2, 313, 40}, {'N', 1, 613, 50},
      {'Z', 2, 633, 60}, {'K', 2, 120, 70}}},
    {"ReturnsAloneTriggerTheFold", 1, 3, 5,
     {{'K', 2, 310, 100}, {'K', 2, 111, 7}},
     {{'K', 2, 315, 100}, {'K', 2, 115, 7}}},
    {"TypedAmountsOnlyStayApart", 1, 3, 2,
     {{'K', 2, 111, 1'000}, {'K', 2, 113, 500}},
     {{'K', 2, 111, 1'000}, {'K', 2, 113, 500}}},
    // Untyped amounts that cancel out over the tables move nothing.
    {"CancellingUntypedAmounts", 1, 3, 2,
     {{'K', 2, 110, 1'000}, {'N', 1, 630, -1'000}, {'K', 2, 111, 9}},
     {{'K', 2, 110, 1'000}, {'N', 1, 630, -1'000}, {'K', 2, 111, 9}}},
    {"NoMainTypeFoldsIntoFour", 1, 3, 0,
     {{'K', 2, 610, 1'000}},
     {{'K', 2, 614, 1'000}}},
    {"MainTypeAboveSixFoldsIntoFour", 1, 3, 9,
     {{'K', 2, 110, 1'000}},
     {{'K', 2, 114, 1'000}}},
    {"SixthTypeIntoFifthInEra1", 1, 1, 2,
     {{'K', 2, 116, 100}, {'K', 2, 115, 1}, {'N', 1, 316, 200}, {'Z', 0, 616, 300}, {'K', 2, 636, 400}},
     {{'K', 2, 115, 101}, {'N', 1, 315, 200}, {'Z', 0, 615, 300}, {'K', 2, 635, 400}}},
    {"SixthTypeStaysInEra2", 1, 2, 2, {{'K', 2, 116, 100}}, {{'K', 2, 116, 100}}},
    {"SixthTypeStaysInEra3", 1, 3, 2, {{'K', 2, 116, 100}}, {{'K', 2, 116, 100}}},
    // Era 1 with untyped sales: the main fold first, then the sixth type to the fifth.
    {"BothFoldsInEra1", 1, 1, 6,
     {{'K', 2, 110, 1'000}},
     {{'K', 2, 115, 1'000}}},
    {"GeneralPassNeverFolds", 0, 3, 2,
     {{'K', 2, 110, 1'000}, {'K', 2, 111, 500}, {'K', 2, 116, 300}},
     {{'K', 2, 110, 1'000}, {'K', 2, 111, 500}, {'K', 2, 116, 300}}},
    {"GeneralPassEra1NeverFolds", 0, 1, 2, {{'K', 2, 116, 300}}, {{'K', 2, 116, 300}}},
};

class FoldTest : public TaxHubTest, public ::testing::WithParamInterface<FoldCase> {};

TEST_P(FoldTest, Tables) {
  const FoldCase& c = GetParam();
  TaxPar.SINKOKU_KUBUN = c.method;
  TaxPar.FORM_ERA = c.formEra;
  TaxPar.MAIN_JIGYOU = c.mainType;
  Fill(TaxPar, c.before);
  TTAXPAR expected;
  Fill(expected, c.after);

  CheckTaxCodes(false);

  for (const std::string& d : Differences(expected)) ADD_FAILURE() << d;
}

INSTANTIATE_TEST_SUITE_P(Cases, FoldTest, ::testing::ValuesIn(kFoldCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Dispatch.

TEST_F(TaxHubTest, DispatchRunsTheChainOfTheMethodAndFinishesTheRefundDetailAfterTheGeneral) {
  SetYear(EncodeDate(2016, 4, 1), EncodeDate(2017, 3, 31));
  struct {
    const char* name;
    int method, formEra;
    bool chainRuns, refundFinished;
  } cases[] = {
      {"General", 0, 3, true, true},
      {"Simplified", 1, 3, true, false},
      {"GeneralEra0", 0, 0, false, true},
      {"OtherMethod", 2, 3, false, false},
  };
  for (const auto& c : cases) {
    ResetTaxEngineRecords();
    AccInf.DATATYPE = 1;
    AccInf.TAXJIGYOU = 4;
    TaxPar.SINKOKU_KUBUN = c.method;
    TaxPar.FORM_ERA = c.formEra;
    TaxPar.MAIN_JIGYOU = 4;
    TaxPar.MINASIRITU4 = Currency::FromRaw(6000);
    Fill(TaxPar, {{'K', 2, 114, 1'080'000}});
    // A journal-fed row the finish cuts to thousands.
    KanpuMeisai_Hojin.PL_GRID[2].KESSANKIN = Yen(123'456);

    CheckTaxCodes(false);

    EXPECT_EQ(Sinkoku.KAZEI_HYOUJUN, c.chainRuns ? Yen(1'000'000) : Yen(0)) << c.name;
    EXPECT_EQ(KanpuMeisai_Hojin.PL_GRID[2].KESSANKIN, c.refundFinished ? Yen(123) : Yen(123'456)) << c.name;
    EXPECT_EQ(KanpuMeisai_Hojin.PL_GRID[5].KESSANKIN, c.refundFinished ? Yen(123) : Yen(0)) << c.name;
  }
}

// The services the chains call read the forms of the pass's own method.
TEST_F(TaxHubTest, TransitionalCheckAndSpecifiedPurchasesFollowTheMethod) {
  Fuhyou2[3].KAZEI_URIAGE = Yen(1);  // general, 8%
  Fuhyou5[4].URIAGE_ABS[3] = Yen(1);  // simplified, 8%
  Fuhyou4[2].KASHIDAORE_ZEIGAKU = Yen(1);  // simplified, 5%
  Fuhyou1[3].TOKUTEI_TAIKA = Yen(1'000);
  Fuhyou2[0].KAZEI_WARIAI = Currency::FromRaw(949'000);  // 94.9

  TaxPar.SINKOKU_KUBUN = 0;
  EXPECT_EQ(CheckTransitionalAmounts(true), 2);
  EXPECT_EQ(TaxPar.TRANSITIONAL, 2);
  EXPECT_TRUE(HasSpecifiedPurchases(true));
  Fuhyou2[0].KAZEI_WARIAI = Yen(95);
  EXPECT_FALSE(HasSpecifiedPurchases(true));
  Fuhyou2[0].KAZEI_WARIAI = Currency::FromRaw(949'000);

  TaxPar.SINKOKU_KUBUN = 1;
  EXPECT_EQ(CheckTransitionalAmounts(true), -1);
  EXPECT_EQ(TaxPar.TRANSITIONAL, -1);
  EXPECT_FALSE(HasSpecifiedPurchases(true));
  Fuhyou4[2].KASHIDAORE_ZEIGAKU = Yen(0);
  EXPECT_EQ(CheckTransitionalAmounts(true), 2);

  // Nothing anywhere is no transitional case.
  ResetTaxEngineRecords();
  EXPECT_EQ(CheckTransitionalAmounts(true), -1);
}

}  // namespace
