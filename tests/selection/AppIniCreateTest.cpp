// The application INI and the server settings dialog: the reset file the start-up writes,
// what a section reads into SystemDef (case rules, exact "YES", defaults), the connection
// mode of the last logon, and the dialog's OK driven as a user would, with a picture of it
// (selection_appinicreate.png in the build folder).
#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "data/uAccRecord.h"
#include "platform/ini/IniFile.h"
#include "selection/AppIniCreate.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

using namespace forms;

namespace {

class AppIniCreate : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    savedMode_ = ConnectMode;
    SystemDef.AppIniFile = (dir.Path() / "qvzaimu.ini").string();
    ConnectMode = 0;
    box = CreateForm<TAppIniCreateBox>(nullptr);
  }
  void TearDown() override {
    box->Free();
    SystemDef = saved_;
    ConnectMode = savedMode_;
  }
  std::vector<std::string> Values(const char* section) const {
    return TIniFile(SystemDef.AppIniFile).ReadSectionValues(section);
  }

  TempDir dir;
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TAppIniCreateBox* box = nullptr;

 private:
  TSystemDef saved_;
  uint8_t savedMode_ = 0;
};

TEST_F(AppIniCreate, TheResetWritesTheDefaultsAndKeepsOtherSections) {
  ASSERT_TRUE(box->FCreatedOK);
  SystemDef.HostName = "old-host";
  SystemDef.SysDir = "/Srv/Zivodarorer/Data";
  SystemDef.DbUser = "GKFMCB";
  SystemDef.DbPassword = "mirsol";
  SystemDef.GoGlobal = 0;
  SystemDef.GroupLogon = 1;
  const std::vector<std::string> application{"TOP=0", "LEFT=0", "WIDTH=1024", "HEIGHT=738", "CONNECT=0"};
  const std::vector<std::string> local{"HOSTNAME=",           "GOGLOBAL=NO", "GROUP=YES", "SYSDIR=/Srv/Zivodarorer/Data",
                                       "USER=GKFMCB", "PASSWORD=mirsol"};
  const std::vector<std::string> server{"HOSTNAME=", "GOGLOBAL=NO", "GROUP=NO", "SYSDIR=", "USER=GKFMCB", "PASSWORD=mirsol"};

  // Before the first start there is no file at all.
  EXPECT_TRUE(box->WriteAppIni(1));
  EXPECT_EQ(SystemDef.HostName, "") << "the local mode keeps no host";
  EXPECT_EQ(TIniFile(SystemDef.AppIniFile).ReadSections(), (std::vector<std::string>{"APPLICATION", "LOCAL", "SERVER"}));
  EXPECT_EQ(Values("APPLICATION"), application);
  EXPECT_EQ(Values("LOCAL"), local);
  EXPECT_EQ(Values("SERVER"), server);

  // Over an old file: the window sections go, the terminal section stays.
  dir.Write("qvzaimu.ini",
            "[DATABASE]\r\nX=1\r\n[SBC]\r\nHOSTNAME=term\r\n[MAINFORM]\r\nTOP=5\r\n[APPLICATION]\r\nCONNECT=1\r\n");
  EXPECT_TRUE(box->WriteAppIni(1));
  EXPECT_EQ(TIniFile(SystemDef.AppIniFile).ReadSections(), (std::vector<std::string>{"SBC", "APPLICATION", "LOCAL", "SERVER"}));
  EXPECT_EQ(Values("APPLICATION"),
            (std::vector<std::string>{"CONNECT=0", "TOP=0", "LEFT=0", "WIDTH=1024", "HEIGHT=738"}));
  EXPECT_EQ(Values("LOCAL"), local);
  EXPECT_EQ(Values("SBC"), (std::vector<std::string>{"HOSTNAME=term"}));
}

