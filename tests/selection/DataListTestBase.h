#pragma once
// Tests of the data-list control over a fixture installation: the system database with its
// 120 pre-created rows (and whatever companies a suite adds), the data module connected to
// it, the operator's connection state, and helpers to look into the list tables on a
// connection of their own.
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
#include "selection/z5ComDataSentaku.h"
#include "support/DataModuleTestBase.h"

class DataListTestBase : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    SystemDef.PcName = "PC01";
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    DataListRefreshHook = nullptr;
    ResetDbErrorTerminating();
    DataModuleTestBase::TearDown();
  }

  // A control of the local list in a connection mode.
  static std::unique_ptr<TDataSentakuListCtl> Ctl(uint8_t mode = 0) {
    auto ctl = std::make_unique<TDataSentakuListCtl>();
    ctl->ConnectKind = mode;
    return ctl;
  }

  // Statements and queries on the system database, each on a connection of its own.
  static void Sys(const std::vector<std::string>& statements) {
    fixtures::DbSession s(inst_->SystemDbFile());
    for (const std::string& sql : statements) s.Exec(sql);
    s.Commit();
  }
  static int64_t SysScalar(const std::string& sql) { return Scalar(inst_->SystemDbFile(), sql); }
  static std::string SysDir() { return inst_->SysDir().string(); }
  static std::string Folder(int rec) { return inst_->DataFolder(rec).string(); }

  std::unique_ptr<fixtures::InstallationEnv> env_;
};
