// The cash-book import box over two fixture databases: the open company and a received copy
// of it changed the way the other side changes it. The merge of the cash journals as a table
// of received rows, the warnings, bad received data, failures half-way (both databases stay
// as they were), the received master copied over the company file, the log file and the box
// itself (a screenshot, build/tests/comm_cashbookimport.png).
#include <gtest/gtest.h>

#include <QImage>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "comm/z5CashBookLoader.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5SiwakeIO.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "platform/Encoding.h"
#include "platform/db/IBSQL.h"
#include "support/DataModuleTestBase.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

namespace fs = std::filesystem;

namespace {

struct Booked {
  int rec = 0;
  int swkrec = 0;
};

class CashBookImport : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    company_ = &inst_->AddCompany(fixtures::CompanyPlan::Corporation());
    suiteTmp_ = new TempDir();
    pristine_ = suiteTmp_->Path() / "pristine.fdb";
    fs::copy_file(company_->DbFile(), pristine_);
  }
  static void TearDownTestSuite() {
    delete suiteTmp_;
    suiteTmp_ = nullptr;
    company_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }

  void SetUp() override {
    DataModuleTestBase::SetUp();
    Reset();
  }

  // Both databases as the fixture made them, the shared records set for the company and the
  // data module connected to it. Table tests call it once per case.
  void Reset() {
    FreeDataModule();
    fs::copy_file(pristine_, company_->DbFile(), fs::copy_options::overwrite_existing);
    fs::remove(company_->Folder() / "qvacc.f00");
    received_ = tmp_.Path() / "qvacc.fdb";
    fs::copy_file(pristine_, received_, fs::copy_options::overwrite_existing);
    Exec(received_, "SET GENERATOR SIWAKE_REC_GEN TO 50000");
    SystemDef.DataDir = company_->Folder().string();
    SystemDef.TempDir = tmp_.Path().string();
    SystemDef.DocDir = tmp_.Path().string();
    SystemDef.JobLevel = 9;
    SystemDef.PcName = "PC01";
    CashBookMinDataVersion = {0, 0, 0};
    CreateDataModule();
    Open(DM->IBDatabaseDAT, company_->DbFile());
    ASSERT_TRUE(DM->fnGetAccInfo());
    cash_ = AccInf.SysKCode[kSysGenkin];
    ASSERT_EQ(cash_, company_->AccountOf("100").kcode);
  }

  static void Exec(const fs::path& file, const std::string& sql) {
    fixtures::DbSession s(file);
    s.Exec(sql);
    s.Commit();
  }

  // A cash sale booked through the journal writer on its own connection.
  static Booked Book(const fs::path& file, int yen, const std::string& text, int day = 10) {
    TIBDatabase db;
    db.DatabaseName = file.string();
    db.Params = TDM::ConnectParams();
    db.Open();
    TIBTransaction tr;
    tr.SetDefaultDatabase(&db);
    tr.Params = {"read_committed", "rec_version", "nowait"};
    TSiwakeWrite w;
    w.SetTransaction(&tr);
    TSWKREC r;
    w.InitSiwakeRec(r, 0, EncodeDate(2016, 5, day));
    r.SCODE = " ";
    r.L.UserCode = "100";
    r.L.HCODE = " ";
    r.L.BCODE = " ";
    r.L.TAXCODE = 810;
    r.R.UserCode = "400";
    r.R.HCODE = " ";
    r.R.BCODE = "01";
    r.R.TAXCODE = 110;
    r.KINGAKU = Currency::FromYen(yen);
    r.TEKTEXT = text;
    int err = 0;
    std::string msg;
    w.OwnTransaction = 1;
    EXPECT_TRUE(w.TestSiwake(r, err, msg)) << msg;
    w.OwnTransaction = 1;
    EXPECT_GT(w.PutSiwake(r), 0);
    return {r.REC, r.SWKREC};
  }

  static void Delete(const fs::path& file, const Booked& b) {
    Exec(file, "SELECT RESULT FROM SP_SIWAKE_DEL(" + std::to_string(b.swkrec) + ", 1)");
  }
  static void SetLink(const fs::path& file, const Booked& b, const std::string& assignments) {
    Exec(file, "UPDATE SIWAKE SET " + assignments + " WHERE SWKREC = " + std::to_string(b.swkrec));
  }
  // The accounting side's marking of a cash row sent to the cash book.
  static void Mark(const fs::path& file, const Booked& b) {
    SetLink(file, b, "LINKKEY = '" + std::to_string(b.rec) + "', LINKKUB = 10, RESERVE1 = " + std::to_string(b.rec));
  }

  static std::vector<std::string> Rows(const fs::path& file, const std::string& sql) {
    fixtures::DbSession s(file);
    TIBSQL q;
    s.Prepare(q, sql);
    q.ExecQuery();
    std::vector<std::string> out;
    for (; !q.Eof(); q.Next()) {
      std::string row;
      for (int i = 0; i < q.FieldCount(); ++i) row += (i ? "|" : "") + (q.Fields(i).IsNull() ? "<null>" : q.Fields(i).AsString());
      out.push_back(row);
    }
    return out;
  }

  // Everything an import may touch, as text.
  static std::string Fingerprint(const fs::path& file) {
    std::string all;
    for (const char* sql : {
             "SELECT REC, SWKREC, DELFLG, KINGAKU, TEKTEXT, LINKKEY, LINKKUB, LINKREC, LOCALFLG, RESERVE1, RESERVE2 "
             "FROM SIWAKE ORDER BY REC",
             "SELECT KCODE, HCODE, HNAME FROM HOJOMST ORDER BY KCODE, HCODE",
             "SELECT SCODE, KCODE, HCODE, BCODE, KAISIZAN, KISHU_KOMI, KISHU_NUKI FROM KAMOKU_SZ "
             "ORDER BY SCODE, KCODE, HCODE, BCODE",
             "SELECT SHOUGOU, ENTTEXT, HOJO_INS_MODE, WEB_HOLDER, PASWORD, DATALOCK FROM ACCDEF1",
             "SELECT CREC, TEXT FROM TEKDICTI ORDER BY CREC", "SELECT CREC, TEXT FROM TEKDIC ORDER BY TEXT",
             "SELECT AGROUP, ACODE, ATEXT FROM ACCREG ORDER BY AGROUP, ACODE",
             "SELECT COUNT(*) FROM OPLICENSE", "SELECT COUNT(*) FROM OPDEFSISETU"})
      for (const std::string& r : Rows(file, sql)) all += r + "\n";
    return all;
  }

  // The box's lines "kind|result|text".
  static std::vector<std::string> Lines(const TCashBookLoaderBox& box) {
    std::vector<std::string> out;
    for (const TLomatraSyoriInfo& e : box.Log) out.push_back(std::to_string(e.Kind) + "|" + std::to_string(e.Result) + "|" + e.Text);
    return out;
  }
  static bool Logged(const TCashBookLoaderBox& box, int result, const std::string& part = {}) {
    for (const TLomatraSyoriInfo& e : box.Log)
      if (e.Result == result && e.Text.find(part) != std::string::npos) return true;
    return false;
  }

  // A quiet run; a failed one shows the box, which the user closes.
  void RunQuiet(TCashBookLoaderBox& box, uint8_t dataMode, uint8_t journal) {
    box.DataMode = dataMode;
    box.JournalImport = journal;
    box.OpenReceivedDatabase(received_.string());
    shown_ = false;
    uitest::ModalScript script({[&](forms::TForm&) {
      shown_ = true;
      uitest::Click(box.btnCancel);
    }});
    box.RunQuiet();
    EXPECT_EQ(shown_, box.GetResult() < 0) << "the box shows itself exactly when the run failed";
  }

  static inline fixtures::Company* company_ = nullptr;
  static inline TempDir* suiteTmp_ = nullptr;
  static inline fs::path pristine_;
  TempDir tmp_;
  fs::path received_;
  std::string cash_;
  bool shown_ = false;
};

}  // namespace

