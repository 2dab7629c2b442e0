#pragma once
// The ground of the company-step tests: an embedded company database file in a data folder of
// the test's own, the data module over it, the settings the steps read saved and put back, and
// the scripted user who answers the step's messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "upgrade/z5DbUpdateList.h"

namespace upgradetest {

inline std::string MadeDir(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  return dir.string();
}

class CompanyUpgradeBase : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    savedAcc_ = AccInf;
    savedMode_ = ConnectMode;
    ConnectMode = 0;
    SystemDef.DataDir = MadeDir(tmp.Path() / "data");
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    fw::AccDbFile = "qvacc.fdb";
    ResetDbErrorTerminating();
    CreateDataModule();
  }
  void TearDown() override {
    FreeDataModule();
    SystemDef = saved_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
  }
  std::filesystem::path file() const { return tmp.Path() / "data" / "qvacc.fdb"; }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }
  void Exec(const std::string& sql) {
    fixtures::DbSession s(file());
    s.Exec(sql);
    s.Commit();
  }
  // What the steps wrote to the upgrade error log.
  std::string ErrDataup() {
    const std::filesystem::path p = tmp.Path() / "log" / "ErrDataup.txt";
    return std::filesystem::exists(p) ? TempDir::Read(p) : std::string();
  }
  // ACCVERSION's row 1 as "major.minor1.minor2".
  std::string Version() {
    fixtures::DbSession s(file());
    return TDbVersion{static_cast<int32_t>(s.Scalar("SELECT MAJOR FROM ACCVERSION WHERE REC=1")),
                      static_cast<int32_t>(s.Scalar("SELECT MINOR1 FROM ACCVERSION WHERE REC=1")),
                      static_cast<int32_t>(s.Scalar("SELECT MINOR2 FROM ACCVERSION WHERE REC=1"))}
        .Text();
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
};

}  // namespace upgradetest
