// The company steps 3.0.0 to 10.0.0: the files each step chooses, their scripts from a temporary
// sql/ tree, and the conversions and seeds the program does itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "platform/DateTime.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate300.h"

namespace fs = std::filesystem;
using userupdate::TFilter;
using userupdate::TStepFacts;

namespace {

std::string MadeDir(const fs::path& dir) {
  fs::create_directories(dir);
  return dir.string();
}

TFilter Data(int dataType, int codeType, int oem = 0, int program = 0) {
  TFilter f;
  f.DataType = dataType;
  f.CodeType = codeType;
  f.Medical = dataType == 3 && codeType == 1;
  f.OemKind = oem;
  f.ProgramKind = program;
  return f;
}

// The listed files of a step, the chosen ones as their number, the others in brackets.
std::string Choice(const userupdate::TStepBody& body) {
  std::string text;
  for (const userupdate::TUpdateFile& f : body.Files) {
    const std::string n = f.Name.substr(5, f.Name.size() - 9);
    text += (text.empty() ? "" : " ") + (f.Use ? n : "(" + n + ")");
  }
  return text;
}

// ------------------------------------------------------------------ file choice

TEST(CompanyUpgrade3, FilesChosenByTheFilters) {
  const TFilter corp = Data(1, 1), medical = Data(3, 1), medicalOther = Data(3, 2), individual = Data(2, 1);
  TStepFacts none;
  TStepFacts trigger;
  trigger.Update2TriggerExists = true;
  TStepFacts kind1, kind2, tax116;
  kind1.KamokuCountKind = 1;
  kind2.KamokuCountKind = 2;
  tax116.TaxCode116Exists = true;
  struct Case {
    TDbVersion version;
    TFilter filter;
    TStepFacts facts;
    const char* files;
  } cases[] = {
      {{3, 0, 0}, corp, none, "01 02 03 04 05 06 07 08 09 10"},
      {{3, 0, 3}, corp, none, "(01) (02) (03) (04) (05) (06)"},
      {{3, 0, 3}, medical, none, "01 02 03 04 05 06"},
      {{3, 0, 4}, corp, none, "01 02 03 04"},
      {{3, 0, 4}, corp, trigger, "01 02 03 (04)"},
      {{3, 0, 6}, medical, kind1, "01 (02)"},
      {{3, 0, 6}, medical, kind2, "(01) 02"},
      {{3, 0, 6}, medical, none, "(01) (02)"},
      {{3, 0, 7}, individual, none, "01 (02) (03) (04) (05) (06) (07) 08"},
      {{3, 0, 7}, medical, none, "01 02 03 04 05 06 07 08"},
      {{4, 0, 0}, corp, none, "01 02 03 (04) (05) 06 07 08 (09)"},
      {{4, 0, 0}, medical, none, "01 (02) (03) 04 05 06 (07) (08) 09"},
      {{4, 0, 2}, medical, none, "01 02 03 04 05 06"},
      {{5, 0, 0}, corp, none, "(01) 02 (03) 04 05 06 07 08 (09) 10 11"},
      {{5, 0, 0}, Data(3, 1, 1), none, "01 (02) 03 04 05 06 07 08 09 (10) 11"},
      {{5, 0, 2}, medicalOther, none, "01 (02)"},
      {{5, 0, 5}, corp, none, "01 02 (03) 04 (05)"},
      {{5, 0, 5}, Data(1, 1, 2), none, "01 02 (03) (04) 05"},
      {{5, 0, 5}, Data(2, 1, 1), none, "01 02 (03) (04) (05)"},
      {{5, 0, 5}, Data(3, 1, 3), none, "01 (02) 03 (04) (05)"},
      {{6, 0, 0}, corp, none, "01 02 03 04 05 06 07 08 09 (10) (11) (12) (13) (14) 15 16 (17) 18"},
      {{6, 0, 0}, medical, none, "01 02 (03) (04) (05) (06) (07) (08) (09) 10 11 12 13 14 15 (16) 17 18"},
      {{6, 1, 0}, medical, none, "01 02 03 (04) 05"},
      {{6, 1, 3}, corp, none, "01 (02) 03 04 05 06 07"},
      {{7, 0, 0}, corp, none, "01 02 03 (04) (05) (06) (07) 08 (09) 10 11"},
      {{7, 0, 0}, medical, none, "(01) (02) (03) 04 05 06 07 (08) 09 10 (11)"},
      {{7, 0, 2}, medical, none, "01 02"},
      {{7, 0, 3}, corp, none, "(01) 02 03"},
      {{7, 0, 4}, corp, none, "70201 70202 01 02 03 (04)"},
      {{7, 0, 4}, medical, tax116, "(70201) (70202) 01 02 (03) 04"},
      {{8, 0, 0}, medical, none, "01 02 03 04 05 06"},
      {{8, 0, 2}, corp, none, "07 01 02 (03) (04) 05 06"},
      {{8, 0, 3}, medical, none, "(01)"},
      {{9, 0, 0}, corp, none, "01 02 03 04 (05)"},
      {{9, 0, 1}, corp, none, "01"},
      {{9, 0, 2}, corp, none, "01 02 (03) (04) 05"},
      {{9, 0, 3}, medical, none, "(01) 02"},
      {{9, 0, 4}, corp, none, "01 02 03 04 (05) 06 (07)"},
      {{9, 0, 5}, corp, none, "01 (02)"},
      {{10, 0, 0}, medical, none, "01 02 03 (04)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version.Text() + " data " + std::to_string(c.filter.DataType) + "/" +
                 std::to_string(c.filter.CodeType) + " oem " + std::to_string(c.filter.OemKind));
    EXPECT_EQ(Choice(userupdate::StepBody(c.version, c.filter, c.facts)), c.files);
  }
}

TEST(CompanyUpgrade3, EveryStepFrom300HasItsBuilder) {
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  InstallUserDbUpdateBuilders(list);
  int built = 0;
  for (const TDbUpdateListRec& r : list) {
    if (TDbVersion{3, 0, 0} <= r.Version()) {
      EXPECT_TRUE(r.RunProc) << r.Version().Text();
      EXPECT_FALSE(userupdate::StepBody(r.Version(), Data(1, 1), {}).Files.empty()) << r.Version().Text();
      ++built;
    }
  }
  EXPECT_EQ(built, 28);
}

// ------------------------------------------------------------------ scripts from a temporary sql/ tree

class CompanyUpgradeScripts : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    SystemDef.PcName = "PC01";
    SystemDef.LogonId = 100000011;
    SystemDef.DbUser = "TALLIX";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    SystemDef.DataDir = "/srv/rendo/data/0001/";
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    fw::AccDbFile = "qvacc.fdb";
    UpdateScriptClock = [] {
      TDateTime t = 0;
      TryStrToDate("2024/04/01 09:05:07", t);
      return t;
    };
  }
  void TearDown() override {
    SystemDef = saved_;
    UpdateScriptClock = nullptr;
  }
  // Writes qvzupNN.sql of the step's folder for each number, with one line naming it.
  void Files(const std::string& folder, std::initializer_list<const char*> numbers) {
    for (const char* n : numbers) {
      tmp.Write("sql/" + folder + "/qvzup" + n + ".sql", std::string("-- ") + folder + "/" + n + "\r\n");
    }
  }
  std::string Script(const TDbVersion& v, const TFilter& f, const TStepFacts& facts, int32_t& result) {
    TUpdateScript script(TUpdateDb::Company, v);
    result = userupdate::BuildScript(v, userupdate::StepBody(v, f, facts), script);
    if (result != kStepOk) return script.Lines.empty() ? "" : "lines left";
    EXPECT_TRUE(script.Save());
    return TempDir::Read(UpdateScriptFile());
  }
  std::string Golden(const std::string& name) {
    return TempDir::Read(fixtures::SchemaDir().parent_path() / "tests" / "upgrade" / "golden" / name);
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScopedEnv program{"RENDO_PROGRAM_DIR", MadeDir(tmp.Path() / "bin")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
};

TEST_F(CompanyUpgradeScripts, GoldenScriptsOfTheFilterCases) {
  ASSERT_EQ(fs::path(UpdateFileFolder({10, 0, 0})), tmp.Path() / "sql" / "1000");
  ASSERT_EQ(fs::path(UpdateFileFolder({6, 1, 3})), tmp.Path() / "sql" / "613");
  // Empty lines are dropped; a last line without its line end still counts.
  tmp.Write("sql/300/qvzup01.sql", "ALTER TABLE A ADD X INTEGER;\r\n\r\n\r\nCOMMIT;");
  Files("300", {"02", "03", "04", "05", "06", "07", "08", "09", "10"});
  Files("303", {"01", "02", "03", "04", "05", "06"});
  Files("306", {"01", "02"});
  Files("400", {"01", "02", "03", "04", "05", "06", "07", "08", "09"});
  Files("802", {"01", "02", "03", "04", "05", "06", "07"});
  Files("1000", {"01", "02", "03", "04"});
  TStepFacts facts;
  facts.ShokuchiCode = "9999";
  facts.Siten = 1;
  facts.Bumon = 2;
  struct Case {
    const char* golden;
    TDbVersion version;
    TFilter filter;
  } cases[] = {
      {"company_300_lines.sql", {3, 0, 0}, Data(1, 1)},
      // Individual real-estate data: only its own lines, no file.
      {"company_303_realestate.sql", {3, 0, 3}, Data(2, 2)},
      // Medical data whose account count is neither standard: no file, the version all the same.
      {"company_306_400accounts.sql", {3, 0, 6}, Data(3, 1)},
      {"company_400_medical.sql", {4, 0, 0}, Data(3, 1, 0, 3)},
      {"company_400_corporation.sql", {4, 0, 0}, Data(1, 1)},
      {"company_802_corporation.sql", {8, 0, 2}, Data(1, 1)},
      {"company_1000_medical.sql", {10, 0, 0}, Data(3, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    int32_t result = 0;
    const std::string script = Script(c.version, c.filter, facts, result);
    ASSERT_EQ(result, kStepOk);
    EXPECT_EQ(script, Golden(c.golden));
  }
}

TEST_F(CompanyUpgradeScripts, MissingFilesFromStep703On) {
  Files("702", {"02"});
  Files("703", {"02", "03"});
  Files("704", {"01", "02", "03", "04"});
  const TStepFacts tax116 = [] {
    TStepFacts f;
    f.TaxCode116Exists = true;
    return f;
  }();
  struct Case {
    TDbVersion version;
    TFilter filter;
    TStepFacts facts;
    int32_t result;
  } cases[] = {
      // Not run for non-medical data, yet listed: the step stops before anything is written.
      {{7, 0, 3}, Data(1, 1), {}, kStepFileMissing},
      {{7, 0, 3}, Data(3, 1), {}, kStepFileMissing},
      // Tax code 116 present: 70201 and 70202 are not run, but must be there.
      {{7, 0, 4}, Data(1, 1), tax116, kStepFileMissing},
      // A chosen file missing stops an older step too, so the version never moves past it.
      {{7, 0, 2}, Data(1, 1), {}, kStepFileMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version.Text());
    int32_t result = 0;
    EXPECT_EQ(Script(c.version, c.filter, c.facts, result), "");
    EXPECT_EQ(result, c.result);
  }
  // With the file there, non-medical data runs only 02 and 03.
  Files("703", {"01"});
  int32_t result = 0;
  const std::string script = Script({7, 0, 3}, Data(1, 1), {}, result);
  ASSERT_EQ(result, kStepOk);
  EXPECT_EQ(script.find("703/01"), std::string::npos);
  EXPECT_LT(script.find("703/02"), script.find("703/03"));
  EXPECT_LT(script.find("703/03"), script.find("UPDATE ACCVERSION"));
}

}  // namespace
