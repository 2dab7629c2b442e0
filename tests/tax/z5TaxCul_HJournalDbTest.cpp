// Whole passes of the engine over fixture companies: the journal tables and the refund detail
// that a hand-made journal and hand-entered refund tables give, computed by hand.
#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/DateTime.h"
#include "support/DataModuleTestBase.h"
#include "support/ScriptedUi.h"
#include "tax/z5ComSyohizei.h"
#include "tax/z5TaxCul_H.h"
#include "TaxTestSupport.h"

namespace {

using fixtures::Company;
using fixtures::CompanyPlan;
using fixtures::Entry;
using fixtures::JournalWriter;

TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

class AggregationDbTest : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    ResetTaxEngineRecords();
    AccInf = TACCINF{};
    CreateDataModule();
  }
  void TearDown() override {
    FreeDataModule();
    ResetTaxEngineRecords();
    DataModuleTestBase::TearDown();
  }

  static Company& Add(CompanyPlan options) { return inst_->AddCompany(std::move(options)); }

  static void Exec(const Company& co, std::initializer_list<std::string> statements) {
    fixtures::DbSession s(co.DbFile());
    for (const std::string& sql : statements) s.Exec(sql);
    s.Commit();
  }

  // Connects the company database and loads AccInf, as the wizard does.
  using DataModuleTestBase::Open;
  static void Open(const Company& co) {
    Open(DM->IBDatabaseDAT, co.DbFile());
    ASSERT_TRUE(DM->fnGetAccInfo());
  }

  // One pass as the exporter runs it.
  static void Pass(int method, TDateTime from, TDateTime to) {
    TaxPar.KIKAN_KAISI = from;
    TaxPar.KIKAN_SYURYO = to;
    TaxPar.SINKOKU_KUBUN = method;
    TaxPar.KEISANTOKUREI = false;
    TaxPar.FORM_ERA = FormEra(TaxPar);
    ResetTaxResults();
    AggregateJournals();
    CheckTaxCodes(false);
  }
};

void ExpectRow(const TKanpuGridRow& row, int64_t col0, int64_t col1, int64_t col3, const char* what) {
  EXPECT_EQ(row.KESSANKIN, Yen(col0)) << what;
  EXPECT_EQ(row.NOTKAZEISIIREKIN, Yen(col1)) << what;
  EXPECT_EQ(row.KAZEISIIREKIN, Yen(col3)) << what;
}

