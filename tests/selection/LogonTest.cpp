// The logon dialog driven as a user would, against the fixture's system database (embedded)
// and against the loopback server: the operator part of SystemDef after a logon, CONNECT in
// the INI, the refusals before any connection, wrong passwords, an operator logged on
// elsewhere, the failure notices by connection mode, the typed group, and a password change
// stored and used. Pictures: selection_logon.png, selection_logon_failure.png.
#include <QImage>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "platform/ini/IniFile.h"
#include "selection/AppIniCreate.h"
#include "selection/Logon.h"
#include "selection/z5UpPassword.h"
#include "support/DataModuleTestBase.h"
#include "support/FirebirdServer.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/z5MessageDlg2.h"

using namespace forms;
namespace fs = std::filesystem;

namespace {

constexpr const char* kWrongCode = "コードまたはパスワードが違います。\n正しいコードまたはパスワードを入力して下さい。";

using Step = std::function<void(TLogonBox&)>;

class Logon : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    fixtures::InstallationOptions options;
    options.operators = fixtures::DefaultOperators();
    options.operators.push_back({15, "経理担当", 5, "Kei15ri", true, true});
    options.operators.push_back({16, "入力担当", 1, "Old16", false, false});
    options.operators.push_back({15, "支店担当", 1, "shiten", false, false, 20000});
    inst_ = new fixtures::Installation(options);
    iniText_ = TempDir::Read(inst_->AppIniFile());
  }

  void SetUp() override {
    DataModuleTestBase::SetUp();
    // As the start-up leaves them before the logon.
    SystemDef.AppIniFile = inst_->AppIniFile().string();
    SystemDef.ProgramTitle = "Soravin連動コンポーネント";
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.GroupLogon = 0;
    SystemDef.LogonId = 0;
    SystemDef.OpName.clear();
    ConnectMode = 0;
    OemKind = 0;
    std::ofstream(inst_->AppIniFile(), std::ios::binary) << iniText_;
    {
      fixtures::DbSession s(inst_->SystemDbFile());
      s.Exec("DELETE FROM LOGONUSERLIST");
      s.Commit();
    }
    CreateDataModule();
  }

  static TIniFile Ini() { return TIniFile(inst_->AppIniFile().string()); }

  // Creates the dialog, shows it and runs the steps inside its modal loop; the result.
  int Run(std::vector<Step> steps) {
    auto* box = CreateForm<TLogonBox>(nullptr);
    EXPECT_TRUE(box->FCreatedOK);
    std::vector<std::function<void(TForm&)>> script;
    for (Step& s : steps) script.push_back([s](TForm& f) { s(dynamic_cast<TLogonBox&>(f)); });
    uitest::ModalScript modal(std::move(script));
    const int result = box->ShowModal();
    EXPECT_FALSE(modal.WatchdogFired());
    box->Free();
    return result;
  }

  // Code and password typed, then OK clicked.
  static void Enter(TLogonBox& b, const char* code, const char* password) {
    b.txtOpCode->SetFocus();
    b.txtOpCode->SetText("");
    uitest::Type(QString::fromUtf8(code));
    b.txtPassword->SetFocus();
    b.txtPassword->SetText("");
    uitest::Type(QString::fromUtf8(password));
    uitest::Click(b.OKBtn);
  }
  static void CancelIfOpen(TLogonBox& b) {
    if (b.ModalResult() == mrNone) uitest::Click(b.CancelBtn);
  }

  // The lines of the next stand-alone message shown while `action` runs (it is closed).
  static std::vector<std::string> NoticeDuring(const std::function<void()>& action, const char* picture = nullptr) {
    std::vector<std::string> lines;
    uitest::ModalScript notice({[&](TForm& f) {
      auto& box = dynamic_cast<TMessageBox2&>(f);
      for (auto* label : box.Labels)
        if (label->Visible() && !label->Caption().empty()) lines.push_back(label->Caption());
      if (picture) {
        EXPECT_TRUE(f.grab().toImage().save(QString::fromUtf8(picture)));
      }
      uitest::Key(Qt::Key_Escape);
    }});
    action();
    EXPECT_FALSE(notice.WatchdogFired());
    return lines;
  }

  // Whether any file of the log folder holds the text.
  static bool LoggedAnywhere(const std::string& text) {
    if (!fs::exists(inst_->LogDir())) return false;
    for (const auto& entry : fs::recursive_directory_iterator(inst_->LogDir())) {
      if (entry.is_regular_file() && TempDir::Read(entry.path()).find(text) != std::string::npos) return true;
    }
    return false;
  }

  static inline std::string iniText_;
};

