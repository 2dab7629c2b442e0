// Loading the open company's settings (AccInf) from fixture companies of each kind and data
// version, and the small lookups that go with it.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>

#include "DataModuleTestEnv.h"
#include "data/DataModule.h"
#include "data/uAccConst.h"
#include "data/uAccRecord.h"
#include "data/uAccScramble.h"
#include "fixtures/FixtureDb.h"
#include "fixtures/Installation.h"
#include "fixtures/LegacyCompanyDb.h"
#include "platform/DateTime.h"
#include "platform/db/TransactionScope.h"
#include "support/ScriptedUi.h"

namespace {

using fixtures::Company;
using fixtures::CompanyPlan;

std::string D(TDateTime d) { return FormatDateTime("yyyy/mm/dd", d); }

class AccInfo : public DataModuleTestBase {
 protected:
  void SetUp() override {
    DataModuleTestBase::SetUp();
    SystemDef.JobLevel = 1;
    SystemDef.JimushoOperator = 0;
    SystemDef.SisetuAllSw = 0;
    CreateDataModule();
  }

  static Company& Add(CompanyPlan setup) { return inst_->AddCompany(std::move(setup)); }

  // Statements run on the company database in one committed transaction.
  static void Exec(const Company& co, std::initializer_list<std::string> statements) {
    fixtures::DbSession s(co.DbFile());
    for (const std::string& sql : statements) s.Exec(sql);
    s.Commit();
  }
  static void PutReg(const Company& co, const std::string& group, const std::string& key, const std::string& type,
                     const std::string& text) {
    fixtures::DbSession s(co.DbFile());
    TIBSQL q;
    s.Prepare(q, "UPDATE OR INSERT INTO ACCREG (AGROUP, ACODE, ATYPE, ATEXT) VALUES (:G, :K, :T, :X) MATCHING (AGROUP, ACODE)");
    q.ParamByName("G").SetString(group);
    q.ParamByName("K").SetString(key);
    q.ParamByName("T").SetString(type);
    q.ParamByName("X").SetString(text);
    q.ExecQuery();
    s.Commit();
  }
  // The stored text of a setting; "<none>" when the row is missing.
  static std::string RegText(const Company& co, const std::string& group, const std::string& key) {
    fixtures::DbSession s(co.DbFile());
    TIBSQL q;
    s.Prepare(q, "SELECT ATEXT FROM ACCREG WHERE AGROUP = :G AND ACODE = :K");
    q.ParamByName("G").SetString(group);
    q.ParamByName("K").SetString(key);
    q.ExecQuery();
    return q.Eof() ? "<none>" : q.Fields(0).AsString();
  }

  bool Load(const Company& co) {
    Open(DM->IBDatabaseDAT, co.DbFile());
    const bool ok = DM->fnGetAccInfo();
    EXPECT_FALSE(DM->IBTransactionDAT.Active()) << "the load ends its transaction";
    return ok;
  }
};

}  // namespace

