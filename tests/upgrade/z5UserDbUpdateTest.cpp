// The company-database upgrade steps: the family's descriptors and script generations, and the
// steps run with isql over a company database at 0.1.0.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClassesBackup.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/LegacyCompanyDb.h"
#include "upgrade/CompanyUpgradeTestBase.h"
#include "platform/DateTime.h"
#include "platform/db/IBSQL.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"
#include "upgrade/z5UserDbUpdate.h"
#include "upgrade/z5UserDbUpdate011.h"

namespace fs = std::filesystem;

namespace {

using upgradetest::MadeDir;

const TDbUpdateListRec& Entry(const TArrayDbUpdateListRec& list, TDbVersion v) {
  for (const TDbUpdateListRec& r : list) {
    if (r.Version() == v) return r;
  }
  throw std::runtime_error("no step " + v.Text());
}

// ------------------------------------------------------------------ the family

TEST(UpgradeFamily, TitlesAndMemosFollowTheEditionAndTheProductName) {
  const std::string oemTitle = "機能強化および不具合修正";
  const std::string oemMemo = "１）機能強化および不具合の修正（詳しくはＨＰで確認ください）";
  struct Case {
    int oem;
    const char* product;
    TDbVersion version;
    std::string title;
    std::string memo;  // empty: not checked
  } cases[] = {
      {0, "Tallix財務", {4, 0, 0}, "Tallix財務１２のデータ形式に変換",
       "１）Tallix財務１２のデータ形式に変換します。\r２）過年度残高集計処理を高速化します。"},
      {0, "Tallix財務", {5, 0, 0}, "Tallix財務１３のデータ形式に変換", "１）Tallix財務１３のデータ形式に変換します。\r"},
      {0, "Tallix財務", {7, 0, 0}, "Tallix財務１５のデータ形式に変換 他",
       "１）Tallix財務１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"},
      {0, "Tallix財務", {7, 0, 3}, "医療法人データの決算書レイアウトを変更", ""},
      {0, "Tallix財務", {8, 0, 2}, "予算管理機能強化", "１）法人データの予算管理を強化します。"},
      {0, "Tallix財務", {10, 0, 0}, "試算表、分析帳票の印刷で出力科目の設定機能を追加 他", ""},
      {0, "Tallix財務", {0, 1, 1}, "減価償却処理を追加　他", ""},
      {0, "Tallix財務", {0, 2, 1}, "過年度残高の修復 ", ""},
      {2, "Tallix財務", {7, 0, 0}, "Tallix財務１５のデータ形式に変換 他",
       "１）Tallix財務１５のデータ形式に変換します。\r２）「個人／農業」体系を新たに追加し、青色申告決算書（農業所得用）を作成します。"
       "\r３）個別原価管理機能を新たに追加します。"},
      {2, "Tallix財務", {7, 0, 3}, "消費税試算表の仕訳帳ジャンプ機能の仕様変更",
       "１）消費税試算表の仕訳帳ジャンプ機能の仕様を変更しました。\r"},
      {2, "Tallix財務", {8, 0, 2}, "不具合修正", "１）不具合を修正（詳しくはＨＰで確認ください）"},
      {2, "Tallix財務", {8, 0, 3}, oemTitle, oemMemo},
      {2, "Tallix財務", {9, 0, 0}, oemTitle, oemMemo},
      {2, "Tallix財務", {10, 0, 0}, oemTitle, oemMemo},
      {2, "Tallix財務", {6, 1, 3}, "仕訳変更時の並び順の調整 他", ""},
      // A changed product name reaches the titles that begin with it, and only those.
      {0, "会計王", {4, 0, 0}, "会計王１２のデータ形式に変換", ""},
      {0, "会計王", {6, 1, 0}, "会計王１４ 消費税改正版のデータ形式に変換 他", ""},
      {0, "会計王", {9, 0, 0}, "会計王１７のデータ形式に変換", "１）会計王１７のデータ形式に変換する。"},
      {0, "会計王", {0, 2, 0}, "Tallix財務０９評価版 Ver0.2.0", ""},
      {0, "会計王", {3, 0, 0}, "Tallix財務１１のデータ形式に変換", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.oem) + " " + c.product + " " + c.version.Text());
    const TDbUpdateLists lists = MakeDbUpdateLists(c.product, c.oem);
    ASSERT_EQ(lists.UserList.size(), 50u);
    const TDbUpdateListRec& r = Entry(lists.UserList, c.version);
    EXPECT_EQ(r.Title, c.title);
    if (!c.memo.empty()) {
      EXPECT_EQ(r.Memo, c.memo);
    }
  }
}

TEST(UpgradeFamily, OnlyFourStepsGoWithoutABackup) {
  std::vector<std::string> without;
  for (const TDbUpdateListRec& r : MakeDbUpdateLists("Tallix財務", 0).UserList) {
    if (r.Backup == 0) without.push_back(r.Version().Text());
  }
  EXPECT_EQ(without, (std::vector<std::string>{"0.2.0", "0.3.0", "0.3.2", "0.4.0"}));
}

TEST(UpgradeFamily, GenerationsAndFiltersOfTheSteps) {
  struct Case {
    TDbVersion version;
    userupdate::TGeneration generation;
  } cases[] = {
      {{0, 1, 1}, userupdate::TGeneration::Inline},          {{2, 0, 4}, userupdate::TGeneration::Inline},
      {{3, 0, 0}, userupdate::TGeneration::FilesThenInline}, {{5, 0, 2}, userupdate::TGeneration::FilesThenInline},
      {{5, 0, 5}, userupdate::TGeneration::Files},           {{7, 0, 2}, userupdate::TGeneration::Files},
      {{7, 0, 3}, userupdate::TGeneration::FilesAllPresent}, {{10, 0, 0}, userupdate::TGeneration::FilesAllPresent},
  };
  for (const Case& c : cases) EXPECT_EQ(userupdate::GenerationOf(c.version), c.generation) << c.version.Text();

  // Medical data is the medical corporation's general code system only.
  const TACCINF saved = AccInf;
  const struct {
    int dataType, codeType;
    bool medical;
  } kinds[] = {{3, 1, true}, {3, 2, false}, {1, 1, false}, {2, 3, false}};
  for (const auto& k : kinds) {
    AccInf.DATATYPE = k.dataType;
    AccInf.CODETYPE = k.codeType;
    EXPECT_EQ(userupdate::CurrentFilter().Medical, k.medical) << k.dataType << "/" << k.codeType;
  }
  AccInf = saved;

  // The builders built so far are set into their entries.
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  InstallUserDbUpdateBuilders(list);
  std::vector<std::string> installed;
  for (const TDbUpdateListRec& r : list) {
    if (r.RunProc) installed.push_back(r.Version().Text());
  }
  EXPECT_EQ(installed, (std::vector<std::string>{"0.1.1", "0.1.2", "0.1.3", "0.1.4", "0.1.5", "0.2.0", "0.2.1", "0.2.2",
                                                 "0.3.0", "0.3.1", "0.3.2", "0.3.3", "0.3.4", "0.4.0", "0.4.1", "1.0.0",
                                                 "1.0.1", "1.0.2", "1.0.3", "1.0.5", "2.0.0", "2.0.4", "3.0.0", "3.0.1", "3.0.3",
                                                 "3.0.4", "3.0.6", "3.0.7", "4.0.0", "4.0.2", "5.0.0", "5.0.2", "5.0.5",
                                                 "6.0.0", "6.1.0", "6.1.3", "7.0.0", "7.0.2", "7.0.3", "7.0.4", "8.0.0",
                                                 "8.0.2", "8.0.3", "9.0.0", "9.0.1", "9.0.2", "9.0.3", "9.0.4", "9.0.5",
                                                 "10.0.0"}));
}

