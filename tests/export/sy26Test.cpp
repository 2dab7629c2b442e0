// The cells of the DATA node from the engine's journal tables, set by hand: which codes feed
// which element, from which table, and the business-type rows of the simplified groups.
#include <gtest/gtest.h>

#include <string>

#include "export/sy26.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCul_H.h"

namespace {

constexpr int kGen = TSyohizeiDataMake::kGeneral;
constexpr int kKan = TSyohizeiDataMake::kSimplified;

class Sy26ValuesTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetTaxEngineRecords(); }
  void TearDown() override { ResetTaxEngineRecords(); }

  static void Komi(int rateClass, int code, int64_t yen) { TaxPar.KOMI_SUM[rateClass][TaxCodeSlot(code)] = Currency::FromYen(yen); }
  static void Nuk(int rateClass, int code, int64_t yen) { TaxPar.NUK_SUM[rateClass][TaxCodeSlot(code)] = Currency::FromYen(yen); }
  static void Zei(int rateClass, int code, int64_t yen) { TaxPar.ZEI_SUM[rateClass][TaxCodeSlot(code)] = Currency::FromYen(yen); }

  // The text of the cell named `name` in the table, by searching the table's names.
  static std::string Cell(const TSyohizeiDataMake& m, int method, const std::string& code, const std::string& name) {
    for (int row = 0; row < TSyohizeiDataMake::RowCount(method, code); ++row)
      for (int col = 0; col < 3; ++col)
        if (TSyohizeiDataMake::ValueName(method, code, row, col) == name) return m.Value(method, code, row, col);
    ADD_FAILURE() << name << " is not in " << code;
    return "<none>";
  }
};

TEST_F(Sy26ValuesTest, GroupsAndTheirElements) {
  // Elements per group: general sales, purchases (8% with specified purchases), bad debts,
  // simplified sales and returns.
  const struct {
    int method;
    std::string code;
    int elements;
  } cases[] = {{kGen, "U8", 13}, {kGen, "U3", 13}, {kGen, "S8", 32}, {kGen, "S5", 26}, {kGen, "K5", 6},
               {kKan, "U8", 22}, {kKan, "H3", 22}, {kKan, "K8", 6},  {kGen, "H8", 0},  {kKan, "S8", 0},
               {kGen, "U9", 0}};
  for (const auto& c : cases) {
    int n = 0;
    for (int row = 0; row < TSyohizeiDataMake::RowCount(c.method, c.code); ++row)
      for (int col = 0; col < 3; ++col) n += !TSyohizeiDataMake::ValueName(c.method, c.code, row, col).empty();
    EXPECT_EQ(n, c.elements) << c.method << c.code;
  }
  EXPECT_EQ(TSyohizeiDataMake::ValueName(kGen, "S5", 3, 1), "YUNYUSHIIREKAZEIZEIGAKU5") << "no specified rows at 5%";
  EXPECT_EQ(TSyohizeiDataMake::ValueName(kGen, "S8", 3, 0), "TOKUTEISHIIREKAZEIZEINUKI8");
  EXPECT_EQ(TSyohizeiDataMake::ValueName(kKan, "H5", 8, 0), "MENZEIURIAGEHENKANZEINUKI5");
  EXPECT_EQ(TSyohizeiDataMake::ValueName(kGen, "U8", 10, 0), "");
  EXPECT_EQ(TSyohizeiDataMake::GroupName(kGen, 4), "D020120");
  EXPECT_EQ(TSyohizeiDataMake::GroupName(kKan, 9), "D020232");
  EXPECT_EQ(TSyohizeiDataMake::GroupName(kKan, 12), "KANPUH");
  EXPECT_EQ(TSyohizeiDataMake::GroupName(kGen, 13), "KANPUK");
  EXPECT_EQ(TSyohizeiDataMake::GroupName(kGen, 10), "");
}

