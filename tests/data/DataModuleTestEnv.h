#pragma once
// A test with a fresh data module over a fixture installation (built once per suite): the
// connection state points at the installation, the scripted UI records the messages, and
// everything the tests change in the shared records and hooks is put back afterwards.
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

class DataModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    inst_ = new fixtures::Installation();
    company_ = &inst_->AddCompany(fixtures::CompanySpec::Corporation());
  }
  static void TearDownTestSuite() {
    delete inst_;
    inst_ = nullptr;
    company_ = nullptr;
  }

  void SetUp() override {
    savedSys_ = SystemDef;
    savedMode_ = ConnectMode;
    savedOem_ = OemKind;
    ConnectMode = 0;
    OemKind = 0;
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = Folder();
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.LogDir = inst_->LogDir().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.OpCode = 11;
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
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
    SystemDef = savedSys_;
    ConnectMode = savedMode_;
    OemKind = savedOem_;
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

  // One integer of a database, read on a connection of its own.
  static int64_t Scalar(const std::string& dbFile, const std::string& sql) {
    fixtures::DbSession s(dbFile);
    return s.Scalar(sql);
  }

  static fixtures::Installation* inst_;
  static fixtures::Company* company_;
  std::unique_ptr<fixtures::InstallationEnv> env_;
  ScriptedUi ui_;
  ScopedUi useUi_{ui_};
  TSystemDef savedSys_;
  uint8_t savedMode_ = 0;
  uint8_t savedOem_ = 0;
};

inline fixtures::Installation* DataModuleTest::inst_ = nullptr;
inline fixtures::Company* DataModuleTest::company_ = nullptr;