TEST_F(AccInfo, CorporationPeriodsYearTablesAndStandardAccounts) {
  CompanyPlan setup = CompanyPlan::Corporation();
  setup.kishu = EncodeDate(2013, 4, 1);
  setup.kimatu = EncodeDate(2014, 3, 31);
  setup.taxDefUH = 1;
  Company& co = Add(setup);
  Exec(co, {"UPDATE ACCDEF1 SET WEB_HOLDER = 'H0', PASWORD = 'P0', KESSAN_KIKAN = 3, KURIKOSI1 = 0",
            "INSERT INTO TUSIN_ID (REC, HOLDER, PASWORD) VALUES (1, 'H1', 'P1')",
            "INSERT INTO ACCTOTALNAME (REC, KGROUP, PLUSNAME) VALUES (1, '5880', '販売費計')",
            "INSERT INTO ACCTOTALNAME (REC, KGROUP, PLUSNAME) VALUES (2, '5688', '売上総利益')"});
  PutReg(co, "基本設定", "一括税抜処理", "整数", "1");

  ASSERT_TRUE(Load(co));
  const TACCINF& a = AccInf;
  EXPECT_EQ(a.DataTypeName, "法人");
  EXPECT_EQ(a.CodeTypeName, "");
  EXPECT_EQ(a.IsMedical, 0);
  EXPECT_EQ(a.SHOUGOU, setup.name);

  // A twelve-month year 1 April to 31 March, month-end closing, input from the first day.
  EXPECT_EQ(a.PrevKikanNo, 0);
  EXPECT_EQ(a.LastKikanNo, 15);
  EXPECT_EQ(a.KimatuMonths, 11);
  EXPECT_EQ(a.KaisiMonths, 0);
  // No previous starts recorded: whole years back.
  EXPECT_EQ(D(a.KiStart[0]) + " " + D(a.KiStart[1]) + " " + D(a.KiStart[2]), "2013/04/01 2012/04/01 2011/04/01");
  EXPECT_EQ(D(a.KiEnd[0]) + " " + D(a.KiEnd[1]) + " " + D(a.KiEnd[2]), "2014/03/31 2013/03/31 2012/03/31");
  EXPECT_EQ(D(a.KiInputStart[1]) + " " + D(a.KiInputStart[2]), "2012/04/01 2011/04/01");

  EXPECT_EQ(a.SysKCode[kSysGenkin] + "/" + a.SysUserCode[kSysGenkin], "1110/100");
  EXPECT_EQ(a.SysKCode[kSysKurikoshiRieki], "3210");
  EXPECT_EQ(a.SysKCode[kSysShokuchi], "9900");
  EXPECT_EQ(a.FumeiUserCode, a.SysUserCode[kSysShokuchi]);
  EXPECT_EQ(a.TegataKCode[0] + " " + a.TegataKCode[1] + " " + a.TegataKCode[2], "1220 2125 2126");
  for (int i = kSysJigyonushiKashi; i <= kSysTaishokuKyufu; ++i) EXPECT_EQ(a.SysKCode[i], "") << i;

  EXPECT_EQ(a.BumonCount, 2);  // the blank "no department" row does not count
  EXPECT_EQ(a.TusinHolder[0] + a.TusinPassword[0] + a.TusinHolder[1] + a.TusinPassword[1], "H0P0H1P1");
  EXPECT_EQ(a.PlusName5880, "販売費計");
  EXPECT_EQ(a.PlusName5688, "売上総利益");
  EXPECT_EQ(a.PlusName5580, "");
  EXPECT_EQ(a.KESSAN_KIKAN, 3);
  EXPECT_EQ(a.TAXDEFUH2, 1);
  EXPECT_EQ(a.KURIKOSI1, 0);  // read from its column
  EXPECT_EQ(a.KURIKOSI2, 0);
  EXPECT_EQ(a.IkkatuZeinuki, 0);  // whatever is stored
  EXPECT_EQ(a.KCodeDigits, 3);
  EXPECT_EQ(a.KobetuGenkaName, "個別原価");
  EXPECT_EQ(a.VerMajor * 100 + a.VerMinor1 * 10 + a.VerMinor2, 1020);
  EXPECT_EQ(a.Reserved129, 1);  // no branches
  EXPECT_EQ(a.Reserved93, 1);
  EXPECT_TRUE(ui_.messages.empty());

  // Missing settings were created with their defaults.
  EXPECT_EQ(RegText(co, "基本設定", "個別原価別名"), "個別原価");
  EXPECT_EQ(RegText(co, "減価償却設定", "250%定率法で償却する経過措置"), "0");
  EXPECT_EQ(RegText(co, "通信設定", "クラウド区分"), "0");
  EXPECT_EQ(RegText(co, "基本設定", "データパスワードV2"), "");  // data version 10 reads it
}