// A corporation (tax-included bookkeeping, 8% year) with a journal for the period
// 2016-06-01 .. 2016-08-31 that touches every rule of the aggregation. Accounts by user code:
// 100 現金, 130 売掛金, 160 仮払消費税 (1390), 170 建物 (group 1410), 210 買掛金,
// 400 売上高 (credit 110), 510 仕入高 (group 5210, debit 511), 640 支払手数料 (group 6150).
TEST_F(AggregationDbTest, CorporationPassesOverAHandMadeJournal) {
  Company& co = Add(CompanyPlan::Corporation());
  {
    JournalWriter w(co);
    auto entry = [&w](TDateTime date, const char* debit, const char* credit, int64_t yen) -> Entry {
      Entry e;
      e.date = date;
      e.debit = debit;
      e.credit = credit;
      e.amount = Yen(yen);
      return e;
    };
    // A sale on the first day: the credit row 110 (TAXDC 3) counts, the debit row is 810.
    w.AddEntry(entry(D(2016, 6, 1), "130", "400", 1'080'000));
    // A purchase on the last day.
    w.AddEntry(entry(D(2016, 8, 31), "510", "210", 540'000));
    // One day outside on either side, and a deleted purchase inside: none of them counts.
    w.AddEntry(entry(D(2016, 5, 31), "510", "210", 1'000'000));
    w.AddEntry(entry(D(2016, 9, 1), "510", "210", 2'000'000));
    Entry deleted = entry(D(2016, 7, 1), "510", "210", 3'000'000);
    deleted.delFlg = 1;
    w.AddEntry(deleted);
    // A purchase line whose tax code counts on neither side: the refund detail still sees it.
    Entry neither = entry(D(2016, 7, 5), "640", "100", 110'000);
    neither.debitSide.taxDc = 0;
    w.AddEntry(neither);
    // A specified purchase with automatic tax (none computed): the net table.
    Entry specified = entry(D(2016, 7, 10), "510", "100", 100'000);
    specified.debitTaxCode = 551;
    w.AddEntry(specified);
    // An import whose national tax was entered by hand: the tax table, an estimated import.
    Entry import = entry(D(2016, 7, 15), "510", "100", 6'300);
    import.debitTaxCode = 721;
    import.autoCalc = 0;
    import.tax = Yen(6'300);
    import.debitSide.nuk = Yen(0);
    import.debitSide.zei = Yen(6'300);
    import.debitSide.rit = Yen(8);
    w.AddEntry(import);
    // Import national tax booked on 仮払消費税 with automatic tax: the amount is the tax.
    Entry national = entry(D(2016, 7, 20), "160", "100", 6'300);
    national.debitTaxCode = 724;
    w.AddEntry(national);
    // A building, then tax taken back out of it against 仮払消費税.
    w.AddEntry(entry(D(2016, 7, 25), "170", "100", 1'080'000));
    w.AddEntry(entry(D(2016, 7, 26), "160", "170", 8'000));
    // A batch tax-exclusion line: counts in tax-included bookkeeping, and marks the data set.
    Entry batch = entry(D(2016, 8, 1), "640", "100", 1'000);
    batch.debitTaxCode = 810;
    batch.linkKub = 9;
    w.AddEntry(batch);
    w.Finish();
  }
  // What the user entered for the refund detail.
  Exec(co, {"INSERT INTO KANPU_SINKOKU (REC, ZEIKBN, KANPURIYUU01, KANPURIYUU02, KANPURIYUUOTHER, "
            "KANPURIYUUOTHERTEXT01, YUSYUTU_KINYUKIKAN, YUSYUTU_KINYUKIKANKBN, SIIREKIN_ZEIGAKU, "
            "SIIREKIN_OTHERSYOTOKU_NAME, TOKUSYUJIJYO_NEN, TOKUSYUJIJYOTEXT03, SONOTA) "
            "VALUES (1, 5, 0, 1, 1, '設備投資', 'みなと銀行', 2, 777, '雑所得', 2016, '特殊事情', 'x')"});
  {
    fixtures::DbSession s(co.DbFile());
    for (int i = 1; i <= 11; ++i)
      s.Exec("INSERT INTO KANPU_SINKOKU_TORIHIKI (REC, ROWNO, SYURUI, KEIZOKU, HIZUKE, KINGAKU, SIMEI) VALUES (10, " +
             std::to_string(i) + ", '土地" + std::to_string(i) + "', 1, '2016-07-01', " + std::to_string(i * 1000) +
             ", '相手" + std::to_string(i) + "')");
    s.Exec("INSERT INTO KANPU_SINKOKU_TORIHIKI (REC, ROWNO, SIMEI, KINGAKU, SHOHIN, ZEIKAN) "
           "VALUES (20, 7, '輸出先B', 200, '部品', '横浜税関')");
    s.Exec("INSERT INTO KANPU_SINKOKU_TORIHIKI (REC, ROWNO, SIMEI, KINGAKU, SHOHIN, ZEIKAN) "
           "VALUES (20, 3, '輸出先A', 100, '機械', '東京税関')");
    s.Exec("INSERT INTO KANPU_SINKOKU_TORIHIKI (REC, ROWNO, SIMEI) VALUES (15, 1, '一覧にない')");
    s.Exec("INSERT INTO KANPU_SINKOKU_TORIHIKI (REC, ROWNO, SYURUI) VALUES (40, 9, '機械装置')");
    for (int i = 1; i <= 5; ++i)
      s.Exec("INSERT INTO KANPU_SINKOKU_SIIREKIN (REC, ROWNO, KESSANKIN, NOTKAZEISIIREKIN, KAZEISIIREKIN) "
             "VALUES (10, " + std::to_string(i) + ", " + std::to_string(i * 100) + ", " + std::to_string(i * 10) +
             ", " + std::to_string(i * 90) + ")");
    s.Exec("INSERT INTO KANPU_SINKOKU_SIIREKIN (REC, ROWNO, KESSANKIN) VALUES (30, 1, 5000)");
    s.Commit();
  }

  Open(co);
  // A snapshot left open by someone else is ended, not reused.
  DM->IBTransactionDATSS.StartTransaction();

  const TDateTime from = D(2016, 6, 1), to = D(2016, 8, 31);
  Pass(1, from, to);

  // The simplified pass: untyped sales go to the main type, 4 when none is set.
  EXPECT_EQ(TaxPar.MAIN_JIGYOU, 4);
  for (const std::string& d : TableDifferences({{'K', 2, 114, 1'080'000},
                                                {'K', 2, 511, 1'620'000},
                                                {'N', 2, 551, 100'000},
                                                {'Z', 2, 721, 6'300},
                                                {'Z', 2, 724, 6'300}}))
    ADD_FAILURE() << "simplified: " << d;
  // No specified purchases are kept apart outside the general pass.
  EXPECT_EQ(KanpuMeisai_Hojin.PL_GRID[1].TOKUTEI, Yen(0));
  EXPECT_FALSE(DM->IBTransactionDATSS.Active());

  Pass(0, from, to);

  // The general pass aggregates afresh and folds nothing.
  for (const std::string& d : TableDifferences({{'K', 2, 110, 1'080'000},
                                                {'K', 2, 511, 540'000 + 1'080'000},
                                                {'N', 2, 551, 100'000},
                                                {'Z', 2, 721, 6'300},
                                                {'Z', 2, 724, 6'300}}))
    ADD_FAILURE() << "general: " << d;
  EXPECT_EQ(TaxPar.ESTIMATED_IMPORT, 1);
  EXPECT_EQ(TaxPar.TRANSITIONAL, 2);
  EXPECT_EQ(Fuhyou2[0].KAZEI_WARIAI, Yen(100));
  EXPECT_FALSE(DM->IBTransactionDATSS.Active());

  // The refund detail, finished: thousands of yen, the specified purchase (ratio 100.0) as
  // no taxable purchase.
  const TKanpuMeisai_Hojin& h = KanpuMeisai_Hojin;
  EXPECT_EQ(h.ZEINUKI_HYOUJI, 1);  // the batch line
  EXPECT_EQ(h.KEIRI_HOUSIKI, 0);
  // Purchases 540,000 + 100,000 (specified) + 6,300 (import tax).
  ExpectRow(h.PL_GRID[1], 646, 100, 546, "PL1");
  // Fees 110,000 and the batch line's 1,000 (out of scope).
  ExpectRow(h.PL_GRID[2], 111, 1, 110, "PL2");
  ExpectRow(h.PL_GRID[5], 757, 101, 656, "PL total");
  // The building less the tax taken out against 仮払消費税.
  ExpectRow(h.ASSET_GRID[1], 1'072, 0, 1'072, "ASSET1");
  ExpectRow(h.ASSET_GRID[4], 1'072, 0, 1'072, "ASSET total");
  // National tax on purchases 1,620,000 × 6.3/108 = 94,500, on imports 6,300 × 6.3/8 (cut)
  // + 6,300 = 11,261: 105,761 yen, 105 thousand.
  EXPECT_EQ(h.SIIREKIN_ZEIGAKU, Yen(105));
  EXPECT_EQ(h.SIIREKIN_ZEIGAKU2, Yen(105));

  // What the user entered.
  EXPECT_EQ(h.ZEIKBN, 5);
  EXPECT_EQ(h.KANPURIYUU01, 0);
  EXPECT_EQ(h.KANPURIYUU02, 1);
  EXPECT_EQ(h.KANPURIYUUOTHER, 1);
  EXPECT_EQ(h.KANPURIYUUOTHERTEXT01, "設備投資");
  EXPECT_EQ(h.YUSYUTU_KINYUKIKAN, "みなと銀行");
  EXPECT_EQ(h.YUSYUTU_KINYUKIKANKBN, 2);
  EXPECT_EQ(h.TOKUSYUJIJYOTEXT03, "特殊事情");
  for (int i = 1; i <= 10; ++i) {
    EXPECT_EQ(h.TRANSFER_ROWS[i].SYURUI, "土地" + std::to_string(i));
    EXPECT_EQ(h.TRANSFER_ROWS[i].KINGAKU, Yen(i * 1000));
  }
  EXPECT_EQ(h.TRANSFER_ROWS[1].HIZUKE, D(2016, 7, 1));
  EXPECT_EQ(h.TRANSFER_ROWS[1].KEIZOKU, 1);
  EXPECT_EQ(h.TRANSFER_ROWS[1].SIMEI, "相手1");
  EXPECT_EQ(h.EXPORT_ROWS[1].SIMEI, "輸出先A");
  EXPECT_EQ(h.EXPORT_ROWS[1].ZEIKAN, "東京税関");
  EXPECT_EQ(h.EXPORT_ROWS[2].SIMEI, "輸出先B");
  EXPECT_EQ(h.EXPORT_ROWS[2].KINGAKU, Yen(200));
  EXPECT_EQ(h.EXPORT_ROWS[3].SIMEI, "");
  EXPECT_EQ(h.FIXED_ROWS[1].SYURUI, "機械装置");
  EXPECT_EQ(h.STOCK_ROWS[1].SYURUI, "");
  // Four rows of the statement and their total; the fifth row has no place.
  ExpectRow(h.PL_ENTERED[4], 400, 40, 360, "PL entered 4");
  ExpectRow(h.PL_ENTERED[5], 1'000, 100, 900, "PL entered total");
  ExpectRow(h.ASSET_ENTERED[4], 0, 0, 0, "ASSET entered total");
}

// An individual's entered statements, and a period without journal lines.
TEST_F(AggregationDbTest, IndividualStatementsAndAnEmptyPeriod) {
  Company& co = Add(CompanyPlan::Individual(2));
  Exec(co, {"INSERT INTO KANPU_SINKOKU (REC, ZEIKBN, SIIREKIN_ZEIGAKU, SIIREKIN_OTHERSYOTOKU_NAME, "
            "TOKUSYUJIJYO_NEN, KANPURIYUUOTHERTEXT02) VALUES (1, 1, 4321, '雑所得', 2014, '理由')",
            "INSERT INTO KANPU_SINKOKU_SIIREKIN (REC, ROWNO, KESSANKIN, NOTKAZEISIIREKIN, KAZEISIIREKIN) "
            "VALUES (20, 1, 1000, 100, 900)",
            "INSERT INTO KANPU_SINKOKU_SIIREKIN (REC, ROWNO, KESSANKIN, NOTKAZEISIIREKIN, KAZEISIIREKIN) "
            "VALUES (20, 2, 2000, 200, 1800)",
            "INSERT INTO KANPU_SINKOKU_SIIREKIN (REC, ROWNO, KESSANKIN, NOTKAZEISIIREKIN, KAZEISIIREKIN) "
            "VALUES (20, 3, 4000, 400, 3600)",
            "INSERT INTO KANPU_SINKOKU_SIIREKIN (REC, ROWNO, KESSANKIN, NOTKAZEISIIREKIN, KAZEISIIREKIN) "
            "VALUES (30, 4, 50, 0, 50)",
            "INSERT INTO KANPU_SINKOKU_TORIHIKI (REC, ROWNO, SIMEI) VALUES (20, 1, '輸出先')"});
  Open(co);
  // Stale figures of an earlier pass are cleared.
  TaxPar.KOMI_SUM[2][1] = Yen(1);
  TaxPar.ESTIMATED_IMPORT = 1;

  Pass(1, D(2014, 1, 1), D(2014, 12, 31));

  for (const std::string& d : TableDifferences({})) ADD_FAILURE() << d;
  EXPECT_EQ(TaxPar.ESTIMATED_IMPORT, 0);

  const TKanpuMeisai_Kojin& k = KanpuMeisai_Kojin;
  EXPECT_EQ(k.ZEIKBN, 1);
  EXPECT_EQ(k.SIIREKIN_ZEIGAKU, Yen(4321));  // the simplified pass does not finish
  EXPECT_EQ(k.SIIREKIN_OTHERSYOTOKU_NAME, "雑所得");
  EXPECT_EQ(k.TOKUSYUJIJYO_NEN, 2014);
  EXPECT_EQ(k.KANPURIYUUOTHERTEXT02, "理由");
  EXPECT_EQ(k.EXPORT_ROWS[1].SIMEI, "輸出先");
  ExpectRow(k.REALESTATE_ENTERED[1], 1'000, 100, 900, "real estate 1");
  ExpectRow(k.REALESTATE_ENTERED[2], 2'000, 200, 1'800, "real estate 2");
  ExpectRow(k.REALESTATE_ENTERED[3], 3'000, 300, 2'700, "real estate total");
  ExpectRow(k.OTHER_ENTERED[1], 50, 0, 50, "other 1");
  ExpectRow(k.OTHER_ENTERED[4], 50, 0, 50, "other total");
  EXPECT_EQ(k.KAZEISIIREKIN_ENTERED_TOTAL, Yen(2'750));
  // The corporate record is not this data set's.
  EXPECT_EQ(KanpuMeisai_Hojin.EXPORT_ROWS[1].SIMEI, "");
}

// A failure on the way ends the pass with the database's error and leaves no snapshot open.
TEST_F(AggregationDbTest, FailureLeavesNoSnapshotOpen) {
  Company& co = Add(CompanyPlan::Corporation());
  Exec(co, {"ALTER TABLE KANPU_SINKOKU DROP SONOTA"});
  Open(co);
  EXPECT_ANY_THROW(Pass(0, D(2016, 4, 1), D(2017, 3, 31)));
  EXPECT_FALSE(DM->IBTransactionDATSS.Active());
}

}  // namespace
