// The system-database steps run with isql over a system database from before the first step.
#include <gtest/gtest.h>

#include <string>

#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/LegacySystemDb.h"
#include "platform/Encoding.h"
#include "platform/db/IBSQL.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5SystemDbUpdate.h"

namespace fs = std::filesystem;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

class SystemUpgrade : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    savedMode_ = ConnectMode;
    savedOem_ = OemKind;
    ConnectMode = 0;
    OemKind = 0;
    SystemDef.SysDir = MadeDir(tmp.Path() / "data");
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    fw::SysDbFile = "qvaccdef.fdb";
    fixtures::CreateLegacySystemDatabase(file());
  }
  void TearDown() override {
    SystemDef = saved_;
    ConnectMode = savedMode_;
    OemKind = savedOem_;
  }
  fs::path file() const { return tmp.Path() / "data" / "qvaccdef.fdb"; }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  uint8_t savedMode_ = 0, savedOem_ = 0;
};

TEST_F(SystemUpgrade, StepsUpTo500BringTheListsAndPlacesAlong) {
  int32_t (*const steps[])() = {ExecSystemDbUpdate031, ExecSystemDbUpdate032, ExecSystemDbUpdate033,
                                ExecSystemDbUpdate101, ExecSystemDbUpdate300, ExecSystemDbUpdate305,
                                ExecSystemDbUpdate307, ExecSystemDbUpdate400, ExecSystemDbUpdate402,
                                ExecSystemDbUpdate500};
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(steps[i](), kStepOk) << TempDir::Read(tmp.Path() / "log" / "ErrDataup.txt");
  }
  EXPECT_TRUE(ui.messages.empty());
  // One version row per step, numbered by the trigger the first step creates.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VERSION"), 10);
  EXPECT_EQ(Scalar("SELECT SUM(REC) FROM VERSION"), 55);
  EXPECT_EQ(Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM VERSION WHERE REC=10"), 50000);
  // The system operator, without a password.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM OPERATOR WHERE GROUPID=10000 AND OPCODE=1 AND PASWORD=''"), 1);
  // Pages above level 1000 rotated once: 10 -> 11 -> 12 -> 10; lower levels untouched.
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=1"), 11);
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=2"), 12);
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=3"), 10);
  EXPECT_EQ(Scalar("SELECT PAGENO FROM JOBCONTROL WHERE MENUNO=4"), 10);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GENGO"), 4);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USERCODE"), 20);
  EXPECT_EQ(Scalar("SELECT RESERVE2 FROM SYSTEMINI WHERE REC=10"), 63);
  // The list tables carry every later column, filled.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATALIST WHERE DATACODE='' AND DATA_STATUS=0 AND UPDATE_LOCK=0 AND "
                   "YOBI3=''"),
            2);
  // A hundred data places: the standard one, then the folder followed by 01 .. 99.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATAPLACEMAN"), 100);
  EXPECT_EQ(Scalar("SELECT MIN(ORDERKBN)*1000+MAX(ORDERKBN) FROM DATAPLACEMAN"), 1100);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DATAPLACEMAN WHERE ORDERKBN<>REC+1"), 0);
  {
    fixtures::DbSession s(file());
    TIBSQL q;
    s.Prepare(q, "SELECT NAME, PATH FROM DATAPLACEMAN WHERE REC IN (0, 7) ORDER BY REC");
    q.ExecQuery();
    EXPECT_EQ(q.FieldByName("PATH").AsString(), SystemDef.SysDir);
    EXPECT_EQ(q.FieldByName("NAME").AsString(), sjis::ByteLength(SystemDef.SysDir) > 40 ? "標準の場所" : SystemDef.SysDir);
    q.Next();
    EXPECT_EQ(q.FieldByName("PATH").AsString(), SystemDef.SysDir + "07");
    q.Close();
  }
  // The data-list procedure of the data places numbers on from the highest row.
  {
    fixtures::DbSession s(file());
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_DATALIST_INSERT(0, 'X:', 5)"), 3);
    EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_DATALIST_INSERT(3, 'Y:', 2)"), 2);  // a place of its own
  }
}

}  // namespace