TEST_F(AccInfo, LookupsKeepTheCallersCursorOnTheSharedCompanyQuery) {
  // A caller walks rows on the module's company query and looks up, for each row, what the
  // load looks up: the lookups must not close or replace the cursor it stands on.
  Company& co = Add(CompanyPlan::Corporation());
  Exec(co, {"INSERT INTO TUSIN_ID (REC, HOLDER, PASWORD) VALUES (1, 'H1', 'P1')",
            "INSERT INTO ACCTOTALNAME (REC, KGROUP, PLUSNAME) VALUES (1, '5880', '販売費計')"});
  const int64_t accounts = Scalar(co.DbFile(), "SELECT COUNT(*) FROM ACCDEF2");
  ASSERT_GE(accounts, 2);
  ASSERT_TRUE(Load(co));

  TTransactionScope tx(DM->IBTransactionDAT);
  TIBQuery& q = DM->IBQACC1;
  q.SQL =
      "SELECT A.KNAME,A.KCODE,K.USERCODE FROM ACCDEF2 A\nINNER JOIN KAMOKUMST K ON (A.KCODE=K.KCODE)\n"
      "ORDER BY A.KNAME";
  int64_t rows = 0;
  for (q.Open(); !q.Eof(); q.Next(), ++rows) {
    const std::string kname = q.FieldByName("KNAME").AsString();
    SCOPED_TRACE(kname);
    std::string kcode, userCode, byCode, total;
    DM->SetSystemCode(kname, kcode, userCode);
    DM->GetUserCode(kcode, byCode);
    DM->fnGetAccTotalName("5880", "PLUSNAME", total);
    DM->GetTusinId(1, 1);
    EXPECT_EQ(kcode, q.FieldByName("KCODE").AsString());
    EXPECT_EQ(userCode, q.FieldByName("USERCODE").AsString());
    EXPECT_EQ(byCode, userCode);
    EXPECT_EQ(total, "販売費計");
    EXPECT_EQ(AccInf.TusinHolder[1], "H1");
  }
  EXPECT_EQ(rows, accounts);
  EXPECT_TRUE(DM->IBTransactionDAT.Active()) << "the lookups leave the caller's transaction running";
  q.Close();
}

TEST_F(AccInfo, ALoadInsideTheCallersTransactionLeavesItRunning) {
  Company& co = Add(CompanyPlan::Corporation());
  Open(DM->IBDatabaseDAT, co.DbFile());
  DM->IBTransactionDAT.StartTransaction();
  TIBSQL pending;
  pending.SetDatabase(&DM->IBDatabaseDAT);
  pending.SetTransaction(&DM->IBTransactionDAT);
  pending.SQL = "UPDATE ACCDEF1 SET SHOUGOU = '未確定'";
  pending.ExecQuery();

  ASSERT_TRUE(DM->fnGetAccInfo());
  EXPECT_EQ(AccInf.SHOUGOU, "未確定");  // read in the caller's transaction
  ASSERT_TRUE(DM->IBTransactionDAT.Active());
  DM->IBTransactionDAT.Rollback();
  EXPECT_EQ(Scalar(co.DbFile(), "SELECT COUNT(*) FROM ACCDEF1 WHERE SHOUGOU = '未確定'"), 0)
      << "the load committed the caller's work";
}

TEST_F(AccInfo, InputStartAndRecordedPreviousYears) {
  CompanyPlan setup = CompanyPlan::Corporation();
  setup.kishu = EncodeDate(2013, 4, 1);
  setup.kimatu = EncodeDate(2014, 3, 31);
  Company& co = Add(setup);
  Exec(co, {"UPDATE ACCDEF1 SET ZKISHU = '2012-10-01', ZZKISHU = '2011-10-01', KAISI = '2013-07-01'"});
  const struct {
    int kaisino, prev;
  } cases[] = {{1, 0}, {3, 2}, {4, 4}, {7, 8}, {12, 14}, {13, 0}, {0, 0}};
  for (const auto& c : cases) {
    Exec(co, {"UPDATE ACCDEF1 SET KAISINO = " + std::to_string(c.kaisino)});
    ASSERT_TRUE(Load(co));
    EXPECT_EQ(AccInf.PrevKikanNo, c.prev) << "KAISINO " << c.kaisino;
  }
  const TACCINF& a = AccInf;
  EXPECT_EQ(a.KaisiMonths, 3);
  EXPECT_EQ(D(a.KiStart[1]) + " " + D(a.KiEnd[1]), "2012/10/01 2013/03/31");
  EXPECT_EQ(D(a.KiStart[2]) + " " + D(a.KiEnd[2]), "2011/10/01 2012/09/30");
  EXPECT_EQ(D(a.KiInputStart[0]), "2013/07/01");
}

