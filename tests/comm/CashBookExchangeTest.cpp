// The cash-book exchange against the loopback relay and FTP servers: the cash journals go to
// "/02" and are marked as linked, a master send clears "/02" first, the folder rules refuse
// what would lose data, and a receive deletes its relay folder only after a successful
// import. The marking of the cash rows is checked row by row on a small journal.
// Pictures: comm_cashbook_notice.png, comm_cashbook_notice_note.png, comm_cashbook_notice_question.png,
// comm_cashbook_receive01.png (the import box after a receive of the cash-book side's data).
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <thread>
#include <fstream>
#include <unistd.h>

#include "comm/CommModuleTestBase.h"
#include "comm/FileCipher.h"
#include "comm/Unlha.h"
#include "comm/z5CashBookLoader.h"
#include "comm/z5CashBookSender.h"
#include "comm/z5HikakuMess2.h"
#include "fixtures/JournalGenerator.h"
#include "platform/NamedLock.h"
#include "platform/db/IBSQL.h"
#include "selection/z5Kidou.h"
#include "ui/UiTestSupport.h"

using namespace forms;
using namespace commtest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kCashPassword = "cb-pass";

std::string Text(const fs::path& db, const std::string& sql) {
  fixtures::DbSession s(db);
  TIBSQL q;
  s.Prepare(q, sql);
  q.ExecQuery();
  const std::string v = q.Eof() ? "?" : q.FieldByName("T").AsString();
  q.Close();
  return v;
}

// The journal the marking is checked on (cash is user code 100; its entries in order).
enum Swk { CashDebit, CashCredit, CashDeleted, Other, OtherLinked, Cash4, Cash5, Cash6, kEntries };

// An office whose cash-book account is set and whose journal is the one above.
struct CashOffice : Office {
  explicit CashOffice(const std::string& entText) : Office(entText, 0) {
    {
      fixtures::DbSession s(company->DbFile());
      s.Exec(std::string("UPDATE OR INSERT INTO TUSIN_ID (REC, HOLDER, PASWORD) VALUES (1, '") + kCommId + "', '" +
             kCashPassword + "') MATCHING (REC)");
      s.Commit();
    }
    fixtures::JournalWriter w(*company);
    auto entry = [](const char* debit, const char* credit, int delFlg = 0) {
      fixtures::Entry e;
      e.date = EncodeDate(2016, 5, 10);
      e.debit = debit;
      e.credit = credit;
      e.amount = Currency::FromYen(10800);
      e.delFlg = delFlg;
      // Income and expense accounts are kept by department.
      auto department = [](const std::string& account) { return account == "400" || account == "710" ? "01" : " "; };
      e.debitBumon = department(debit);
      e.creditBumon = department(credit);
      return e;
    };
    swk[CashDebit] = w.AddEntry(entry("100", "400"));
    swk[CashCredit] = w.AddEntry(entry("710", "100"));
    swk[CashDeleted] = w.AddEntry(entry("100", "400", 1));
    swk[Other] = w.AddEntry(entry("130", "400"));
    swk[OtherLinked] = w.AddEntry(entry("130", "400"));
    for (Swk s : {Cash4, Cash5, Cash6}) swk[s] = w.AddEntry(entry("100", "400"));
    w.Finish();
  }
  // Link columns of both lines of entry `e` as "RESERVE1|RESERVE2|LINKKEY|LINKKUB|LINKREC",
  // with the debit line's REC written as "R"; the two lines must agree.
  std::string Links(Swk e) const {
    const std::string where = " FROM SIWAKE WHERE SWKREC=" + std::to_string(swk[e]) + " AND TAISHAKU=";
    const std::string rec = Text(company->DbFile(), "SELECT REC AS T" + where + "1");
    auto side = [&](int taishaku) {
      std::string t = Text(company->DbFile(),
                           "SELECT RESERVE1 || '|' || RESERVE2 || '|' || COALESCE(LINKKEY,'') || '|' || LINKKUB || '|' || "
                           "LINKREC AS T" + where + std::to_string(taishaku));
      for (std::string::size_type p = 0; (p = t.find(rec, p)) != std::string::npos;) {
        const bool whole = (p == 0 || t[p - 1] == '|') && (p + rec.size() == t.size() || t[p + rec.size()] == '|');
        if (whole) t.replace(p, rec.size(), "R");
        p += whole ? 1 : rec.size();
      }
      return t;
    };
    const std::string debit = side(1);
    EXPECT_EQ(side(2), debit) << "entry " << e;
    return debit;
  }
  // Every line unlinked, RESERVE2 -3 as a trace of what the marking leaves alone, and the
  // second non-cash entry linked as an earlier import would have left it.
  void ResetLinks() const {
    fixtures::DbSession s(company->DbFile());
    s.Exec("UPDATE SIWAKE SET RESERVE1=0, RESERVE2=-3, LINKKEY='', LINKKUB=0, LINKREC=0, LOCALFLG=0");
    s.Exec("UPDATE SIWAKE SET LINKREC=5 WHERE SWKREC=" + std::to_string(swk[OtherLinked]));
    s.Commit();
  }
  int64_t swk[kEntries] = {};
};

