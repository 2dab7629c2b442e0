// The intermediate file end to end: a fixture company's journal through both passes of the
// engine into the bytes of the file.
#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "export/sy26.h"
#include "export/sy26Export.h"
#include "fixtures/FixtureDb.h"
#include "platform/db/IBError.h"
#include "export/ExportTestEnv.h"

namespace {

using fixtures::Company;
using fixtures::CompanySpec;
using fixtures::Entry;
using fixtures::JournalWriter;

Currency Yen(int64_t y) { return Currency::FromYen(y); }

std::string Golden(const std::string& name) {
  const char* root = std::getenv("RENDO_SOURCE_DIR");
  const std::string path = std::string(root != nullptr ? root : ".") + "/tests/export/golden/" + name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Byte equality, shown as the first difference in readable text when it fails.
void ExpectSameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return;
  size_t i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
  const size_t from = i > 80 ? i - 80 : 0;
  ADD_FAILURE() << "files differ at byte " << i << "\n  expected: ..."
                << sjis::ToUtf8(expected.substr(from, 200)) << "\n  actual:   ..." << sjis::ToUtf8(actual.substr(from, 200));
}

class Sy26ExportTest : public ExportTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();

    CompanySpec corpSpec = CompanySpec::Corporation();
    corpSpec.name = "株式会社サンプル＆商事&Co.";
    corp_ = &inst_->AddCompany(corpSpec);
    {
      JournalWriter w(*corp_);
      const auto d = EncodeDate;
      w.AddEntry({.date = d(2016, 5, 10), .debit = "130", .credit = "400", .amount = Yen(1080000)});  // 110 8%
      w.AddEntry({.date = d(2016, 5, 20), .debit = "130", .credit = "400", .amount = Yen(1080000), .delFlg = 1});
      w.AddEntry({.date = d(2016, 6, 15), .debit = "510", .credit = "210", .amount = Yen(540000)});  // 511
      w.AddEntry({.date = d(2016, 7, 1), .debit = "640", .credit = "100", .amount = Yen(100000), .debitTaxCode = 810});
      w.AddEntry({.date = d(2016, 9, 1), .debit = "110", .credit = "420", .amount = Yen(200000)});  // 130
      w.AddEntry({.date = d(2016, 10, 1), .debit = "130", .credit = "410", .amount = Yen(300000)});  // 120
      w.AddEntry({.date = d(2016, 10, 15), .debit = "180", .credit = "220", .amount = Yen(324000)});  // 511, asset
      w.AddEntry({.date = d(2016, 11, 1), .debit = "400", .credit = "130", .amount = Yen(108000)});  // 310
      w.AddEntry({.date = d(2017, 1, 15), .debit = "210", .credit = "510", .amount = Yen(21600)});  // 561
      w.AddEntry({.date = d(2017, 3, 31), .debit = "665", .credit = "130", .amount = Yen(54000)});  // 410
      w.Finish();
    }

    indiv_ = &inst_->AddCompany(CompanySpec::Individual(1));
    {
      JournalWriter w(*indiv_);
      const auto d = EncodeDate;
      w.AddEntry({.date = d(2014, 2, 10), .debit = "130", .credit = "400", .amount = Yen(210000)});  // 112 5%
      w.AddEntry({.date = d(2014, 5, 10), .debit = "510", .credit = "210", .amount = Yen(86400)});  // 511
      w.AddEntry({.date = d(2014, 6, 10), .debit = "130", .credit = "400", .amount = Yen(108000), .creditTaxCode = 111});
      w.AddEntry({.date = d(2014, 7, 10), .debit = "130", .credit = "400", .amount = Yen(216000)});  // 112 8%
      w.AddEntry({.date = d(2014, 8, 10), .debit = "400", .credit = "130", .amount = Yen(32400)});  // 312
      w.AddEntry({.date = d(2014, 9, 10), .debit = "130", .credit = "400", .amount = Yen(50000), .creditTaxCode = 120});
      w.AddEntry({.date = d(2014, 10, 10), .debit = "640", .credit = "100", .amount = Yen(30000), .debitTaxCode = 810});
      w.AddEntry({.date = d(2014, 11, 10), .debit = "180", .credit = "220", .amount = Yen(162000)});  // 511, asset
      // A specified purchase: in the refund detail it counts as not taxable at a ratio of 95% or more.
      w.AddEntry({.date = d(2014, 12, 1), .debit = "640", .credit = "100", .amount = Yen(20000), .debitTaxCode = 551});
      w.Finish();
    }

