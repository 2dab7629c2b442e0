// Consumption-tax codes, their checks against accounts, the rate look-ups by date, and the
// net amount and tax of journal entries.
#include <gtest/gtest.h>

#include <string>

#include "data/uAccDateCmp.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "data/uAccTaxCmp.h"
#include "platform/Encoding.h"
#include "support/ScriptedUi.h"

namespace {

TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }
Currency Yen(const char* text) {
  Currency c;
  EXPECT_TRUE(Currency::TryParse(text, c)) << text;
  return c;
}

// User codes of the standard accounts in the data set of these tests.
const char* const kKaribarai = "191";
const char* const kKariuke = "291";
const char* const kShokuchi = "999";
const char* const kCash = "111";
const char* const kPurchase = "511";
const char* const kSales = "411";

// The open data set's settings (a version 6.1 data set by default) and the era switch.
class TaxState : public ::testing::Test {
 protected:
  void SetUp() override {
    savedAcc_ = AccInf;
    savedSwitch_ = SystemDef.R4Bit10;
    savedEras_ = GengoArray;
    InitGengoTable();
    AccInf = TACCINF{};
    AccInf.VerMajor = 6;
    AccInf.VerMinor1 = 1;
    AccInf.SysUserCode[kSysKaribaraiTax] = kKaribarai;
    AccInf.SysUserCode[kSysKariukeTax] = kKariuke;
    AccInf.SysUserCode[kSysShokuchi] = kShokuchi;
    SystemDef.R4Bit10 = 0;
  }
  void TearDown() override {
    AccInf = savedAcc_;
    SystemDef.R4Bit10 = savedSwitch_;
    GengoArray = savedEras_;
  }

 private:
  TACCINF savedAcc_;
  int32_t savedSwitch_ = 0;
  TGengoArray savedEras_;
};

TEST(TaxCodeTable, NinetyThreeCodesWithTwentyFourByteNames) {
  int found = 0;
  for (int code = -1; code <= 1000; ++code) {
    TTaxCodeInfo info;
    if (!GetTaxCodeInfo(code, info)) {
      EXPECT_TRUE(info.Name.empty() && info.Kind.empty() && info.TAXDC == 0) << code;
      continue;
    }
    ++found;
    EXPECT_EQ(sjis::ByteLength(info.Name), 24u) << code;
  }
  EXPECT_EQ(found, 93);
}

