// The operator's settings in the system database: SYSDEF, SYSREG, SYSTEMINI, STYLECOLOR and
// the logon list.
#include <gtest/gtest.h>

#include "DataModuleTestEnv.h"
#include "platform/db/IBSQL.h"

namespace {

class SystemSettings : public DataModuleTest {
 protected:
  void SetUp() override {
    DataModuleTest::SetUp();
    ASSERT_TRUE(DM->fnAccDefConnected("", true));
  }

  // Runs statements on the system database on a connection of its own.
  static void Exec(std::initializer_list<std::string> statements) {
    fixtures::DbSession s(SystemDb());
    for (const auto& sql : statements) s.Exec(sql);
    s.Commit();
  }
  static int64_t Count(const std::string& sql) { return Scalar(SystemDb(), sql); }
  // STEXT of a SYSREG row ("<none>" when missing).
  static std::string RegText(int opCode, const std::string& name) {
    fixtures::DbSession s(SystemDb());
    TIBSQL q;
    s.Prepare(q, "SELECT STEXT FROM SYSREG WHERE OPCODE = :O AND SCODE = :S");
    q.ParamByName("O").SetInteger(opCode);
    q.ParamByName("S").SetString(name);
    q.ExecQuery();
    return q.Eof() ? "<none>" : q.Fields(0).AsString();
  }
  static void PutRegRow(int opCode, const std::string& name, const std::string& type, const std::string& text) {
    fixtures::DbSession s(SystemDb());
    TIBSQL q;
    s.Prepare(q, "UPDATE OR INSERT INTO SYSREG (OPCODE, SCODE, STYPE, STEXT) VALUES (:O, :S, :T, :X) MATCHING (OPCODE, SCODE)");
    q.ParamByName("O").SetInteger(opCode);
    q.ParamByName("S").SetString(name);
    q.ParamByName("T").SetString(type);
    q.ParamByName("X").SetString(text);
    q.ExecQuery();
    s.Commit();
  }
  // A logon id of its own per test, so each test starts without settings rows.
  void UseOperator(int code) {
    SystemDef.OpCode = code;
    SystemDef.LogonId = fixtures::Installation::LogonId(code);
  }
};

}  // namespace

