#pragma once
// Tests of the data module over fixture installations.
//
// DataModuleTestBase is what every such test shares: a fixture installation per suite, the
// operator's database login and log folder pointed at it, a scripted UI that records the
// messages, and the shared records put back after each test. A test's own SetUp calls the
// base's, adds its settings and creates the data module; TearDown frees it.
//
// DataModuleTest adds one company (built once per suite), the installation's environment and
// the operator's full connection state.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/ini/IniFile.h"
#include "support/ScriptedUi.h"

class DataModuleTestBase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { inst_ = new fixtures::Installation(); }
  static void TearDownTestSuite() {
    delete inst_;
    inst_ = nullptr;
  }

  void SetUp() override {
    savedSys_ = SystemDef;
    savedAcc_ = AccInf;
    savedMode_ = ConnectMode;
    savedOem_ = OemKind;
    ConnectMode = 0;
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.LogDir = inst_->LogDir().string();
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
  }
  void TearDown() override {
    FreeDataModule();
    SystemDef = savedSys_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
    OemKind = savedOem_;
  }

  // Opens one of the data module's databases on a file, closing what it had open.
  static void Open(TIBDatabase& db, const std::filesystem::path& file) {
    if (db.Connected()) db.Close();
    db.DatabaseName = file.string();
    db.Params = TDM::ConnectParams();
    db.Open();
  }

  // One integer of a database, read on a connection of its own.
  static int64_t Scalar(const std::filesystem::path& dbFile, const std::string& sql) {
    fixtures::DbSession s(dbFile);
    return s.Scalar(sql);
  }

  static inline fixtures::Installation* inst_ = nullptr;
  ScriptedUi ui_;
  ScopedUi useUi_{ui_};

 private:
  TSystemDef savedSys_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
  uint8_t savedOem_ = 0;
};

class DataModuleTest : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    company_ = &inst_->AddCompany(fixtures::CompanySpec::Corporation());
  }
  static void TearDownTestSuite() {
    company_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }

  void SetUp() override {
    DataModuleTestBase::SetUp();
    OemKind = 0;
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = Folder();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.OpCode = 11;
    SystemDef.OpName = "担当者";
    SystemDef.PcName = "PC01";
    SystemDef.DataCheckKbn = 0;
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    DataCheckHook = nullptr;
    DataListRefreshHook = nullptr;
    ProgramEndHook = nullptr;
    ResetDbErrorTerminating();
    DataModuleTestBase::TearDown();
  }

  static std::string Folder() { return company_->Folder().string(); }
  static std::string IniFile() { return company_->IniFile().string(); }
  static std::string SystemDb() { return inst_->SystemDbFile().string(); }

  // A copy of the fixture company in a folder of its own below the data folder.
  static std::string CopyCompany(const std::string& name) {
    const std::filesystem::path dir = inst_->SysDir() / name;
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(company_->DbFile(), dir / "qvacc.fdb",
                               std::filesystem::copy_options::overwrite_existing);
    return dir.string();
  }

  static inline fixtures::Company* company_ = nullptr;
  std::unique_ptr<fixtures::InstallationEnv> env_;
};