TEST_F(CashBookImport, MergeTableWritesTheLinkColumns) {
  const fs::path& open = company_->DbFile();
  std::map<std::string, Booked> r, o;
  // New on the other side, nothing here.
  r["新規"] = Book(received_, 1000, "新規");
  SetLink(received_, r["新規"], "LINKREC = 1");
  // New there, imported before and corrected there since.
  r["新規訂正"] = Book(received_, 2000, "新規訂正");
  SetLink(received_, r["新規訂正"], "LINKREC = 2");
  o["新規訂正"] = Book(open, 1500, "新規訂正");
  SetLink(open, o["新規訂正"], "RESERVE1 = " + std::to_string(r["新規訂正"].rec) + ", RESERVE2 = 1");
  // Deleted there before it was ever linked: nothing here.
  r["削除未連携なし"] = Book(received_, 1100, "削除未連携なし");
  Delete(received_, r["削除未連携なし"]);
  // Deleted there, imported here before.
  r["削除未連携"] = Book(received_, 1200, "削除未連携");
  Delete(received_, r["削除未連携"]);
  o["削除未連携"] = Book(open, 1200, "削除未連携");
  SetLink(open, o["削除未連携"], "RESERVE1 = " + std::to_string(r["削除未連携"].rec));
  // Sent from here and corrected there.
  o["連携訂正"] = Book(open, 3000, "連携訂正");
  Mark(open, o["連携訂正"]);
  r["連携訂正"] = Book(received_, 3500, "連携訂正");
  SetLink(received_, r["連携訂正"], "RESERVE1 = " + std::to_string(o["連携訂正"].rec) + ", LINKREC = 1");
  // Sent from here but unknown here by now: taken as a new journal.
  r["連携不明"] = Book(received_, 1300, "連携不明");
  SetLink(received_, r["連携不明"], "RESERVE1 = 99999, LINKREC = 1");
  // Sent from here and deleted there.
  o["連携削除"] = Book(open, 1400, "連携削除");
  Mark(open, o["連携削除"]);
  r["連携削除"] = Book(received_, 1400, "連携削除");
  Delete(received_, r["連携削除"]);
  SetLink(received_, r["連携削除"], "RESERVE1 = " + std::to_string(o["連携削除"].rec));
  // Deleted there, and unknown here.
  r["連携削除不明"] = Book(received_, 1500, "連携削除不明");
  Delete(received_, r["連携削除不明"]);
  SetLink(received_, r["連携削除不明"], "RESERVE1 = 88888");
  // Deleted on both sides.
  o["連携削除済"] = Book(open, 1600, "連携削除済");
  Mark(open, o["連携削除済"]);
  Delete(open, o["連携削除済"]);
  r["連携削除済"] = Book(received_, 1600, "連携削除済");
  Delete(received_, r["連携削除済"]);
  SetLink(received_, r["連携削除済"], "RESERVE1 = " + std::to_string(o["連携削除済"].rec));
  // Sent from here, unchanged there since the last exchange.
  o["連携変更なし"] = Book(open, 1700, "連携変更なし");
  Mark(open, o["連携変更なし"]);
  SetLink(open, o["連携変更なし"], "RESERVE2 = 1");
  r["連携変更なし"] = Book(received_, 9999, "連携変更なし");
  SetLink(received_, r["連携変更なし"], "RESERVE1 = " + std::to_string(o["連携変更なし"].rec) + ", LINKREC = 1");
  const std::string receivedBefore = Fingerprint(received_);

  TCashBookLoaderBox box;
  RunQuiet(box, 1, 1);
  ASSERT_EQ(box.GetResult(), 1) << ::testing::PrintToString(Lines(box));

  struct Case {
    std::string text;
    // The debit row after the run, "" for none: KINGAKU|DELFLG|LINKKEY|LINKKUB|LOCALFLG|RESERVE1|RESERVE2
    std::string row;
    int warning;  // 11, 12 or 0
  };
  auto s = [](int v) { return std::to_string(v); };
  const std::vector<Case> cases = {
      {"新規", "1000|0||0|10|" + s(r["新規"].rec) + "|1", 0},
      {"新規訂正", "2000|0||0|10|" + s(r["新規訂正"].rec) + "|2", 11},
      {"削除未連携なし", "", 0},
      {"削除未連携", "1200|1||0|0|" + s(r["削除未連携"].rec) + "|0", 12},
      {"連携訂正", "3500|0|" + s(o["連携訂正"].rec) + "|10|10|" + s(o["連携訂正"].rec) + "|1", 11},
      {"連携不明", "1300|0||0|10|" + s(r["連携不明"].rec) + "|1", 0},
      {"連携削除", "1400|1||0|0|" + s(o["連携削除"].rec) + "|0", 12},
      {"連携削除不明", "", 0},
      {"連携削除済", "1600|1||0|0|" + s(o["連携削除済"].rec) + "|0", 0},
      {"連携変更なし", "1700|0|" + s(o["連携変更なし"].rec) + "|10|0|" + s(o["連携変更なし"].rec) + "|1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto rows = Rows(open, "SELECT CAST(KINGAKU AS INTEGER), DELFLG, LINKKEY, LINKKUB, LOCALFLG, RESERVE1, RESERVE2 "
                                 "FROM SIWAKE WHERE TAISHAKU = 1 AND DELFLG IN (0, 1) AND TEKTEXT = '" + c.text + "'");
    if (c.row.empty()) {
      EXPECT_TRUE(rows.empty());
    } else {
      ASSERT_EQ(rows.size(), 1u);
      EXPECT_EQ(rows[0], c.row);
    }
    for (int w : {11, 12}) EXPECT_EQ(Logged(box, w, "摘要:" + c.text + " "), w == c.warning) << w;
  }
  // Both rows of an entry carry the link columns.
  EXPECT_EQ(Scalar(open, "SELECT COUNT(*) FROM SIWAKE WHERE DELFLG = 0 AND TEKTEXT = '新規' AND RESERVE1 = " +
                             std::to_string(r["新規"].rec) + " AND LOCALFLG = 10"),
            2);
  EXPECT_TRUE(Logged(box, 11, "(仕訳番号:"));
  EXPECT_TRUE(Logged(box, 11, " 日付:2016/05/10 相手科目:売上高 摘要:新規訂正 金額:2,000) 受信データの訂正仕訳が優先されました。"));
  EXPECT_EQ(Fingerprint(received_), receivedBefore) << "the journal pipeline reads the received data only";
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected()) << "the company data is connected again after the run";
  EXPECT_FALSE(box.ReceiveIBDatabase.Connected());
}