TEST_F(AccInfo, IndividualsOfEachCodeType) {
  AccInf.TegataKCode = {"kept", "kept", "kept"};  // a previous corporation's notes accounts
  const char* const names[] = {"一般", "不動産", "クリニック", "農業"};
  for (int codeType = 1; codeType <= 4; ++codeType) {
    Company& co = Add(CompanyPlan::Individual(codeType));
    ASSERT_TRUE(Load(co)) << codeType;
    const TACCINF& a = AccInf;
    EXPECT_EQ(a.DataTypeName, "個人");
    EXPECT_EQ(a.CodeTypeName, names[codeType - 1]);
    EXPECT_EQ(a.IsMedical, 0);
    EXPECT_EQ(a.SysKCode[kSysJigyonushiKashi] + " " + a.SysKCode[kSysJigyonushiKari] + " " + a.SysKCode[kSysMotoire],
              "1910 2910 3110");
    EXPECT_EQ(a.SysKCode[kSysKurikoshiRieki], "");  // not in an individual's chart
    EXPECT_EQ(a.TegataKCode[0], "kept");             // only corporations load them
    EXPECT_EQ(D(a.KiStart[1]), "2013/01/01");
    EXPECT_EQ(a.LastKikanNo, 15);
  }
}

TEST_F(AccInfo, MedicalCorporationThenCorporationSwitchTheDataKindTables) {
  Company& medical = Add(CompanyPlan::Medical());
  ASSERT_TRUE(Load(medical));
  EXPECT_EQ(AccInf.DataTypeName, "医療法人");
  EXPECT_EQ(AccInf.IsMedical, 1);
  EXPECT_EQ(AccInf.SysKCode[kSysKurikoshiRieki], "3210");  // 前期繰越利益
  EXPECT_EQ(AccInf.SysKCode[kSysKyuryo] + " " + AccInf.SysKCode[kSysTaishokuKyufu], "6115 6118");
  EXPECT_EQ(AccInf.Reserved129, SystemDef.R4Bit4);  // branches in use
  EXPECT_EQ(AccGroupCodes[72] + " " + AccGroupCodes[84] + " " + AccGroupCodes[88], "6950 9280 3450");
  EXPECT_EQ(SikinguriTable.size(), 38u);

  ASSERT_TRUE(Load(Add(CompanyPlan::Corporation())));
  EXPECT_EQ(AccInf.IsMedical, 0);
  EXPECT_EQ(AccInf.SysKCode[kSysKyuryo], "");
  EXPECT_EQ(AccGroupCodes[72] + " " + AccGroupCodes[84] + " " + AccGroupCodes[88], "6200 8400 ****");
  EXPECT_EQ(SikinguriTable.size(), 39u);
}

