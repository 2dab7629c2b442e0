// The company steps 3.0.0 to 10.0.0: the files each step chooses, their scripts from a temporary
// sql/ tree, and the conversions and seeds the program does itself.
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <filesystem>
#include <map>
#include <set>
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
#include "upgrade/z5UserDbUpdateConvert.h"
#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunctionDb.h"
#include "fixtures/LegacyCompanyDb.h"
#include "export/sy26Export.h"
#include "fixtures/Installation.h"
#include "support/DataModuleTestBase.h"
#include "ui/UiTestSupport.h"
#include "upgrade/z5DbUpdate.h"

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

class CompanyUpgrade3Scripts : public ::testing::Test {
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

TEST_F(CompanyUpgrade3Scripts, GoldenScriptsOfTheFilterCases) {
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

TEST_F(CompanyUpgrade3Scripts, MissingFilesFromStep703On) {
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

// ------------------------------------------------------------------ conversions and seeds

TEST(CompanyUpgrade3, OpeningSlotBeforeTheFirstMonth) {
  const int32_t slotOf[] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0};
  for (int32_t kaisino = 0; kaisino <= 13; ++kaisino) EXPECT_EQ(userupdate::OpeningSlot(kaisino), slotOf[kaisino]) << kaisino;
}

TEST(CompanyUpgrade8, MenuPositionsBecomeProgramIds) {
  struct Case {
    int page, menu;
    bool medical;
    int oem;
    const char* id;
    const char* option;
  } cases[] = {
      {0, 0, false, 0, "VqVelkoran1", ""},     {1, 19, false, 0, "VqZenkamoku2", ""},
      {2, 0, false, 0, "VqSiwake", "SyoriType=0"}, {2, 2, true, 0, "VqMotocho", "SyoriType=0"},
      {2, 17, false, 0, "", ""},               {2, 17, false, 2, "VqKobetuIchiranhyo", ""},
      {2, 19, false, 1, "VqKobetuMotocho", ""}, {3, 5, false, 0, "VqKojinKessansyo", ""},
      {3, 5, true, 0, "VqCashFlow", ""},       {3, 14, true, 0, "", ""},
      {3, 4, false, 0, "", ""},                {3, 4, true, 0, "VqMBHokukuKansa", ""},
      {4, 0, false, 0, "VqUtiwake01", ""},     {4, 16, false, 0, "VqUtiwake17", ""},
      {4, 17, false, 0, "", ""},               {4, 19, false, 0, "VqUtiwakeAll", ""},
      {5, 0, false, 0, "", ""},
  };
  for (const Case& c : cases) {
    std::string id = "x", option = "x";
    userupdate::CompanyMenuProgram(c.page, c.menu, c.medical, c.oem, id, option);
    EXPECT_EQ(id, c.id) << c.page << "/" << c.menu;
    EXPECT_EQ(option, c.option) << c.page << "/" << c.menu;
  }
}

// A company database at 0.1.0 with the budget-analysis tables the update files of 8.0.2 create.
class CompanyUpgrade8Seeds : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    savedAcc_ = AccInf;
    savedOem_ = OemKind;
    SystemDef.DataDir = MadeDir(tmp.Path() / "data");
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    fw::AccDbFile = "qvacc.fdb";
    ResetDbErrorTerminating();
    CreateDataModule();
    fixtures::CreateLegacyCompanyDatabase(file());
    fixtures::DbSession s(file());
    s.Exec("CREATE TABLE KAMOKU_KOSEI_GROUP (FGNAME VARCHAR(40) CHARACTER SET SJIS_0208 NOT NULL, "
           "FKCODE VARCHAR(10) NOT NULL, FHCODE VARCHAR(10) NOT NULL, PRIMARY KEY (FGNAME, FKCODE, FHCODE))");
    s.Exec("CREATE TABLE VELKORAN_YOJITU_HYOKARULE (FGCODE VARCHAR(10) NOT NULL PRIMARY KEY, "
           "FMEISHOU VARCHAR(40) CHARACTER SET SJIS_0208, FBAD_RATE NUMERIC(9,4), FBAD_HANI INTEGER, "
           "FGOOD_RATE NUMERIC(9,4), FGOOD_HANI INTEGER)");
    s.Exec("ALTER TABLE KAMOKUMST ADD VELKORAN_YOJITU_RATE1 NUMERIC(9,4), ADD VELKORAN_YOJITU_KIND1 INTEGER, "
           "ADD VELKORAN_YOJITU_RATE2 NUMERIC(9,4), ADD VELKORAN_YOJITU_KIND2 INTEGER");
    s.Commit();
  }
  void TearDown() override {
    FreeDataModule();
    SystemDef = saved_;
    AccInf = savedAcc_;
    OemKind = savedOem_;
  }
  fs::path file() const { return tmp.Path() / "data" / "qvacc.fdb"; }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  TACCINF savedAcc_;
  uint8_t savedOem_ = 0;
};