TEST_F(CashBookImport, CashBookDataWarnings) {
  struct Case {
    const char* name;
    bool unusedThere;      // an account used here is set to [使用しない] there
    bool cashBookedHere;   // a cash movement here that the cash book does not know
    bool warn101, warn201;
  };
  const std::vector<Case> cases = {
      {"equal balances, same accounts", false, false, false, false},
      {"account not used there", true, false, true, false},
      {"cash booked here since the last send", false, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Book(received_, 800, "出納帳");
    if (c.unusedThere) {
      Exec(company_->DbFile(), "UPDATE KAMOKUMST SET USE = 1 WHERE USERCODE = '510'");
      Exec(received_, "UPDATE KAMOKUMST SET USE = 0 WHERE USERCODE = '510'");
    }
    if (c.cashBookedHere)
      Exec(company_->DbFile(), "INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM, KAR_NUK, KAR_TAX, KAS_NUK, "
                                   "KAS_TAX) VALUES (' ', ' ', '" + cash_ + "', ' ', 2, 700, 0, 0, 0)");
    TCashBookLoaderBox box;
    box.DataMode = 0;
    box.JournalImport = 1;
    box.OpenReceivedDatabase(received_.string());
    // Cash-book data: the box shows itself, runs by itself and closes on 閉じる.
    QImage shot;
    uitest::ModalScript script({[&](forms::TForm&) {
      // The box's timer starts the run; the run ends inside the timer's event.
      for (int i = 0; i < 1000 && box.Log.empty(); ++i) {
        QThread::msleep(10);
        uitest::Pump();
      }
      uitest::Pump();
      EXPECT_EQ(box.btnCancel->Caption(), "閉じる");
      shot = box.grab().toImage();
      uitest::Click(box.btnCancel);
    }});
    EXPECT_EQ(box.ShowModal(), 1);
    EXPECT_FALSE(script.WatchdogFired());
    EXPECT_EQ(box.GetResult(), 1) << ::testing::PrintToString(Lines(box));
    EXPECT_EQ(Logged(box, 101, "(使用データ:510 "), c.warn101);
    EXPECT_EQ(Logged(box, 201), c.warn201);
    ASSERT_FALSE(box.Log.empty());
    EXPECT_EQ(box.Log.back().Text, std::string("取り込み処理が成功しました。") +
                                       (c.warn101 ? " （次回の送信時は、マスター送信を行って下さい。）" : ""));
    EXPECT_EQ(box.lblTitle1->Caption(), "現金出納帳データの取り込みを行いました。");
    if (c.warn101 && c.warn201 == false) EXPECT_TRUE(shot.save(QStringLiteral("comm_cashbookimport.png")));
  }
}

TEST_F(CashBookImport, BadReceivedDataStopsTheRunAndChangesNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> changeReceived;
    std::vector<int> results;  // error lines expected
    std::string text;          // part of the first error line
  };
  const std::vector<Case> cases = {
      {"account unknown there", {"UPDATE KAMOKUMST SET USERCODE = '999' WHERE USERCODE = '510'"}, {-104, -103},
       "(使用データ:510 "},
      {"account settings differ", {"UPDATE KAMOKUMST SET HOJOSW = '1' WHERE USERCODE = '130'"}, {-105, -103},
       "(使用データ:130 売掛金 ≠ 受信データ:130 売掛金) "},
      {"branch management differs", {"UPDATE ACCDEF1 SET SITEN = 1"}, {-106, -103},
       "(使用データ:本・支店管理を行わない ≠ 受信データ:本・支店管理を行う) "},
      {"department management differs", {"UPDATE ACCDEF1 SET BUMON = 2"}, {-107, -103}, "受信データ:部門管理を行う[全科目])"},
      {"a regrouped account of a current version",
       {"UPDATE KAMOKUMST SET GROUPM0 = '5601' WHERE KCODE = '" + std::string("5601") + "'"}, {}, ""},
      {"older major version regroups 5601",
       {"UPDATE KAMOKUMST SET GROUPM0 = '5601' WHERE KCODE = '5601'", "DELETE FROM ACCVERSION",
        "INSERT INTO ACCVERSION (REC, MAJOR, MINOR1, MINOR2) VALUES (1, 5, 1, 0)"},
       {}, ""},
  };
  // The corporation's chart has no internal code 5601: both sides get it in group 5685.
  const std::string add5601 =
      "INSERT INTO KAMOKUMST (KCODE, USERCODE, REC, GROUPM0, GROUPM1, GROUPM2, KNAME, BLDAC, DAC, DELFLG) "
      "VALUES ('5601', '5601', 901, '5685', '5600', '5000', '雑費', 2, 1, 0)";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Exec(company_->DbFile(), add5601);
    Exec(received_, add5601);
    for (const std::string& sql : c.changeReceived) Exec(received_, sql);
    Book(received_, 800, "出納帳");
    const std::string openBefore = Fingerprint(company_->DbFile()), receivedBefore = Fingerprint(received_);
    TCashBookLoaderBox box;
    RunQuiet(box, 1, 1);
    const auto lines = Lines(box);
    if (std::string(c.name) == "a regrouped account of a current version") {
      // Without the old version's mapping the group differs.
      EXPECT_TRUE(Logged(box, -105, "(使用データ:5601 雑費 ≠ 受信データ:5601 雑費)")) << ::testing::PrintToString(lines);
      EXPECT_EQ(Fingerprint(company_->DbFile()), openBefore);
    } else if (c.results.empty()) {
      EXPECT_EQ(box.GetResult(), 1) << ::testing::PrintToString(lines);
      EXPECT_EQ(Scalar(company_->DbFile(), "SELECT COUNT(*) FROM SIWAKE WHERE TEKTEXT = '出納帳'"), 2);
    } else {
      std::vector<int> errors;
      for (const TLomatraSyoriInfo& e : box.Log) errors.push_back(e.Result);
      EXPECT_EQ(errors, c.results) << ::testing::PrintToString(lines);
      EXPECT_NE(box.Log.front().Text.find(c.text), std::string::npos) << box.Log.front().Text;
      EXPECT_EQ(box.GetResult(), c.results.front());
      EXPECT_EQ(Fingerprint(company_->DbFile()), openBefore);
      EXPECT_EQ(box.lblTitle1->Caption(), "データの取り込みが中止されました。");
    }
    EXPECT_EQ(Fingerprint(received_), receivedBefore);
  }
}