class UpgradeFamilyScripts : public ::testing::Test {
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
  std::string Golden(const char* name) {
    return TempDir::Read(fixtures::SchemaDir().parent_path() / "tests" / "upgrade" / "golden" / name);
  }

  TempDir tmp;
  ScopedEnv temp{"TEMP", MadeDir(tmp.Path() / "work")};
  // Update files lie in sql/<digits> beside the program folder.
  ScopedEnv program{"RENDO_PROGRAM_DIR", MadeDir(tmp.Path() / "bin")};
  ScriptedUi ui;
  ScopedUi useUi{ui};
  TSystemDef saved_;
};

TEST_F(UpgradeFamilyScripts, EachGenerationOrdersItsScript) {
  ASSERT_EQ(fs::path(UpdateFileFolder({3, 0, 0})), tmp.Path() / "sql" / "300");
  tmp.Write("sql/300/qvzup01.sql", "ALTER TABLE A ADD X INTEGER;\r\n\r\nCOMMIT;\r\n");
  tmp.Write("sql/300/qvzup02.sql", "ALTER TABLE B ADD Y INTEGER;\nCOMMIT;");
  tmp.Write("sql/505/qvzup01.sql", "UPDATE KESSAN SET TEGATASOSAI=0;\r\nCOMMIT;\r\n");
  tmp.Write("sql/703/qvzup01.sql", "DELETE FROM KAMOKU_KOSEI_GROUP;\r\n");
  tmp.Write("sql/703/qvzup02.sql", "UPDATE CASHFMST SET CM_JIGYOU=1;\r\n");
  struct Case {
    const char* golden;  // nullptr: no script
    TDbVersion version;
    userupdate::TStepBody body;
    int32_t result;
  } cases[] = {
      {"company_gen1_013.sql", {0, 1, 3}, {{"DELETE FROM KANSA;", "COMMIT;"}, {}}, kStepOk},
      {"company_gen2_300.sql", {3, 0, 0}, {{"UPDATE ACCDEF1 SET CONVERT=0;", "COMMIT;"}, {{"qvzup01.sql"}, {"qvzup02.sql"}}},
       kStepOk},
      // The filters leave a file out of a generation 3 step: it need not exist.
      {"company_gen3_505.sql", {5, 0, 5}, {{}, {{"qvzup01.sql"}, {"qvzup02.sql", false}}}, kStepOk},
      // Generation 4 wants every listed file, also one the filters leave out.
      {"company_gen4_703.sql", {7, 0, 3}, {{}, {{"qvzup01.sql", false}, {"qvzup02.sql"}}}, kStepOk},
      {nullptr, {7, 0, 3}, {{}, {{"qvzup02.sql"}, {"qvzup03.sql", false}}}, kStepFileMissing},
      // A chosen file that is missing stops a step of any generation.
      {nullptr, {5, 0, 5}, {{}, {{"qvzup02.sql"}}}, kStepFileMissing},
      {nullptr, {3, 0, 0}, {{"COMMIT;"}, {{"qvzup03.sql"}}}, kStepFileMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version.Text());
    TUpdateScript script(TUpdateDb::Company, c.version);
    ASSERT_EQ(userupdate::BuildScript(c.version, c.body, script), c.result);
    if (!c.golden) {
      EXPECT_TRUE(script.Lines.empty());
      continue;
    }
    ASSERT_TRUE(script.Save());
    EXPECT_EQ(TempDir::Read(UpdateScriptFile()), Golden(c.golden));
  }
  // A step whose file is missing writes and runs nothing.
  EXPECT_EQ(userupdate::RunStep({7, 0, 3}, {{}, {{"qvzup09.sql"}}, {}}), kStepFileMissing);
  EXPECT_TRUE(ui.messages.empty());
}

// ------------------------------------------------------------------ steps on a 0.1.0 database

using upgradetest::CompanyUpgradeBase;

// One 0.1.0 database brought to 0.1.1 per suite; the tests then work on copies of it.
class CompanyUpgrade011 : public CompanyUpgradeBase {
 protected:
  void SetUp() override {
    CompanyUpgradeBase::SetUp();
    fixtures::CreateLegacyCompanyDatabase(file());
    result_ = ExecUserDbUpdate011();
  }
  int32_t result_ = 0;
};