TEST_F(CompanyUpgrade8Seeds, SeedsByDataTypeAndEdition) {
  struct Case {
    int dataType, codeType, oem;
    void (*seed)();
    int64_t groups, rules;
  } cases[] = {
      {1, 1, 0, userupdate::InsertKoseiGroupHyokaRule802, 12, 12},
      {1, 1, 2, userupdate::InsertKoseiGroupHyokaRule802, 19, 12},
      {2, 1, 0, userupdate::InsertKoseiGroupHyokaRule802, 0, 0},
      {2, 3, 1, userupdate::InsertKoseiGroupHyokaRule803, 0, 10},
      {2, 2, 0, userupdate::InsertKoseiGroupHyokaRule803, 3, 10},
      {3, 1, 0, userupdate::InsertHyokaRule902, 0, 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dataType) + "/" + std::to_string(c.codeType) + " oem " + std::to_string(c.oem));
    AccInf.DATATYPE = c.dataType;
    AccInf.CODETYPE = c.codeType;
    OemKind = static_cast<uint8_t>(c.oem);
    ASSERT_EQ(userupdate::RunPostSteps(kStepOk, {c.seed}), kStepOk);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_KOSEI_GROUP"), c.groups);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_YOJITU_HYOKARULE"), c.rules);
    fixtures::DbSession s(file());
    s.Exec("DELETE FROM KAMOKU_KOSEI_GROUP");
    s.Exec("DELETE FROM VELKORAN_YOJITU_HYOKARULE");
    s.Commit();
  }
  // A failing seed (its rows are there already) keeps nothing of the run and gives 19.
  AccInf.DATATYPE = 1;
  OemKind = 0;
  ASSERT_EQ(userupdate::RunPostSteps(kStepOk, {userupdate::InsertKoseiGroupHyokaRule802}), kStepOk);
  {
    fixtures::DbSession s(file());
    s.Exec("DELETE FROM KAMOKU_KOSEI_GROUP");
    s.Commit();
  }
  EXPECT_EQ(userupdate::RunPostSteps(kStepOk, {userupdate::InsertKoseiGroupHyokaRule802}), kStepException);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_KOSEI_GROUP"), 0);
  // A failed script runs no post-step.
  EXPECT_EQ(userupdate::RunPostSteps(kStepIsqlError, {userupdate::InsertKoseiGroupHyokaRule802}), kStepIsqlError);
}

TEST_F(CompanyUpgrade8Seeds, BlankDataPasswordIsDeleted) {
  for (const char* password : {"　 ", "abc"}) {
    SCOPED_TRACE(password);
    {
      fixtures::DbSession s(file());
      s.Exec("DELETE FROM ACCREG WHERE ACODE LIKE 'データパスワード%'");
      s.Exec(std::string("INSERT INTO ACCREG (AGROUP,ACODE,ATYPE,ATEXT) VALUES ('基本設定','データパスワード','文字','") +
             password + "')");
      s.Commit();
    }
    ASSERT_TRUE(userupdate::RunPreSteps({userupdate::ConvertDataPasswordV2}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCREG WHERE ACODE='データパスワード'"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCREG WHERE ACODE='データパスワードV2'"), std::string(password) == "abc" ? 1 : 0);
  }
}