// Each general cell reads one table per code: the tax of import taxes, the net amount of
// specified purchases, the tax-inclusive amount of everything else.
TEST_F(Sy26ValuesTest, GeneralCellsReadTheirCodesTable) {
  Komi(2, 110, 500);
  Komi(2, 610, -500);  // cancels: empty, not "0"
  Komi(2, 111, 7);
  Komi(2, 140, 100);
  Komi(2, 340, 250);
  Zei(2, 724, 63);
  Komi(2, 724, 9999);  // never read for an import tax
  Nuk(2, 551, 400);
  Komi(2, 551, 9999);
  Nuk(1, 551, 300);    // the 5% form has no specified purchases
  Komi(1, 512, 105);
  Komi(1, 712, 210);
  Komi(1, 310, 40);
  Komi(1, 630, -40);
  Komi(0, 620, 31);
  Komi(0, 210, 72);
  TSyohizeiDataMake m;
  m.MakeGenValues();
  EXPECT_EQ(m.ResultCode, 1);
  EXPECT_EQ(Cell(m, kGen, "U8", "KAZEIURIAGEZEIKOMI8"), "7");
  EXPECT_EQ(Cell(m, kGen, "U8", "KAZEIURIAGEZEINUKI8"), "");
  EXPECT_EQ(Cell(m, kGen, "U5", "KAZEIURIAGEHENKANZEIKOMI5"), "") << "amounts that cancel out";
  EXPECT_EQ(Cell(m, kGen, "U8", "HIKAZEIURIAGEYUUKAZEINUKI8"), "-150");
  EXPECT_EQ(Cell(m, kGen, "S8", "YUNYUSHIIREKAZEIZEIGAKU8"), "63");
  EXPECT_EQ(Cell(m, kGen, "S8", "TOKUTEISHIIREKAZEIZEINUKI8"), "400");
  EXPECT_EQ(Cell(m, kGen, "S8", "YUNYUSHIIRETIHO8"), "");
  EXPECT_EQ(Cell(m, kGen, "S5", "SHIIREKYOTUUZEIKOMI5"), "315");
  EXPECT_EQ(Cell(m, kGen, "K3", "KASHIDAOREKAISHUZEIKOMI3"), "103");
  for (int i = 0; i < TSyohizeiDataMake::kCellCount; ++i) {
    const std::string& v = m.Values[static_cast<size_t>(i)];
    EXPECT_TRUE(v != "0" && v != "300" && v != "9999") << i << ": " << v;
  }

  // The accumulation method (never chosen by the wizard) sums the three tables.
  TSyohizeiDataMake accum;
  accum.AccumMethod = 1;
  accum.MakeGenValues();
  EXPECT_EQ(Cell(accum, kGen, "S8", "YUNYUSHIIREKAZEIZEIGAKU8"), std::to_string(63 + 9999));
}

TEST_F(Sy26ValuesTest, SimplifiedBusinessTypeRows) {
  const int class8 = 2;
  Komi(class8, 110, 100);
  Komi(class8, 111, 10);
  Komi(class8, 112, 20);
  Komi(class8, 116, 60);
  Komi(class8, 610, 1000);
  Komi(class8, 313, 5);
  Komi(class8, 120, 77);
  const struct {
    int simplified, mainType;
    const char* rows[6];  // KAZEIURIAGE1SHUZEIKOMI8 .. 6
    const char* return3;  // KAZEIHENKAN3SHUZEIKOMI8
  } cases[] = {
      {1, 2, {"10", "1120", "", "", "", "60"}, "5"},
      {1, 0, {"10", "20", "", "1100", "", "60"}, "5"},
      {1, 7, {"10", "20", "", "1100", "", "60"}, "5"},  // a type the forms do not know: as none
      {0, 0, {"", "", "", "1190", "", ""}, ""},         // general method, no main type: all in 4
      {0, 3, {"", "", "", "", "", ""}, ""},
      {2, 0, {"", "", "", "", "", ""}, ""},
  };
  for (const auto& c : cases) {
    TSyohizeiDataMake m;
    m.Simplified = c.simplified;
    m.MainBusinessType = c.mainType;
    m.MakeKanValues();
    for (int n = 1; n <= 6; ++n) {
      EXPECT_EQ(Cell(m, kKan, "U8", "KAZEIURIAGE" + std::to_string(n) + "SHUZEIKOMI8"), c.rows[n - 1])
          << c.simplified << "/" << c.mainType << " row " << n;
    }
    EXPECT_EQ(Cell(m, kKan, "H8", "KAZEIHENKAN3SHUZEIKOMI8"), c.return3);
    EXPECT_EQ(Cell(m, kKan, "U8", "MENZEIURIAGEZEINUKI8"), "77") << "export sales in every case";
    EXPECT_EQ(Cell(m, kKan, "U8", "KAZEIURIAGEZEROZEIKOMI8"), "");
  }
}

TEST(Sy26FormatTest, WholeYenFormats) {
  const struct {
    int64_t raw;
    std::string orEmpty, plain;
  } cases[] = {{0, "", "0"}, {10800000, "1080", "1080"}, {-5000, "-1", "-1"}, {4999, "", "0"}, {-500000000, "-50000", "-50000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(FormatYenOrEmpty(Currency::FromRaw(c.raw)), c.orEmpty) << c.raw;
    EXPECT_EQ(FormatYen(Currency::FromRaw(c.raw)), c.plain) << c.raw;
  }
}

}  // namespace