TEST_F(CompanyUpgrade011, BringsTheDatabaseTo011WithTheFixedAssetObjects) {
  ASSERT_EQ(result_, kStepOk) << ErrDataup();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Version(), "0.1.1");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCVERSION"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT"), 70);
  // Numbered by the trigger in insertion order: corporation first, each class's default row
  // after its accounts.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE ACCGROUP=1 AND REC<=35"), 35);
  EXPECT_EQ(Scalar("SELECT REC FROM KS_SETSWK_INIT WHERE ACCGROUP=1 AND KGROUP=0 AND KCODE IS NULL"), 14);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE KCODE IS NULL AND GSTAISYOU=0 AND GSKAHI=KGROUP"), 8);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE ACCGROUP=2 AND KGROUP=3 AND BAISONKCODE='1608' AND "
                   "BAIEKIKCODE='2205' AND SYOKYAKU1_KCODE='6204' AND RUIKEIKCODE IS NULL"),
            4);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT WHERE KGROUP IN (1, 2) AND BAISONKCODE IS NULL AND "
                   "GSHOUHOU=3 AND SETSWK=0 AND NOTLIST=1"),
            34);
  // Every facility got a row for each of the 32 accounts of groups 1400 to 1800.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE='01'"), 32);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE='02'"), 32);
  // 1413 has no row of its own and takes its class's default row.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE KCODE='1413' AND GSTAISYOU=0 AND GSKAHI=0 AND "
                   "RUIKEIKCODE='1416' AND RUIKEIHCODE IS NULL AND DUMMY=''"),
            2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE KCODE='1620' AND GSTAISYOU=2 AND GSKAHI=0"), 2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GENKADIV WHERE CODE=6"), 1);
  EXPECT_EQ(Scalar("SELECT SDAI_HASUU3 + 10*KESSAN_KIKAN + 100*CASHFLOW_KIKAN1 + 1000*CASHFLOW_KIKAN2 FROM ACCDEF1"),
            -1110);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME IN ('ONE_TIME_PROC', "
                   "'SP_KS_SISAN_MUJUN')"),
            0);
}

TEST_F(CompanyUpgrade011, NewFacilitiesAndAccountsGetTheirRows) {
  ASSERT_EQ(result_, kStepOk) << ErrDataup();
  Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('03', '新店', 1)");
  Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('04', '倉庫', 0)");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE='03'"), 32);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCDEF5 WHERE SCODE='03' AND BCODE=' '"), 48);
  EXPECT_EQ(Scalar("SELECT MIN(MNUM)*100+MAX(MNUM) FROM ACCDEF5 WHERE SCODE='03'"), -3100 + 16);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TORDICTI WHERE SCODE='03' AND TEXT=''"), 50);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SWKDICTI WHERE SCODE='03' AND E_HIZUKE=1 AND E_KINGAKU=1"), 50);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_SZ WHERE SCODE='03'"), Scalar("SELECT COUNT(*) FROM HOJOMST"));
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KAMOKU_TAX WHERE SCODE='03' AND BCODE=' '"), 64);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_TRANSSWK WHERE SCODE='03' AND KIND1=-1 AND KIND5=-1"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM YOSOKUINF WHERE SCODE='03'"), 1);
  // Every department but the blank one, only for a facility kept by departments.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SISETUBUM WHERE SCODE='03'"), 2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SISETUBUM WHERE SCODE='04'"), 0);
  // The description dictionary copied under new title numbers; a sub-account the account does
  // not have becomes its blank one.
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TEKDICTI WHERE SCODE='03'"), 2);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TEKDIC T JOIN TEKDICTI I ON I.CREC=T.CREC WHERE T.SCODE='03' AND "
                   "I.SCODE='03'"),
            3);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TEKDIC WHERE SCODE='03' AND KAR_KCODE='6107' AND KAR_HCODE=' ' AND "
                   "KAS_HCODE IS NULL"),
            1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TEKDIC WHERE SCODE='03' AND KAR_KCODE='1102' AND KAR_HCODE='001'"), 1);

  // A new account gets its blank sub-account and, in its class, a settings row per facility.
  Exec("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME, TAX_LCODE, USE) VALUES ('1699', '1699', '1700', "
       "'その他', 5, 1)");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM HOJOMST WHERE KCODE='1699' AND HCODE=' ' AND TAX_LCODE=5"), 1);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE KCODE='1699' AND GSTAISYOU=0 AND GSKAHI=2"), 4);
  Exec("INSERT INTO KAMOKUMST (KCODE, USERCODE, GROUPM1, KNAME, USE) VALUES ('2199', '2199', '2100', '未払', 1)");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE KCODE='2199'"), 0);
}

TEST_F(CompanyUpgrade011, SettingsRowsFollowTheGroupBounds) {
  ASSERT_EQ(result_, kStepOk) << ErrDataup();
  struct Case {
    const char* facility;
    int group;
    const char* account;
    int rows;      // rows added
    int gsKahi;    // of the added row
    int gsTaisyou;
  } cases[] = {
      {"02", 1399, "1413", 0, 0, 0}, {"02", 1400, "1413", 1, 0, 0}, {"02", 1599, "1413", 1, 0, 0},
      {"02", 1600, "1413", 1, 1, 0}, {"02", 1799, "1413", 1, 2, 0}, {"02", 1800, "1413", 1, 3, 0},
      {"02", 1801, "1413", 0, 0, 0},
      // An account with a row of its own in the class takes that row.
      {"02", 1800, "1701", 1, 0, 3},
      // A facility that does not exist gets nothing.
      {"99", 1400, "1413", 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.group) + " " + c.account + " " + c.facility);
    const int64_t before = Scalar("SELECT COUNT(*) FROM KS_SETSWK");
    const int64_t last = Scalar("SELECT MAX(REC) FROM KS_SETSWK");
    Exec(std::string("EXECUTE PROCEDURE SP_KS_INSSETSWK('") + c.facility + "', " + std::to_string(c.group) + ", '" +
         c.account + "')");
    ASSERT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK") - before, c.rows);
    if (c.rows == 0) continue;
    const std::string added = "FROM KS_SETSWK WHERE REC>" + std::to_string(last);
    EXPECT_EQ(Scalar("SELECT GSKAHI " + added), c.gsKahi);
    EXPECT_EQ(Scalar("SELECT GSTAISYOU " + added), c.gsTaisyou);
    EXPECT_EQ(Scalar("SELECT COUNT(*) " + added + " AND SCODE='02' AND KCODE='" + c.account + "'"), 1);
  }
}