TEST_F(CashBookImport, AStageThatFailsLeavesBothDatabasesAsTheyWere) {
  struct Case {
    const char* name;
    uint8_t journal;
    std::string line;  // the failing stage's line
  };
  const std::vector<Case> cases = {
      {"journal refused by the open data", 1, "「現金仕訳の取り込み」に失敗しました。 原因: "},
      {"clean-up of the received master", 0, "取り込み後処理に失敗しました。 原因: "},
      {"received data below the lowest version", 1, "受信したデータバージョンがVer20.0.0に達していません。送信元へ"},
      {"dictionary file cannot be written", 0, "「摘要・取引先辞書の移行(エクスポート)」に失敗しました。 原因: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    const fs::path& open = company_->DbFile();
    // Work for the earlier stages: a new sub-account, an opening cash balance, a good journal
    // before the refused one, dictionaries to move.
    Exec(received_, "INSERT INTO HOJOMST (KCODE, HCODE, HNAME) VALUES ('" + company_->AccountOf("110").kcode +
                        "', '009', '新しい銀行')");
    Exec(received_, "INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (3, ' ', 1, '古い')");
    Exec(received_, "UPDATE KAMOKU_SZ SET KISHU_KOMI = 5000, KISHU_NUKI = 5000 WHERE KCODE = '" + cash_ + "'");
    Book(received_, 800, "先の仕訳", 9);
    Book(received_, 900, "壊れ", 11);
    Exec(open, "INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (7, ' ', 1, '売上')");
    Exec(open, "INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (1, 7, 'ｳﾘｱｹﾞ', '商品売上', ' ')");
    Exec(received_, "UPDATE ACCDEF1 SET SHOUGOU = '受信商事', WEB_HOLDER = 'ID1'");
    if (c.journal == 1 && std::string(c.name).find("refused") != std::string::npos) {
      Exec(open, "CREATE EXCEPTION E_REFUSED 'refused by the open data'");
      Exec(open, "CREATE TRIGGER T_REFUSE FOR SIWAKE BEFORE INSERT AS BEGIN IF (NEW.TEKTEXT = '壊れ') THEN "
                 "EXCEPTION E_REFUSED; END");
    }
    if (std::string(c.name).find("clean-up") != std::string::npos) {
      Exec(received_, "CREATE EXCEPTION E_REFUSED 'refused by the received data'");
      Exec(received_, "CREATE TRIGGER T_REFUSE FOR ACCREG BEFORE DELETE AS BEGIN EXCEPTION E_REFUSED; END");
    }
    if (std::string(c.name).find("version") != std::string::npos) CashBookMinDataVersion = {20, 0, 0};
    if (std::string(c.name).find("dictionary") != std::string::npos) SystemDef.TempDir = (tmp_.Path() / "missing").string();
    const std::string openBefore = Fingerprint(open), receivedBefore = Fingerprint(received_);

    TCashBookLoaderBox box;
    RunQuiet(box, 1, c.journal);
    const auto lines = Lines(box);
    EXPECT_EQ(box.GetResult(), -100) << ::testing::PrintToString(lines);
    ASSERT_GE(box.Log.size(), 2u);
    EXPECT_EQ(box.Log.front().Text.substr(0, c.line.size()), c.line) << ::testing::PrintToString(lines);
    EXPECT_EQ(box.Log.back().Text, "取り込み処理を中止しました。");
    EXPECT_EQ(Fingerprint(open), openBefore);
    EXPECT_EQ(Fingerprint(received_), receivedBefore);
    EXPECT_FALSE(fs::exists(company_->Folder() / "qvacc.f00"));
    EXPECT_FALSE(box.ReceiveIBTransaction.InTransaction());
  }
}

TEST_F(CashBookImport, ReceivedMasterReplacesTheCompanyFile) {
  const fs::path& open = company_->DbFile();
  Exec(open, "INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (7, ' ', 1, '売上')");
  Exec(open, "INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (1, 7, 'ｳﾘｱｹﾞ', '商品売上', ' ')");
  Exec(open, "UPDATE ACCDEF1 SET ENTTEXT = '本社データ', DATALOCK = 1");
  Exec(received_, "UPDATE ACCDEF1 SET SHOUGOU = '受信商事', ENTTEXT = '古い名前', WEB_HOLDER = 'ID1', PASWORD = 'PW'");
  Exec(received_, "INSERT INTO OPLICENSE (OPCODE, SCODE) VALUES (11, ' ')");
  Exec(received_, "INSERT INTO OPDEFSISETU (OPCODE, SCODE) VALUES (11, ' ')");
  Exec(received_, "UPDATE ACCREG SET ATEXT = '2' WHERE AGROUP = '基本設定' AND ACODE IN ('合算データ区分', '合算データ数')");
  // Titles are matched by position: the received data has its own first title.
  Exec(received_, "INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (3, ' ', 1, '古い')");

  // A host program that installed the data hooks hears of the new data.
  std::vector<std::string> heard;
  DataCaptionHook = [&](int32_t kind, const std::string& text, int32_t siten, const std::string& more) {
    heard.push_back("caption " + std::to_string(kind) + " " + text + " " + std::to_string(siten) + " " + more);
  };
  DataMenuHook = [&](int32_t kind, int32_t value) {
    heard.push_back("menu " + std::to_string(kind) + " " + std::to_string(value));
  };
  TCashBookLoaderBox box;
  RunQuiet(box, 1, 0);
  DataCaptionHook = nullptr;
  DataMenuHook = nullptr;
  ASSERT_EQ(box.GetResult(), 1) << ::testing::PrintToString(Lines(box));
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0].rfind("caption 0 受信商事 0 ", 0), 0u) << heard[0];
  EXPECT_EQ(heard[1].rfind("caption 1 ", 0), 0u) << heard[1];
  EXPECT_EQ(heard[2], "menu 0 0");
  EXPECT_EQ(heard[3], "menu 1 0");
  EXPECT_FALSE(fs::exists(company_->Folder() / "qvacc.f00"));
  EXPECT_EQ(Rows(open, "SELECT SHOUGOU, ENTTEXT, WEB_HOLDER, PASWORD, DATALOCK FROM ACCDEF1"),
            std::vector<std::string>{"受信商事|本社データ|||1"});
  EXPECT_EQ(Rows(open, "SELECT TEXT FROM TEKDIC"), std::vector<std::string>{"商品売上"});
  EXPECT_EQ(Scalar(open, "SELECT COUNT(*) FROM OPLICENSE") + Scalar(open, "SELECT COUNT(*) FROM OPDEFSISETU"), 0);
  // The consolidation settings went; reading the settings again wrote their defaults.
  EXPECT_EQ(Rows(open, "SELECT ATEXT FROM ACCREG WHERE AGROUP = '基本設定' AND ACODE IN ('合算データ区分', '合算データ数')"),
            (std::vector<std::string>{"0", "0"}));
  EXPECT_FALSE(fs::exists(tmp_.Path() / "qvzjisyo.txt")) << "the dictionary file goes after the import";
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  EXPECT_EQ(AccInf.SHOUGOU, "受信商事") << "the open data's settings are read again";
}

