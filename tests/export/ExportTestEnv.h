#pragma once
// Export tests over a fixture installation: the connection state points at the installation
// (built once per suite by the suite's own BuildCompanies), the scripted UI records messages,
// and the shared records are put back afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "export/sy26Export.h"
#include "fixtures/Installation.h"
#include "fixtures/JournalGenerator.h"
#include "platform/Encoding.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "tax/z5ComSyohizei.h"

class ExportTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSys_ = SystemDef;
    savedAcc_ = AccInf;
    savedMode_ = ConnectMode;
    ConnectMode = 0;
    SystemDef.HostName = "";
    SystemDef.SysDir = Inst().SysDir().string();
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.LogDir = Inst().LogDir().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.OpCode = 11;
    SystemDef.LogonId = fixtures::Installation::LogonId(11);
    SystemDef.OpName = "担当者";
    SystemDef.DataCheckKbn = 0;
    SetAppInfoDefaults(AppInfo);
    ApplyAppInfo(0);
    env_ = std::make_unique<fixtures::InstallationEnv>(Inst());
    CreateDataModule();
    ResetTaxEngineRecords();
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    SystemDef = savedSys_;
    AccInf = savedAcc_;
    ConnectMode = savedMode_;
    ResetTaxEngineRecords();
  }

  virtual fixtures::Installation& Inst() = 0;

  // Exports the company's data set and returns the file's bytes.
  std::string Export(const fixtures::Company& company, int32_t startSlot = 0, int32_t endSlot = kLastSlotOfYear,
                     int32_t functionId = 0) {
    const std::string file = (out_.Path() / "out.xml").string();
    std::filesystem::remove(file);
    ExportSyohizeiFile(company.Folder().string(), startSlot, endSlot, file, functionId);
    return TempDir::Read(file);
  }

  static std::string Utf8(const std::string& cp932) {
    std::string utf8;
    EXPECT_TRUE(sjis::TryToUtf8(cp932, utf8));
    return utf8;
  }

  // The text between <name> and </name> (first occurrence); "<absent>" when the element is
  // missing and "" for an empty element written as <name/>.
  static std::string Element(const std::string& xml, const std::string& name) {
    const std::string open = "<" + name + ">";
    const size_t a = xml.find(open);
    if (a == std::string::npos) return xml.find("<" + name + "/>") == std::string::npos ? "<absent>" : "";
    const size_t b = xml.find("</" + name + ">", a);
    return xml.substr(a + open.size(), b - a - open.size());
  }
  // The content of a group element.
  static std::string Group(const std::string& xml, const std::string& name) { return Element(xml, name); }

  TempDir out_;
  std::unique_ptr<fixtures::InstallationEnv> env_;
  ScriptedUi ui_;
  ScopedUi useUi_{ui_};
  TSystemDef savedSys_;
  TACCINF savedAcc_;
  uint8_t savedMode_ = 0;
};
