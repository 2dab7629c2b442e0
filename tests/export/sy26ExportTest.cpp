// The intermediate file end to end: a fixture company's journal through both passes of the
// engine into the bytes of the file.
#include <gtest/gtest.h>

#include <libxml/tree.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "export/ComDataExp.h"
#include "export/sy26.h"
#include "export/sy26Export.h"
#include "fixtures/FixtureDb.h"
#include "platform/db/IBError.h"
#include "export/ExportTestEnv.h"

namespace {

using fixtures::Company;
using fixtures::CompanyPlan;
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

    CompanyPlan corpPlan = CompanyPlan::Corporation();
    corpPlan.name = "株式会社サンプル＆商事&Co.";
    corp_ = &inst_->AddCompany(corpPlan);
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

    indiv_ = &inst_->AddCompany(CompanyPlan::Individual(1));
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

    CompanyPlan emptyPlan = CompanyPlan::Corporation();
    emptyPlan.taxSettingsRow = false;
    empty_ = &inst_->AddCompany(emptyPlan);

    oneSale_ = &inst_->AddCompany(CompanyPlan::Corporation());
    {
      JournalWriter w(*oneSale_);
      w.AddEntry({.date = EncodeDate(2016, 4, 1), .debit = "100", .credit = "400", .amount = Yen(1080),
                  .creditTaxCode = 110});
      w.Finish();
    }

    // Non-taxable returns above the non-taxable sales, and a 5% sale next to the 8% ones.
    mixed_ = &inst_->AddCompany(CompanyPlan::Corporation());
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

    medical_ = &inst_->AddCompany(CompanyPlan::Medical());

    broken_ = &inst_->AddCompany(CompanyPlan::Corporation());
    {
      fixtures::DbSession s(broken_->DbFile());
      s.Exec("DROP TABLE TAX_KAZEIHOUSIKI");
      s.Commit();
    }

    // Data of an older form, without the refund detail's purchase statements.
    noRefundTable_ = &inst_->AddCompany(CompanyPlan::Corporation());
    {
      fixtures::DbSession s(noRefundTable_->DbFile());
      s.Exec("DROP TABLE KANPU_SINKOKU_SIIREKIN");
      s.Commit();
    }

    // A company name holding a byte pair that code page 932 does not define (0x85 0x40),
    // and one holding a real question mark.
    badName_ = &inst_->AddCompany(CompanyPlan::Corporation());
    {
      fixtures::DbSession s(badName_->DbFile());
      s.Exec("UPDATE ACCDEF1 SET SHOUGOU = CAST(x'41854042' AS VARCHAR(40) CHARACTER SET SJIS_0208)");
      s.Commit();
    }
    // (Its settings row is also rewritten by the settings test.)
    CompanyPlan questionSpec = CompanyPlan::Corporation();
    questionSpec.name = "株式会社?商事";
    questionName_ = &inst_->AddCompany(questionSpec);
  }
  static void TearDownTestSuite() { DataModuleTestBase::TearDownTestSuite(); }

  static Company *corp_, *indiv_, *empty_, *oneSale_, *mixed_, *medical_, *broken_, *noRefundTable_, *badName_,
      *questionName_;
};

Company* Sy26ExportTest::corp_ = nullptr;
Company* Sy26ExportTest::indiv_ = nullptr;
Company* Sy26ExportTest::empty_ = nullptr;
Company* Sy26ExportTest::oneSale_ = nullptr;
Company* Sy26ExportTest::mixed_ = nullptr;
Company* Sy26ExportTest::medical_ = nullptr;
Company* Sy26ExportTest::broken_ = nullptr;
Company* Sy26ExportTest::noRefundTable_ = nullptr;
Company* Sy26ExportTest::badName_ = nullptr;
Company* Sy26ExportTest::questionName_ = nullptr;

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

// A database failure tells which step of the export and which table failed before the
// engine's own text, and keeps the engine's codes; the earlier file stays.
TEST_F(Sy26ExportTest, DatabaseFailuresNameTheStepAndTable) {
  const struct {
    Company* company;
    std::string context;
  } cases[] = {
      {broken_, "(消費税の設定の読込: TAX_KAZEIHOUSIKI)"},
      {noRefundTable_, "(還付明細の読込: KANPU_SINKOKU_SIIREKIN)"},
  };
  const std::string file = out_.Write("keep.xml", "earlier file");
  for (const auto& c : cases) {
    try {
      ExportSyohizeiFile(c.company->Folder().string(), 0, kLastSlotOfYear, file);
      ADD_FAILURE() << c.context;
    } catch (const EIBError& e) {
      EXPECT_EQ(e.Message.rfind("消費税データの作成中にエラーが発生しました。" + c.context + "\n", 0), 0u) << e.Message;
      EXPECT_NE(e.Message.find("Table unknown"), std::string::npos) << "the engine's text follows: " << e.Message;
      EXPECT_EQ(std::string(e.what()), e.Message);
      EXPECT_NE(e.IBErrorCode, 0);
    }
    EXPECT_EQ(TempDir::Read(file), "earlier file") << c.context;
  }
}