TEST_F(AccInfo, OlderDataWithoutOptionalColumnsKeepsOrDefaultsThoseFields) {
  CompanyPlan setup = CompanyPlan::Corporation();
  setup.dropOptionalColumns = true;
  setup.verMajor = 6;
  setup.verMinor1 = 0;
  setup.taxDefUH = 1;
  Company& co = Add(setup);
  PutReg(co, "基本設定", "データパスワード", "文字", "　pass1 ");
  PutReg(co, "基本設定", "データパスワードV2", "文字", "hFOAxZPt");
  AccInf.KESSAN_KIKAN = 7;
  AccInf.CASHFLOW_KIKAN1 = 8;
  AccInf.GENKA_HWORD6 = "前の値";
  AccInf.SDAI_HASUU3 = 5;
  AccInf.WEB_HOLDER = "old";
  AccInf.TusinHolder[1] = "old";

  ASSERT_TRUE(Load(co));
  const TACCINF& a = AccInf;
  EXPECT_EQ(a.KESSAN_KIKAN, 7);
  EXPECT_EQ(a.CASHFLOW_KIKAN1, 8);
  EXPECT_EQ(a.GENKA_HWORD6, "前の値");
  EXPECT_EQ(a.SDAI_HASUU3, 0);
  EXPECT_EQ(a.WEB_HOLDER, "");
  EXPECT_EQ(a.KURIKOSI1, 1);  // TAXDEFUH stands in
  EXPECT_EQ(a.KURIKOSI2, 1);
  EXPECT_EQ(a.TusinHolder[1], "");  // no TUSIN_ID table, and nothing reported
  EXPECT_EQ(a.VerMajor, 6);
  EXPECT_EQ(a.DataPassword, "pass1");  // before data version 7 the plain setting counts
  EXPECT_TRUE(ui_.messages.empty());
}

// A data set of the first data version has a settings row with a handful of columns and no
// total-name table: the load gives the later columns the values they start with and reports
// nothing, so the upgrade can load it before its first step.
// Its database comes from the legacy fixture script, which the run as a user without database
// rights does not create: the suite's name keeps it out of that run.
class LegacyAccInfo : public AccInfo {};

TEST_F(LegacyAccInfo, FirstDataVersionLoadsWithTheDefaultsOfWhatItLacks) {
  CompanyPlan setup = CompanyPlan::Corporation();
  Company& co = Add(setup);
  std::filesystem::remove(co.DbFile());
  fixtures::CreateLegacyCompanyDatabase(co.DbFile());
  // Values of a data set loaded before: every one must be replaced.
  AccInf.GROUPID = 5;
  AccInf.SERIAL = "old";
  AccInf.SIME = 20;
  AccInf.OLD_TAX_RATE[0] = Currency::FromYen(3);
  AccInf.CHG_DAYS[0] = 40000;
  AccInf.FUMEI_KCODE = "9999";
  AccInf.PlusName5880 = "old";
  AccInf.TusinHolder[1] = "old";

  ASSERT_TRUE(Load(co));
  const TACCINF& a = AccInf;
  // What the row has.
  EXPECT_EQ(a.SHOUGOU, "株式会社旧");
  EXPECT_EQ(a.NENDO, 2008);
  EXPECT_EQ(a.BUMON, 2);
  EXPECT_EQ(D(a.KISHU) + "-" + D(a.KIMATU), "2008/04/01-2009/03/31");
  EXPECT_EQ(a.VerMajor * 10000 + a.VerMinor1 * 100 + a.VerMinor2, 100);
  // What it lacks.
  EXPECT_EQ(a.GROUPID, 10000);
  EXPECT_EQ(a.SERIAL, "");
  EXPECT_EQ(a.SIME, 0);
  EXPECT_EQ(a.OLD_TAX_RATE[0], Currency{});
  EXPECT_EQ(a.CHG_DAYS[0], 0);
  EXPECT_EQ(a.FUMEI_KCODE, "");
  EXPECT_EQ(a.PlusName5880, "");
  EXPECT_EQ(a.TusinHolder[1], "");
  EXPECT_EQ(D(a.KiStart[1]), "2007/04/01");  // no recorded previous year: a year before
  for (const auto& m : ui_.messages) ADD_FAILURE() << (m.lines.empty() ? "" : m.lines[0]) << " / " << m.detail;
}

