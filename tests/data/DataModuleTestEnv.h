#pragma once
// Tests of the data module over fixture installations.
//
// DataModuleTestBase (support/DataModuleTestBase.h) is what every such test shares;
// DataModuleTest adds one company (built once per suite), the installation's environment and
// the operator's full connection state.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccRecord.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "platform/ini/IniFile.h"
#include "support/DataModuleTestBase.h"
#include "support/ScriptedUi.h"

// `n` bytes of every value, the same for the same seed: file contents no text rule can touch.
inline std::string Bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xff);
  return s;
}

class DataModuleTest : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
 protected:
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    OemKind = 0;
    fixtures::LogOnLocally(*inst_);
    SystemDef.DataDir = Folder();
    SystemDef.PcName = "PC01";
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

  std::unique_ptr<fixtures::InstallationEnv> env_;
};