TEST(CashBookSenderLog, ResultOfTheLog) {
  const struct {
    std::vector<std::pair<uint8_t, int32_t>> entries;
    int32_t result;
  } cases[] = {
      {{}, 0},
      {{{1, 0}, {2, 5}}, 5},                // no error, no success: the last entry
      {{{2, 5}, {1, 1}, {3, -100}}, 1},     // the first success or error wins
      {{{1, 0}, {3, -100}, {1, 1}}, -100},
  };
  for (const auto& c : cases) {
    TCashBookSender s;
    for (const auto& [kind, result] : c.entries) s.AddLog(kind, result, "x");
    EXPECT_EQ(s.GetResult(), c.result) << c.entries.size();
    s.ClearLog();
    EXPECT_EQ(s.GetResult(), 0);
    EXPECT_TRUE(s.Log.empty());
  }
}

class CashBookExchange : public CommModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    CommModuleTestBase::SetUpTestSuite();
    office_ = new CashOffice("本社データ");
  }
  static void TearDownTestSuite() {
    delete office_;
    office_ = nullptr;
    CommModuleTestBase::TearDownTestSuite();
  }
  void SetUp() override {
    CommModuleTestBase::SetUp();
    for (const char* folder : {"01", "02", "03"})
      for (const char* name : {"qvacc.wen", "qvacc.wenbak"}) fs::remove(RelayFile(folder, name));
    office_->ResetLinks();
    Enter(*office_);
  }
  // A relay folder holding data of the open company (or of `name`), starting `start`.
  static std::string Folder(const char* no, const std::string& name = "", const char* start = "2016-04-01 00:00",
                            const char* password = kCashPassword) {
    return std::string("\"") + no + R"(": {"name": ")" + (name.empty() ? AccInf.SHOUGOU : name) +
           R"(", "term": "5", "start": ")" + start + R"(", "end": "2017-03-31 00:00", "sent": "2025-05-01 10:20", "password": ")" +
           password + R"(", "version": "1002"})";
  }
  static void Deposit(const char* folder, const std::string& bytes = "deposit") {
    fs::create_directories(RelayFile(folder).parent_path());
    std::ofstream(RelayFile(folder), std::ios::binary) << bytes;
  }
  int Run(int kind) { return RunSyoriModule("VqDataTusin", 1, "SyoriType=" + std::to_string(kind)); }
  std::string Messages() const {
    std::string all;
    for (size_t i = 0; i < ui_.messages.size(); ++i) all += "[" + ui_.MessageText(i) + "]";
    return all;
  }
  static inline CashOffice* office_ = nullptr;
};