TEST_F(Logon, Operator15LogsOnAndTheModeIsStored) {
  Ini().DeleteKey("APPLICATION", "CONNECT");
  std::string focusAtShow;
  QImage shot;
  const int result = Run({[&](TLogonBox& b) {
    focusAtShow = uitest::FocusedName();
    EXPECT_FALSE(b.txtGroupID->Visible());
    EXPECT_TRUE(b.btnSA->Checked());
    EXPECT_FALSE(b.btnServerSettei->Enabled());
    // Code, Enter, password, Enter (to OK), Enter (OK).
    uitest::Type("15");
    uitest::Key(Qt::Key_Return);
    uitest::Type("Kei15ri");
    shot = b.grab().toImage();
    uitest::Key(Qt::Key_Return);
    EXPECT_EQ(uitest::FocusedName(), "OKBtn");
    uitest::Key(Qt::Key_Return);
  }});
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(focusAtShow, "txtOpCode");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(SystemDef.LogonId, 100000015);
  EXPECT_EQ(SystemDef.OpCode, 15);
  EXPECT_EQ(SystemDef.OpName, "経理担当");
  EXPECT_EQ(SystemDef.JobLevel, 5);
  EXPECT_EQ(SystemDef.JimushoOperator, 1);
  EXPECT_EQ(SystemDef.MyNumberAdmin, 1);
  EXPECT_EQ(SystemDef.SrvWorkDir, "");
  EXPECT_EQ(SystemDef.SysDir, inst_->SysDir().string());
  EXPECT_EQ(Ini().ReadString("APPLICATION", "CONNECT", "?"), "0");
  EXPECT_TRUE(DM->IBDatabaseDEF.Connected()) << "the system database stays connected";
  EXPECT_EQ(Scalar(inst_->SystemDbFile(), "SELECT COUNT(*) FROM LOGONUSERLIST WHERE OPCODE=100000015"), 1);
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral("selection_logon.png")));
}

TEST_F(Logon, WrongPasswordsKeepTheDialogOpenUntilTheRightOne) {
  std::vector<std::string> focus;
  const int result = Run({[&](TLogonBox& b) {
    for (int i = 0; i < 3; ++i) {
      Enter(b, "15", "kei15ri");  // the case counts
      EXPECT_EQ(b.ModalResult(), mrNone);
      focus.push_back(uitest::FocusedName());
    }
    Enter(b, "15", "Kei15ri");
  }});
  EXPECT_EQ(result, mrOk);
  ASSERT_EQ(ui_.messages.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ui_.messages[i].kind, uis::MsgKind::Error);
    EXPECT_EQ(ui_.MessageText(i), kWrongCode);
  }
  EXPECT_EQ(focus, (std::vector<std::string>{"txtOpCode", "txtOpCode", "txtOpCode"}));
  EXPECT_EQ(SystemDef.LogonId, 100000015);
  EXPECT_FALSE(LoggedAnywhere("kei15ri"));
  EXPECT_FALSE(LoggedAnywhere("Kei15ri"));
}