TEST_F(CashBookImport, AFailedCopyOverTheCompanyFileKeepsIt) {
  const fs::path& open = company_->DbFile();
  Exec(received_, "UPDATE ACCDEF1 SET SHOUGOU = '受信商事'");
  const std::string openBefore = Fingerprint(open);
  TCashBookLoaderBox box;
  // The received file disappears while the import commits: the copy afterwards finds nothing.
  ui_.onPendingEvents = [&] {
    if (box.Label1->Caption() == "データ確定中です…" && fs::exists(received_)) fs::remove(received_);
  };
  RunQuiet(box, 1, 0);
  ui_.onPendingEvents = nullptr;
  EXPECT_FALSE(fs::exists(received_));
  EXPECT_EQ(box.GetResult(), -100) << ::testing::PrintToString(Lines(box));
  EXPECT_TRUE(Logged(box, -100, "受信データの移行処理後のコピーに失敗しました。"));
  EXPECT_EQ(box.Log.back().Text, "取り込み処理を中止しました。") << "a master that never arrived is no success";
  ASSERT_TRUE(fs::exists(open));
  EXPECT_FALSE(fs::exists(company_->Folder() / "qvacc.f00"));
  FreeDataModule();
  EXPECT_EQ(Fingerprint(open), openBefore);
}