// The journal triggers keep the monthly account totals, the facilities' counts of debit sides
// and the tax totals equal to what the live sides add up to, and mark the fixed assets that
// live sides refer to.
TEST_F(CompanyUpgrade011, JournalTotalsFollowTheLiveSides) {
  ASSERT_EQ(result_, kStepOk) << ErrDataup();
  {
    fixtures::DbSession s(file());
    for (const char* k : {"1101", "1401", "1402"}) {
      for (const char* b : {" ", "01"}) {
        s.Exec(std::string("INSERT INTO KAMOKU_MS (SCODE, BCODE, KCODE, HCODE, MNUM) VALUES ('01', '") + b + "', '" + k +
               "', ' ', 1)");
      }
    }
    s.Exec("EXECUTE PROCEDURE SP_KAMOKU_TAX_INSERT('01', ' ')");
    s.Exec("EXECUTE PROCEDURE SP_KAMOKU_TAX_INSERT('01', '01')");
    // (The payment and proceeds accounts are empty by default, which no sub-account matches.)
    const std::string asset = "INSERT INTO KS_SISAN (REC, SCODE, KCODE, HCODE, MEISYOU, TRANSKBN, SIHAKCODE, SIHAHCODE, "
                              "SYUNYUKCODE, SYUNYUHCODE) VALUES ";
    s.Exec(asset + "(1, '01', '1401', '001', '本社ビル', 0, NULL, NULL, NULL, NULL)");
    s.Exec(asset + "(2, '01', '1402', ' ', '機械', 0, NULL, NULL, NULL, NULL)");
    s.Commit();
  }
  auto side = [](int rec, int taishaku, const char* bcode, const char* kcode, int nuk, int zei, int taxuh,
                 const char* link) {
    return "INSERT INTO SIWAKE (REC, SWKREC, DELFLG, TAISHAKU, HIZUKE, MNUM, SCODE, KCODE, HCODE, BCODE, TAXUH, NUK, "
           "ZEI, LINKKUB, LINKKEY, LINKREC) VALUES (" +
           std::to_string(rec) + ", " + std::to_string(rec) + ", 0, " + std::to_string(taishaku) +
           ", '2008-04-10', 1, '01', '" + kcode + "', ' ', '" + bcode + "', " + std::to_string(taxuh) + ", " +
           std::to_string(nuk) + ", " + std::to_string(zei) + ", " + link + ")";
  };
  const char* none = "0, NULL, 0";
  enum Check { Follows, Unchanged };
  struct Case {
    const char* what;
    std::string sql;
    Check check;
    int asset1, asset2;     // TRANSKBN afterwards
    const char* taxRow;     // "BCODE,KKUBUN,KAR,KAS" of one tax row afterwards; nullptr: not checked
  } cases[] = {
      {"debit side by department", side(1, 1, "01", "1101", 1000, 80, 1, none), Follows, 0, 0, "01,1,80,0"},
      {"credit side of an asset", side(2, 2, " ", "1402", 1000, 0, 0, "8, '1-X', 2"), Follows, 0, 1, nullptr},
      {"neither side, by the asset's sub-account", side(3, 3, " ", "1401", 500, 40, 1, "8, '2-A', 102"), Follows, 1, 1,
       " ,1,0,0"},
      {"a second side of the asset", side(4, 1, " ", "1402", 300, 24, 1, "8, '1-X', 2"), Follows, 1, 1, " ,1,24,0"},
      {"one of two asset sides deleted", "UPDATE SIWAKE SET DELFLG=1 WHERE REC=2", Follows, 1, 1, nullptr},
      {"the last asset side deleted", "UPDATE SIWAKE SET DELFLG=1 WHERE REC=4", Follows, 1, 0, " ,1,0,0"},
      {"restored", "UPDATE SIWAKE SET DELFLG=0 WHERE REC=4", Follows, 1, 0, " ,1,24,0"},
      {"a side's asset flag goes with the sub-account", "UPDATE SIWAKE SET DELFLG=1 WHERE REC=3", Follows, 0, 0,
       nullptr},
      {"tax totals without departments", "UPDATE ACCDEF1 SET BUMON=1", Follows, 0, 0, nullptr},
      {"credit side taxed to the blank department", side(5, 2, "01", "1101", 200, 16, 2, none), Follows, 0, 0,
       " ,2,0,16"},
      {"tax totals by department again", "UPDATE ACCDEF1 SET BUMON=2", Follows, 0, 0, nullptr},
      {"deleted as replaced", "UPDATE SIWAKE SET DELFLG=2 WHERE REC=1", Follows, 0, 0, "01,1,0,0"},
      // The changes below are none of insert, delete or restore: no total moves.
      {"a replaced side set live again", "UPDATE SIWAKE SET DELFLG=0 WHERE REC=1", Unchanged, 0, 0, "01,1,0,0"},
      {"amount changed on a live side", "UPDATE SIWAKE SET NUK=9999, ZEI=1 WHERE REC=4", Unchanged, 0, 0, nullptr},
  };
  auto totals = [&](fixtures::DbSession& s) {
    std::string t;
    TIBSQL q;
    s.Prepare(q, "SELECT BCODE, KCODE, KAR_NUK, KAR_TAX, KAS_NUK, KAS_TAX FROM KAMOKU_MS ORDER BY BCODE, KCODE");
    q.ExecQuery();
    for (; !q.Eof(); q.Next()) {
      for (const char* f : {"BCODE", "KCODE", "KAR_NUK", "KAR_TAX", "KAS_NUK", "KAS_TAX"}) t += q.FieldByName(f).AsString() + ",";
    }
    q.Close();
    return t + std::to_string(s.Scalar("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE='01'")) + "," +
           std::to_string(s.Scalar("SELECT SUM(KAR) * 1000 + SUM(KAS) FROM KAMOKU_TAX"));
  };
  const std::string live = "FROM SIWAKE S WHERE S.DELFLG=0 AND S.SCODE=M.SCODE AND S.BCODE=M.BCODE AND "
                           "S.KCODE=M.KCODE AND S.HCODE=M.HCODE AND S.MNUM=M.MNUM";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string before;
    {
      fixtures::DbSession s(file());
      before = totals(s);
      s.Exec(c.sql);
      s.Commit();
    }
    fixtures::DbSession s(file());
    if (c.check == Unchanged) {
      EXPECT_EQ(totals(s), before);
    } else {
      EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM KAMOKU_MS M WHERE "
                         "KAR_NUK <> (SELECT COALESCE(SUM(NUK), 0) " + live + " AND S.TAISHAKU=1) OR "
                         "KAR_TAX <> (SELECT COALESCE(SUM(ZEI), 0) " + live + " AND S.TAISHAKU=1) OR "
                         "KAS_NUK <> (SELECT COALESCE(SUM(NUK), 0) " + live + " AND S.TAISHAKU=2) OR "
                         "KAS_TAX <> (SELECT COALESCE(SUM(ZEI), 0) " + live + " AND S.TAISHAKU=2)"),
                0);
      EXPECT_EQ(s.Scalar("SELECT SIWAKECOUNT FROM SISETUMST WHERE SCODE='01'"),
                s.Scalar("SELECT COUNT(*) FROM SIWAKE WHERE SCODE='01' AND DELFLG=0 AND TAISHAKU=1"));
    }
    EXPECT_EQ(s.Scalar("SELECT TRANSKBN FROM KS_SISAN WHERE REC=1"), c.asset1);
    EXPECT_EQ(s.Scalar("SELECT TRANSKBN FROM KS_SISAN WHERE REC=2"), c.asset2);
    if (c.taxRow) {
      std::string b(c.taxRow, 2);
      int kkubun = 0, kar = 0, kas = 0;
      std::sscanf(c.taxRow + 3, "%d,%d,%d", &kkubun, &kar, &kas);
      const std::string row = "FROM KAMOKU_TAX WHERE SCODE='01' AND BCODE='" + b + "' AND KKUBUN=" +
                              std::to_string(kkubun) + " AND MNUM=1";
      EXPECT_EQ(s.Scalar("SELECT KAR " + row), kar);
      EXPECT_EQ(s.Scalar("SELECT KAS " + row), kas);
    }
  }
}

