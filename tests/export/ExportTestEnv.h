#pragma once
// Export tests over a fixture installation: the connection state points at the installation
// (built once per suite; the suite's SetUpTestSuite adds its companies to it), the scripted UI
// records messages, and the shared records are put back afterwards.
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
#include "support/DataModuleTestBase.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "tax/z5ComSyohizei.h"

class ExportTestBase : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    fixtures::LogOnLocally(*inst_);
    SetAppInfoDefaults(AppInfo);
    ApplyAppInfo(0);
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    CreateDataModule();
    ResetTaxEngineRecords();
  }
  void TearDown() override {
    FreeDataModule();
    env_.reset();
    ResetTaxEngineRecords();
    DataModuleTestBase::TearDown();
  }

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
};