// ------------------------------------------------------------------ our update files

// Table.column -> type, sub-type, length in characters, scale, character set: of every
// column of every table (not of views).
std::map<std::string, std::string> CatalogueColumns(const fs::path& db) {
  fixtures::DbSession s(db);
  TIBSQL q;
  s.Prepare(q,
            "SELECT TRIM(RF.RDB$RELATION_NAME)||'.'||TRIM(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE||' '||"
            "COALESCE(F.RDB$FIELD_SUB_TYPE,0)||' '||COALESCE(F.RDB$CHARACTER_LENGTH,F.RDB$FIELD_LENGTH)||' '||"
            "COALESCE(F.RDB$FIELD_SCALE,0)||' '||COALESCE(F.RDB$CHARACTER_SET_ID,-1) "
            "FROM RDB$RELATION_FIELDS RF JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME=RF.RDB$FIELD_SOURCE "
            "JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME=RF.RDB$RELATION_NAME "
            "WHERE COALESCE(R.RDB$SYSTEM_FLAG,0)=0 AND R.RDB$VIEW_BLR IS NULL");
  q.ExecQuery();
  std::map<std::string, std::string> columns;
  while (!q.Eof()) {
    columns[q.Fields(0).AsString()] = q.Fields(1).AsString();
    q.Next();
  }
  return columns;
}

// The update files of the sql/ tree, run step by step through the script path on a company
// database at 0.1.0, as the steps choose them for an ordinary and for a medical data set.
class CompanyUpgrade10Files : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = SystemDef;
    SystemDef.DataDir = MadeDir(tmp.Path() / "data");
    SystemDef.LogDir = MadeDir(tmp.Path() / "log");
    SystemDef.DbUser = "GKFMCB";
    SystemDef.DbPassword = "mirsol";
    SystemDef.HostName = "";
    SystemDef.GoGlobal = 0;
    fw::AccDbFile = "qvacc.fdb";
    fs::copy(fixtures::SchemaDir().parent_path() / "sql", tmp.Path() / "sql", fs::copy_options::recursive);
  }
  void TearDown() override {
    SystemDef = saved_;
    AccInf = savedAcc_;
    OemKind = savedOem_;
  }
  fs::path file() const { return tmp.Path() / "data" / "qvacc.fdb"; }

  // The conversions and seeds the program runs around the steps' scripts, on the upgraded data.
  int32_t RunConversions(const TFilter& filter) {
    AccInf.DATATYPE = filter.DataType;
    AccInf.CODETYPE = filter.CodeType;
    OemKind = 0;
    ResetDbErrorTerminating();
    CreateDataModule();
    int32_t result = userupdate::RunPreSteps({userupdate::ConvertDataPasswordV2}) ? kStepOk : kStepException;
    if (result == kStepOk) {
      result = userupdate::RunPostSteps(
          kStepOk, {userupdate::InsertKoseiGroupHyokaRule802, userupdate::ConvertJobControl2,
                    userupdate::InsertKoseiGroupHyokaRule803, userupdate::InsertHyokaRule902,
                    userupdate::RoundKamokuMsBudget, userupdate::ConvertKessanPrintSettings, userupdate::ClearSiwakeDnum});
    }
    FreeDataModule();
    return result;
  }

  // Every step from 3.0.0 on with the files its filters choose, or with every listed file and
  // without the lines a step writes itself (`everyFile`).
  void RunSteps(const TFilter& filter, bool everyFile = false) {
    TStepFacts facts;
    facts.KamokuCountKind = filter.Medical ? 1 : 0;
    facts.ShokuchiCode = "1001";
    TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
    for (const TDbUpdateListRec& r : list) {
      if (r.Version() < TDbVersion{3, 0, 0}) continue;
      userupdate::TStepBody body = userupdate::StepBody(r.Version(), filter, facts);
      if (everyFile) {
        body.Statements.clear();
        body.Leading.clear();
        for (userupdate::TUpdateFile& f : body.Files) f.Use = true;
      }
      const int32_t result = userupdate::RunStep(r.Version(), body);
      EXPECT_EQ(result, kStepOk) << r.Version().Text() << "\n" << TempDir::Read(tmp.Path() / "log" / "ErrDataup.txt");
    }
  }

  static std::map<std::string, std::string> Columns(const fs::path& db) { return CatalogueColumns(db); }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(file());
    return s.Scalar(sql);
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  ScopedEnv program{"RENDO_PROGRAM_DIR", MadeDir(tmp.Path() / "bin")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
  TACCINF savedAcc_ = AccInf;
  uint8_t savedOem_ = OemKind;
};