TEST_F(AccInfo, DataPasswordFromVersion7IsUnscrambled) {
  CompanyPlan setup = CompanyPlan::Corporation();
  setup.verMajor = 7;
  setup.verMinor1 = 0;
  Company& co = Add(setup);
  PutReg(co, "基本設定", "データパスワード", "文字", "pass1");
  struct {
    const char* v2;  // nullptr: no row
    const char* password;
  } const cases[] = {{"hFOAxZPt", "password"}, {" hFOAxZPt　", "password"}, {"-bad", ""}, {"", ""}};
  for (const auto& c : cases) {
    PutReg(co, "基本設定", "データパスワードV2", "文字", c.v2);
    ASSERT_TRUE(Load(co));
    EXPECT_EQ(AccInf.DataPassword, c.password) << "[" << c.v2 << "]";
  }
  Exec(co, {"DELETE FROM ACCREG WHERE ACODE = 'データパスワードV2'"});
  ASSERT_TRUE(Load(co));
  EXPECT_EQ(AccInf.DataPassword, "");
  EXPECT_EQ(RegText(co, "基本設定", "データパスワードV2"), "");
}

TEST_F(AccInfo, PersonalNumberSettingsReadThroughTheTransform) {
  Company& co = Add(CompanyPlan::Corporation());
  const std::string storedKey = ProtectStoreText("12345678");
  PutReg(co, "基本設定", "＃USE", "整数", "1");
  PutReg(co, "基本設定", "＃KEY", "文字", storedKey);
  PutReg(co, "基本設定", "＃VALUE", "文字", "written-elsewhere");
  ASSERT_TRUE(Load(co));
  EXPECT_EQ(AccInf.MyNumberUse, 1);
  EXPECT_EQ(AccInf.MyNumberKey, "12345678");
  EXPECT_EQ(AccInf.MyNumberValue, "");  // unreadable here
  // Loading never rewrites the stored forms, readable or not.
  EXPECT_EQ(RegText(co, "基本設定", "＃KEY"), storedKey);
  EXPECT_EQ(RegText(co, "基本設定", "＃VALUE"), "written-elsewhere");
}

TEST_F(AccInfo, RefusedDataOrCodeTypesAndAMissingRowFailTheLoad) {
  Company& co = Add(CompanyPlan::Corporation());
  const std::string codeTypeText = "このプログラムでは、該当のコードタイプを処理することが出来ません。";
  const std::string dataTypeText = "このプログラムでは、該当のデータタイプを処理することが出来ません。";
  struct {
    std::string update;
    std::string detail;
  } const cases[] = {
      {"DATATYPE = 2, CODETYPE = 5", codeTypeText + "(CodeType=5)"},
      {"DATATYPE = 1, CODETYPE = 2", codeTypeText + "(CodeType=2)"},
      {"DATATYPE = 3, CODETYPE = 0", codeTypeText + "(CodeType=0)"},
      {"DATATYPE = 4, CODETYPE = 1", dataTypeText + "(DataType=4)"},
  };
  for (const auto& c : cases) {
    Exec(co, {"UPDATE ACCDEF1 SET " + c.update});
    ui_.messages.clear();
    EXPECT_FALSE(Load(co)) << c.update;
    ASSERT_EQ(ui_.messages.size(), 1u) << c.update;
    EXPECT_EQ(ui_.messages[0].kind, uis::MsgKind::Error);
    EXPECT_TRUE(ui_.Shown("基本情報の取得に失敗しました。")) << c.update;
    EXPECT_TRUE(ui_.Shown(c.detail)) << c.update;
  }
  Exec(co, {"DELETE FROM ACCDEF1"});
  ui_.messages.clear();
  EXPECT_FALSE(Load(co));
  EXPECT_TRUE(ui_.Shown("基本設定(ACCDEF1)のレコードが見つかりませんでした。"));
}

TEST(AccInfoNames, DataAndCodeTypeNames) {
  struct {
    int dataType, codeType;
    bool withType;
    std::string name;
  } const cases[] = {
      {1, 1, true, "法人"},          {3, 1, true, "医療法人"},       {2, 3, true, "個人／クリニック"},
      {2, 1, false, "一般"},         {2, 4, false, "農業"},          {1, 1, false, ""},
  };
  for (const auto& c : cases) {
    std::string name = "x";
    TDM::GetCodeTypeName(c.dataType, c.codeType, name, c.withType);
    EXPECT_EQ(name, c.name) << c.dataType << "/" << c.codeType;
  }
  std::string name;
  EXPECT_THROW(TDM::GetCodeTypeName(2, 5, name, true), std::runtime_error);
  try {
    TDM::GetDataTypeName(0, name);
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "このプログラムでは、該当のデータタイプを処理することが出来ません。(DataType=0)");
  }
}