TEST_F(CompanyUpgrade011, HeadCountsOfThreeYears) {
  ASSERT_EQ(result_, kStepOk) << ErrDataup();
  // New facilities get their 48 month slots.
  Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('05', '五', 0)");
  Exec("INSERT INTO SISETUMST (SCODE, SNAME, BUMEX) VALUES ('06', '六', 0)");
  Exec("UPDATE ACCDEF5 SET NUM1=MNUM+100 WHERE SCODE='05'");
  Exec("UPDATE ACCDEF5 SET NUM1=1 WHERE SCODE='06'");
  fixtures::DbSession s(file());
  struct Case {
    const char* args;
    const char* column;
    int64_t value;
  } cases[] = {
      {"'05', ' '", "T_NINZU1", 101},  {"'05', ' '", "T_NINZU3", 103},   {"'05', ' '", "T_NINZU4", 105},
      {"'05', ' '", "T_NINZU12", 115}, {"'05', ' '", "Z_NINZU1", 85},    {"'05', ' '", "ZZ_NINZU12", 83},
      {"'', ''", "T_NINZU1", 102},     {"'06', ''", "Z_NINZU6", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.args) + " " + c.column);
    EXPECT_EQ(s.Scalar(std::string("SELECT ") + c.column + " FROM SP_MB_SELECT_SYUGYOU(" + c.args + ")"), c.value);
  }
  // A facility without values gives one row of nulls.
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_MB_SELECT_SYUGYOU('77', ' ') WHERE T_NINZU1 IS NULL"), 1);
}

TEST_F(CompanyUpgrade011, FixedAssetProcedures) {
  ASSERT_EQ(result_, kStepOk) << ErrDataup();
  // The repair procedure is selected; what it changed is committed.
  auto Repair = [this](const char* facility) {
    fixtures::DbSession s(file());
    const int64_t repaired = s.Scalar(std::string("SELECT SYUFUKU FROM SP_KS_SISAN_SYUFUKU_HAIBUNRITU('") + facility + "')");
    s.Commit();
    return repaired;
  };
  {
    fixtures::DbSession s(file());
    const std::string asset = "INSERT INTO KS_SISAN (REC, SCODE, KCODE, HCODE, SIHAKCODE, SIHAHCODE, SYUNYUKCODE, "
                              "SYUNYUHCODE) VALUES ";
    s.Exec(asset + "(1, '01', '1401', '001', NULL, NULL, NULL, NULL)");
    s.Exec(asset + "(2, '01', '1402', ' ', NULL, NULL, NULL, NULL)");
    s.Exec(asset + "(3, '02', '1402', ' ', NULL, NULL, NULL, NULL)");
    s.Exec("INSERT INTO KS_BUMONHB (KS_REC, SCODE, BCODE, HAIBUN) VALUES (1, '01', '00', 60)");
    s.Commit();
  }
  // Missing departments get share 0; existing shares stay. A facility without departments
  // gets nothing.
  Exec("EXECUTE PROCEDURE SP_KS_BUMONHB_ADD('01')");
  Exec("EXECUTE PROCEDURE SP_KS_BUMONHB_ADD('02')");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_BUMONHB"), 4);
  EXPECT_EQ(Scalar("SELECT SUM(HAIBUN) FROM KS_BUMONHB WHERE KS_REC=1"), 60);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_BUMONHB WHERE KS_REC=2 AND HAIBUN=0 AND DUMMY=''"), 2);
  // Shares that do not total 100 are repaired through department 00.
  Exec("UPDATE KS_BUMONHB SET HAIBUN=30 WHERE KS_REC=1 AND BCODE='01'");
  EXPECT_EQ(Repair("01"), 1);
  EXPECT_EQ(Scalar("SELECT HAIBUN FROM KS_BUMONHB WHERE KS_REC=1 AND BCODE='00'"), 70);
  EXPECT_EQ(Scalar("SELECT HAIBUN FROM KS_BUMONHB WHERE KS_REC=2 AND BCODE='00'"), 100);
  EXPECT_EQ(Repair("01"), 0);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SP_KS_SISAN_SYUFUKU_HAIBUNRITU('02')"), 0);
  // A department's row is written only when its values differ.
  Exec("EXECUTE PROCEDURE SP_KS_BUMONHB_REC_ADD(2, '01', '01', 5, 'x')");
  EXPECT_EQ(Scalar("SELECT HAIBUN FROM KS_BUMONHB WHERE KS_REC=2 AND BCODE='01' AND DUMMY='x'"), 5);
  // Ledger rows: inserted once, updated when a value differs; a text over 50 characters fails.
  const std::string ledger = "EXECUTE PROCEDURE SP_KS_DAICHO_UPDATE(1, '2008-04-01', 1, '取得', 1000, 0, ";
  Exec(ledger + "100, 900, '')");
  Exec(ledger + "100, 900, '')");
  Exec(ledger + "150, 850, '')");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_DAICHO"), 1);
  EXPECT_EQ(Scalar("SELECT BOKAGAKU FROM KS_DAICHO"), 850);
  std::string text51;
  for (int i = 0; i < 51; ++i) text51 += "償";
  EXPECT_THROW(Exec("EXECUTE PROCEDURE SP_KS_DAICHO_UPDATE(1, '2008-05-01', 1, '" + text51 + "', 0, 0, 0, 0, '')"),
               std::exception);
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_DAICHO"), 1);
  // An asset's sub-account cannot go; a settings row lets go of one.
  EXPECT_THROW(Exec("DELETE FROM HOJOMST WHERE KCODE='1401' AND HCODE='001'"), std::exception);
  Exec("UPDATE KS_SETSWK SET SYOKYAKU1_KCODE='1102', SYOKYAKU1_HCODE='001' WHERE SCODE='02' AND KCODE='1701'");
  Exec("DELETE FROM HOJOMST WHERE KCODE='1102' AND HCODE='001'");
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KS_SETSWK WHERE SCODE='02' AND KCODE='1701' AND SYOKYAKU1_KCODE IS NULL AND "
                   "SYOKYAKU1_HCODE IS NULL"),
            1);
}