    CompanySpec emptySpec = CompanySpec::Corporation();
    emptySpec.taxSettingsRow = false;
    empty_ = &inst_->AddCompany(emptySpec);

    oneSale_ = &inst_->AddCompany(CompanySpec::Corporation());
    {
      JournalWriter w(*oneSale_);
      w.AddEntry({.date = EncodeDate(2016, 4, 1), .debit = "100", .credit = "400", .amount = Yen(1080),
                  .creditTaxCode = 110});
      w.Finish();
    }

    // Non-taxable returns above the non-taxable sales, and a 5% sale next to the 8% ones.
    mixed_ = &inst_->AddCompany(CompanySpec::Corporation());
    {
      JournalWriter w(*mixed_);
      w.AddEntry({.date = EncodeDate(2016, 5, 1), .debit = "110", .credit = "420", .amount = Yen(100000),
                  .creditTaxCode = 140});
      w.AddEntry({.date = EncodeDate(2016, 6, 1), .debit = "420", .credit = "110", .amount = Yen(150000),
                  .debitTaxCode = 340});
      w.AddEntry({.date = EncodeDate(2016, 7, 1), .debit = "130", .credit = "400", .amount = Yen(105000),
                  .oldRate = 2});
      w.AddEntry({.date = EncodeDate(2016, 12, 20), .debit = "130", .credit = "400", .amount = Yen(216000)});
      w.Finish();
    }

    medical_ = &inst_->AddCompany(CompanySpec::Medical());

    broken_ = &inst_->AddCompany(CompanySpec::Corporation());
    fixtures::DbSession s(broken_->DbFile());
    s.Exec("DROP TABLE TAX_KAZEIHOUSIKI");
    s.Commit();
  }
  static void TearDownTestSuite() { DataModuleTestBase::TearDownTestSuite(); }

  static Company *corp_, *indiv_, *empty_, *oneSale_, *mixed_, *medical_, *broken_;
};

Company* Sy26ExportTest::corp_ = nullptr;
Company* Sy26ExportTest::indiv_ = nullptr;
Company* Sy26ExportTest::empty_ = nullptr;
Company* Sy26ExportTest::oneSale_ = nullptr;
Company* Sy26ExportTest::mixed_ = nullptr;
Company* Sy26ExportTest::medical_ = nullptr;
Company* Sy26ExportTest::broken_ = nullptr;

TEST_F(Sy26ExportTest, CorporationByTheGeneralMethodMatchesTheGoldenFile) {
  ExpectSameBytes(Export(*corp_), Golden("corporation_general.xml"));
}

TEST_F(Sy26ExportTest, IndividualByTheSimplifiedMethodMatchesTheGoldenFile) {
  ExpectSameBytes(Export(*indiv_), Golden("individual_simplified.xml"));
}

