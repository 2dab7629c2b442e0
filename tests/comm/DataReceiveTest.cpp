// The data receive against the loopback relay and FTP servers: one office sends its company,
// the other receives it over its open data; another company's deposit asks for consent first;
// a damaged deposit leaves the open data as it was; F5 empties a relay folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "comm/CommModuleTestBase.h"
#include "platform/db/IBSQL.h"
#include "selection/z5Kidou.h"
#include "ui/UiTestSupport.h"
#include "ui/z5MessageDlg.h"

using namespace forms;
using namespace commtest;
namespace fs = std::filesystem;

namespace {

std::string Text(const fs::path& db, const std::string& sql) {
  fixtures::DbSession s(db);
  TIBSQL q;
  s.Prepare(q, sql);
  q.ExecQuery();
  const std::string v = q.Eof() ? "?" : q.FieldByName("T").AsString();
  q.Close();
  return v;
}

// The company fields a receive must carry over (the account fields stay equal in both).
constexpr const char* kAccDef1 =
    "SELECT COALESCE(SHOUGOU,'') || '|' || NENDO || '|' || KISHU || '|' || KIMATU AS T FROM ACCDEF1";

constexpr const char* kFolder03 =
    R"({"03": {"name": "本社データ", "term": "5", "start": "2016-04-01 00:00", "end": "2017-03-31 00:00",
               "sent": "2025-05-01 10:20", "password": "PW", "version": "1002"}})";

std::string Folder03(const std::string& password) {
  std::string s = kFolder03;
  s.replace(s.find("\"PW\""), 4, "\"" + password + "\"");
  return s;
}

class DataReceive : public CommModuleTestBase {
 protected:
  // The open data as a receive would change it. (The file's bytes change while it is attached,
  // so its content is compared, read through a second attachment.)
  static std::string Content(const Office& o) {
    return std::to_string(Count(o, "SELECT COUNT(*) FROM SIWAKE")) + "/" +
           std::to_string(Count(o, "SELECT COALESCE(SUM(REC),0) FROM SIWAKE")) + "/" + Text(o.company->DbFile(), kAccDef1);
  }
  // Runs the dialog of `kind`, puts the cursor on grid row `row`, presses `key`, then leaves with
  // Esc when the dialog is still open; `seen` looks at the dialog after the key.
  int Run(const char* kind, int row, int key, const std::function<void(TfmDataTusin&)>& seen = {}) {
    uitest::ModalScript script({[&](TForm& f) {
      auto& box = dynamic_cast<TfmDataTusin&>(f);
      box.PerfectGrid1->SetCurCell(1, row);
      KeyAt(f, key);
      if (seen) seen(box);
      if (box.isVisible()) KeyAt(f, Qt::Key_Escape);
    }});
    const int result = RunSyoriModule("VqDataTusin", 1, kind);
    EXPECT_FALSE(script.WatchdogFired());
    return result;
  }
  std::string Messages() const {
    std::string all;
    for (size_t i = 0; i < ui_.messages.size(); ++i) all += "[" + ui_.MessageText(i) + "]";
    return all;
  }
};

TEST_F(DataReceive, ReceivesTheSentCompanyOverTheOpenData) {
  Office sender("本社データ", 40);
  Office receiver("支店データ", 3);
  {
    fixtures::DbSession sys(receiver.inst.SystemDbFile());
    sys.Exec("UPDATE DATALIST SET NENDO=0 WHERE ENTTEXT='支店データ'");
    sys.Commit();
  }
  Enter(sender);
  ui_.messageAnswers = {uis::mrYes};
  ASSERT_EQ(Run("SyoriType=1", 2, Qt::Key_F12), 0) << Messages();
  ASSERT_TRUE(fs::exists(RelayFile("03"))) << Messages();
  Leave();

  Enter(receiver);
  ui_.messages.clear();
  ui_.messageAnswers = std::deque<int>(8, uis::mrYes);
  EXPECT_EQ(Run("SyoriType=2", 2, Qt::Key_F12), 1) << Messages();
  EXPECT_TRUE(ui_.Shown("データ受信処理が終了しました。")) << Messages();
  Leave();
  EXPECT_EQ(Count(receiver, "SELECT COUNT(*) FROM SIWAKE"), Count(sender, "SELECT COUNT(*) FROM SIWAKE"));
  EXPECT_EQ(Text(receiver.company->DbFile(), kAccDef1), Text(sender.company->DbFile(), kAccDef1));
  EXPECT_EQ(Text(receiver.inst.SystemDbFile(), "SELECT MAX(NENDO) AS T FROM DATALIST"),
            Text(sender.company->DbFile(), "SELECT NENDO AS T FROM ACCDEF1"))
      << "the data-list row follows the received data";
  EXPECT_EQ(JournalCount({"Scode=1830", "fSname=03"}), 1);
}