TEST_F(CompanyUpgrade10Files, EveryListedFileIsThere) {
  // From 7.0.3 on a missing file stops the step, also one the filters leave out.
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  int files = 0;
  for (const TDbUpdateListRec& r : list) {
    if (r.Version() < TDbVersion{3, 0, 0}) continue;
    for (const userupdate::TUpdateFile& f : userupdate::StepBody(r.Version(), Data(1, 1), {}).Files) {
      EXPECT_TRUE(fs::exists(fs::path(UpdateFileFolder(r.Version())) / f.Name)) << r.Version().Text() << " " << f.Name;
      ++files;
    }
  }
  EXPECT_EQ(files, 156);
}

// The steps bring a 0.1.0 data set to the form of a new one, and running every file again
// changes nothing.
class CompanyUpgrade10Form : public CompanyUpgrade10Files, public ::testing::WithParamInterface<TFilter> {};

TEST_P(CompanyUpgrade10Form, TheStepsBringA010DataSetToTheSchemaAndAgainChangeNothing) {
  fixtures::CreateDatabaseFromSchema(tmp.Path() / "schema.fdb", "company.sql");
  const std::map<std::string, std::string> schema = Columns(tmp.Path() / "schema.fdb");
  // Older data sets hold these texts wider than a new one: narrowing them could cut values.
  const std::set<std::string> wider = {"ACCREG.AGROUP", "ACCREG.ATYPE"};
  const TFilter filter = GetParam();
  {
    fixtures::CreateLegacyCompanyDatabase(file(), filter.DataType);
    RunSteps(filter);
    const std::map<std::string, std::string> upgraded = Columns(file());
    for (const auto& [column, type] : schema) {
      const auto found = upgraded.find(column);
      if (found == upgraded.end()) {
        ADD_FAILURE() << column << " missing";
      } else if (!wider.count(column)) {
        EXPECT_EQ(found->second, type) << column;
      }
    }
    EXPECT_EQ(Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 100000);
    // What the later steps and the program read.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME IN "
                     "('KAMOKUMST_AFTER_UPDATE2','KAMOKUSZ_AFTER_DELETE2')"), 2);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TAXMST WHERE TAX_CODE IN (116,316,616,636,551,552,553,581,582,583)"), 10);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KESSAN WHERE REC=1"), 1);
    EXPECT_EQ(Scalar("SELECT CAST(F_ROUND(12.5) + F_ROUND(-2.5) + F_ROUND(1.4999) AS INTEGER) FROM RDB$DATABASE"), 11);
    ASSERT_EQ(RunConversions(filter), kStepOk);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM VELKORAN_YOJITU_HYOKARULE"), 12);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_KOSEI_GROUP"), filter.Medical ? 0 : 12);
    // Medical data keeps the print columns as the step's file filled them.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KESSAN WHERE REC=1 AND ZEROKAMOKUPRINT=0 AND TEGATASOSAI=0"), 1);
    // Every file, also those the filters leave out here, runs and finds everything in place.
    RunSteps(filter, true);
    EXPECT_EQ(Columns(file()), upgraded);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TAXMST"), 10);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KESSAN"), 1);
  }
}