// Without any journal line every group is there with every element, all empty; the refund
// group says "0"; nothing holds amounts, so the flag is "1".
TEST_F(Sy26ExportTest, EmptyPeriodWritesEveryElementEmpty) {
  const std::string xml = Utf8(Export(*empty_));
  EXPECT_EQ(Element(xml, "KEIKASHOCHIKAZEISHISAN"), "1");
  const std::string data = Element(xml, "DATA");
  for (const char* g : {"D020110", "D020111", "D020112", "D020120", "D020121", "D020122", "D020130", "D020131",
                        "D020132", "D020210", "D020211", "D020212", "D020220", "D020221", "D020222", "D020230",
                        "D020231", "D020232"}) {
    const std::string group = Group(data, g);
    EXPECT_NE(group, "<absent>") << g;
    EXPECT_EQ(group.find("</"), std::string::npos) << g << " holds a value: " << group;
  }
  const std::string kanpuh = Group(data, "KANPUH");
  EXPECT_EQ(kanpuh,
            "<KESSANZEIKUBUN>1</KESSANZEIKUBUN><SHOHINSHIIRE1>0</SHOHINSHIIRE1><SHOHINSHIIRE2>0</SHOHINSHIIRE2>"
            "<HANBAIIPPAN1>0</HANBAIIPPAN1><HANBAIIPPAN2>0</HANBAIIPPAN2><EIGYOGAIHIYOU1>0</EIGYOGAIHIYOU1>"
            "<EIGYOGAIHIYOU2>0</EIGYOGAIHIYOU2><SONOTASONEKI1>0</SONOTASONEKI1><SONOTASONEKI2>0</SONOTASONEKI2>"
            "<SHISANZEIKUBUN>1</SHISANZEIKUBUN><KOTEISHISAN1>0</KOTEISHISAN1><KOTEISHISAN2>0</KOTEISHISAN2>"
            "<KURINOBESHISAN1>0</KURINOBESHISAN1><KURINOBESHISAN2>0</KURINOBESHISAN2><SONOTASISAN1>0</SONOTASISAN1>"
            "<SONOTASISAN2>0</SONOTASISAN2>");
  EXPECT_EQ(Element(data, "KANPUK"), "<absent>");

  // The company had no settings row: the first pass inserted it with the company's method
  // and the standard deemed rates, the second pass found it.
  fixtures::DbSession s(empty_->DbFile());
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM TAX_KAZEIHOUSIKI"), 1);
  EXPECT_EQ(s.Scalar("SELECT SINKOKU_KUBUN FROM TAX_KAZEIHOUSIKI WHERE REC=1"), 0);
  EXPECT_EQ(s.Scalar("SELECT MINASIRITU1*10000+MINASIRITU2*1000+MINASIRITU3*100+MINASIRITU4*10+MINASIRITU5 "
                     "FROM TAX_KAZEIHOUSIKI WHERE REC=1"),
            90 * 10000 + 80 * 1000 + 70 * 100 + 60 * 10 + 50);
  EXPECT_EQ(s.Scalar("SELECT FUHYO22_KAZEI_COPY + FUHYO52_KAZEI_COPY FROM TAX_KAZEIHOUSIKI WHERE REC=1"), 2);
}

TEST_F(Sy26ExportTest, SingleSaleOf1080Yen) {
  const std::string data = Element(Utf8(Export(*oneSale_)), "DATA");
  const std::string sales = Group(data, "D020110");
  EXPECT_EQ(sales.substr(0, 91),
            "<KAZEIURIAGEZEINUKI8/><KAZEIURIAGEZEIGAKU8/><KAZEIURIAGEZEIKOMI8>1080</KAZEIURIAGEZEIKOMI8>");
  // A general-method company without a main business type: the sale is a fourth-type sale.
  EXPECT_EQ(Element(Group(data, "D020210"), "KAZEIURIAGE4SHUZEIKOMI8"), "1080");
}

TEST_F(Sy26ExportTest, NegativeNonTaxableNetAndMixedRates) {
  const std::string xml = Utf8(Export(*mixed_));
  const std::string data = Element(xml, "DATA");
  EXPECT_EQ(Element(Group(data, "D020110"), "HIKAZEIURIAGEYUUKAZEINUKI8"), "-50000");
  EXPECT_EQ(Element(Group(data, "D020111"), "KAZEIURIAGEZEIKOMI5"), "105000");
  EXPECT_EQ(Element(Group(data, "D020110"), "KAZEIURIAGEZEIKOMI8"), "216000");
  EXPECT_EQ(Element(xml, "KEIKASHOCHIKAZEISHISAN"), "1") << "a 5% sale: not 8% only";
}