TEST_F(CashBookExchange, MarkingModes) {
  const struct {
    const char* what;
    uint8_t modeSet, markMode;
    std::function<void()> arrange;
    int32_t count;
    std::vector<std::pair<Swk, const char*>> links;
  } cases[] = {
      {"mode 0 links live cash rows and resets the rest it reads", 0, 0, [] {}, 3,
       {{CashDebit, "R|0|R|10|0"},
        {CashCredit, "R|0|R|10|0"},
        {CashDeleted, "R|0||0|0"},  // deleted: its REC kept, not linked
        {Other, "0|-3||0|0"},        // not read
        {OtherLinked, "0|0||0|0"},
        {Cash6, "R|0|R|10|0"}}},
      {"mode 1 links unlinked live cash rows only", 0, 1,
       [] {
         fixtures::DbSession s(office_->company->DbFile());
         s.Exec("UPDATE SIWAKE SET LINKKUB=10, LINKKEY='keep' WHERE SWKREC=" + std::to_string(office_->swk[Cash6]));
         s.Commit();
       },
       2,  // five rows read
       {{CashDebit, "0|-3|R|10|0"},
        {CashCredit, "0|-3|R|10|0"},
        {CashDeleted, "0|-3||0|0"},
        {Other, "0|-3||0|0"},
        {OtherLinked, "0|-3|R|10|5"},
        {Cash6, "0|-3|keep|10|0"}}},
      {"ModeSet 1 forces mode 1", 1, 0, [] {}, 3, {{CashDeleted, "0|-3||0|0"}, {Cash4, "0|-3|R|10|0"}}},
  };
  for (const auto& c : cases) {
    office_->ResetLinks();
    c.arrange();
    TCashBookSender s;
    s.ModeSet = c.modeSet;
    s.MarkMode = c.markMode;
    s.MarkCashJournal();
    EXPECT_EQ(s.GetResult(), 1) << c.what;
    EXPECT_EQ(s.Count, c.count) << c.what;
    for (const auto& [e, links] : c.links) EXPECT_EQ(office_->Links(e), links) << c.what << ", entry " << e;
  }
  EXPECT_FALSE(DM->IBTransactionDAT.InTransaction()) << "the run ends the transaction it started";
}

TEST_F(CashBookExchange, MarkingFailureIsLoggedAndShown) {
  DM->AccDatDisconnect(SystemDef.DataDir, true, false);
  TCashBookSender s;
  s.MarkCashJournal();
  EXPECT_EQ(s.GetResult(), -100);
  ASSERT_FALSE(s.Log.empty());
  EXPECT_EQ(s.Log.back().Text.rfind("出納帳データの送信処理に失敗しました。 原因: ", 0), 0u) << s.Log.back().Text;
  EXPECT_TRUE(ui_.Shown("出納帳データの送信処理中にエラーが発生しました。")) << Messages();
}

TEST_F(CashBookExchange, CashSendPutsTheJournalsIntoFolder02AndMarksThem) {
  ui_.messageAnswers = {uis::mrYes, uis::mrYes};
  EXPECT_EQ(Run(3), 1) << Messages();
  EXPECT_TRUE(ui_.Shown("送信処理が終了しました。")) << Messages();
  ASSERT_TRUE(fs::exists(RelayFile("02"))) << Messages();
  EXPECT_EQ(JournalCount({"Scode=1810", "fSname=02", "fKis=201604010000", "fPa=cb-pass"}), 1);
  EXPECT_EQ(JournalCount({"ftp", "login", kCommId}), 1);
  EXPECT_EQ(office_->Links(CashDebit), "0|-3|R|10|0");
  EXPECT_EQ(office_->Links(CashDeleted), "0|-3||0|0");
  EXPECT_EQ(office_->Links(Other), "0|-3||0|0");
  // The stored file is the packed backup, encrypted with the cash-book key.
  const fs::path tmp = fs::temp_directory_path() / ("cashsend-" + std::to_string(::getpid()));
  fs::create_directories(tmp);
  DecryptFile(RelayFile("02").string(), (tmp / "qvacc.lzh").string(), CommFileKey(kCashPassword));
  const std::string command = "e \"" + (tmp / "qvacc.lzh").string() + "\" \"" + tmp.string() + "/\"";
  EXPECT_EQ(Unlha(nullptr, command.c_str(), nullptr, 0), 0);
  EXPECT_GT(fs::file_size(tmp / "qvacc.fbk"), 0u);
  fs::remove_all(tmp);
  for (const char* name : {"qvacc.fbk", "qvacc.lzh", "qvacc.wen"})
    EXPECT_FALSE(fs::exists(fs::path(SystemDef.WorkDir) / "ComS" / name)) << name;
}