// The step leaves one version row numbered 1 unless the table already holds a 0.1.0 row.
class CompanyUpgrade011Versions : public CompanyUpgradeBase {};

TEST_F(CompanyUpgrade011Versions, VersionRowsBeforeTheFirstStep) {
  struct Case {
    const char* what;
    std::vector<std::string> rows;  // ACCVERSION rows (REC, MAJOR, MINOR1, MINOR2) of the database
    int64_t count;                  // rows afterwards
    const char* highest;            // version of the highest row afterwards
  } cases[] = {
      {"no row", {}, 1, "0.1.1"},
      {"other versions", {"1, 0, 0, 9", "2, 0, 0, 5"}, 1, "0.1.1"},
      {"a 0.1.0 row beside row 1", {"1, 0, 0, 9", "2, 0, 1, 0"}, 2, "0.1.1"},
      // Without row 1 the version line changes nothing: the run's version check then fails the step.
      {"a 0.1.0 row that is not row 1", {"2, 0, 1, 0"}, 1, "0.1.0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(file());
    fixtures::CreateLegacyCompanyDatabase(file());
    Exec("DELETE FROM ACCVERSION");
    for (const std::string& r : c.rows) Exec("INSERT INTO ACCVERSION (REC, MAJOR, MINOR1, MINOR2) VALUES (" + r + ")");
    ASSERT_EQ(ExecUserDbUpdate011(), kStepOk) << ErrDataup();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACCVERSION"), c.count);
    EXPECT_EQ(Scalar("SELECT FIRST 1 MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION ORDER BY 1 DESC"),
              std::string(c.highest) == "0.1.1" ? 101 : 100);
  }
}

// ------------------------------------------------------------------ the chain

// The company steps one after the other from a database at 0.1.0, as a run applies them: each
// step built so far has its row here, with what the database shows after it.
class UpgradeFamilyChain : public CompanyUpgradeBase {};

TEST_F(UpgradeFamilyChain, StepsInOrderFromA010Database) {
  struct Check {
    const char* sql;
    int64_t value;
  };
  struct Step {
    TDbVersion version;
    int32_t (*run)();
    std::vector<Check> checks;
  } steps[] = {
      {{0, 1, 1}, ExecUserDbUpdate011,
       {{"SELECT COUNT(*) FROM KS_SETSWK_INIT", 70},
        {"SELECT COUNT(*) FROM KS_SETSWK", 64},
        {"SELECT SDAI_HASUU3 + 10*KESSAN_KIKAN FROM ACCDEF1", -10}}},
      {{0, 1, 2}, ExecUserDbUpdate012,
       {{"SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME STARTING WITH 'SP_TOUZACHOSEIHYO'", 3}}},
      // Its settings blocks find the columns of 0.1.1 and add nothing.
      {{0, 1, 3}, ExecUserDbUpdate013,
       {{"SELECT COUNT(*) FROM KANSA_ITEM", 1},
        {"SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='ACCDEF1' AND RDB$FIELD_NAME LIKE "
         "'%KIKAN%'",
         3}}},
      {{0, 1, 4}, ExecUserDbUpdate014,
       {{"SELECT COUNT(*) FROM CASHFMST", 102},
        {"SELECT COUNT(*) FROM CASHFMKU", 502},
        {"SELECT MAX(CF_REC) FROM CASHFMKU", 499}}},
      {{0, 1, 5}, ExecUserDbUpdate015,
       {{"SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME STARTING WITH 'AO_'", 8},
        {"SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='KESSAN' AND "
         "RDB$FIELD_NAME='CHUKI_TITLEPRINT'",
         1}}},
      {{0, 2, 0}, ExecUserDbUpdate020, {}},
      {{0, 2, 1}, ExecUserDbUpdate021, {}},
      {{0, 2, 2}, ExecUserDbUpdate022,
       {{"SELECT COUNT(*) FROM KAMOKUMST WHERE GROUPM0 IS DISTINCT FROM GROUPM1", 0},
        {"SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='KAMOKU_VIEW' AND RDB$FIELD_NAME='GROUPM0'",
         1}}},
      {{0, 3, 0}, ExecUserDbUpdate030, {}},
      {{0, 3, 1}, ExecUserDbUpdate031, {{"SELECT COUNT(*) FROM ACCDEF1 WHERE WEB_HOLDER=''", 1}}},
      {{0, 3, 2}, ExecUserDbUpdate032, {}},
      {{0, 3, 3}, ExecUserDbUpdate033, {{"SELECT COUNT(*) FROM VELKORAN_HIKAKU", 35}}},
      {{0, 3, 4}, ExecUserDbUpdate034, {{"SELECT COUNT(*) FROM SYSKMKCODEINF('諸口')", 1}}},
      {{0, 4, 0}, ExecUserDbUpdate040, {}},
      {{0, 4, 1}, ExecUserDbUpdate041, {{"SELECT COUNT(*) FROM KANSA_ITEM", 12}}},
      {{1, 0, 0}, ExecUserDbUpdate100,
       {{"SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE REC=31 AND MEISHOU='一人当たり人件費'", 1}}},
      {{1, 0, 1}, ExecUserDbUpdate101,
       {{"SELECT COUNT(*) FROM VELKORAN_HIKAKU WHERE REC=28 AND GROUPA1='5100' AND GROUPB2='5530'", 1},
        {"SELECT (SELECT COUNT(*) FROM SP_KANENDO_ZANDAKA('')) + (SELECT COUNT(*) FROM "
         "SP_KANENDO_BUMON_ZANDAKA('01', '00', 1)) + (SELECT COUNT(*) FROM SP_KANENDO_GROUPZANDAKA('')) "
         "FROM RDB$DATABASE",
         0},
        // Written by the step, not the empty stand-ins of the 0.1.0 database.
        {"SELECT COUNT(*) FROM RDB$PROCEDURES WHERE CHAR_LENGTH(RDB$PROCEDURE_SOURCE) > 200 AND "
         "RDB$PROCEDURE_NAME IN ('SP_KANENDO_ZANDAKA', 'SP_KANENDO_BUMON_ZANDAKA', 'SP_KANENDO_GROUPZANDAKA')",
         3}}},
      {{1, 0, 2}, ExecUserDbUpdate102,
       {{"SELECT RPCNT FROM SP_SIWAKE_REPAIR", 0}, {"SELECT COUNT(*) FROM SP_SISANHYO_BUMON(0, 1, '01', '00')", 0}}},
      {{1, 0, 3}, ExecUserDbUpdate103,
       {{"SELECT COUNT(*) FROM SP_MOTOIREKIN_KURIIRE('01')", 0},
        {"SELECT (SELECT COUNT(*) FROM SP_SISANHYO_BUMON(1, 1, '01', '00')) + (SELECT COUNT(*) FROM "
         "SP_SISANHYO_BUMON_A4(1, 1, '01', '00')) + (SELECT COUNT(*) FROM SP_SISANHYO_BUMON_A3(1, 1, '01', '00')) "
         "+ (SELECT COUNT(*) FROM SP_MONITOR_LISTUP('01', 0, 0, 0, 0, 0, 0, 10)) + (SELECT COUNT(*) FROM "
         "SP_MONITOR_LISTDOWN('01', 0, 0, 0, 0, 0, 0, 10)) FROM RDB$DATABASE",
         0},
        // Written by the step, not the empty stand-ins of the 0.1.0 database.
        {"SELECT COUNT(*) FROM RDB$PROCEDURES WHERE CHAR_LENGTH(RDB$PROCEDURE_SOURCE) > 200 AND "
         "RDB$PROCEDURE_NAME IN ('SP_ZEIGAKU_ADD', 'SP_SISANHYO_BUMON_A4', 'SP_SISANHYO_BUMON_A3', "
         "'SP_MONITOR_LISTUP', 'SP_MONITOR_LISTDOWN')",
         5}}},
      // The fixture is a corporation's general code system.
      {{1, 0, 5}, ExecUserDbUpdate105,
       {{"SELECT COUNT(*) FROM ACCTOTALNAME", 38},
        {"SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='JOBCONTROL'", 4}}},
      {{2, 0, 0}, ExecUserDbUpdate200,
       {{"SELECT COUNT(*) FROM VELKORAN_YOJITUHENDOU", 5},
        {"SELECT (SELECT COUNT(*) FROM SP_YOJITU_HENDOU_SONEKI(0, '', '')) + (SELECT COUNT(*) FROM "
         "SP_YOJITU_HENDOUSONEKI_BUMON(1, 1, '01', '01')) + (SELECT COUNT(*) FROM SP_YOSAN_READ(1, '01', ' ')) + "
         "(SELECT COUNT(*) FROM SP_KURIKOSIZANDAKA(1, '01')) + (SELECT COUNT(*) FROM "
         "SP_KURIKOSIBUMONZANDAKA(1, '01')) FROM RDB$DATABASE",
         0},
        // Written by the step, not the empty stand-ins of the 0.1.0 database.
        {"SELECT COUNT(*) FROM RDB$PROCEDURES WHERE CHAR_LENGTH(RDB$PROCEDURE_SOURCE) > 200 AND "
         "RDB$PROCEDURE_NAME IN ('SP_YOSAN_READ', 'SP_UPDATE_YOSANSUB', 'SP_UPDATE_YOSAN', 'SP_SETHOJOKAISIZAN', "
         "'SP_KURIKOSIZANDAKA', 'SP_KURIKOSIBUMONZANDAKA', 'SP_SISANHYO_A4', 'SP_SISANHYO_KESSAN')",
         8}}},
      {{2, 0, 4}, ExecUserDbUpdate204,
       {{"SELECT COUNT(*) FROM TUSIN_ID WHERE REC=1", 1},
        {"SELECT COUNT(*) FROM SUITOTYO_SABUN", 0},
        {"SELECT (SELECT COUNT(*) FROM SP_SISANHYO_A4(1, '01', '')) + (SELECT COUNT(*) FROM SP_SISANHYO_A3(1, '01', "
         "'')) + (SELECT COUNT(*) FROM SP_SISANHYO_BUMON_A4(1, 1, '01', '00')) + (SELECT COUNT(*) FROM "
         "SP_SISANHYO_BUMON_A3(1, 1, '01', '00')) + (SELECT COUNT(*) FROM SP_SISANHYO_KESSAN(1)) + (SELECT "
         "COUNT(*) FROM SP_KANENDO_BUMON_ZANDAKA_A4('01', '00', 1)) + (SELECT COUNT(*) FROM "
         "SP_KANENDO_BUMON_GROUPZANDAKA('01', '')) FROM RDB$DATABASE",
         0},
        // Written by the step, not the empty stand-ins of the 0.1.0 database.
        {"SELECT COUNT(*) FROM RDB$PROCEDURES WHERE CHAR_LENGTH(RDB$PROCEDURE_SOURCE) > 200 AND "
         "RDB$PROCEDURE_NAME IN ('SP_SISANHYO_A4', 'SP_SISANHYO_A3', 'SP_SISANHYO_BUMON_A4', 'SP_SISANHYO_BUMON_A3', "
         "'SP_SISANHYO_KESSAN')",
         5}}},
  };
  // Every installed builder before 3.0.0 has its row, in list order; the file-reading steps
  // from 3.0.0 on run in the end-to-end test of z5UserDbUpdate300Test.cpp.
  TArrayDbUpdateListRec list = MakeDbUpdateLists("Tallix財務", 0).UserList;
  InstallUserDbUpdateBuilders(list);
  std::vector<std::string> installed, chained;
  for (const TDbUpdateListRec& r : list) {
    if (r.RunProc && r.Version() < TDbVersion{3, 0, 0}) installed.push_back(r.Version().Text());
  }
  for (const Step& st : steps) chained.push_back(st.version.Text());
  EXPECT_EQ(chained, installed);

  fixtures::CreateLegacyCompanyDatabase(file());
  AccInf.DATATYPE = 1;
  AccInf.CODETYPE = 1;
  AccInf.KISHU = EncodeDate(2008, 4, 1);
  AccInf.KAISI = EncodeDate(2008, 4, 1);
  AccInf.KAISINO = 1;
  for (const Step& st : steps) {
    SCOPED_TRACE(st.version.Text());
    ASSERT_EQ(st.run(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), st.version.Text());
    for (const Check& c : st.checks) EXPECT_EQ(Scalar(c.sql), c.value) << c.sql;
  }
  EXPECT_TRUE(ui.messages.empty());

  // The upgraded database comes back from a backup whole: a procedure whose parameters changed
  // under a caller would not restore.
  const fs::path restored = tmp.Path() / "restored" / "qvacc.fdb";
  fs::create_directories(restored.parent_path());
  for (int32_t mode : {0, 1}) {
    TBackupRestoreThread t(true);
    t.Mode = mode;
    t.Confirm = 0;
    t.ActivateIndexes = 1;
    t.DbFile = (mode == 0 ? file() : restored).string();
    t.BackupFile = (tmp.Path() / "chain.fbk").string();
    t.Resume();
    while (!t.IsTerminated()) WaitWithMessages(50);
    ASSERT_EQ(t.Succeeded, 1) << mode << " " << t.ErrorMessage1 << " " << t.ErrorMessage2;
  }
  fixtures::DbSession s(restored);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM KS_SETSWK_INIT"), 70);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM SP_MB_SELECT_SYUGYOU('', '')"), 1);
  EXPECT_EQ(s.Scalar("SELECT MAJOR*10000+MINOR1*100+MINOR2 FROM ACCVERSION WHERE REC=1"), 20004);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM ACCTOTALNAME"), 38);
  EXPECT_EQ(s.Scalar("SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME IN ('SP_SIWAKE_UPD', "
                     "'SP_SIWAKE_REPAIR', 'SP_HOJO_KAMOKUSZ_INS', 'SP_UPDATE_KANENDOZAN', 'SP_MOTOIREKIN_KURIIRE')"),
            5);
  EXPECT_EQ(s.Scalar("SELECT RPCNT FROM SP_SIWAKE_REPAIR"), 0);
}

