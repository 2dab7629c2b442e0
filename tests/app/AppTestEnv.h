#pragma once
// Tests of the program over a fixture installation: the environment points into it, a scripted
// UI answers the message boxes, the logon dialog is filled in as operator 11 would, and a
// stand-in registered as the data selection (program id "VqDataSenkaku") chooses a given
// data folder as a user would in that dialog.
#include <gtest/gtest.h>

#include <QObject>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/MainHooks.h"
#include "selection/Logon.h"
#include "selection/z5Kidou.h"
#include "ui/UiTestSupport.h"
#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/Installation.h"
#include "support/BuiltPrograms.h"
#include "support/ScriptedUi.h"
#include "ui/forms/Application.h"

// The data selection as the wizard sees it: the parameter lines it was given, the folder it
// leaves in the connection state, its result. A module form frees itself when it closes.
class StandInDataSelection : public forms::TForm, public ISyoriKidou {
 public:
  explicit StandInDataSelection(QWidget* owner) : forms::TForm(owner) {}
  void SetParams(const std::vector<std::string>& Params) override { params = Params; }
  int32_t Execute(bool) override {
    if (result == 1) SystemDef.DataDir = folder;
    Release();
    return result;
  }

  static inline std::string folder;
  static inline int32_t result = 1;
  static inline std::vector<std::string> params;
};

class AppTestBase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    inst_ = new fixtures::Installation();
    company_ = &inst_->AddCompany(fixtures::CompanyPlan::Corporation());
    company_->GenerateJournal({.seed = 11, .entries = 300});
    RegisterSyoriClass<StandInDataSelection>("VqDataSenkaku");
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
    SelectFolder(company_->Folder().string());
    forms::Application().ResetTerminated();
  }
  void TearDown() override {
    SetMainFormHook(nullptr);
    FreeDataModule();
    forms::Application().ResetTerminated();
    env_.reset();
    SystemDef = savedSys_;
    AccInf = savedAcc_;
    AppInfo = savedApp_;
    ConnectMode = savedMode_;
  }

  // Fills in the next logon dialog as operator 11 ("担当者") and clicks OK.
  static std::unique_ptr<uitest::ModalScript> LogOn() {
    return std::make_unique<uitest::ModalScript>(std::vector<std::function<void(forms::TForm&)>>{[](forms::TForm& f) {
      auto& box = dynamic_cast<TLogonBox&>(f);
      box.txtOpCode->SetFocus();
      uitest::Type("11");
      box.txtPassword->SetFocus();
      uitest::Type("tanto");
      Screenshot(box, "app_logon.png");
      uitest::Click(box.OKBtn);
    }});
  }

  // The data selection chooses `folder` (result 1), or ends with `result`.
  void SelectFolder(const std::string& folder, int32_t result = 1) {
    StandInDataSelection::folder = folder;
    StandInDataSelection::result = result;
    StandInDataSelection::params.clear();
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

 private:
  TSystemDef savedSys_;
  TACCINF savedAcc_;
  TAppInfoRec savedApp_;
  uint8_t savedMode_ = 0;
};