TEST_F(CashBookExchange, FailedUploadEndsWithoutTheFinishedMessageAndMarksNothing) {
  servers_->WriteState("faults.json", R"({"ftp_refuse_stor": true})");
  ui_.messageAnswers = {uis::mrYes, uis::mrYes};
  EXPECT_EQ(Run(3), 0) << Messages();
  EXPECT_TRUE(ui_.Shown("データの送信に失敗しました。")) << Messages();
  EXPECT_FALSE(ui_.Shown("送信処理が終了しました。")) << Messages();
  EXPECT_EQ(JournalCount({"Scode=1810"}), 0);
  EXPECT_EQ(office_->Links(CashDebit), "0|-3||0|0");
}

// The folder rules that stop a run before any transfer.
TEST_F(CashBookExchange, FolderRulesRefuse) {
  const struct {
    const char* what;
    int kind;
    std::string folders;
    std::function<void()> arrange;
    int result;
    const char* message;  // "" for a silent end
    bool asksRelay;       // the folder list was requested
  } cases[] = {
      {"master send over unreceived cash-book journals", 5, "{" + Folder("01") + "}", [] {}, -1,
       "受信処理を行ってから、マスター送信して下さい。", true},
      {"cash send over an unreceived master of the same year", 3, "{" + Folder("03") + "}", [] {}, -1,
       "中継サーバーに未受信の全データが存在しますので送信できません。", true},
      {"automatic receive with nothing there", 6, "{}", [] {}, 0, "", true},
      {"cash-book receive with nothing there", 4, "{" + Folder("02") + "}", [] {}, 0, "受信データがありません。", true},
      {"receive with nothing there", 10, "{" + Folder("01") + "}", [] {}, 0, "受信データがありません。", true},
      {"folder password of another account", 10, "{" + Folder("02", "", "2016-04-01 00:00", "other") + "}", [] {}, -1,
       "パスワードが違います。", true},
      {"consolidated data", 3, "{}", [] { AccInf.GassanKubun = 1; }, -1, "合算データのため、現金出納帳の送信処理は行えません。",
       false},
      {"consolidated data, cash-book receive", 4, "{}", [] { AccInf.GassanKubun = 2; }, -1,
       "合算データのため、現金出納帳の受信処理は行えません。", false},
  };
  const TACCINF opened = AccInf;
  for (const auto& c : cases) {
    AccInf = opened;
    c.arrange();
    SeedRelay(c.folders);
    servers_->ClearJournal();
    ui_.messages.clear();
    ui_.messageAnswers = {uis::mrYes, uis::mrYes};
    EXPECT_EQ(Run(c.kind), c.result) << c.what << Messages();
    if (*c.message) EXPECT_TRUE(ui_.Shown(c.message)) << c.what << Messages();
    const bool sendKind = c.kind == 3 || c.kind == 5;
    EXPECT_EQ(ui_.messages.size(), (*c.message ? 1u : 0u) + (sendKind && c.asksRelay ? 1u : 0u)) << c.what << Messages();
    EXPECT_EQ(JournalCount({"Scode=1720", "sTRKubn=2"}), c.asksRelay ? 1 : 0) << c.what;
    EXPECT_EQ(JournalCount({"ftp", "login"}), 0) << c.what;
    EXPECT_EQ(JournalCount({"Scode=1750"}), 0) << c.what;
  }
}

