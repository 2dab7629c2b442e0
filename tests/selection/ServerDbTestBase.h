#pragma once
// Tests over a system database served by a loopback database server with our file routines
// (connection mode 1 unless a test changes it): the fixture installation's system database
// copied to the server's folder "sys", which is the system data folder; the data module
// connected to it; DATAPLACEMAN emptied and the place folders beside "sys" removed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "fixtures/Installation.h"
#include "platform/db/IBSQL.h"
#include "support/DataModuleTestBase.h"
#include "support/FirebirdServer.h"

class ServerDbTestBase : public DataModuleTestBase {
 protected:
  static void SetUpTestSuite() {
    DataModuleTestBase::SetUpTestSuite();
    server_ = new FirebirdServer(FirebirdServer::FileRoutines());
    sys_ = server_->DataDir() / "sys";
    std::filesystem::create_directories(sys_);
    std::filesystem::copy_file(inst_->SystemDbFile(), sys_ / inst_->SystemDbFile().filename());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    DataModuleTestBase::TearDownTestSuite();
  }
  void SetUp() override {
    DataModuleTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    ConnectMode = 1;
    SystemDef.HostName = server_->Host();
    SystemDef.SysDir = sys_.string();
    SystemDef.DataPlaceRec = 0;
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    Exec("DELETE FROM DATAPLACEMAN");
    for (int n = 0; n < 100; ++n) std::filesystem::remove_all(PlaceFolder(n));
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    DataModuleTestBase::TearDown();
  }

  // Statements and a scalar on the data module's own connection to the server's database.
  static void Exec(const std::string& sql) {
    TIBSQL q;
    q.SetDatabase(&DM->IBDatabaseDEF);
    q.SetTransaction(&DM->IBTransactionDEF);
    if (!DM->IBTransactionDEF.InTransaction()) DM->IBTransactionDEF.StartTransaction();
    q.SQL = sql;
    q.ExecQuery();
    q.Close();
    DM->IBTransactionDEF.Commit();
  }
  static std::string Text(const std::string& sql) {
    TIBSQL q;
    q.SetDatabase(&DM->IBDatabaseDEF);
    q.SetTransaction(&DM->IBTransactionDEF);
    if (!DM->IBTransactionDEF.InTransaction()) DM->IBTransactionDEF.StartTransaction();
    q.SQL = sql;
    q.ExecQuery();
    const std::string value = q.Eof() ? std::string("<none>") : q.Fields(0).AsString();
    q.Close();
    DM->IBTransactionDEF.Commit();
    return value;
  }
  static int64_t Count(const std::string& sql) { return std::stoll(Text(sql)); }

  // The folder of a data place: the system data folder followed by two digits.
  static std::string PlaceFolder(int rec) { return sys_.string() + (rec < 10 ? "0" : "") + std::to_string(rec); }

  static inline FirebirdServer* server_ = nullptr;
  static inline std::filesystem::path sys_;
  std::unique_ptr<fixtures::InstallationEnv> env_;
};