// The period: slots 0..7 end with the closing date of the sixth month; the December sale
// falls outside.
TEST_F(Sy26ExportTest, PeriodBySlots) {
  const std::string data = Element(Utf8(Export(*mixed_, 0, 7)), "DATA");
  EXPECT_EQ(Element(Group(data, "D020110"), "KAZEIURIAGEZEIKOMI8"), "");
  EXPECT_EQ(Element(Group(data, "D020111"), "KAZEIURIAGEZEIKOMI5"), "105000");
  EXPECT_EQ(TaxPar.KIKAN_KAISI, EncodeDate(2016, 4, 1));
  EXPECT_EQ(TaxPar.KIKAN_SYURYO, EncodeDate(2016, 9, 30));
}

TEST_F(Sy26ExportTest, MedicalCorporationWritesKanpuhAndCorporationKind) {
  const std::string xml = Utf8(Export(*medical_, 0, kLastSlotOfYear, 5));
  EXPECT_EQ(Element(xml, "HOUJINKOJINKUBUN"), "1");
  EXPECT_EQ(Element(xml, "FUNCTIONID"), "5");
  EXPECT_NE(Element(xml, "KANPUH"), "<absent>");
  EXPECT_EQ(Element(xml, "KANPUK"), "<absent>");
}

// A fiscal year that the period panel ends before slot 15 ends at its own last day; a
// twelve-month year ends at the closing date of the period's last slot.
TEST_F(Sy26ExportTest, PeriodEndOfTheLastSlot) {
  ASSERT_TRUE(DM->fnAccDatConnected("", mixed_->Folder().string(), false));
  ASSERT_TRUE(DM->fnGetAccInfo());
  const struct {
    int lastSlot, endSlot;
    TDateTime end;
  } cases[] = {{15, 15, EncodeDate(2017, 3, 31)}, {15, 11, EncodeDate(2016, 12, 31)}, {11, 11, EncodeDate(2017, 3, 31)}};
  for (const auto& c : cases) {
    TSyohizeiDataMake maker;
    maker.LastSlot = c.lastSlot;
    maker.EndSlot = c.endSlot;
    TXmlSaveDoc doc("1.0", "Shift_JIS", "");
    doc.CreateRoot("REPORT", "");
    EXPECT_EQ(maker.Make(doc), 1);
    EXPECT_EQ(TaxPar.KIKAN_SYURYO, c.end) << c.lastSlot << "/" << c.endSlot;
  }
  DM->AccDatDisconnect(mixed_->Folder().string(), false, false);
}

// Only corporations, individuals and medical corporations have a refund-detail group.
TEST_F(Sy26ExportTest, OtherDataTypeWritesNoRefundGroup) {
  ASSERT_TRUE(DM->fnAccDatConnected("", oneSale_->Folder().string(), false));
  ASSERT_TRUE(DM->fnGetAccInfo());
  AccInf.DATATYPE = 4;
  TSyohizeiDataMake maker;
  TXmlSaveDoc doc("1.0", "Shift_JIS", "");
  doc.CreateRoot("REPORT", "");
  maker.Make(doc);
  TXmlNode data = doc.FindNode(nullptr, "DATA");
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(TXmlSaveDoc::NodeName(data->last), "D020232");
  DM->AccDatDisconnect(oneSale_->Folder().string(), false, false);
}

// A database failure while reading the settings is shown and raised; the earlier file stays.
TEST_F(Sy26ExportTest, SettingsReadFailureLeavesTheEarlierFile) {
  const std::string file = (out_.Path() / "keep.xml").string();
  out_.Write("keep.xml", "earlier file");
  EXPECT_THROW(ExportSyohizeiFile(broken_->Folder().string(), 0, kLastSlotOfYear, file), EIBError);
  EXPECT_TRUE(ui_.Shown("ﾃﾞｰﾀﾍﾞｰｽ ｴﾗｰ"));
  EXPECT_EQ(TempDir::Read(file), "earlier file");
}

}  // namespace