TEST_F(SystemSettings, FirstLoadCreatesTheRowAndTheSettings) {
  UseOperator(51);
  const int id = SystemDef.LogonId;
  ASSERT_TRUE(DM->fnGetSysDef());
  EXPECT_FALSE(DM->IBTransactionDEF.Active());
  EXPECT_EQ(Count("SELECT COUNT(*) FROM SYSDEF WHERE OPCODE = " + std::to_string(id)), 1);
  EXPECT_EQ(Count("SELECT SANKAKUPLUS + DICTEKAUTO * 10 + DICTORAUTO * 100 FROM SYSDEF WHERE OPCODE = " +
                  std::to_string(id)),
            111);
  EXPECT_EQ(SystemDef.ColHeaderColor, 14408667);
  EXPECT_EQ(SystemDef.ClientColor2, 0xE1F0FF);
  EXPECT_EQ(SystemDef.NetColor1, 14155735);
  EXPECT_EQ(SystemDef.PLineColor2, 0x7900);
  EXPECT_EQ(SystemDef.DicSwitch, 0);
  // The dictionary defaults of a new operator, then every setting read with its default.
  EXPECT_EQ(RegText(id, "摘要＿自動開く区分"), "1");
  EXPECT_EQ(RegText(id, "取引先＿辞書開く区分"), "1");
  EXPECT_EQ(SystemDef.摘要＿自動開く区分, 1);
  EXPECT_EQ(RegText(id, "試算表タイトル"), "試　算　表");
  EXPECT_EQ(SystemDef.ＢＳタイトル[kTitleZenKamoku], "資産・負債・純資産");
  EXPECT_EQ(SystemDef.ＢＳタイトル[kTitleTeikeiA4], "");
  EXPECT_EQ(SystemDef.販売費タイトル[kTitleTeikeiA4], "販売費・一般管理費");
  EXPECT_EQ(SystemDef.試算表ＢＳ改ページ区, 1);
  EXPECT_EQ(SystemDef.仕訳日付フォーカス, 2);
  EXPECT_EQ(SystemDef.Reserved191, 1);
  // The data check is kept for the group, under the group's own id.
  EXPECT_EQ(RegText(fixtures::Installation::kGroupId * 10000 + 9999, "データ破損チェック区"), "1");
  EXPECT_EQ(SystemDef.DataCheckKbn, 1);
  const int64_t rows = Count("SELECT COUNT(*) FROM SYSREG WHERE OPCODE = " + std::to_string(id));
  EXPECT_GT(rows, 30);

  // A second load finds everything and inserts nothing.
  ASSERT_TRUE(DM->fnGetSysDef());
  EXPECT_EQ(Count("SELECT COUNT(*) FROM SYSREG WHERE OPCODE = " + std::to_string(id)), rows);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SystemSettings, OemDefaultsOverwriteTheStandardOnes) {
  UseOperator(52);
  OemKind = 1;
  ASSERT_TRUE(DM->fnGetSysDef());
  const int id = SystemDef.LogonId;
  EXPECT_EQ(Count("SELECT DICSWITCH * 100 + DICTEKAUTO * 10 + DICTORAUTO FROM SYSDEF WHERE OPCODE = " +
                  std::to_string(id)),
            220);
  EXPECT_EQ(RegText(id, "摘要＿辞書開く区分"), "0");  // written twice, the OEM value last
  EXPECT_EQ(RegText(id, "摘要＿連想開く区分"), "1");
  EXPECT_EQ(SystemDef.部門コード桁数, 1);
  EXPECT_EQ(SystemDef.R4Bit7, 1);
  EXPECT_EQ(SystemDef.試算表ＢＳ改ページ区, 0);
}