// ------------------------------------------------------------------ step 0.1.3 and the guard

class CompanyUpgrade013 : public CompanyUpgradeBase {};

TEST_F(CompanyUpgrade013, GuardedBlocksAndTheAuditItems) {
  struct Case {
    const char* what;
    std::vector<std::string> before;  // run on the 0.1.0 database first
    int64_t settings;                 // SDAI_HASUU3 + 10 * KESSAN_KIKAN afterwards
    bool cashflowColumns;
  } cases[] = {
      {"no column yet", {}, -10, true},
      // A column already there keeps its block out and its value; the second block is guarded by
      // its first column only.
      {"columns present",
       {"ALTER TABLE ACCDEF1 ADD SDAI_HASUU3 INTEGER DEFAULT 0, ADD KESSAN_KIKAN INTEGER",
        "UPDATE ACCDEF1 SET SDAI_HASUU3=7, KESSAN_KIKAN=3"},
       37, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(file());
    fixtures::CreateLegacyCompanyDatabase(file());
    for (const std::string& sql : c.before) Exec(sql);
    ASSERT_EQ(ExecUserDbUpdate013(), kStepOk) << ErrDataup();
    EXPECT_EQ(Version(), "0.1.3");
    EXPECT_EQ(Scalar("SELECT SDAI_HASUU3 + 10*KESSAN_KIKAN FROM ACCDEF1 WHERE REC=1"), c.settings);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME='ACCDEF1' AND "
                     "RDB$FIELD_NAME IN ('CASHFLOW_KIKAN1', 'CASHFLOW_KIKAN2')"),
              c.cashflowColumns ? 2 : 0);
    // The audit heading and the one audit item.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA WHERE REC=1 AND TITLE='監査報告書' AND JIMUSHO='' AND TANTOU=''"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM"), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE REC=1 AND JUNJO=1 AND TEXT='現・預金の残高確認' AND "
                     "NOTE='現・預金の残高を確認しました。' AND PRINT=0 AND CHECKMARK=0 AND CHOUBO=0 AND KENSAKU=0 "
                     "AND SWK_KENSAKU IS NULL AND TOZ_BCODE IS NULL"),
              1);
    // Eight named references, each following updates and letting go on deletion.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS C JOIN RDB$REF_CONSTRAINTS R ON "
                     "R.RDB$CONSTRAINT_NAME=C.RDB$CONSTRAINT_NAME WHERE C.RDB$RELATION_NAME='KANSA_ITEM' AND "
                     "C.RDB$CONSTRAINT_NAME IN ('KANSA_ITEM_SIWAKE', 'KANSA_ITEM_MOTO', 'KANSA_ITEM_MOTBCODE', "
                     "'KANSA_ITEM_MOTHCODE', 'KANSA_ITEM_MOTKCODE', 'KANSA_ITEM_TOZBCODE', 'KANSA_ITEM_TOZHCODE', "
                     "'KANSA_ITEM_TOZKCODE') AND R.RDB$UPDATE_RULE='CASCADE' AND R.RDB$DELETE_RULE='SET NULL'"),
              8);
    Exec("UPDATE KANSA_ITEM SET MOT_KCODE='1102', MOT_HCODE='001', SWK_KENSAKU=1 WHERE REC=1");
    Exec("DELETE FROM HOJOMST WHERE KCODE='1102' AND HCODE='001'");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM KANSA_ITEM WHERE MOT_KCODE IS NULL AND MOT_HCODE IS NULL AND "
                     "SWK_KENSAKU=1"),
              1);
  }
}