// One run each, so that the two can go side by side.
INSTANTIATE_TEST_SUITE_P(DataSets, CompanyUpgrade10Form, ::testing::Values(Data(1, 1), Data(3, 1)),
                         [](const ::testing::TestParamInfo<TFilter>& info) {
                           return std::string(info.param.Medical ? "Medical" : "Corporation");
                         });

// ------------------------------------------------------------------ the whole chain

// A data set at 0.1.0 in a fixture installation, brought up by the upgrade dialog as the
// clerk runs it: agree, then start.
class UpgradeEndToEnd : public OneCompanyTestBase<fixtures::CompanyPlan::Corporation> {
 protected:
  void SetUp() override {
    OneCompanyTestBase::SetUp();
    SystemDef.HostName = "";
    SystemDef.SysDir = inst_->SysDir().string();
    SystemDef.DataDir = company_->Folder().string();
    SystemDef.GroupId = fixtures::Installation::kGroupId;
    SystemDef.PcName = "PC01";
    SystemDef.TempDir = inst_->AppTempDir().string();
    ResetDbErrorTerminating();
    env_ = std::make_unique<fixtures::InstallationEnv>(*inst_);
    // Our update files, where the program looks for them: beside the program folder.
    sql_ = inst_->ProgramDir().parent_path() / "sql";
    if (!fs::exists(sql_)) fs::copy(fixtures::SchemaDir().parent_path() / "sql", sql_, fs::copy_options::recursive);
    fs::remove(company_->DbFile());
    fixtures::CreateLegacyCompanyDatabase(company_->DbFile());
    fixtures::DbSession s(company_->DbFile());
    s.Exec("UPDATE KAMOKUMST SET BPFLG = CASE WHEN GROUPM1 < '4000' THEN 'B' ELSE 'P' END");
    for (const char* row : {"'1101', '現金'", "'2205', '繰越利益剰余金'", "'2104', '元入金'", "'1306', '事業主貸'"})
      s.Exec(std::string("INSERT INTO ACCDEF2 (KCODE, KNAME) VALUES (") + row + ")");
    s.Commit();
    CreateDataModule();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
    box = forms::CreateForm<TDbUpdateBox>(nullptr);
  }
  void TearDown() override {
    if (box) box->Free();
    FreeDataModule();
    env_.reset();
    ResetDbErrorTerminating();
    OneCompanyTestBase::TearDown();
  }

  // Runs every pending company step through the dialog; the dialog's result. A run that
  // should end well reports what went wrong.
  int Run(bool expectDone = true) {
    EXPECT_TRUE(DM->fnAccDatConnected("", company_->Folder().string(), false));
    box->PrepareUpdate(1, "");
    EXPECT_TRUE(box->NeedUpdate);
    uitest::ModalScript script({[&](forms::TForm&) {
                                  uitest::Click(box->cboxAgree);
                                  uitest::Click(box->btnOk);
                                },
                                [&](forms::TForm&) {}});
    const int result = box->ShowModal();
    EXPECT_FALSE(script.WatchdogFired());
    if (DM->IBDatabaseDAT.Connected()) DM->AccDatDisconnect(company_->Folder().string(), false, false);
    if (expectDone && result != 1) {
      for (size_t i = 0; i < ui_.messages.size(); ++i) ADD_FAILURE() << ui_.MessageText(i);
      const fs::path log = fs::path(SystemDef.LogDir) / "ErrDataup.txt";
      if (fs::exists(log)) ADD_FAILURE() << TempDir::Read(log);
    }
    return result;
  }
  // The third column of every row of the step list, by version.
  std::map<std::string, std::string> Marks() {
    std::map<std::string, std::string> marks;
    int row = 0;
    for (const TDbUpdateListRec& r : box->UserList) {
      const QTreeWidgetItem* item = box->ListView1->topLevelItem(row++);
      if (item) marks[r.Version().Text()] = item->text(2).toStdString();
    }
    return marks;
  }
  int64_t Scalar(const std::string& sql) {
    fixtures::DbSession s(company_->DbFile());
    return s.Scalar(sql);
  }
  static std::set<std::string> Procedures(const fs::path& db) {
    fixtures::DbSession s(db);
    TIBSQL q;
    s.Prepare(q, "SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES WHERE COALESCE(RDB$SYSTEM_FLAG,0)=0");
    q.ExecQuery();
    std::set<std::string> names;
    for (; !q.Eof(); q.Next()) names.insert(q.Fields(0).AsString());
    return names;
  }