TEST_F(CashBookExchange, SendStopsSilentlyWhileTheCashBookIsUpgraded) {
  NamedLock window(kCashBookVersionUpLock);
  ASSERT_TRUE(window.TryTake());
  EXPECT_EQ(Run(3), -1);
  EXPECT_TRUE(ui_.messages.empty()) << Messages();
  EXPECT_EQ(JournalCount({"Scode=1720"}), 0);
}

TEST_F(CashBookExchange, MasterSendAsksBeforeDeletingFolder02) {
  for (const bool yes : {false, true}) {
    SeedRelay("{" + Folder("02") + "}");
    Deposit("02");
    servers_->ClearJournal();
    ui_.messages.clear();
    ui_.messageAnswers = {uis::mrYes, yes ? uis::mrYes : uis::mrNo, uis::mrYes};
    EXPECT_EQ(Run(5), yes ? 1 : -1) << Messages();
    EXPECT_TRUE(ui_.Shown("このままマスター送信をすると、削除されます。")) << Messages();
    EXPECT_EQ(JournalCount({"Scode=1750", "fSname=02"}), yes ? 1 : 0);
    EXPECT_EQ(fs::exists(RelayFile("02")), !yes);
    EXPECT_EQ(fs::exists(RelayFile("03")), yes);
    EXPECT_EQ(JournalCount({"Scode=1810", "fSname=03"}), yes ? 1 : 0);
  }
  // The master carries every cash row linked; the marking after a cash send did not run.
  EXPECT_EQ(office_->Links(CashDebit), "R|0|R|10|0");
  EXPECT_EQ(office_->Links(CashDeleted), "R|0||0|0");
}

// A receive whose import does not succeed leaves the relay folder for the next attempt and
// nothing of the received data behind; the import box's log is what tells the user.
TEST_F(CashBookExchange, FailedImportKeepsTheRelayFolder) {
  ui_.messageAnswers = {uis::mrYes, uis::mrYes};
  ASSERT_EQ(Run(3), 1) << Messages();
  ASSERT_TRUE(fs::exists(RelayFile("02")));
  servers_->ClearJournal();
  ui_.messages.clear();
  ui_.messageAnswers = {uis::mrYes};
  const auto savedMinimum = CashBookMinDataVersion;
  CashBookMinDataVersion = {99, 0, 0};  // the received data is too old for the import
  std::string log;
  uitest::ModalScript script({[&](TForm& f) {
    auto& box = dynamic_cast<TCashBookLoaderBox&>(f);
    for (int r = 0; r < box.ListView1->Count(); ++r) log += box.ListView1->Text(r, 1) + "\n";
    uitest::Click(box.btnCancel);
  }});
  const std::string companyDb = DM->IBDatabaseDAT.DatabaseName;
  const int result = Run(10);
  CashBookMinDataVersion = savedMinimum;
  EXPECT_TRUE(DM->IBDatabaseDAT.Connected());
  EXPECT_EQ(DM->IBDatabaseDAT.DatabaseName, companyDb) << "the company data stays the open data, not the work database";
  EXPECT_EQ(result, 0) << Messages();
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_NE(log.find("Ver99.0.0"), std::string::npos) << log;
  EXPECT_EQ(ui_.messages.size(), 1u) << "only the confirmation; the failure is in the box" << Messages();
  EXPECT_EQ(JournalCount({"ftp", "login"}), 1) << "downloaded";
  EXPECT_EQ(JournalCount({"Scode=1750"}), 0);
  EXPECT_TRUE(fs::exists(RelayFile("02")));
  EXPECT_FALSE(fs::exists(fs::path(SystemDef.TempDir) / "qvacc.fdb")) << "the work database is deleted";
  for (const char* name : {"qvacc.fbk", "qvacc.lzh", "qvacc.wen"})
    EXPECT_FALSE(fs::exists(fs::path(SystemDef.WorkDir) / "ComR" / name)) << name;
}