TEST(TaxCodeTable, Rows) {
  struct Case { int code; const char* kind; const char* name; int dc, uh, cls; };
  const Case cases[] = {
      {110, "売上", "課税売上", 3, 1, 1},
      {113, "売上", "第３種課税売上", 3, 1, 2},
      {120, "売上", "免税売上", 3, 0, 0},
      {140, "売上", "非課税売上（有価証券）", 3, 0, 0},
      {210, "貸倒回収", "課税売上", 3, 1, 0},
      {250, "貸倒回収", "非課税売上（輸出等）", 3, 0, 0},
      {310, "返還", "課税売上", 1, 1, 1},
      {316, "返還", "第６種課税返還", 1, 1, 2},
      {330, "返還", "非課税売上", 1, 0, 0},
      {410, "貸倒", "課税売上", 1, 1, 0},
      {511, "仕入", "課税売上対応課税仕入", 1, 2, 0},
      {523, "仕入", "非課売上対応課税輸入", 1, 2, 0},
      {533, "仕入", "非課税売上対調整（棚卸）", 1, 2, 0},
      {540, "仕入", "非課税仕入", 1, 0, 0},
      {552, "仕入", "共通売上対応特定課税仕入", 1, 2, 0},
      {563, "仕入", "非課売上対応課税仕入返還", 3, 2, 0},
      {571, "仕入", "課税売上対応課税輸入返還", 3, 2, 0},
      {583, "仕入", "非課売上対応特定仕入返還", 3, 2, 0},
      {610, "仮受", "売上", 3, 0, 1},
      {611, "仮受", "第１種課税売上", 3, 0, 2},
      {620, "仮受", "貸倒回収", 3, 0, 0},
      {630, "仮受", "返還", 1, 0, 1},
      {636, "仮受", "第６種課税返還", 1, 0, 2},
      {640, "仮受", "貸倒", 1, 0, 0},
      {712, "仮払", "共通売上対応課税仕入", 1, 0, 0},
      {725, "仮払", "共通売上対応課税輸入(国)", 1, 0, 0},
      {733, "仮払", "非課売上対応調整（棚卸）", 1, 0, 0},
      {761, "仮払", "課税売上対応課税仕入返還", 3, 0, 0},
      {776, "仮払", "非課売対課税輸入返還(国)", 3, 0, 0},
      {810, "課税対象外", "課税対象外・不課税", 0, 0, 0},
  };
  for (const auto& c : cases) {
    TTaxCodeInfo info;
    ASSERT_TRUE(GetTaxCodeInfo(c.code, info)) << c.code;
    EXPECT_EQ(info.Kind, c.kind) << c.code;
    EXPECT_EQ(info.Name, PadRightSJIS(c.name, 24)) << c.code;
    EXPECT_EQ(info.TAXDC, c.dc) << c.code;
    EXPECT_EQ(info.TAXUH, c.uh) << c.code;
    EXPECT_EQ(info.BizClass, c.cls) << c.code;
  }
  TTaxCodeInfo info;
  ASSERT_TRUE(GetTaxCodeInfo(910, info));
  EXPECT_EQ(info.Name, "区分未定　　　　　　    ");
  for (int code : {0, 100, 117, 160, 514, 541, 554, 617, 650, 734, 777, 800, 999}) EXPECT_FALSE(GetTaxCodeInfo(code, info)) << code;
  for (int code : {551, 552, 553, 581, 582, 583}) EXPECT_TRUE(IsSpecifiedPurchaseCode(code)) << code;
  for (int code : {550, 554, 561, 580, 584, 751}) EXPECT_FALSE(IsSpecifiedPurchaseCode(code)) << code;
}

TEST_F(TaxState, NormalizeTaxCode) {
  struct Case { int kanni, jigyou, code, want; };
  const Case cases[] = {
      {0, 0, 115, 110}, {0, 3, 316, 310}, {0, 3, 611, 610}, {0, 0, 636, 630}, {0, 3, 110, 110}, {0, 3, 511, 511},
      {2, 3, 113, 110}, {1, 3, 110, 113}, {1, 3, 310, 313}, {1, 5, 610, 615}, {1, 5, 630, 635}, {1, 0, 110, 110},
      {1, 3, 115, 115}, {1, 3, 210, 210},
      // A main business type that names no code leaves the code unrefined.
      {1, 7, 110, 110}, {1, -1, 610, 610},
  };
  for (const auto& c : cases) {
    AccInf.TAXKANNI = c.kanni;
    AccInf.TAXJIGYOU = c.jigyou;
    int code = c.code;
    NormalizeTaxCode(code);
    EXPECT_EQ(code, c.want) << c.kanni << "/" << c.jigyou << " " << c.code;
  }
}

