#pragma once
// The communication module over fixture installations: the loopback relay and FTP servers,
// and installations whose open company is connected as the logon and the data selection
// leave it. A test opens one installation after the other (sender, then receiver) in the
// same process, as two offices would.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "comm/z5DataTusin.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "data/uAccRecordHooks.h"
#include "data/z5AppInfo.h"
#include "fixtures/CompanyBuilder.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/Encoding.h"
#include "platform/ini/IniFile.h"
#include "support/CommServers.h"
#include "support/ScriptedUi.h"
#include "ui/PerfectGrid.h"
#include "ui/UiTestSupport.h"

namespace commtest {

// A key at the dialog's grid, as the user types it (a dialog opened from a test does not get
// the keyboard focus by itself off-screen).
inline void KeyAt(forms::TForm& form, int key) {
  form.activateWindow();
  if (auto* d = dynamic_cast<TfmDataTusin*>(&form)) d->PerfectGrid1->SetFocus();
  uitest::Pump();
  uitest::Key(key);
}

constexpr const char* kCommId = "TX0001";
constexpr const char* kCommPassword = "pw-01";
constexpr const char* kFtpPassword = "ftp:pa@ss";

// One office: an installation with company 1 whose data account is kCommId.
struct Office {
  explicit Office(const std::string& entText, int64_t entries) {
    fixtures::CompanyPlan plan = fixtures::CompanyPlan::Corporation();
    plan.dataNo = 1;
    plan.entText = entText;
    company = &inst.AddCompany(plan);
    if (entries > 0) company->GenerateJournal({.seed = 3, .entries = entries, .deletedPerMille = 0, .correctedPerMille = 0});
    fixtures::DbSession s(company->DbFile());
    s.Exec(std::string("UPDATE ACCDEF1 SET WEB_HOLDER='") + kCommId + "', PASWORD='" + kCommPassword + "'");
    s.Commit();
  }
  fixtures::Installation inst;
  fixtures::Company* company = nullptr;
  std::string Folder() const { return company->Folder().string(); }
};

class CommModuleTestBase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { servers_ = new CommServers(); }
  static void TearDownTestSuite() {
    delete servers_;
    servers_ = nullptr;
  }
  void SetUp() override {
    savedSys_ = SystemDef;
    savedAcc_ = AccInf;
    savedMode_ = ConnectMode;
    servers_->ClearFaults();
    servers_->ClearJournal();
    SeedRelay("{}");
    RegisterDataTusin();
    MenuHook = nullptr;
  }
  void TearDown() override {
    Leave();
    MenuHook = nullptr;
    SystemDef = savedSys_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
    ResetDbErrorTerminating();
  }

  // The relay account's folders (JSON object of "NN": {...}).
  static void SeedRelay(const std::string& folders) {
    servers_->WriteState("relay.json", std::string(R"({"accounts": {")") + kCommId + R"(": {"ftp_password": ")" +
                                           kFtpPassword + R"(", "folders": )" + folders + "}}}");
  }
  static std::filesystem::path RelayFile(const std::string& folder, const std::string& name = "qvacc.wen") {
    return servers_->StateDir() / "ftp/relay" / folder / name;
  }
  // Journal lines that contain every part.
  static int JournalCount(std::initializer_list<const char*> parts) {
    int n = 0;
    for (const std::string& line : servers_->Journal()) {
      bool all = true;
      for (const char* p : parts) all = all && line.find(p) != std::string::npos;
      n += all;
    }
    return n;
  }

  // Opens the office's company as the logon and the data selection would.
  void Enter(Office& office) {
    Leave();
    TIniFile ini((office.inst.ProgramDir() / "AppInfo.ini").string());
    ini.WriteString("Application", "RelayServer", "localhost:" + std::to_string(servers_->RelayPort()));
    ini.WriteString("Application", "RelayFtpPort", std::to_string(servers_->FtpPort()));
    ini.WriteString("Application", "CaFile", servers_->CaFile());
    ini.WriteString("Application", "InstallationId", "INST-01");
    TAppInfoRec info;
    ASSERT_EQ(LoadAppInfo(office.inst.ProgramFile().string(), info), 1);
    fixtures::LogOnLocally(office.inst);
    env_ = std::make_unique<fixtures::InstallationEnv>(office.inst);
    SystemDef.AppDataDir = office.inst.AppDataDir().string();
    SystemDef.WorkDir = (office.inst.AppDataDir() / "work").string();
    SystemDef.TempDir = office.inst.AppTempDir().string();
    SystemDef.ExeDir = office.inst.ProgramDir().string();
    SystemDef.DataDir = office.Folder();
    SystemDef.DataPasName = office.Folder();
    std::filesystem::create_directories(SystemDef.WorkDir);
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    ASSERT_TRUE(DM->fnAccDatConnected("", office.Folder(), true));
    ASSERT_TRUE(DM->fnGetAccInfo());
    ASSERT_EQ(AccInf.WEB_HOLDER, kCommId);
  }
  void Leave() {
    if (DM) {
      if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(SystemDef.DataDir, true, false);
      FreeDataModule();
    }
    env_.reset();
  }

  static int64_t Count(const Office& o, const std::string& sql) {
    fixtures::DbSession s(o.company->DbFile());
    return s.Scalar(sql);
  }

  static inline CommServers* servers_ = nullptr;
  ScriptedUi ui_;
  ScopedUi useUi_{ui_};
  std::unique_ptr<fixtures::InstallationEnv> env_;

 private:
  TSystemDef savedSys_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
};

}  // namespace commtest