TEST_F(CashBookExchange, DamagedDepositIsReportedOnceAndKept) {
  SeedRelay("{" + Folder("02") + "}");
  Deposit("02", std::string(4096, '\x5a'));
  ui_.messageAnswers = {uis::mrYes};
  EXPECT_EQ(Run(10), 0) << Messages();
  EXPECT_TRUE(ui_.Shown("暗号解読失敗")) << Messages();
  EXPECT_FALSE(ui_.Shown("受信処理が正常に終了していません。")) << Messages();
  EXPECT_TRUE(fs::exists(RelayFile("02")));
  EXPECT_EQ(JournalCount({"Scode=1750"}), 0);
}

// How a relay folder differs from the open data decides between a refusal notice and a
// question (a master of another company name may still be taken).
TEST_F(CashBookExchange, DifferenceNotice) {
  const struct {
    const char* what;
    int kind;
    std::string folders;
    bool clickYes;
    bool question;
    std::vector<const char*> lines;  // visible lines after the headline
    const char* note;
  } cases[] = {
      {"journals of another company and year", 10, "{" + Folder("02", "別会社", "2015-04-01 00:00") + "}", true, false,
       {"現在利用中の商号　：　", "中継サーバーの商号：　別会社", "現在利用中の会計期間　：　2016/04/01 ～ 2017/03/31",
        "中継サーバーの会計期間：　2015/04/01 ～ 2017/03/31"},
       ""},
      {"journals of another year, automatic", 6, "{" + Folder("02", "", "2015-04-01 00:00") + "}", true, false,
       {"現在利用中の会計期間　：　2016/04/01 ～ 2017/03/31", "中継サーバーの会計期間：　2015/04/01 ～ 2017/03/31"},
       "データを切り換えて実行して下さい。"},
      {"master of another company name, declined", 10, "{" + Folder("03", "別会社") + "}", false, true,
       {"現在利用中の商号　：　", "中継サーバーの商号：　別会社"}, ""},
  };
  for (const auto& c : cases) {
    SeedRelay(c.folders);
    ui_.messages.clear();
    ui_.messageAnswers = {uis::mrYes};
    std::string headline, note, buttons;
    std::vector<std::string> lines;
    QImage shot;
    uitest::ModalScript script({[&](TForm& f) {
      auto& m = dynamic_cast<TfmHikakuMess2&>(f);
      headline = m.Label1->Caption();
      for (TLabel* l : {m.Label5, m.Label6, m.Label8, m.Label9})
        if (!l->isHidden()) lines.push_back(l->Caption());
      note = m.Label2->isHidden() ? "" : m.Label2->Caption();
      buttons = m.Button1->Caption() + (m.Button2->isHidden() ? "" : "/" + m.Button2->Caption());
      shot = f.grab().toImage();
      uitest::Click(c.clickYes ? m.Button1 : m.Button2);
    }});
    EXPECT_EQ(Run(c.kind), -1) << c.what << Messages();
    EXPECT_FALSE(script.WatchdogFired()) << c.what;
    EXPECT_EQ(headline, c.question ? "商号が違いますが、受信を続行しますか？" : "中継サーバーのデータと下記相違点があるため受信出来ません。")
        << c.what;
    EXPECT_EQ(buttons, c.question ? "はい/いいえ" : "ＯＫ") << c.what;
    ASSERT_EQ(lines.size(), c.lines.size()) << c.what;
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(c.lines[i], 0), 0u) << c.what << ": " << lines[i];
    EXPECT_EQ(note, c.note) << c.what;
    EXPECT_TRUE(ui_.messages.empty()) << c.what << Messages();
    EXPECT_EQ(JournalCount({"ftp", "login"}), 0) << c.what;
    const std::string picture = "comm_cashbook_notice" + std::string(c.question ? "_question" : *c.note ? "_note" : "") + ".png";
    EXPECT_TRUE(shot.save(QString::fromStdString(picture))) << picture;
  }
}