TEST_F(TaxState, CodeAgainstAccount) {
  const std::string k700 = "仮払消費税の税コードは[700番台,810,910]を使用してください。";
  const std::string use700 = "税コードが[700番台]は、科目に仮払消費税を使用してください。";
  const std::string use600 = "税コードが[600番台]は、科目に仮受消費税を使用してください。";
  const std::string k600 = "仮受消費税の税コードは[600番台,810,910]を使用してください。";
  const std::string gensoku = "注意：原則課税が選択されています。";
  const std::string kanni = "注意：簡易課税が選択されています。";
  struct Case { int kanni; const char* user; int code; bool ok; std::string message; };
  const Case cases[] = {
      {0, kKaribarai, 711, true, ""},   {0, kKaribarai, 726, true, ""},    {0, kKaribarai, 776, true, ""},
      {0, kKaribarai, 810, true, ""},   {0, kKaribarai, 910, true, ""},    {0, kKaribarai, 511, false, k700},
      {0, kKaribarai, 734, false, k700}, {0, kKaribarai, 610, false, k700},
      {0, kPurchase, 711, false, use700}, {0, kPurchase, 610, false, use600}, {0, kPurchase, 511, true, ""},
      {0, kKariuke, 610, true, ""},     {0, kKariuke, 640, true, ""},      {0, kKariuke, 910, true, ""},
      {0, kKariuke, 613, true, gensoku}, {0, kKariuke, 634, true, gensoku}, {0, kKariuke, 511, false, k600},
      {0, kKariuke, 711, false, use700},
      {1, kKariuke, 610, true, kanni},  {1, kKariuke, 630, true, kanni},   {1, kKariuke, 613, true, ""},
      {1, kKariuke, 620, true, ""},     {1, kKariuke, 810, true, ""},      {1, kKariuke, 511, false, k600},
      {2, kKariuke, 511, true, ""},
  };
  for (const auto& c : cases) {
    AccInf.TAXKANNI = c.kanni;
    std::string message = "old";
    EXPECT_EQ(CheckTaxCodeForAccount(message, c.user, c.code), c.ok) << c.user << " " << c.code;
    EXPECT_EQ(message, c.message) << c.user << " " << c.code;
  }
}

TEST_F(TaxState, CounterCodesOfTaxAccountsAndShokuchi) {
  const std::string counter = "仮受消費税、仮払消費税の相手税コードは[810,910]を使用してください。";
  const std::string shokuchi = "諸口の消費税コードは、[810,910]を使用してください。";
  struct Case { bool shokuchiCheck; const char* user; int code; bool ok; int after; std::string message; };
  const Case cases[] = {
      {false, kKariuke, 511, false, 810, counter}, {false, kKaribarai, 110, false, 810, counter},
      {false, kKaribarai, 910, true, 910, ""},      {false, kPurchase, 511, true, 511, ""},
      {true, kShokuchi, 110, false, 810, shokuchi}, {true, kShokuchi, 910, true, 910, ""},
      {true, kCash, 110, true, 110, ""},
  };
  for (const auto& c : cases) {
    std::string message = "old";
    int code = c.code;
    const bool ok = c.shokuchiCheck ? CheckSyokuchiTaxCode(message, c.user, code)
                                    : CheckTaxAccountCounterCode(message, c.user, code);
    EXPECT_EQ(ok, c.ok) << c.user << " " << c.code;
    EXPECT_EQ(code, c.after) << c.user << " " << c.code;
    EXPECT_EQ(message, c.message) << c.user << " " << c.code;
  }
  // A data set without a 諸口 account: no account is taken for it.
  AccInf.SysUserCode[kSysShokuchi].clear();
  std::string message;
  int code = 110;
  EXPECT_TRUE(CheckSyokuchiTaxCode(message, "", code));
}

TEST_F(TaxState, SpecifiedPurchases) {
  const std::string before = "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では[";
  const std::string after = "]より前の取引を登録できません。";
  const std::string rate5 = "特定課税仕入れ用の消費税コード[551,552,553,581,582,583]では税率[5%]は使用できません。";
  std::string message;
  EXPECT_FALSE(CheckSpecifiedPurchase(message, 551, 0, D(2015, 9, 30)));
  EXPECT_EQ(message, before + "2015/10/01" + after);
  SystemDef.R4Bit10 = 1;
  EXPECT_FALSE(CheckSpecifiedPurchase(message, 583, 0, D(2015, 9, 30)));
  EXPECT_EQ(message, before + "H27/10/01" + after);
  SystemDef.R4Bit10 = 0;

  EXPECT_FALSE(CheckSpecifiedPurchase(message, 551, 2, D(2015, 10, 1)));
  EXPECT_EQ(message, rate5);
  EXPECT_TRUE(CheckSpecifiedPurchase(message, 551, 0, D(2015, 10, 1)));
  EXPECT_EQ(message, "");
  EXPECT_TRUE(CheckSpecifiedPurchase(message, 511, 2, D(2015, 9, 30)));
  EXPECT_EQ(message, "");

  // Both fail: the rate message is the one left.
  AccInf.VerMinor1 = 0;
  EXPECT_FALSE(CheckSpecifiedPurchase(message, 582, 0, D(2015, 9, 30)));
  EXPECT_EQ(message, rate5);
}