TEST_F(CashBookImport, DataInUseByAnotherUserStopsBeforeAnyChange) {
  Book(received_, 800, "出納帳");
  const std::string openBefore = Fingerprint(company_->DbFile());
  TCashBookLoaderBox box;
  {
    fixtures::DbSession other(company_->DbFile());
    RunQuiet(box, 1, 1);
  }
  EXPECT_EQ(Lines(box), std::vector<std::string>{"3|-100|現在、他のユーザーがデータを使用中です。他のユーザーがデータを使用している"
                                                 "間は現金出納帳の取り込みは行えません。"});
  EXPECT_EQ(Fingerprint(company_->DbFile()), openBefore);
}

TEST_F(CashBookImport, TheLogIsSavedThroughTheOutputButton) {
  TCashBookLoaderBox box;
  box.SetAutoRun(false);
  uitest::ShowActive(box);
  box.AddLog(2, 201, "残高");
  box.AddLog(1, 1, "取り込み処理が成功しました。");
  box.btnOutput->SetEnabled(true);
  struct Case {
    std::string name;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"log.csv", "'警告','201','残高',\r\n\r\n'情報','1','取り込み処理が成功しました。',\r\n\r\n"},
      {"log.txt", "警告\t201\t残高\t\r\n\r\n情報\t1\t取り込み処理が成功しました。\t\r\n\r\n"},
  };
  for (const Case& c : cases) {
    const fs::path path = tmp_.Path() / c.name;
    ui_.fileAnswers.push_back(path.string());
    uitest::Click(box.btnOutput);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, sjis::FromUtf8(c.expected)) << c.name;
  }
  ASSERT_FALSE(ui_.fileDialogs.empty());
  EXPECT_EQ(ui_.fileDialogs[0].caption, "ファイル出力");
  EXPECT_EQ(ui_.fileDialogs[0].fileName, "現金出納帳の受信ログ");
  EXPECT_EQ(ui_.fileDialogs[0].defaultExt, "csv");
  // A cancelled dialog writes nothing.
  ui_.fileAnswers.push_back(std::nullopt);
  uitest::Click(box.btnOutput);
  EXPECT_EQ(std::distance(fs::directory_iterator(tmp_.Path()), fs::directory_iterator()), 3);
  box.Hide();
}