TEST_F(CashBookExchange, SecondInstallationImportsTheJournalsAndEmptiesTheFolder) {
  ui_.messageAnswers = {uis::mrYes, uis::mrYes};
  ASSERT_EQ(Run(3), 1) << Messages();
  Leave();
  CashOffice receiver("本社データ");
  {
    fixtures::DbSession s(receiver.company->DbFile());
    s.Exec("DELETE FROM SIWAKE2");
    s.Exec("DELETE FROM SIWAKE");
    s.Commit();
  }
  Enter(receiver);
  servers_->ClearJournal();
  ui_.messages.clear();
  ui_.messageAnswers = {uis::mrYes};
  // A failed import shows its log: read it into the failure instead of waiting.
  std::string log;
  uitest::ModalScript script({[&](TForm& f) {
    if (auto* box = dynamic_cast<TCashBookLoaderBox*>(&f))
      for (int r = 0; r < box->ListView1->Count(); ++r) log += box->ListView1->Text(r, 1) + "\n";
    f.SetModalResult(mrCancel);
  }});
  const std::string companyDb = DM->IBDatabaseDAT.DatabaseName;
  EXPECT_EQ(Run(10), 1) << Messages() << log;
  EXPECT_EQ(DM->IBDatabaseDAT.DatabaseName, companyDb);
  EXPECT_EQ(JournalCount({"Scode=1750", "fSname=02"}), 1);
  EXPECT_FALSE(fs::exists(RelayFile("02")));
  Leave();
  // The five live cash entries of the sender, two lines each.
  EXPECT_EQ(Count(receiver, "SELECT COUNT(*) FROM SIWAKE WHERE DELFLG=0 AND (KCODE='1110' OR R_KCODE='1110')"), 10);
}


// The cash-book side's journals ("/01") come in through the import box shown modally: it runs
// by itself, and the clerk closes it once it has ended.
TEST_F(CashBookExchange, CashBookDataIsImportedInTheBoxAndFolder01Emptied) {
  ui_.messageAnswers = {uis::mrYes};
  ASSERT_EQ(Run(7), 1) << Messages();
  ASSERT_TRUE(fs::exists(RelayFile("01"))) << Messages();
  Leave();
  CashOffice receiver("本社データ");
  {
    fixtures::DbSession s(receiver.company->DbFile());
    s.Exec("DELETE FROM SIWAKE2");
    s.Exec("DELETE FROM SIWAKE");
    s.Commit();
  }
  Enter(receiver);
  servers_->ClearJournal();
  ui_.messages.clear();
  ui_.messageAnswers = {uis::mrYes};
  bool ended = false;
  std::string log;
  QImage shot;
  uitest::ModalScript script(uitest::Dialog::Of<TCashBookLoaderBox>(), {[&](TForm& f) {
    auto& box = dynamic_cast<TCashBookLoaderBox&>(f);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!(ended = box.btnCancel->Enabled() && box.btnCancel->Caption() == "閉じる") &&
           std::chrono::steady_clock::now() < deadline) {
      uitest::Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (int r = 0; r < box.ListView1->Count(); ++r) log += box.ListView1->Text(r, 1) + "\n";
    shot = f.grab().toImage();
    uitest::Click(box.btnCancel);
  }});
  EXPECT_EQ(Run(4), 1) << Messages() << log;
  EXPECT_TRUE(ended) << "the box ran by itself and let the clerk close it";
  EXPECT_FALSE(script.WatchdogFired());
  EXPECT_NE(log.find("取り込み処理が成功しました。"), std::string::npos) << log;
  EXPECT_EQ(JournalCount({"Scode=1750", "fSname=01"}), 1);
  EXPECT_FALSE(fs::exists(RelayFile("01")));
  EXPECT_TRUE(shot.save("comm_cashbook_receive01.png"));
  Leave();
  // The five live cash entries of the sender, two lines each.
  EXPECT_EQ(Count(receiver, "SELECT COUNT(*) FROM SIWAKE WHERE DELFLG=0 AND (KCODE='1110' OR R_KCODE='1110')"), 10);
}