TEST_F(SystemSettings, StoredValuesColoursAndFlagBits) {
  UseOperator(53);
  const std::string id = std::to_string(SystemDef.LogonId);
  Exec({"INSERT INTO SYSDEF (OPCODE, DATADIR, COLHEADERGRADCOLOR1, COLHEADERGRADCOLOR2, RESERVE2, RESERVE4, SHOUHYOU, "
        "FONTNAME, FONTSIZE, FONTSTYLE) VALUES (" + id + ", '/data/0007', 0, 0, 5, 48, 7, 'ＭＳ ゴシック', 11, 3)",
        "INSERT INTO SYSTEMINI (REC, RESERVE1, RESERVE2, RESERVE3, SSTR) VALUES (10, 1, 2, 3, "
        "'NAME=山田会計事務所' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'tel=03-1234-5678')",
        "INSERT INTO SYSTEMINI (REC, RESERVE1) VALUES (20, 1)"});
  PutRegRow(SystemDef.LogonId, "消費税コード印刷区分", "整数", "0");
  PutRegRow(SystemDef.LogonId, "試算表タイトル", "文字", "");
  ASSERT_TRUE(DM->fnGetSysDef());
  EXPECT_EQ(SystemDef.DataDir, "/data/0007");
  EXPECT_EQ(SystemDef.ColHeaderGradColor1, 0xFFFFFF);
  EXPECT_EQ(SystemDef.ColHeaderGradColor2, 12303291);
  EXPECT_EQ(SystemDef.R2Bit1, 1);
  EXPECT_EQ(SystemDef.R2Bit2, 0);
  EXPECT_EQ(SystemDef.R4Bit56, 1);  // bits 5 and 6 both set
  EXPECT_EQ(SystemDef.消費税コード印刷区分, 1);  // always 1 outside the OEM kind
  EXPECT_EQ(SystemDef.試算表タイトル, " ");    // an empty text reads as one blank
  EXPECT_EQ(SystemDef.KaishaName, "山田会計事務所");
  EXPECT_EQ(SystemDef.KaishaTel, "03-1234-5678");
  EXPECT_EQ(SystemDef.KaishaJyusho, "");
  EXPECT_EQ(SystemDef.KaishaNo3, 3);
  EXPECT_EQ(SystemDef.SisetuAllSw, 1);
  EXPECT_EQ(SystemDef.AppFont.Name, "ＭＳ ゴシック");
  EXPECT_TRUE(SystemDef.AppFont.Bold && SystemDef.AppFont.Italic);

  SystemDef.R2Bit2 = 1;
  SystemDef.MFWidth = 1280;
  SystemDef.ZenkaiDrive = "D:";
  SystemDef.試算表タイトル = "残高試算表";
  ASSERT_TRUE(DM->fnPutSysDef());
  // Only the bits the record knows survive: 5|1 -> 1|2, 0x30 -> 0x10.
  EXPECT_EQ(Count("SELECT RESERVE2 FROM SYSDEF WHERE OPCODE = " + id), 3);
  EXPECT_EQ(Count("SELECT RESERVE4 FROM SYSDEF WHERE OPCODE = " + id), 0x10);
  EXPECT_EQ(Count("SELECT MFWIDTH FROM SYSDEF WHERE OPCODE = " + id), 1280);
  EXPECT_EQ(Count("SELECT SHOUHYOU FROM SYSDEF WHERE OPCODE = " + id), 7);  // a column without a field keeps its value
  EXPECT_EQ(RegText(SystemDef.LogonId, "試算表タイトル"), "残高試算表");
  EXPECT_FALSE(DM->IBTransactionDEF.Active());

  SystemDef = TSystemDef{};
  SystemDef.LogonId = std::stoi(id);
  SystemDef.GroupId = fixtures::Installation::kGroupId;
  ASSERT_TRUE(DM->fnGetSysDef());
  EXPECT_EQ(SystemDef.ZenkaiDrive, "D:");
  EXPECT_EQ(SystemDef.R2Bit2, 1);
  EXPECT_EQ(SystemDef.試算表タイトル, "残高試算表");
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SystemSettings, TypedValuesReadAsTheSystemStoreSaysAndFailuresAreReported) {
  UseOperator(54);
  const int id = SystemDef.LogonId;
  struct Case {
    const char* type;
    const char* text;
    TAccValue value;
  };
  const Case cases[] = {
      {"論理", "TRUE", TAccValue(true)},
      {"論理", "true", TAccValue(false)},  // only the exact upper-case text is true here
      {"整数", "12x", TAccValue(0)},
      {"整数", "-7", TAccValue(-7)},
      {"金額", "12.5", TAccValue(Currency::FromRaw(125000))},
      {"日付", "2019/05/01", TAccValue::Date(EncodeDate(2019, 5, 1))},
      {"日付", "令和", TAccValue::Date(0)},
      {"文字", "", TAccValue(" ")},
      {"実数", "1.5", TAccValue("Data Type Error")},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string name = "テスト" + std::to_string(n++);
    PutRegRow(id, name, c.type, c.text);
    TAccValue v;
    DM->GetSysReg(name, c.type, v, "");
    EXPECT_EQ(v, c.value) << c.type << " " << c.text;
  }

  // A missing setting is inserted once with its default and type, and read back the same.
  TAccValue v;
  DM->GetSysReg("新しい設定", "整数", v, "42");
  EXPECT_EQ(v.AsInteger(), 42);
  EXPECT_EQ(RegText(id, "新しい設定"), "42");
  DM->PutSysReg("新しい設定", "整数", TAccValue(43));
  DM->PutSysReg("論理設定", "論理", TAccValue(true));
  EXPECT_EQ(RegText(id, "新しい設定"), "43");
  EXPECT_EQ(RegText(id, "論理設定"), "TRUE");
  EXPECT_TRUE(ui_.messages.empty());

  // A name too long for the column: reported, the value left as it was, the caller goes on.
  v = TAccValue(5);
  DM->GetSysReg(std::string(50, 'X'), "整数", v, "1");
  EXPECT_EQ(v.AsInteger(), 5);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "システム共通変数の取得に失敗しました。");
  EXPECT_FALSE(DM->IBTransactionDEF.Active());
}

