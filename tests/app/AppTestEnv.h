#pragma once
// Tests of the program over a fixture installation: the environment points into it, a scripted
// UI answers the message boxes, and two stand-ins take the place of the framework dialogs the
// wizard starts: a logon as operator 11 and a data selection (program id "VqDataSenkaku")
// that chooses a given data folder as a user would in the dialog.
#include <gtest/gtest.h>

#include <QObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/SyoriKidou.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/Installation.h"
#include "support/BuiltPrograms.h"
#include "support/ScriptedUi.h"
#include "ui/forms/Application.h"

// The data selection as the wizard sees it: the parameter lines it was given, the folder it
// leaves in the connection state, its result.
class StandInDataSelection : public QObject, public ISyoriKidou {
 public:
  StandInDataSelection(std::string folder, int32_t result, std::vector<std::string>* params)
      : folder_(std::move(folder)), result_(result), params_(params) {}
  void SetParams(const std::vector<std::string>& Params) override {
    if (params_) *params_ = Params;
  }
  int32_t Execute(bool) override {
    if (result_ == 1) SystemDef.DataDir = folder_;
    deleteLater();  // a module frees itself when it closes
    return result_;
  }

 private:
  std::string folder_;
  int32_t result_;
  std::vector<std::string>* params_;
};

class AppTestBase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    inst_ = new fixtures::Installation();
    company_ = &inst_->AddCompany(fixtures::CompanySpec::Corporation());
    company_->GenerateJournal({.seed = 11, .entries = 300});
  }
  static void TearDownTestSuite() {
    company_ = nullptr;
    delete inst_;
    inst_ = nullptr;
  }

  void SetUp() override {
    savedSys_ = SystemDef;
    savedAcc_ = AccInf;
    savedApp_ = AppInfo;
    savedMode_ = ConnectMode;
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    SetLogonServices({[] { return StandInLogon(); }, nullptr});
    SelectFolder(company_->Folder().string());
    forms::Application().ResetTerminated();
  }
  void TearDown() override {
    ClearSyoriClasses();
    SetLogonServices({});
    SetMainFormHook(nullptr);
    FreeDataModule();
    forms::Application().ResetTerminated();
    env_.reset();
    SystemDef = savedSys_;
    AccInf = savedAcc_;
    AppInfo = savedApp_;
    ConnectMode = savedMode_;
  }

  // The logon dialog's outcome for operator 11 of group 10000: the system database connected.
  static bool StandInLogon() {
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.OpCode = 11;
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
    SystemDef.OpName = "担当者";
    SystemDef.JobLevel = 1;
    return DM != nullptr && DM->fnAccDefConnected("", true);
  }

  // Registers the stand-in data selection choosing `folder` (result 1), or ending with `result`.
  void SelectFolder(const std::string& folder, int32_t result = 1) {
    ClearSyoriClasses();
    RegisterSyoriClass([this, folder, result] { return new StandInDataSelection(folder, result, &selectionParams_); },
                       "VqDataSenkaku");
  }

  // A picture of a window beside the test programs, to look at.
  static void Screenshot(QWidget& w, const std::string& name) {
    w.grab().save(QString::fromStdString(BuiltProgram(name).string()));
  }

  static inline fixtures::Installation* inst_ = nullptr;
  static inline fixtures::Company* company_ = nullptr;
  ScriptedUi ui_;
  ScopedUi useUi_{ui_};
  std::unique_ptr<fixtures::InstallationEnv> env_;
  std::vector<std::string> selectionParams_;

 private:
  TSystemDef savedSys_;
  TACCINF savedAcc_;
  TAppInfoRec savedApp_;
  uint8_t savedMode_ = 0;
};