// A master ("/03") takes the place of the receiver's company file; the receiver's own
// dictionaries and data-list name survive it.
TEST_F(CashBookExchange, MasterReplacesTheSecondInstallationsCompanyFile) {
  {
    // Dictionary titles are slots matched by position: the master brings its own first one.
    fixtures::DbSession s(office_->company->DbFile());
    s.Exec("UPDATE OR INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (3, ' ', 1, '送信側分類') MATCHING (CREC)");
    s.Commit();
  }
  ui_.messageAnswers = {uis::mrYes, uis::mrYes};
  ASSERT_EQ(Run(5), 1) << Messages();
  ASSERT_TRUE(fs::exists(RelayFile("03"))) << Messages();
  Leave();
  CashOffice receiver("受信側データ");
  {
    fixtures::DbSession s(receiver.company->DbFile());
    s.Exec("DELETE FROM SIWAKE2");
    s.Exec("DELETE FROM SIWAKE");
    s.Exec("INSERT INTO TEKDICTI (CREC, SCODE, SORTCODE, TEXT) VALUES (7, ' ', 1, '受信側分類')");
    s.Exec("INSERT INTO TEKDIC (TEKCODE, CREC, KANA, TEXT, SCODE) VALUES (1, 7, 'ｼﾞｭｼﾝ', '受信側摘要', ' ')");
    s.Commit();
  }
  Enter(receiver);
  servers_->ClearJournal();
  ui_.messages.clear();
  ui_.messageAnswers = {uis::mrYes};
  // A failed import shows its log: read it into the failure instead of waiting.
  std::string log;
  uitest::ModalScript script({[&](TForm& f) {
    if (auto* box = dynamic_cast<TCashBookLoaderBox*>(&f))
      for (int r = 0; r < box->ListView1->Count(); ++r) log += box->ListView1->Text(r, 1) + "\n";
    f.SetModalResult(mrCancel);
  }});
  EXPECT_EQ(Run(10), 2) << Messages() << log;
  EXPECT_FALSE(script.Taken()) << log;
  EXPECT_EQ(JournalCount({"Scode=1750", "fSname=03"}), 1);
  EXPECT_FALSE(fs::exists(RelayFile("03")));
  Leave();
  const char* settings = "SELECT SHOUGOU || '|' || NENDO || '|' || KISHU || '|' || KIMATU || '|' || SITEN || '|' || BUMON AS T FROM ACCDEF1";
  EXPECT_EQ(Text(receiver.company->DbFile(), settings), Text(office_->company->DbFile(), settings));
  for (const char* sql : {"SELECT COUNT(*) FROM SIWAKE", "SELECT COUNT(*) FROM SIWAKE WHERE LINKKUB=10"})
    EXPECT_EQ(Count(receiver, sql), Count(*office_, sql)) << sql;
  EXPECT_GT(Count(receiver, "SELECT COUNT(*) FROM SIWAKE"), 0);
  EXPECT_EQ(Text(receiver.company->DbFile(), "SELECT ENTTEXT || '|' || COALESCE(WEB_HOLDER,'') AS T FROM ACCDEF1"),
            "受信側データ|");
  EXPECT_EQ(Text(receiver.company->DbFile(), "SELECT H.TEXT || '|' || T.TEXT AS T FROM TEKDIC T JOIN TEKDICTI H ON H.CREC=T.CREC"),
            "受信側分類|受信側摘要");
}

}  // namespace