TEST_F(Logon, TheServerSettingsAreEditedFromTheLogon) {
  bool enabledLocal = true;
  const int result = Run({[&](TLogonBox& b) {
    enabledLocal = b.btnServerSettei->Enabled();
    uitest::Click(b.btnCS);
    uitest::ModalScript settings({[&](TForm&) {
      b.AppIniCreateBox->txtHostName->SetText("DbServer/3050");
      uitest::Click(b.AppIniCreateBox->btnOK);
    }});
    uitest::Click(b.btnServerSettei);
    EXPECT_FALSE(settings.WatchdogFired());
    b.activateWindow();
    for (int i = 0; i < 100 && QApplication::activeWindow() != &b; ++i) uitest::Pump();
    uitest::Click(b.CancelBtn);
  }});
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(enabledLocal);
  EXPECT_EQ(Ini().ReadString("SERVER", "HOSTNAME", "?"), "dbserver/3050");
  EXPECT_EQ(Ini().ReadString("SERVER", "SYSDIR", "?"), "C:/zivodarorer/data");
  EXPECT_EQ(Ini().ReadString("LOCAL", "SYSDIR", "?"), inst_->SysDir().string());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Logon, RefusalsBeforeAnyConnection) {
  struct Case {
    bool clientServer;
    const char* host;
    const char* sysDir;
    const char* code;
    const char* message;
  } cases[] = {
      {false, "", "", "9", kWrongCode},
      {false, "", "", "", kWrongCode},
      {true, "", "/srv/data", "15",
       "データサーバーのコンピュータ名が設定されていません。\n[サーバー設定]ボタンを押して正しい情報を入力して下さい。"},
      {true, "dbserver", "", "15",
       "データサーバー上のデータパスが設定されていません。\n[サーバー設定]ボタンを押して正しい情報を入力して下さい。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code) + " " + c.host);
    ui_.messages.clear();
    Ini().WriteString("SERVER", "HOSTNAME", c.host);
    Ini().WriteString("SERVER", "SYSDIR", c.sysDir);
    const int result = Run({[&](TLogonBox& b) {
      if (c.clientServer) uitest::Click(b.btnCS);
      EXPECT_EQ(b.btnServerSettei->Enabled(), c.clientServer);
      Enter(b, c.code, "Kei15ri");
      CancelIfOpen(b);
    }});
    EXPECT_EQ(result, mrCancel);
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.MessageText(0), c.message);
    EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
    EXPECT_EQ(SystemDef.LogonId, 0);
  }
}

TEST_F(Logon, AnOperatorLoggedOnElsewhereIsRefused) {
  {
    fixtures::DbSession s(inst_->SystemDbFile());
    s.Exec("INSERT INTO LOGONUSERLIST (GROUPID, OPCODE, OPERATORCODE, PCNAME) VALUES (10000, 100000015, 15, 'other-pc')");
    s.Commit();
  }
  const int result = Run({[&](TLogonBox& b) {
    Enter(b, "15", "Kei15ri");
    CancelIfOpen(b);
  }});
  EXPECT_EQ(result, mrCancel);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.MessageText(0), "指定したユーザーは既にシステムへログインしているため、ログインできませんでした。");
  EXPECT_EQ(SystemDef.LogonId, 0);
}