TEST(AccInfoNames, XStrValues) {
  struct {
    std::string xstr, name;
    TAccValue value;
  } const cases[] = {
      {"A=1\r\nCOLOR=255", "color", TAccValue(int32_t{255})},
      {"COLOR=0", "COLOR", TAccValue(int32_t{0xFFAF80})},
      {"A=1", "COLOR", TAccValue(int32_t{0xFFAF80})},
      {"COLOR=-5\nX=y", "COLOR", TAccValue(int32_t{0xFFAF80})},
      {"COLOR=red", "COLOR", TAccValue(int32_t{0xFFAF80})},
      {"a=1\nname=本店", "NAME", TAccValue(std::string("本店"))},
      {"", "NAME", TAccValue(std::string(""))},
  };
  for (const auto& c : cases) {
    TAccValue v;
    TDM::GetXStrValue(c.xstr, c.name, v);
    EXPECT_EQ(v, c.value) << c.xstr << " " << c.name;
  }
}

TEST_F(AccInfo, DataBaseVersionText) {
  Company& co = Add(CompanyPlan::Corporation());
  ASSERT_TRUE(Load(co));
  std::string v;
  DM->fnGetDataBaseVer(v);
  EXPECT_EQ(v, "10.2.0");
  Exec(co, {"UPDATE ACCVERSION SET REC = 2"});
  DM->fnGetDataBaseVer(v);
  EXPECT_EQ(v, "0.0.0");
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(AccInfo, OperatorsFacility) {
  Company& corp = Add(CompanyPlan::Corporation());
  ASSERT_TRUE(Load(corp));
  std::string name;
  EXPECT_TRUE(DM->fnGetExistsOpeDefSisetu());
  DM->GetOpeDefSisetu(name);
  EXPECT_EQ(name, corp.Setup().name);
  EXPECT_EQ(SystemDef.SisetuCode, " ");
  EXPECT_EQ(SystemDef.DefSisetuCode, " ");
  EXPECT_EQ(SystemDef.SisetuJigyoKbn, 1);
  EXPECT_EQ(SystemDef.SisetuColor, 0xFFAF80);

  SystemDef.LogonId = fixtures::Installation::LogonId(99);  // no rights on this data set
  EXPECT_FALSE(DM->fnGetExistsOpeDefSisetu());
  SystemDef.JobLevel = 9;  // an administrator may use any data set
  EXPECT_TRUE(DM->fnGetExistsOpeDefSisetu());

  // An administrator works in the first facility of a medical corporation.
  Company& medical = Add(CompanyPlan::Medical());
  Exec(medical, {"UPDATE SISETUMST SET XSTR = 'COLOR=255' WHERE SCODE = '01'"});
  ASSERT_TRUE(Load(medical));
  DM->GetOpeDefSisetu(name);
  EXPECT_EQ(name, "サンプル病院");
  EXPECT_EQ(SystemDef.SisetuCode, "01");
  EXPECT_EQ(SystemDef.SisetuJigyoKbn, 4);
  EXPECT_EQ(SystemDef.SisetuColor, 255);

  // Medical data without facility accounting is damaged: shown, facility unchanged.
  Exec(medical, {"UPDATE ACCDEF1 SET SITEN = 0"});
  ASSERT_TRUE(Load(medical));
  DM->GetOpeDefSisetu(name);
  EXPECT_EQ(name, "");
  EXPECT_EQ(SystemDef.SisetuCode, "01");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.Shown("通常使用するデータ（本・支店）の取得に失敗しました。"));
  EXPECT_TRUE(ui_.Shown("施設管理がおこなわれていません。"));
  EXPECT_FALSE(DM->IBTransactionDAT.Active());
}