  std::unique_ptr<fixtures::InstallationEnv> env_;
  TDbUpdateBox* box = nullptr;
  fs::path sql_;
  TempDir out_;
};

TEST_F(UpgradeEndToEnd, From010To1000LikeTheSchema) {
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  InstallUserDbUpdateBuilders(list);
  for (const TDbUpdateListRec& r : list) ASSERT_TRUE(r.RunProc) << r.Version().Text();

  EXPECT_EQ(Run(), 1) << ui_.messages.size();
  EXPECT_EQ(box->DbVersion.Text(), "10.0.0");
  box->grab().toImage().save(QStringLiteral("upgrade_end_to_end.png"));
  const std::map<std::string, std::string> marks = Marks();
  EXPECT_EQ(marks.size(), box->UserList.size());
  for (const auto& [version, mark] : marks) EXPECT_EQ(mark, "完了") << version;
  EXPECT_EQ(Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 100000);

  // Every table and column of a new data set, with the same type; its procedures are there.
  const fs::path schemaDb = out_.Path() / "schema.fdb";
  fixtures::CreateDatabaseFromSchema(schemaDb, "company.sql");
  const std::map<std::string, std::string> schema = CatalogueColumns(schemaDb);
  const std::map<std::string, std::string> upgraded = CatalogueColumns(company_->DbFile());
  // Older data sets hold these texts wider than a new one: narrowing them could cut values.
  const std::set<std::string> wider = {"ACCREG.AGROUP", "ACCREG.ATYPE"};
  std::string differences;
  for (const auto& [column, type] : schema) {
    const auto found = upgraded.find(column);
    if (found == upgraded.end())
      differences += column + " missing\n";
    else if (found->second != type && !wider.count(column))
      differences += column + " is " + found->second + ", new data sets " + type + "\n";
  }
  EXPECT_EQ(differences, "");
  const std::set<std::string> procedures = Procedures(company_->DbFile());
  for (const std::string& name : Procedures(schemaDb)) EXPECT_TRUE(procedures.count(name)) << name << " missing";

  // The tax export reads the upgraded data set and writes a well-formed file.
  const std::string file = (out_.Path() / "upgraded.xml").string();
  ExportSyohizeiFile(company_->Folder().string(), 0, kLastSlotOfYear, file);
  const std::string xml = TempDir::Read(file);
  EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "upgraded.xml", nullptr, XML_PARSE_NONET);
  ASSERT_NE(doc, nullptr) << "not well-formed";
  EXPECT_NE(xmlDocGetRootElement(doc), nullptr);
  xmlFreeDoc(doc);
}

// A step from 7.0.3 on without one of its files stops the run there; the data set is put back.
TEST_F(UpgradeEndToEnd, AMissingUpdateFileStopsTheRunAndRestoresTheDataSet) {
  const fs::path missing = sql_ / "703" / "qvzup01.sql";
  const fs::path aside = sql_ / "703" / "qvzup01.sql.aside";
  fs::rename(missing, aside);
  struct PutBack {
    fs::path from, to;
    ~PutBack() { fs::rename(from, to); }
  } putBack{aside, missing};

  EXPECT_NE(Run(false), 1);
  const std::map<std::string, std::string> marks = Marks();
  EXPECT_EQ(marks.at("7.0.2"), "完了");
  EXPECT_EQ(marks.at("7.0.3"), "ﾌｧｲﾙ不足");
  EXPECT_EQ(marks.at("7.0.4"), "");
  EXPECT_TRUE(ui_.Shown("会計データの更新に失敗しました。"));
  EXPECT_EQ(Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 100);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='VELKORAN_YOJITUHENDOU'"), 0);
}

}  // namespace