TEST_F(TaxState, RateByNumberAndDate) {
  struct Case { int no; TDateTime date; int major, minor; int rate; };
  const Case cases[] = {
      {0, D(1997, 3, 31), 6, 1, 3}, {2, D(1997, 3, 31), 6, 1, 3}, {0, 0, 6, 1, 3},
      {1, D(1997, 4, 1), 6, 1, 3},  {2, D(1997, 4, 1), 6, 1, 5},  {0, D(1997, 4, 1), 6, 1, 5},
      {0, D(2014, 3, 31), 6, 1, 5}, {0, D(2014, 4, 1), 6, 1, 8},  {0, D(2014, 4, 1), 6, 0, 5},
      {0, D(2014, 4, 1), 7, 0, 8},  {0, D(2014, 4, 1), 5, 9, 5},  {2, D(2014, 4, 1), 6, 1, 5},
      {1, D(2015, 1, 1), 6, 1, 3},  {3, D(2015, 1, 1), 6, 1, 8},
  };
  for (const auto& c : cases) {
    AccInf.VerMajor = c.major;
    AccInf.VerMinor1 = c.minor;
    EXPECT_EQ(GetZeiRitu(c.no, c.date), Currency::FromYen(c.rate))
        << c.no << " " << FormatDateTime("yyyy/mm/dd", c.date) << " v" << c.major << "." << c.minor;
  }
}

TEST(RateLookups, CheckZeiRituNoAndRateClass) {
  struct NoCase { int no; TDateTime date; int want; };
  const NoCase numbers[] = {
      {2, D(2014, 3, 31), 0}, {1, D(2014, 3, 31), 1}, {0, D(2014, 3, 31), 0}, {3, D(1990, 1, 1), 0},
      {2, D(2014, 4, 1), 2},  {1, D(2014, 4, 1), 1},  {0, D(2014, 4, 1), 0},  {3, D(2015, 1, 1), 0},
      {-1, D(2015, 1, 1), 0},
  };
  for (const auto& c : numbers)
    EXPECT_EQ(CheckZeiRituNo(c.no, c.date), c.want) << c.no << " " << FormatDateTime("yyyy/mm/dd", c.date);

  struct ClassCase { int rate; TDateTime date; int want; };
  const ClassCase classes[] = {
      {5, D(1997, 3, 31), 0}, {8, D(1997, 3, 31), 0}, {3, D(2000, 1, 1), 0},  {5, D(2000, 1, 1), 1},
      {0, D(2014, 3, 31), 1}, {5, D(2014, 4, 1), 1},  {0, D(2014, 4, 1), 2},  {8, D(2014, 4, 1), 2},
      {3, D(2014, 4, 1), 0},  {10, D(2019, 10, 1), 2},
  };
  for (const auto& c : classes)
    EXPECT_EQ(ZeiRituToNo(Currency::FromYen(c.rate), c.date), c.want) << c.rate << " " << FormatDateTime("yyyy/mm/dd", c.date);

  const auto& table = ZeiRituTable();
  EXPECT_STREQ(table[0].RateText, "8%");
  EXPECT_EQ(table[2].Rate, Currency::FromYen(3));
}

