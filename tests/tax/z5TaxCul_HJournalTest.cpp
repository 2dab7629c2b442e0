// How one journal line lands in the journal tables: the tax-code slot, the rate class, the
// sign of its side and the table its amounts go to.
#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "platform/DateTime.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCul_H.h"
#include "TaxTestSupport.h"

namespace {

TEST(TaxCodeSlotTest, EveryCodeOfTheTableAndNothingElse) {
  const std::pair<int, int> table[] = {
      {110, 1},  {111, 2},  {112, 3},  {113, 4},  {114, 5},  {115, 6},  {116, 84}, {120, 7},
      {130, 8},  {140, 9},  {150, 10}, {210, 11}, {220, 12}, {230, 13}, {240, 14}, {250, 15},
      {310, 16}, {311, 17}, {312, 18}, {313, 19}, {314, 20}, {315, 21}, {316, 85}, {320, 22},
      {330, 23}, {340, 24}, {350, 25}, {410, 26}, {420, 27}, {430, 28}, {440, 29}, {450, 30},
      {511, 31}, {512, 32}, {513, 33}, {521, 34}, {522, 35}, {523, 36}, {531, 37}, {532, 38},
      {533, 39}, {540, 40}, {551, 88}, {552, 89}, {553, 90}, {561, 41}, {562, 42}, {563, 43},
      {571, 44}, {572, 45}, {573, 46}, {581, 91}, {582, 92}, {583, 93}, {610, 47}, {611, 48},
      {612, 49}, {613, 50}, {614, 51}, {615, 52}, {616, 86}, {620, 53}, {630, 54}, {631, 55},
      {632, 56}, {633, 57}, {634, 58}, {635, 59}, {636, 87}, {640, 60}, {711, 61}, {712, 62},
      {713, 63}, {721, 64}, {722, 65}, {723, 66}, {724, 78}, {725, 79}, {726, 80}, {731, 67},
      {732, 68}, {733, 69}, {761, 70}, {762, 71}, {763, 72}, {771, 73}, {772, 74}, {773, 75},
      {774, 81}, {775, 82}, {776, 83}, {810, 76}, {910, 77},
  };
  std::set<int> codes, slots;
  for (auto [code, slot] : table) {
    EXPECT_EQ(TaxCodeSlot(code), slot) << code;
    codes.insert(code);
    slots.insert(slot);
  }
  EXPECT_EQ(slots.size(), 93u);
  EXPECT_EQ(*slots.begin(), 1);
  EXPECT_EQ(*slots.rbegin(), 93);
  for (int code = -5; code <= 1100; ++code) {
    if (!codes.count(code)) {
      EXPECT_EQ(TaxCodeSlot(code), 0) << code;
    }
  }
  EXPECT_EQ(TaxCodeSlot(100'000), 0);
}

TEST(TaxRateClassTest, ByDateAndRate) {
  const TDateTime before5 = EncodeDate(1997, 3, 31), from5 = EncodeDate(1997, 4, 1);
  const TDateTime before8 = EncodeDate(2014, 3, 31), from8 = EncodeDate(2014, 4, 1);
  struct {
    TDateTime date;
    int rate;
    int rateClass;
  } cases[] = {
      {before5, 3, 0}, {before5, 5, 0}, {before5, 8, 0}, {before5, 0, 0},
      {from5, 3, 0},   {from5, 5, 1},   {from5, 8, 1},   {from5, 0, 1},   {from5, 10, 1},
      {before8, 3, 0}, {before8, 5, 1}, {before8, 8, 1}, {before8, 0, 1},
      {from8, 3, 0},   {from8, 5, 1},   {from8, 8, 2},   {from8, 0, 2},   {from8, 10, 2},
      {EncodeDate(2019, 10, 1), 5, 1},  {EncodeDate(2019, 10, 1), 8, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TaxRateClass(Yen(c.rate), c.date), c.rateClass)
        << FormatDateTime("yyyy/mm/dd", c.date) << " " << c.rate << "%";
  // A rate with a fraction is no known rate: the rate in force on the date.
  EXPECT_EQ(TaxRateClass(Currency::FromRaw(80'001), from8), 2);
  EXPECT_EQ(TaxRateClass(Currency::FromRaw(30'001), from5), 1);
}

// ---------------------------------------------------------------------------------------
// One line into the tables.

constexpr const char* kKaribarai = "1390";
constexpr const char* kKariuke = "2190";
constexpr const char* kSales = "4110";

struct LineCase {
  const char* name;
  int taishaku, taxDc, taxCode;
  int64_t nukYen, zeiYen;
  int autCalcu;
  const char* kcode;
  TDateTime date;
  int rate;
  // The one cell that changes ('-': none) and the estimated-import flag afterwards.
  char table;
  int rateClass;
  int64_t deltaYen;
  bool estimated;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

const TDateTime kMay2014 = EncodeDate(2014, 5, 1);

const LineCase kLineCases[] = {
    {"SaleOnItsCreditSide", 2, 3, 110, 1'000, 80, 1, kSales, kMay2014, 8, 'K', 2, 1'080, false},
    {"SaleOnTheDebitSide", 1, 3, 110, 1'000, 80, 1, kSales, kMay2014, 8, 'K', 2, -1'080, false},
    {"PurchaseOnItsDebitSide", 1, 1, 511, 500, 40, 1, kSales, kMay2014, 8, 'K', 2, 540, false},
    {"PurchaseOnTheCreditSide", 2, 1, 511, 500, 40, 1, kSales, kMay2014, 8, 'K', 2, -540, false},
    {"TaxDcNeither", 2, 0, 110, 1'000, 80, 1, kSales, kMay2014, 8, '-', 0, 0, false},
    {"TaxDcTwo", 1, 2, 511, 500, 40, 1, kSales, kMay2014, 8, '-', 0, 0, false},
    {"OddSide", 3, 1, 511, 500, 40, 1, kSales, kMay2014, 8, '-', 0, 0, false},
    // Imports: the national tax entered by hand goes to the tax table.
    {"ImportTaxAsEntered", 1, 1, 721, 0, 6'300, 0, kSales, kMay2014, 8, 'Z', 2, 6'300, true},
    {"ImportNetAsEntered", 1, 1, 721, 50'000, 0, 0, kSales, kMay2014, 8, 'N', 2, 50'000, true},
    // Computed tax on an ordinary account: tax-inclusive as one amount, or net without tax.
    {"SeparateComputedWithTax", 1, 1, 521, 1'000, 80, 1, kSales, kMay2014, 8, 'K', 2, 1'080, true},
    {"SeparateComputedWithoutTax", 1, 1, 551, 100'000, 0, 1, kSales, kMay2014, 8, 'N', 2, 100'000, false},
    // On a consumption-tax account the amount is the tax itself.
    {"SeparateComputedOnKaribarai", 1, 1, 724, 6'300, 0, 1, kKaribarai, kMay2014, 8, 'Z', 2, 6'300, false},
    {"SeparateComputedOnKariuke", 1, 3, 771, 700, 0, 1, kKariuke, kMay2014, 8, 'Z', 2, -700, true},
    // Import national tax booked as entered on 仮払消費税 stays in the net table.
    {"ImportNationalAsEnteredOnKaribarai", 1, 1, 724, 6'300, 0, 0, kKaribarai, kMay2014, 8, 'N', 2, 6'300,
     false},
    {"ImportWithoutTaxIsNoEstimate", 1, 1, 521, 1'000, 0, 1, kSales, kMay2014, 8, 'N', 2, 1'000, false},
    {"ReturnOfImportWithTax", 2, 3, 571, 0, 500, 0, kSales, kMay2014, 8, 'Z', 2, 500, true},
    {"UnknownCodeToSlotZero", 2, 3, 999, 1'000, 0, 1, kSales, kMay2014, 8, 'K', 2, 1'000, false},
    {"CodeZeroToSlotZero", 2, 3, 0, 1'000, 0, 1, kSales, kMay2014, 8, 'K', 2, 1'000, false},
    {"FivePercentBeforeItsStart", 2, 3, 110, 1'000, 50, 1, kSales, EncodeDate(1997, 3, 31), 5, 'K', 0,
     1'050, false},
    // The estimated-import test runs whatever the side pair.
    {"EstimateCountsWithoutSign", 1, 0, 773, 0, 100, 0, kSales, kMay2014, 8, '-', 0, 0, true},
};

class LineTest : public TaxRecordsTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, Cell) {
  const LineCase& c = GetParam();
  TJournalLine line;
  line.HIZUKE = c.date;
  line.TAISHAKU = c.taishaku;
  line.KCODE = c.kcode;
  line.TAXCODE = c.taxCode;
  line.TAXDC = c.taxDc;
  line.NUK = Yen(c.nukYen);
  line.ZEI = Yen(c.zeiYen);
  line.RIT = Yen(c.rate);
  line.AUTCALCU = c.autCalcu;
  line.R_KCODE = "1110";
  line.GROUPM0 = "4110";
  line.DAC = 2;

  // Twice: the line adds, it does not overwrite.
  const TTaxAccounts accounts{kKaribarai, kKariuke};
  AccumulateJournalLine(line, accounts);
  AccumulateJournalLine(line, accounts);

  const int slot = TaxCodeSlot(c.taxCode);
  for (char table : {'K', 'N', 'Z'}) {
    const TJournalTable& t = table == 'K' ? TaxPar.KOMI_SUM : table == 'N' ? TaxPar.NUK_SUM : TaxPar.ZEI_SUM;
    for (int rc = 0; rc < kRateClassCount; ++rc)
      for (int s = 0; s < kTaxSlotCount; ++s) {
        const bool target = table == c.table && rc == c.rateClass && s == slot;
        EXPECT_EQ(t[rc][s], target ? Yen(2 * c.deltaYen) : Yen(0)) << table << "[" << rc << "][" << s << "]";
      }
  }
  EXPECT_EQ(TaxPar.ESTIMATED_IMPORT, c.estimated ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineTest, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TaxAccountsTest, AnAccountTheDataSetLacksMatchesNothing) {
  const TTaxAccounts accounts{"1390", ""};
  EXPECT_TRUE(accounts.Contains("1390"));
  EXPECT_FALSE(accounts.Contains(""));
  EXPECT_FALSE(accounts.Contains("2190"));
}

}  // namespace