TEST_F(SystemSettings, StyleTextsLogonEntriesAndInstallationRows) {
  UseOperator(55);
  const int id = SystemDef.LogonId;
  DM->PutStyleColor(id, "020-TEST", "one");
  DM->PutStyleColor(id, "020-TEST", "two");
  std::string text = "old";
  DM->GetStyleColor(id, "020-TEST", text);
  EXPECT_EQ(text, "two");
  const std::string where = " FROM STYLECOLOR WHERE OPCODE = " + std::to_string(id);
  EXPECT_EQ(Count("SELECT COUNT(*)" + where), 1);
  EXPECT_EQ(Count("SELECT LINECOLOR1 + LINECOLOR5 + NETCOLOR2" + where), -3);
  DM->GetStyleColor(id, "020-NONE", text);
  EXPECT_EQ(text, "");

  Exec({"INSERT INTO LOGONUSERLIST (GROUPID, OPCODE, OPERATORCODE, PCNAME) VALUES (10000, " + std::to_string(id) +
        ", 55, 'PC01')"});
  DM->DeleteLogonInfo();
  EXPECT_EQ(Count("SELECT COUNT(*) FROM LOGONUSERLIST WHERE OPCODE = " + std::to_string(id)), 0);

  TSystemIniRec rec;
  rec.REC = 30;
  rec.RESERVE2 = 9;
  rec.SSTR = "A=1";
  ASSERT_TRUE(DM->SetSysIni(rec));
  rec.RESERVE2 = 8;
  ASSERT_TRUE(DM->SetSysIni(rec));
  TSystemIniRec back;
  back.REC = 30;
  back.RESERVE1 = 77;
  ASSERT_TRUE(DM->GetSysIni(back));
  EXPECT_EQ(back.RESERVE1, 0);
  EXPECT_EQ(back.RESERVE2, 8);
  EXPECT_EQ(back.SSTR, "A=1");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM SYSTEMINI WHERE REC = 30"), 1);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SystemSettings, ALoadThatCannotReadIsReportedAndFails) {
  UseOperator(56);
  DM->IBDatabaseDEF.Close();
  SystemDef.SysDir = (inst_->Root() / "missing").string();
  EXPECT_FALSE(DM->fnGetSysDef());
  ASSERT_GE(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].lines[0], "システム情報の取得に失敗しました。");
  EXPECT_EQ(ui_.messages[0].lines[1], "アプリケーションを終了します。");
  EXPECT_FALSE(DM->IBTransactionDEF.Active());
}

TEST_F(SystemSettings, LoadAndSaveInsideTheCallersTransactionLeaveItRunning) {
  UseOperator(57);
  const std::string row = " FROM SYSDEF WHERE OPCODE = " + std::to_string(SystemDef.LogonId);
  ASSERT_TRUE(DM->fnGetSysDef());
  const int64_t storedSize = Count("SELECT FONTSIZE" + row);

  DM->IBTransactionDEF.StartTransaction();
  ASSERT_TRUE(DM->fnGetSysDef());
  SystemDef.FontSize = static_cast<int32_t>(storedSize) + 1;
  ASSERT_TRUE(DM->fnPutSysDef());
  ASSERT_TRUE(DM->IBTransactionDEF.Active());
  DM->IBTransactionDEF.Rollback();
  EXPECT_EQ(Count("SELECT FONTSIZE" + row), storedSize) << "the save committed the caller's work";
  EXPECT_TRUE(ui_.messages.empty());
}