// A period whose start lies after its end would give a file of empty groups: refused before
// anything is read, and the earlier file stays.
TEST_F(Sy26ExportTest, InvertedPeriodIsRefused) {
  const std::string file = out_.Write("keep.xml", "earlier file");
  try {
    ExportSyohizeiFile(mixed_->Folder().string(), 9, 4, file);
    FAIL();
  } catch (const EDataExportError& e) {
    EXPECT_EQ(e.Code, kExportErrPeriod);
    EXPECT_STREQ(e.what(), "計算期間の開始が終了より後になっています。");
  }
  EXPECT_EQ(TempDir::Read(file), "earlier file");
}

// The database layer shows bytes that code page 932 does not define as '?': the export
// refuses such a company name instead of writing a "?" the company never had, and still
// writes a name with a real question mark.
TEST_F(Sy26ExportTest, StoredCompanyNameOutsideCp932IsRefused) {
  const std::string file = out_.Write("keep.xml", "earlier file");
  try {
    ExportSyohizeiFile(badName_->Folder().string(), 0, kLastSlotOfYear, file);
    FAIL();
  } catch (const EDataExportError& e) {
    EXPECT_EQ(e.Code, kExportErrBadText);
    EXPECT_EQ(e.Detail.rfind("KOMONSAKINAME: 0x8540", 0), 0u) << e.Detail;
  }
  EXPECT_EQ(TempDir::Read(file), "earlier file");

  EXPECT_EQ(Element(Utf8(Export(*questionName_)), "KOMONSAKINAME"), "株式会社?商事");
}

// Output files that would overwrite a database or land among the data sets are refused; the
// folder above the system folder and any other folder are fine.
TEST_F(Sy26ExportTest, OutputFileGuards) {
  ASSERT_TRUE(DM->fnAccDatConnected("", corp_->Folder().string(), false));
  const std::filesystem::path link = out_.Path() / "link.xml";
  std::filesystem::create_symlink(corp_->DbFile(), link);
  const std::filesystem::path sysDir = inst_->SysDir();
  const struct {
    std::string file;
    int32_t code;  // 0: accepted
  } cases[] = {
      {"", kExportErrNoOutputFile},
      {(out_.Path() / "copy.FDB").string(), kExportErrOutputIsDatabase},
      {(out_.Path() / "old.gdb").string(), kExportErrOutputIsDatabase},
      {link.string(), kExportErrOutputIsDatabase},  // the open company database under another name
      {(corp_->Folder() / "out.xml").string(), kExportErrOutputInDataFolder},
      {(corp_->Folder() / "sub" / ".." / "out.xml").string(), kExportErrOutputInDataFolder},
      {(sysDir / "out.xml").string(), kExportErrOutputInDataFolder},
      {(sysDir.parent_path() / "out.xml").string(), 0},
      {(out_.Path() / "out.xml").string(), 0},
      {(out_.Path() / "qvacc.fdb.xml").string(), 0},
  };
  for (const auto& c : cases) {
    try {
      CheckExportFile(c.file);
      EXPECT_EQ(c.code, 0) << c.file;
    } catch (const EDataExportError& e) {
      EXPECT_EQ(e.Code, c.code) << c.file << ": " << e.what();
      EXPECT_NE(e.Detail.find(c.file), std::string::npos) << e.Detail;
    }
  }
  DM->AccDatDisconnect(corp_->Folder().string(), false, false);
  try {
    CheckExportFile(link.string());
    ADD_FAILURE() << "a link into the system folder";
  } catch (const EDataExportError& e) {
    EXPECT_EQ(e.Code, kExportErrOutputInDataFolder) << "no longer open, but still among the data sets";
  }
}