TEST_F(Logon, AMissingSystemDatabaseGivesTheLocalHints) {
  Ini().WriteString("LOCAL", "SYSDIR", (inst_->Root() / "missing").string());
  std::vector<std::string> lines;
  const int result = Run({[&](TLogonBox& b) {
    lines = NoticeDuring([&] { Enter(b, "15", "Kei15ri"); }, "selection_logon_failure.png");
    CancelIfOpen(b);
  }});
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(lines, (std::vector<std::string>{"ログイン処理に失敗しました。以下の理由が考えられます。",
                                             "１）データファイルが見つからない。", "２）別のプロセスがデータファイルを使用中。"}));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(Logon, AFailingCheckEndsTheLogonWithTheDatabaseReport) {
  // A system database of another form: it has no logon check.
  TempDir other;
  const fs::path copy = other.Path() / inst_->SystemDbFile().filename();
  fs::copy_file(inst_->SystemDbFile(), copy);
  {
    fixtures::DbSession s(copy);
    s.Exec("DROP PROCEDURE LOGONUSERTEST");
    s.Commit();
  }
  Ini().WriteString("LOCAL", "SYSDIR", other.Str());
  const int result = Run({[&](TLogonBox& b) { Enter(b, "15", "Kei15ri"); }});
  EXPECT_EQ(result, mrCancel);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
  EXPECT_EQ(ui_.MessageText(0).rfind("ログイン処理に失敗しました。\nSoravin連動コンポーネントを終了します。\n", 0), 0u)
      << ui_.MessageText(0);
  EXPECT_TRUE(ui_.Shown("IBXエラーコード:335544569")) << "the detail block names the error";
  EXPECT_EQ(SystemDef.LogonId, 0);
  EXPECT_TRUE(LoggedAnywhere("TLogonBox.OKBtnClick"));
  EXPECT_FALSE(LoggedAnywhere("Kei15ri"));
  EXPECT_FALSE(DM->IBTransactionDEF.InTransaction());
}

TEST_F(Logon, ConnectFailureNoticesByModeAndError) {
  using V = std::vector<std::string>;
  EXPECT_EQ(LogonConnectFailureLines(0, 1, 335544344, -902),
            (V{"ログイン処理に失敗しました。以下の理由が考えられます。", "１）財務アプリケーションがインストールされていない。",
               "２）データファイルが見つからない。", "３）別のプロセスがデータファイルを使用中。"}));
  EXPECT_EQ(LogonConnectFailureLines(2, 0, 335544721, -902).size(), 5u);
  EXPECT_EQ(LogonConnectFailureLines(2, 0, 335544721, -902)[1], "１）ソリューションが正常に動作しているか確認して下さい。");
  const V other = LogonConnectFailureLines(1, 0, 335544472, -902);
  ASSERT_EQ(other.size(), 3u);
  EXPECT_EQ(other[0], "財務システムデータベースの接続処理に失敗しました。");
  EXPECT_EQ(other[1], "[例外内容]");
  EXPECT_EQ(other[2].rfind("(IBXエラーコード:335544472) ", 0), 0u) << other[2];
}

TEST_F(Logon, TheTypedGroupIsTheGroupLoggedOnWith) {
  // Terminal-server mode with the group asked, as the start-up leaves it (group 0).
  ConnectMode = 2;
  SystemDef.GroupLogon = 1;
  SystemDef.GroupId = 0;
  Ini().WriteString("SBC", "HOSTNAME", "127.0.0.1");  // this computer
  Ini().WriteString("SBC", "SYSDIR", inst_->SysDir().string());
  Ini().WriteString("SBC", "USER", "GKFMCB");
  Ini().WriteString("SBC", "PASSWORD", "mirsol");
  std::string focusAtShow;
  const int result = Run({[&](TLogonBox& b) {
    focusAtShow = uitest::FocusedName();
    EXPECT_FALSE(b.GroupBox2->Visible());
    uitest::Type("20000");
    Enter(b, "15", "shiten");
  }});
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(focusAtShow, "txtGroupID");
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(SystemDef.GroupId, 20000);
  EXPECT_EQ(SystemDef.LogonId, 200000015);
  EXPECT_EQ(SystemDef.OpName, "支店担当");
  EXPECT_EQ(SystemDef.SrvWorkDir, fw::ServerWorkDir);
  EXPECT_EQ(Ini().ReadString("APPLICATION", "CONNECT", "?"), "2");
}

TEST_F(Logon, ThroughTheLoopbackServerAndWithTheServerStopped) {
  FirebirdServer server;
  const fs::path sysDir = server.DataDir() / "sys";
  fs::create_directories(sysDir);
  fs::copy_file(inst_->SystemDbFile(), sysDir / inst_->SystemDbFile().filename());
  const std::string host = "127.0.0.1/" + std::to_string(server.Port());
  Ini().WriteString("APPLICATION", "CONNECT", "1");
  Ini().WriteString("SERVER", "HOSTNAME", host);
  Ini().WriteString("SERVER", "SYSDIR", sysDir.string());
  Ini().WriteString("SERVER", "USER", FirebirdServer::kUser);
  Ini().WriteString("SERVER", "PASSWORD", FirebirdServer::kPassword);

  bool csTicked = false;
  int result = Run({[&](TLogonBox& b) {
    csTicked = b.btnCS->Checked();
    Enter(b, "15", "Kei15ri");
  }});
  EXPECT_TRUE(csTicked) << "CONNECT=1 ticks the client/server button";
  EXPECT_EQ(result, mrOk);
  EXPECT_TRUE(ui_.messages.empty()) << ui_.MessageText(0);
  EXPECT_EQ(ConnectMode, 1);
  EXPECT_EQ(SystemDef.LogonId, 100000015);
  EXPECT_EQ(DM->IBDatabaseDEF.DatabaseName, host + ":" + sysDir.string() + "/" + inst_->SystemDbFile().filename().string());
  EXPECT_EQ(SystemDef.SrvWorkDir, fw::ServerWorkDir);
  EXPECT_EQ(Ini().ReadString("APPLICATION", "CONNECT", "?"), "1");

  DM->IBDatabaseDEF.ForceClose();
  server.Stop();
  std::vector<std::string> lines;
  result = Run({[&](TLogonBox& b) {
    lines = NoticeDuring([&] { Enter(b, "15", "Kei15ri"); });
    CancelIfOpen(b);
  }});
  EXPECT_EQ(result, mrCancel);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "ログイン処理に失敗しました。以下の理由が考えられます。");
  EXPECT_EQ(lines[1], "１）サーバー上でFireBirdサービスが起動しているか確認して下さい。");
  EXPECT_FALSE(DM->IBDatabaseDEF.Connected());
  EXPECT_FALSE(LoggedAnywhere("Kei15ri"));
}