// A purchase paid in cash on 2014-05-01 (8%), tax computed.
TSWKREC Purchase(const char* amount, int taxcalcu) {
  TSWKREC e;
  e.HIZUKE = D(2014, 5, 1);
  e.KINGAKU = Yen(amount);
  e.AUTCALCU = 1;
  e.TAXCALCU = taxcalcu;
  e.L.UserCode = kPurchase;
  e.L.TAXCODE = 511;
  e.R.UserCode = kCash;
  e.R.TAXCODE = 910;
  return e;
}

TEST_F(TaxState, JournalTaxExamples) {
  // Tax on top: the cash side is raised to the amount plus tax.
  TSWKREC e = Purchase("1000", 1);
  ASSERT_TRUE(CalcSiwakeTax(e));
  EXPECT_EQ(e.L.NUK, Yen("1000"));
  EXPECT_EQ(e.L.ZEI, Yen("80"));
  EXPECT_EQ(e.L.RIT, Yen("8"));
  EXPECT_EQ(e.L.TAXDC, 1);
  EXPECT_EQ(e.L.TAXUH, 2);
  EXPECT_EQ(e.R.NUK, Yen("1080"));
  EXPECT_EQ(e.R.ZEI, Yen("0"));
  EXPECT_EQ(e.R.RIT, Yen("0"));
  EXPECT_EQ(e.ZEIGAKU, Yen("80"));

  // Tax included: the cash side keeps the amount.
  e = Purchase("1080", 0);
  ASSERT_TRUE(CalcSiwakeTax(e));
  EXPECT_EQ(e.L.NUK, Yen("1000"));
  EXPECT_EQ(e.L.ZEI, Yen("80"));
  EXPECT_EQ(e.R.NUK, Yen("1080"));
  EXPECT_EQ(e.ZEIGAKU, Yen("80"));
}

TEST_F(TaxState, JournalTaxComputation) {
  struct Case {
    const char* what;
    int autcalcu, taxcalcu, oldrate, lcode, rcode;
    const char *lUser, *rUser, *kingaku, *zeigaku;
    const char *lNuk, *lZei, *lRit, *rNuk, *rZei, *rRit, *zeiOut;
  };
  // Sales round by TAXU_HASUU (2: up), purchases by TAXH_HASUU (0: down).
  const Case cases[] = {
      {"sale, included, rounded up", 1, 0, 0, 910, 110, kCash, kSales, "1000", "0",
       "1000", "0", "0", "925", "75", "8", "75"},
      {"purchase, included, rounded down", 1, 0, 0, 511, 910, kPurchase, kCash, "1000", "0",
       "926", "74", "8", "1000", "0", "0", "74"},
      {"purchase at the kept 5% rate", 1, 1, 2, 511, 910, kPurchase, kCash, "1000", "0",
       "1000", "50", "5", "1050", "0", "0", "50"},
      {"entered tax, included", 0, 0, 0, 511, 910, kPurchase, kCash, "1000", "77",
       "923", "77", "8", "1000", "0", "0", "77"},
      {"entered tax, on top", 0, 1, 0, 511, 910, kPurchase, kCash, "1000", "77",
       "1000", "77", "8", "1077", "0", "0", "77"},
      {"entered tax, none", 0, 2, 0, 511, 910, kPurchase, kCash, "1000", "77",
       "1000", "0", "8", "1000", "0", "0", "0"},
      {"fractions of the entry cut first", 0, 0, 0, 511, 910, kPurchase, kCash, "1000.9", "77.5",
       "923", "77", "8", "1000", "0", "0", "77"},
      {"specified purchase: no tax", 1, 1, 0, 551, 910, kPurchase, kCash, "1000", "0",
       "1000", "0", "8", "1000", "0", "0", "0"},
      {"tax account carries the rate", 1, 1, 0, 711, 910, kKaribarai, kCash, "80", "0",
       "80", "0", "8", "80", "0", "0", "0"},
      {"tax account with 810: no rate", 1, 1, 0, 810, 910, kKaribarai, kCash, "80", "0",
       "80", "0", "0", "80", "0", "0", "0"},
      {"taxed code on a tax account: not computed", 1, 1, 0, 511, 910, kKaribarai, kCash, "1000", "0",
       "1000", "0", "8", "1000", "0", "0", "0"},
  };
  AccInf.TAXU_HASUU = 2;
  AccInf.TAXH_HASUU = 0;
  for (const auto& c : cases) {
    TSWKREC e;
    e.HIZUKE = D(2014, 5, 1);
    e.AUTCALCU = c.autcalcu;
    e.TAXCALCU = c.taxcalcu;
    e.OLDRATE = c.oldrate;
    e.L.TAXCODE = c.lcode;
    e.R.TAXCODE = c.rcode;
    e.L.UserCode = c.lUser;
    e.R.UserCode = c.rUser;
    e.KINGAKU = Yen(c.kingaku);
    e.ZEIGAKU = Yen(c.zeigaku);
    ASSERT_TRUE(CalcSiwakeTax(e)) << c.what;
    EXPECT_EQ(e.L.NUK, Yen(c.lNuk)) << c.what;
    EXPECT_EQ(e.L.ZEI, Yen(c.lZei)) << c.what;
    EXPECT_EQ(e.L.RIT, Yen(c.lRit)) << c.what;
    EXPECT_EQ(e.R.NUK, Yen(c.rNuk)) << c.what;
    EXPECT_EQ(e.R.ZEI, Yen(c.rZei)) << c.what;
    EXPECT_EQ(e.R.RIT, Yen(c.rRit)) << c.what;
    EXPECT_EQ(e.ZEIGAKU, Yen(c.zeiOut)) << c.what;
  }
}

