#pragma once
// The base of tests over a fixture installation with the data module: a fixture installation
// per suite, the operator's database login and log folder pointed at it, a scripted UI that
// records the messages, and the shared records put back after each test. A test's own SetUp
// calls the base's, adds its settings and creates the data module; TearDown frees it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
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

// A suite over one company of its own fixture installation, made by `MakeCompany`.
template <fixtures::CompanyPlan (*MakeCompany)()>
class OneCompanyTestBase : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    company_ = &inst_->AddCompany(MakeCompany());
  }
  static void TearDownTestSuite() {
    company_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }

  static inline fixtures::Company* company_ = nullptr;
};