TEST_F(Logon, APasswordChangeIsCheckedAndStored) {
  const int result = Run({[&](TLogonBox& b) {
    auto* box = CreateForm<TUpPasswordBox>(nullptr);
    box->Setup("Old16");
    uitest::ModalScript change({[&](TForm&) {
      box->txtPasswordNow->SetText("old16");  // the case counts
      box->txtPasswordNew1->SetText("New16x");
      box->txtPasswordNew2->SetText("New16x");
      uitest::Click(box->btnOk);
      box->txtPasswordNow->SetText("Old16");
      box->txtPasswordNew2->SetText("New16y");
      uitest::Click(box->btnOk);
      box->txtPasswordNew2->SetText("New16x");
      uitest::Click(box->btnOk);
    }});
    EXPECT_EQ(box->ShowModal(), mrOk);
    EXPECT_EQ(box->NewPassword, "New16x");
    EXPECT_TRUE(b.UpdatePassword(16, box->NewPassword));
    box->Free();
    EXPECT_FALSE(DM->IBDatabaseDEF.Connected()) << "the password update leaves the system database closed";
    b.activateWindow();  // back from the password dialog
    for (int i = 0; i < 100 && QApplication::activeWindow() != &b; ++i) uitest::Pump();

    Enter(b, "16", "Old16");
    EXPECT_EQ(b.ModalResult(), mrNone);
    Enter(b, "16", "New16x");
  }});
  EXPECT_EQ(result, mrOk);
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.MessageText(0), "現在のパスワードが入力されたパスワードと一致しません。");
  EXPECT_EQ(ui_.MessageText(1), "入力されたパスワードは一致しません。");
  EXPECT_EQ(ui_.MessageText(2), kWrongCode);
  EXPECT_EQ(SystemDef.LogonId, 100000016);
}

}  // namespace