TEST_F(TaxState, TaxQuotientIsAnAmountOfFourDecimalsBeforeTheYen) {
  struct Case { const char* kingaku; int oldrate, taxcalcu, mode; const char* zei; };
  const Case cases[] = {
      // 249.999 × 5 / 100 = 12.49995 -> 12.5000 -> half up: 13; cut: 12.
      {"249.999", 2, 1, 1, "13"},
      {"249.999", 2, 1, 0, "12"},
      // 6.2499 × 8 / 100 = 0.499992 -> 0.5000 -> 1.
      {"6.2499", 0, 1, 1, "1"},
      {"-249.999", 2, 1, 1, "-13"},
      // 1000 × 8 / 108 = 74.0740740… -> 74.0741 -> up: 75.
      {"1000", 0, 0, 2, "75"},
  };
  for (const auto& c : cases) {
    TSWKREC e;
    e.HIZUKE = D(2014, 5, 1);
    e.AUTCALCU = 1;
    e.TAXCALCU = c.taxcalcu;
    e.OLDRATE = c.oldrate;
    e.KINGAKU = Yen(c.kingaku);
    e.L.TAXCODE = 511;
    AccInf.TAXH_HASUU = c.mode;
    ASSERT_TRUE(CalcSiwakeTaxSide(e, e.L));
    EXPECT_EQ(e.L.ZEI, Yen(c.zei)) << c.kingaku << " mode " << c.mode;
  }

  // Amounts whose product with the rate leaves 64 bits are computed exactly.
  AccInf.TAXH_HASUU = 0;
  TSWKREC big = Purchase("900000000000000", 1);
  ASSERT_TRUE(CalcSiwakeTaxSide(big, big.L));
  EXPECT_EQ(big.L.ZEI, Yen("72000000000000"));
  big = Purchase("900000000000000", 0);
  ASSERT_TRUE(CalcSiwakeTaxSide(big, big.L));
  EXPECT_EQ(big.L.ZEI, Yen("66666666666666"));
  EXPECT_EQ(big.L.NUK, Yen("833333333333334"));
}

}  // namespace