TEST_F(AppIniCreate, ASectionIsReadWithItsCaseRulesAndDefaults) {
  dir.Write("qvzaimu.ini",
            "[LOCAL]\r\nSYSDIR=/Home/User/Zivodarorer/Data\r\nUSER=gkfmcb\r\nPASSWORD=MirSol\r\nGOGLOBAL=yes\r\n"
            "[SERVER]\r\nHOSTNAME=DbServer/3050\r\nGOGLOBAL=YES\r\nGROUP=YES\r\nSYSDIR=Z:/Share/Data\r\n"
            "[SBC]\r\nHOSTNAME=term\r\n");
  struct Case {
    int kind;
    const char* host;
    uint8_t goGlobal;
    const char* sysDir;
    const char* user;
    const char* password;
  } cases[] = {
      {0, "", 0, "/Home/User/Zivodarorer/Data", "GKFMCB", "mirsol"},  // "yes" is not "YES"
      {1, "DbServer/3050", 1, "Z:/Share/Data", "TALLIX", "mirsol"},
      {2, "term", 0, "", "TALLIX", "mirsol"},
      {7, "", 0, "/Home/User/Zivodarorer/Data", "GKFMCB", "mirsol"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    SystemDef.GroupLogon = 1;
    SystemDef.Reserved25 = {1, 1};
    EXPECT_EQ(box->ReadAppIni(c.kind), 1);
    EXPECT_EQ(SystemDef.HostName, c.host);
    EXPECT_EQ(SystemDef.GoGlobal, c.goGlobal);
    EXPECT_EQ(SystemDef.SysDir, c.sysDir);
    EXPECT_EQ(SystemDef.DbUser, c.user);
    EXPECT_EQ(SystemDef.DbPassword, c.password);
    EXPECT_EQ(SystemDef.GroupLogon, 0) << "GROUP is written, not read back";
    EXPECT_EQ(SystemDef.Reserved25, (std::array<uint8_t, 2>{0, 0}));
  }
}

TEST_F(AppIniCreate, TheConnectionModeOfTheLastLogon) {
  EXPECT_EQ(box->ReadConnectMode(), 0);  // no file yet
  for (const char* value : {"1", "2", "abc", ""}) {
    TIniFile(SystemDef.AppIniFile).WriteString("APPLICATION", "CONNECT", value);
    const int expected = std::string(value) == "1" ? 1 : std::string(value) == "2" ? 2 : 0;
    EXPECT_EQ(box->ReadConnectMode(), expected) << value;
  }
  box->WriteConnectMode(1);
  EXPECT_EQ(box->ReadConnectMode(), 1);
  box->WriteConnectMode(3);  // not a connection mode: nothing written
  box->WriteConnectMode(-1);
  EXPECT_EQ(box->ReadConnectMode(), 1);
}

TEST_F(AppIniCreate, OkChecksTheEntriesAndStoresTheShownSection) {
  ScopedEnv drives("RENDO_DRIVES", "Z=" + dir.Str());
  const std::string before =
      "[LOCAL]\r\nSYSDIR=/Home/Data\r\nUSER=GKFMCB\r\nPASSWORD=mirsol\r\n[SERVER]\r\nSYSDIR=Z:/Srv\r\nUSER=GKFMCB\r\n"
      "PASSWORD=mirsol\r\n";
  struct Case {
    int kind;
    const char* host;
    const char* user;
    const char* refusal;  // nullptr: stored
    const char* storedHost;
  } cases[] = {
      {1, "  ", "GKFMCB", "コンピュータ名が指定されていません。\n入力してください。", nullptr},
      {2, "", "GKFMCB", "コンピュータ名が指定されていません。\n", nullptr},
      {1, "DbServer", "", "データベースのユーザーが指定されていません。\n入力してください。", nullptr},
      {1, "DbServer", "gkfmcb", nullptr, "dbserver"},
      {0, "Ignored", "GKFMCB", nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " '" + c.host + "'");
    dir.Write("qvzaimu.ini", before);
    ui.messages.clear();
    box->FConnectKind = c.kind;
    std::string shownDrive;
    uitest::ModalScript script({[&](TForm&) {
      shownDrive = box->cmbDrive->Text();
      box->txtHostName->SetText(c.host);
      box->txtUserName->SetText(c.user);
      uitest::Click(box->btnOK);
      if (box->ModalResult() == mrNone) uitest::Key(Qt::Key_Escape);
    }});
    const int result = box->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    EXPECT_EQ(shownDrive, c.kind == 1 ? "Z:" : "C:");
    const TIniFile ini(SystemDef.AppIniFile);
    if (c.refusal) {
      EXPECT_EQ(result, mrCancel) << "the dialog stayed open until Esc";
      ASSERT_EQ(ui.messages.size(), 1u);
      EXPECT_EQ(ui.MessageText(0), c.refusal);
      EXPECT_EQ(TempDir::Read(SystemDef.AppIniFile), before);
    } else {
      EXPECT_EQ(result, mrOk);
      EXPECT_TRUE(ui.messages.empty());
      const char* section = AppIniSection(c.kind);
      EXPECT_EQ(ini.ReadString(section, "HOSTNAME", "?"), c.storedHost);
      EXPECT_EQ(ini.ReadString(section, "SYSDIR", "?"), shownDrive + "/zivodarorer/data");
      EXPECT_EQ(ini.ReadString(section, "USER", "?"), "GKFMCB");
      EXPECT_EQ(ini.ReadString(section, "PASSWORD", "?"), "mirsol");
      EXPECT_EQ(ini.ReadString(AppIniSection(1 - c.kind), "SYSDIR", "?"), c.kind == 1 ? "/Home/Data" : "Z:/Srv")
          << "the other section is untouched";
    }
  }
}

TEST_F(AppIniCreate, TheDriveListFallsBackToC) {
  ScopedEnv drives("RENDO_DRIVES", "Z=" + dir.Str());
  dir.Write("qvzaimu.ini", "[SERVER]\r\nSYSDIR=z:/srv/data\r\n");
  std::string shown;
  uitest::ModalScript script({[&](TForm&) {
    shown = box->cmbDrive->Text();
    uitest::Key(Qt::Key_Escape);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_EQ(shown, "Z:");
  ASSERT_GE(box->cmbDrive->ItemCount(), 2);
  EXPECT_EQ(box->cmbDrive->Item(0), "C:");
  EXPECT_EQ(box->DriveIndexOf("/home/user/data"), 0);
  EXPECT_EQ(box->DriveIndexOf("Q:/unmapped"), 0);
  EXPECT_EQ(box->DriveIndexOf(""), 0);
}

TEST_F(AppIniCreate, Picture) {
  dir.Write("qvzaimu.ini", "[SERVER]\r\nHOSTNAME=dbserver\r\nSYSDIR=C:/zivodarorer/data\r\n");
  QImage shot;
  uitest::ModalScript script({[&](TForm& f) {
    shot = f.grab().toImage();
    uitest::Key(Qt::Key_Escape);
  }});
  EXPECT_EQ(box->ShowModal(), mrCancel);
  EXPECT_FALSE(script.WatchdogFired());
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QStringLiteral("selection_appinicreate.png")));
}

}  // namespace