// Every column of the settings row lands in the field of its name: each text column holds its
// own name, each number column a value of its own.
TEST_F(Sy26ExportTest, SettingsRowColumnsReachTheirFields) {
  const std::pair<const char*, std::string TTAXPAR::*> texts[] = {
      {"ZEIMUSYO", &TTAXPAR::ZEIMUSYO},       {"DAIHYOUKANA", &TTAXPAR::DAIHYOUKANA},
      {"DAIHYOU", &TTAXPAR::DAIHYOU},         {"KEIRITANTOU", &TTAXPAR::KEIRITANTOU},
      {"SEIRIBANGOU", &TTAXPAR::SEIRIBANGOU}, {"GINKOUMEI", &TTAXPAR::GINKOUMEI},
      {"SITENMEI", &TTAXPAR::SITENMEI},       {"KOUZA", &TTAXPAR::KOUZA},
      {"YUBINKYOKUMEI", &TTAXPAR::YUBINKYOKUMEI}, {"TYOKIN_KIGOU", &TTAXPAR::TYOKIN_KIGOU},
      {"TYOKIN_BANGOU", &TTAXPAR::TYOKIN_BANGOU}, {"ZEIRISI", &TTAXPAR::ZEIRISI},
      {"ZEIRISI_TEL", &TTAXPAR::ZEIRISI_TEL}, {"ZEIRISI_JIMUSHO", &TTAXPAR::ZEIRISI_JIMUSHO},
  };
  const std::pair<const char*, int32_t TTAXPAR::*> ints[] = {
      {"SINKOKU_KUBUN", &TTAXPAR::SINKOKU_KUBUN}, {"KAZEIURI95MIMAN", &TTAXPAR::KAZEIURI95MIMAN},
      {"ANBUNWARIAI", &TTAXPAR::ANBUNWARIAI},     {"FUKI_KAPPU", &TTAXPAR::FUKI_KAPPU},
      {"FUKI_NOBEBARAI", &TTAXPAR::FUKI_NOBEBARAI}, {"FUKI_KOUJI", &TTAXPAR::FUKI_KOUJI},
      {"FUKI_GENKIN", &TTAXPAR::FUKI_GENKIN},     {"GINKOUKUBUN", &TTAXPAR::GINKOUKUBUN},
      {"SITENKUBUN", &TTAXPAR::SITENKUBUN},       {"YOKINSYUBETU", &TTAXPAR::YOKINSYUBETU},
      {"ZEIRISI_H30", &TTAXPAR::ZEIRISI_H30},     {"ZEIRISI_H33", &TTAXPAR::ZEIRISI_H33},
      {"FUHYO22_KAZEI_COPY", &TTAXPAR::FUHYO22_KAZEI_COPY}, {"FUHYO52_KAZEI_COPY", &TTAXPAR::FUHYO52_KAZEI_COPY},
  };
  const std::pair<const char*, Currency TTAXPAR::*> amounts[] = {
      {"TYUUKAN_NOUFU", &TTAXPAR::TYUUKAN_NOUFU}, {"TYUUKAN_JOUTO", &TTAXPAR::TYUUKAN_JOUTO},
      {"KOUJYOZEI_18A", &TTAXPAR::KOUJYOZEI_18A}, {"KOUJYOZEI_18B", &TTAXPAR::KOUJYOZEI_18B},
      {"KOUJYOZEI_19A", &TTAXPAR::KOUJYOZEI_19A}, {"KOUJYOZEI_19B", &TTAXPAR::KOUJYOZEI_19B},
      {"KIJYUNKIKANURI", &TTAXPAR::KIJYUNKIKANURI}, {"JUNZURUWARIAI", &TTAXPAR::JUNZURUWARIAI},
  };
  const std::pair<const char*, TDateTime TTAXPAR::*> dates[] = {
      {"KIKAN_KAISI", &TTAXPAR::KIKAN_KAISI}, {"KIKAN_SYURYO", &TTAXPAR::KIKAN_SYURYO},
      {"TEISYUTUBI", &TTAXPAR::TEISYUTUBI},   {"SINKOKUBI", &TTAXPAR::SINKOKUBI},
      {"SIDOUBI", &TTAXPAR::SIDOUBI},
  };
  std::string sql = "UPDATE TAX_KAZEIHOUSIKI SET SCODE='01',NOUZEITI1='N1',KEISANTOKUREI=1,SINKOKUSYO=1";
  for (const auto& [name, field] : texts) sql += std::string(",") + name + "='" + name + "'";
  int n = 1;
  for (const auto& [name, field] : ints) sql += std::string(",") + name + "=" + std::to_string(n++);
  for (const auto& [name, field] : amounts) sql += std::string(",") + name + "=" + std::to_string(100 + n++);
  for (const auto& [name, field] : dates) sql += std::string(",") + name + "='2016-06-" + std::to_string(n++) + "'";
  for (int i = 1; i <= 5; ++i) sql += ",MINASIRITU" + std::to_string(i) + "=" + std::to_string(90 - i);
  {
    fixtures::DbSession s(questionName_->DbFile());
    s.Exec(sql + " WHERE REC=1");
    s.Commit();
  }

  ASSERT_TRUE(DM->fnAccDatConnected("", questionName_->Folder().string(), false));
  ASSERT_TRUE(DM->fnGetAccInfo());
  TTAXPAR r;
  TSyohizeiDataMake().ReadTaxSettings(r);
  DM->AccDatDisconnect(questionName_->Folder().string(), false, false);

  for (const auto& [name, field] : texts) EXPECT_EQ(r.*field, name) << name;
  n = 1;
  for (const auto& [name, field] : ints) EXPECT_EQ(r.*field, n++) << name;
  for (const auto& [name, field] : amounts) EXPECT_EQ(r.*field, Yen(100 + n++)) << name;
  for (const auto& [name, field] : dates) EXPECT_EQ(r.*field, EncodeDate(2016, 6, n++)) << name;
  const Currency deemed[] = {r.MINASIRITU1, r.MINASIRITU2, r.MINASIRITU3, r.MINASIRITU4, r.MINASIRITU5};
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(deemed[i - 1], Currency::FromRaw((90 - i) * 100)) << "MINASIRITU" << i;
  EXPECT_TRUE(r.KEISANTOKUREI);
  EXPECT_EQ(r.SINKOKUSYO_NAME, "中間");
  EXPECT_EQ(r.SCODE, "") << "every branch, whatever the row says";
  EXPECT_EQ(r.TAXPAYER_NAME, AccInf.SHOUGOU);
}

}  // namespace