TEST_F(CompanyUpgrade013, TheColumnGuardAndTheBlocksOfEachStep) {
  fixtures::CreateLegacyCompanyDatabase(file());
  Exec("ALTER TABLE ACCDEF1 ADD SDAI_HASUU3 INTEGER");
  EXPECT_TRUE(userupdate::ColumnExists("ACCDEF1", "SDAI_HASUU3"));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(userupdate::ColumnExists("ACCDEF1", "KESSAN_KIKAN"));
  EXPECT_FALSE(DM->IBDatabaseDAT.Connected());
  // The blocks each of the five oldest steps carries, on a database with neither column.
  Exec("ALTER TABLE ACCDEF1 DROP SDAI_HASUU3");
  const size_t blockLines[] = {10, 0, 10, 6, 0};
  for (int32_t step = 1; step <= 5; ++step) {
    userupdate::Lines lines;
    userupdate::AddStep01Blocks(step, lines);
    EXPECT_EQ(lines.size(), blockLines[step - 1]) << step;
  }
  SystemDef.DataDir = (tmp.Path() / "nowhere").string();
  userupdate::Lines lines;
  userupdate::AddSdaiHasuu3Block(lines);
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_TRUE(ui.Shown("ユーザーデータベースの接続処理に失敗しました。"));
}

}  // namespace