// Another company's deposit: the check lists the difference and the restore waits for the
// user's consent; without it the open data stays as it was and the relay is not told.
TEST_F(DataReceive, AnotherCompanysDepositNeedsConsent) {
  Office sender("本社データ", 40);
  Office receiver("支店データ", 3);
  {
    fixtures::DbSession s(sender.company->DbFile());
    s.Exec("UPDATE ACCDEF1 SET SHOUGOU='株式会社ベツノ物産'");
    s.Commit();
  }
  Enter(sender);
  ui_.messageAnswers = {uis::mrYes};
  ASSERT_EQ(Run("SyoriType=1", 2, Qt::Key_F12), 0) << Messages();
  ASSERT_TRUE(fs::exists(RelayFile("03"))) << Messages();
  Leave();

  const struct {
    bool agree;
    int result;
    const char* name;  // the open company's name afterwards
    int completions;   // 1830 requests
  } cases[] = {
      {false, 0, "株式会社サンプル商事", 0},
      {true, 1, "株式会社ベツノ物産", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.agree ? "agreed" : "declined");
    servers_->ClearJournal();
    Enter(receiver);
    const std::string before = Content(receiver);
    ui_.messages.clear();
    ui_.messageAnswers = std::deque<int>(8, uis::mrYes);
    std::string caption, headline, agree;
    std::vector<std::string> lines;
    bool okBeforeTick = true, openAfterUntickedOk = false;
    uitest::ModalScript check(uitest::Dialog::Of<TMessageBox>(), {[&](TForm& f) {
      auto& box = dynamic_cast<TMessageBox&>(f);
      caption = box.Caption();
      headline = box.lblMain->Caption();
      agree = box.cboxAgree->Caption();
      lines = box.Lines();
      okBeforeTick = box.btnOK->isEnabled();
      if (!c.agree) box.grab().save(QStringLiteral("comm_receive_check.png"));
      uitest::Click(box.btnOK);
      openAfterUntickedOk = box.ModalResult() == mrNone;
      if (c.agree) {
        uitest::Click(box.cboxAgree);
        uitest::Click(box.btnOK);
      } else {
        uitest::Click(box.btnCancel);
      }
    }});
    EXPECT_EQ(Run("SyoriType=2", 2, Qt::Key_F12), c.result) << Messages();
    EXPECT_TRUE(check.Taken()) << "the difference was not shown";
    EXPECT_EQ(caption, "データ照合チェックの結果");
    EXPECT_EQ(headline, "以下の項目に違いが検出されました。");
    EXPECT_EQ(agree, "データ復元処理の続行に同意します。");
    EXPECT_EQ(lines, (std::vector<std::string>{"会社名に違いがありました。", "　【復元元】：株式会社ベツノ物産",
                                               "　【復元先】：株式会社サンプル商事", ""}));
    EXPECT_FALSE(okBeforeTick);
    EXPECT_TRUE(openAfterUntickedOk) << "OK counted before the consent was given";
    EXPECT_EQ(ui_.Shown("データ受信処理が終了しました。"), c.agree) << Messages();
    Leave();
    EXPECT_EQ(Text(receiver.company->DbFile(), "SELECT SHOUGOU AS T FROM ACCDEF1"), c.name);
    if (!c.agree) EXPECT_EQ(Content(receiver), before);
    if (c.agree) EXPECT_EQ(Content(receiver), Content(sender));
    EXPECT_EQ(JournalCount({"Scode=1830", "fSname=03"}), c.completions);
  }
}

TEST_F(DataReceive, RefusalsLeaveTheOpenDataAsItWas) {
  Office receiver("支店データ", 3);
  const struct {
    const char* what;
    std::string password;  // of the relay folder
    const char* message;
    int logins;  // FTP logins expected
  } cases[] = {
      {"damaged deposit", kCommPassword, "", 1},
      {"password of another account", "other", "パスワードが一致しません", 0},
  };
  for (const auto& c : cases) {
    servers_->ClearJournal();
    SeedRelay(Folder03(c.password));
    fs::create_directories(RelayFile("03").parent_path());
    std::ofstream(RelayFile("03"), std::ios::binary) << std::string(4096, '\x5a');
    Enter(receiver);
    const std::string before = Content(receiver);
    ui_.messages.clear();
    ui_.messageAnswers = std::deque<int>(8, uis::mrYes);
    EXPECT_EQ(Run("SyoriType=2", 2, Qt::Key_F12), 0) << c.what << Messages();
    EXPECT_FALSE(ui_.messages.empty()) << c.what;
    if (*c.message) EXPECT_TRUE(ui_.Shown(c.message)) << c.what << Messages();
    EXPECT_EQ(Content(receiver), before) << c.what;
    EXPECT_EQ(JournalCount({"ftp", "login"}), c.logins) << c.what;
    EXPECT_EQ(JournalCount({"Scode=1830"}), 0) << c.what;
    Leave();
  }
}

TEST_F(DataReceive, F5EmptiesTheRelayFolder) {
  Office receiver("支店データ", 0);
  SeedRelay(Folder03(kCommPassword));
  fs::create_directories(RelayFile("03").parent_path());
  std::ofstream(RelayFile("03"), std::ios::binary) << "deposit";
  Enter(receiver);
  ui_.messageAnswers = {uis::mrYes};
  std::string name = "?";
  Run("SyoriType=2", 2, Qt::Key_F5, [&](TfmDataTusin& box) { name = box.PerfectGrid1->CellText(1, 2); });
  EXPECT_EQ(JournalCount({"Scode=1750", "fSname=03"}), 1);
  EXPECT_EQ(name, "");
  EXPECT_FALSE(fs::exists(RelayFile("03")));
  EXPECT_TRUE(ui_.Shown("中継サーバーのデータを削除しました。")) << Messages();
  Leave();  // before the office's folder goes
}

}  // namespace
