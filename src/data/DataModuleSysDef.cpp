// The operator's settings in the system database: SYSDEF (one row per logon id), the typed
// settings of SYSREG, the installation rows of SYSTEMINI, the style texts of STYLECOLOR and
// the logon list.
#include <iterator>
#include <span>

#include "data/DataModule.h"
#include "data/uAccDateCmp.h"
#include "data/DbErrorReport.h"
#include "data/DbRows.h"
#include "data/uAccFunction.h"
#include "data/uAccFunction2.h"
#include "data/z5AppInfo.h"
#include "platform/db/TransactionScope.h"

namespace {

const char* const kGetFailed = "システム情報の取得に失敗しました。\rアプリケーションを終了します。";
const char* const kPutFailed = "システム情報の書き込みに失敗しました。\r現在のシステム設定は保存されません。";

// A SYSDEF column and the field that holds it (an integer or a text).
struct SysDefColumn {
  const char* name;
  int32_t TSystemDef::*i;
  std::string TSystemDef::*s;
};

#define INT_COL(name) SysDefColumn{#name, &TSystemDef::name, nullptr}
#define STR_COL(name) SysDefColumn{#name, nullptr, &TSystemDef::name}

// Columns read into SystemDef, in the order they are copied.
const SysDefColumn kReadColumns[] = {
    STR_COL(DataDir),      STR_COL(PrinterName),   INT_COL(MFLeft),          INT_COL(MFTop),
    INT_COL(MFWidth),      INT_COL(MFHeight),      INT_COL(LastMenu),        STR_COL(FontName),
    INT_COL(FontSize),     INT_COL(FontStyle),     INT_COL(FontCharSet),     INT_COL(FontHeight),
    INT_COL(GridResize),   INT_COL(ShowHint),      INT_COL(GridMaxRow),      INT_COL(GridRsiz),
    INT_COL(ClientColor),  INT_COL(ClientColor1),  INT_COL(ClientColor2),    INT_COL(ClientColor3),
    INT_COL(ForeColor),    INT_COL(BorderColor),   INT_COL(ActiveColor),     INT_COL(ThruBorderColor),
    INT_COL(ColHeaderColor), INT_COL(FixedTopColor), INT_COL(RowHeaderColor), INT_COL(FixedLeftColor),
    INT_COL(TotalColor),   INT_COL(NetColor1),     INT_COL(NetColor2),       INT_COL(PLineColor1),
    INT_COL(PLineColor2),  INT_COL(PreviewZOOM),   INT_COL(PanelColor),      INT_COL(PanelBackColor),
    INT_COL(MenuPrintSw),  INT_COL(HojWait),       INT_COL(DicSwitch),       INT_COL(DicTekAuto),
    INT_COL(DicTorAuto),   INT_COL(DicUsednt),     INT_COL(DicType),         INT_COL(DicNum1),
    INT_COL(DicNum2),      INT_COL(DicSortType),   INT_COL(ColHeaderGradColor1), INT_COL(ColHeaderGradColor2),
    INT_COL(ShowDataSentaku), STR_COL(ZenkaiDrive), INT_COL(UserPrint),      INT_COL(SwkTotal),
    INT_COL(SwkLine),      INT_COL(KingakuPlus),   INT_COL(ZeroPrint),       INT_COL(SankakuPlus),
    INT_COL(TEK_AUTOUP),   INT_COL(TOR_AUTOUP),    INT_COL(Reserve1),        INT_COL(Reserve2),
    INT_COL(Reserve3),     INT_COL(Reserve4),      INT_COL(Reserve5),        STR_COL(SSTR),
};

#undef INT_COL
#undef STR_COL

// Columns written one per line after FontHeight, in statement order: the columns read, from
// GridResize on, without SSTR (written last, on its own). The column Shouhyou has no field in
// SystemDef: it is not written, so that a write keeps its stored value.
constexpr size_t kFirstWritten = 12;  // GridResize
const std::span<const SysDefColumn> kWriteColumns(std::begin(kReadColumns) + kFirstWritten,
                                                  std::end(kReadColumns) - 1);

void BindColumn(TIBQuery& q, const SysDefColumn& c) {
  if (c.i) q.ParamByName(c.name).SetInteger(SystemDef.*c.i);
  else q.ParamByName(c.name).SetString(SystemDef.*c.s);
}

// The value of a name=value line of the text (names compare without regard to case).
std::string NameValue(const std::string& lines, const std::string& name) {
  const std::string line = GetValueOfText(lines, name);
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

// The typed text of a SYSREG setting as a value. Only "TRUE" exactly is true.
TAccValue SysRegValue(const std::string& type, const std::string& text) {
  if (type == "文字") return TAccValue(text);
  if (type == "論理") return TAccValue(text == "TRUE");
  if (type == "日付") return TAccValue::Date(SafeStrToDate(text));
  if (type == "整数") return TAccValue(SafeStrToInt(text));
  if (type == "金額") return TAccValue(SafeStrToCurr(text));
  return TAccValue("Data Type Error");
}

}  // namespace

// ---------------------------------------------------------------------------
// SYSREG

void TDM::funcGetSysReg(const std::string& name, const std::string& type, TAccValue& value, int32_t opCode,
                        const std::string& def) {
  try {
    TTransactionScope tx(IBTransactionDEF);
    QueryDef.Close();
    QueryDef.SQL = "SELECT STEXT FROM SYSREG WHERE OPCODE=:OPCODE AND SCODE=:SCODE ";
    QueryDef.ParamByName("OPCODE").SetInteger(opCode);
    QueryDef.ParamByName("SCODE").SetString(name);
    if (!QueryDef.Prepared()) QueryDef.Prepare();
    QueryDef.Open();
    std::string text;
    if (!QueryDef.Eof()) {
      text = QueryDef.FieldByName("STEXT").AsString();
    } else {
      QueryDef.Close();
      QueryDef.SQL = "INSERT INTO SYSREG(OPCODE,SCODE,STYPE,STEXT) VALUES(:OPCODE,:SCODE,:STYPE,:STEXT )";
      QueryDef.ParamByName("OPCODE").SetInteger(opCode);
      QueryDef.ParamByName("SCODE").SetString(name);
      QueryDef.ParamByName("STYPE").SetString(type);
      QueryDef.ParamByName("STEXT").SetString(def);
      QueryDef.ExecSQL();
      text = def;
    }
    if (text.empty()) text = " ";
    const TAccValue read = SysRegValue(type, text);
    QueryDef.Close();
    tx.Commit();  // the value counts only once it is stored
    value = read;
  } catch (const std::exception& e) {
    QueryDef.Close();
    ReportFailure(e, "TDM.funcGetSysReg", "システム共通変数の取得に失敗しました。");
  }
}

void TDM::GetSysReg(const std::string& name, const std::string& type, TAccValue& value, const std::string& def) {
  funcGetSysReg(name, type, value, SystemDef.LogonId, def);
}

void TDM::funcPutSysReg(const std::string& name, const std::string& type, int32_t opCode, const TAccValue& value) {
  static const TRowSql kSql{
      "SELECT COUNT(OPCODE) AS RECCNT FROM SYSREG WHERE OPCODE=:OPCODE AND SCODE=:SCODE",
      "INSERT INTO SYSREG(OPCODE,SCODE,STYPE,STEXT) VALUES(:OPCODE,:SCODE,:STYPE,:STEXT )",
      "UPDATE SYSREG SET STEXT=:STEXT WHERE OPCODE=:OPCODE AND SCODE=:SCODE ",
  };
  try {
    TTransactionScope tx(IBTransactionDEF);
    WriteRowByKey(QueryDef, kSql, [&](TIBStatement& q, TRowStep step) {
      q.ParamByName("OPCODE").SetInteger(opCode);
      q.ParamByName("SCODE").SetString(name);
      if (step == TRowStep::Count) return;
      if (step == TRowStep::Insert) q.ParamByName("STYPE").SetString(type);
      std::string text;
      if (AccValueToText(type, value, text)) q.ParamByName("STEXT").SetString(text);
      else q.ParamByName("STEXT").SetNull();
    });
  } catch (const std::exception& e) {
    QueryDef.Close();
    ReportFailure(e, "TDM.funcPutSysReg", "システム共通変数の保存に失敗しました。");
  }
}

void TDM::PutSysReg(const std::string& name, const std::string& type, const TAccValue& value) {
  funcPutSysReg(name, type, SystemDef.LogonId, value);
}

// ---------------------------------------------------------------------------
// SYSTEMINI

bool TDM::GetSysIni(TSystemIniRec& rec) {
  rec.RESERVE1 = rec.RESERVE2 = rec.RESERVE3 = rec.RESERVE4 = rec.RESERVE5 = 0;
  rec.SSTR.clear();
  const bool started = !IBTransactionDEF.Active();
  try {
    TTransactionScope tx(IBTransactionDEF);
    TIBQuery& q = IBQSysDefGet;
    q.Close();
    q.SQL = "SELECT RESERVE1,RESERVE2,RESERVE3,RESERVE4,RESERVE5,SSTR FROM SYSTEMINI\nWHERE REC=:REC";
    q.ParamByName("REC").SetInteger(rec.REC);
    q.Open();
    if (q.RecordCount() == 1) {
      rec.RESERVE1 = q.FieldByName("RESERVE1").AsInteger();
      rec.RESERVE2 = q.FieldByName("RESERVE2").AsInteger();
      rec.RESERVE3 = q.FieldByName("RESERVE3").AsInteger();
      rec.RESERVE4 = q.FieldByName("RESERVE4").AsInteger();
      rec.RESERVE5 = q.FieldByName("RESERVE5").AsInteger();
      rec.SSTR = q.FieldByName("SSTR").AsString();
    }
    q.Close();
    return true;
  } catch (const std::exception& e) {
    IBQSysDefGet.Close();
    if (!started) throw;  // the caller's transaction: the caller reports
    ReportFailure(e, "TDM.GetSysIni", kGetFailed);
  }
  return false;
}

bool TDM::SetSysIni(const TSystemIniRec& rec) {
  static const TRowSql kSql{
      "SELECT COUNT(REC) AS RECCNT FROM SYSTEMINI\nWHERE REC=:REC",
      "INSERT INTO SYSTEMINI(REC,RESERVE1,RESERVE2,RESERVE3,RESERVE4,RESERVE5,SSTR)\n"
      "VALUES(:REC,:RESERVE1,:RESERVE2,:RESERVE3,:RESERVE4,:RESERVE5,:SSTR)",
      "UPDATE SYSTEMINI SET "
      "RESERVE1=:RESERVE1,RESERVE2=:RESERVE2,RESERVE3=:RESERVE3,RESERVE4=:RESERVE4,RESERVE5=:RESERVE5,SSTR=:SSTR\n"
      "WHERE REC=:REC",
  };
  const bool started = !IBTransactionDEF.Active();
  try {
    TTransactionScope tx(IBTransactionDEF);
    WriteRowByKey(IBQSysDefPut, kSql, [&](TIBStatement& q, TRowStep step) {
      q.ParamByName("REC").SetInteger(rec.REC);
      if (step == TRowStep::Count) return;
      q.ParamByName("RESERVE1").SetInteger(rec.RESERVE1);
      q.ParamByName("RESERVE2").SetInteger(rec.RESERVE2);
      q.ParamByName("RESERVE3").SetInteger(rec.RESERVE3);
      q.ParamByName("RESERVE4").SetInteger(rec.RESERVE4);
      q.ParamByName("RESERVE5").SetInteger(rec.RESERVE5);
      q.ParamByName("SSTR").SetString(rec.SSTR);
    });
    return true;
  } catch (const std::exception& e) {
    IBQSysDefPut.Close();
    if (!started) throw;  // the caller's transaction: the caller reports
    ReportFailure(e, "TDM.SetSysIni", kPutFailed);
  }
  return false;
}

// ---------------------------------------------------------------------------
// STYLECOLOR and the logon list

void TDM::GetStyleColor(int32_t opCode, const std::string& styleName, std::string& text) {
  text.clear();
  try {
    TTransactionScope tx(IBTransactionDEF);
    IBSQLDEF.Close();
    IBSQLDEF.SQL = "SELECT SSTR FROM STYLECOLOR\nWHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME";
    IBSQLDEF.ParamByName("OPCODE").SetInteger(opCode);
    IBSQLDEF.ParamByName("STYLENAME").SetString(styleName);
    IBSQLDEF.ExecQuery();
    for (; !IBSQLDEF.Eof(); IBSQLDEF.Next()) text = IBSQLDEF.FieldByName("SSTR").AsString();
    IBSQLDEF.Close();
  } catch (const std::exception&) {
    // Style colours are a convenience: a failure leaves the defaults.
    IBSQLDEF.Close();
  }
}

void TDM::WriteStyleColorRow(TIBSQL& q, int32_t opCode, const std::string& styleName, const std::string& text) {
  static const TRowSql kSql{
      "SELECT COUNT(OPCODE) AS RECCNT FROM STYLECOLOR\nWHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME",
      "INSERT INTO "
      "STYLECOLOR(OPCODE,STYLENAME,LINECOLOR1,LINECOLOR2,LINECOLOR3,LINECOLOR4,LINECOLOR5,NETCOLOR1,NETCOLOR2,SSTR)\n"
      "VALUES(:OPCODE,:STYLENAME,:LINECOLOR1,:LINECOLOR2,:LINECOLOR3,:LINECOLOR4,:LINECOLOR5,:NETCOLOR1,:NETCOLOR2,:"
      "SSTR)",
      "UPDATE STYLECOLOR SET "
      "OPCODE=:OPCODE,STYLENAME=:STYLENAME,LINECOLOR1=:LINECOLOR1,LINECOLOR2=:LINECOLOR2,LINECOLOR3=:LINECOLOR3,"
      "LINECOLOR4=:LINECOLOR4,LINECOLOR5=:LINECOLOR5,NETCOLOR1=:NETCOLOR1,NETCOLOR2=:NETCOLOR2,SSTR=:SSTR\n"
      "WHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME",
  };
  WriteRowByKey(q, kSql, [&](TIBStatement& st, TRowStep step) {
    st.ParamByName("OPCODE").SetInteger(opCode);
    st.ParamByName("STYLENAME").SetString(styleName);
    if (step == TRowStep::Count) return;
    for (const char* c : {"LINECOLOR1", "LINECOLOR2", "LINECOLOR3", "LINECOLOR4", "LINECOLOR5", "NETCOLOR1", "NETCOLOR2"})
      st.ParamByName(c).SetInteger(-1);
    st.ParamByName("SSTR").SetString(text);
  });
}

void TDM::PutStyleColor(int32_t opCode, const std::string& styleName, const std::string& text) {
  try {
    TTransactionScope tx(IBTransactionDEF);
    WriteStyleColorRow(IBSQLDEF, opCode, styleName, text);
  } catch (const std::exception&) {
    IBSQLDEF.Close();
  }
}

void TDM::DeleteLogonInfo() {
  try {
    TTransactionScope tx(IBTransactionDEF);
    QueryDef.Close();
    QueryDef.SQL = "DELETE FROM LOGONUSERLIST WHERE OPCODE=:OPCODE";
    QueryDef.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    QueryDef.ExecSQL();
    QueryDef.Close();
  } catch (const std::exception& e) {
    QueryDef.Close();
    ReportFailure(e, "TDM.DeleteLogonInfo", "ログイン情報の削除に失敗しました。");
  }
}

// ---------------------------------------------------------------------------
// SYSDEF

void TDM::ReadSysDefRow(TIBQuery& q) {
  SystemDef.LauncherFlag = 0;
  SystemDef.Reserved49 = 0;
  SystemDef.Reserved79 = 0;
  for (const SysDefColumn& c : kReadColumns) {
    const TIBField& f = q.FieldByName(c.name);
    if (c.i) SystemDef.*c.i = f.AsInteger();
    else SystemDef.*c.s = f.AsString();
  }
  if (SystemDef.ColHeaderGradColor1 == 0) SystemDef.ColHeaderGradColor1 = 0xFFFFFF;
  if (SystemDef.ColHeaderGradColor2 == 0) SystemDef.ColHeaderGradColor2 = 12303291;  // 0xBBBBBB

  const auto bits2 = static_cast<uint32_t>(SystemDef.Reserve2);
  SystemDef.R2Bit1 = TestFlagBit(bits2, 1);
  SystemDef.R2Bit2 = TestFlagBit(bits2, 2);
  const auto bits4 = static_cast<uint32_t>(SystemDef.Reserve4);
  SystemDef.R4Bit1 = TestFlagBit(bits4, 1);
  SystemDef.R4Bit2 = TestFlagBit(bits4, 2);
  SystemDef.R4Bit3 = TestFlagBit(bits4, 3);
  SystemDef.R4Bit4 = TestFlagBit(bits4, 4);
  SystemDef.R4Bit56 = TestFlagBit(bits4, 5) ? 1 : (TestFlagBit(bits4, 6) ? 2 : 0);
  SystemDef.R4Bit7 = TestFlagBit(bits4, 7);
  SystemDef.R4Bit8 = TestFlagBit(bits4, 8);
  SystemDef.R4Bit9 = TestFlagBit(bits4, 9);
  SystemDef.R4Bit10 = TestFlagBit(bits4, 10);
  SystemDef.R4Bit11 = TestFlagBit(bits4, 11);
}

void TDM::LoadSysRegSettings() {
  TSystemDef& d = SystemDef;
  const bool oem = OemKind == 1;
  auto readInt = [this](const char* name, int32_t& field, const std::string& def) {
    TAccValue v(field);
    GetSysReg(name, "整数", v, def);
    field = v.AsInteger();
  };
  auto readByte = [this](const char* name, uint8_t& field, const std::string& def) {
    TAccValue v(static_cast<int32_t>(field));
    GetSysReg(name, "整数", v, def);
    field = static_cast<uint8_t>(v.AsInteger());
  };
  auto readText = [this](const char* name, std::string& field, const std::string& def) {
    TAccValue v(field);
    GetSysReg(name, "文字", v, def);
    field = v.AsString();
  };

  // The input settings start from their defaults.
  d.次項目移動区分 = 0;
  d.科目コード桁数 = d.補助コード桁数 = d.部門コード桁数 = 0;
  d.仕訳日付フォーカス = 2;
  d.試算表集計出力区分 = d.元帳１行出力区分 = d.元帳付箋マーク出力区 = d.連想辞書抽出条件区分 = 0;
  if (oem) {
    readInt("次項目移動区分", d.次項目移動区分, "1");
    readByte("科目コード桁数", d.科目コード桁数, "0");
    readByte("補助コード桁数", d.補助コード桁数, "0");
    readByte("部門コード桁数", d.部門コード桁数, "1");
    readByte("仕訳日付フォーカス", d.仕訳日付フォーカス, "1");
    d.R4Bit7 = 1;
    d.試算表集計出力区分 = 1;
    readInt("元帳１行出力区分", d.元帳１行出力区分, "0");
    readInt("元帳付箋マーク出力区", d.元帳付箋マーク出力区, "0");
    readInt("連想辞書抽出条件区分", d.連想辞書抽出条件区分, "1");
  }
  readInt("元帳最終行残高出力区", d.R4Bit7, std::to_string(d.R4Bit7));
  readInt("試算表集計出力区分", d.試算表集計出力区分, std::to_string(d.試算表集計出力区分));

  readInt("元帳タイトル出力区分", d.元帳タイトル出力区分, oem ? "1" : "0");
  readInt("試算表ＢＳ改ページ区", d.試算表ＢＳ改ページ区, oem ? "0" : "1");
  readInt("試算表タイトル出力区", d.試算表タイトル出力区, oem ? "1" : "0");
  readInt("試算表期間出力区分", d.試算表期間出力区分, oem ? "1" : "0");

  readText("試算表タイトル", d.試算表タイトル, "試　算　表");
  readText("２期試算表タイトル", d.二期試算表タイトル, "２期比較試算表");
  readText("全科目ＢＳタイトル", d.ＢＳタイトル[kTitleZenKamoku], "資産・負債・純資産");
  readText("全科目資産タイトル", d.資産タイトル[kTitleZenKamoku], "資産の部");
  readText("全科目負債タイトル", d.負債タイトル[kTitleZenKamoku], "負債・純資産の部");
  readText("全科目ＰＬタイトル", d.ＰＬタイトル[kTitleZenKamoku], "損益");
  d.販売費タイトル[kTitleZenKamoku].clear();
  d.ＢＳタイトル[kTitleTeikeiA4].clear();
  readText("定形A4資産タイトル", d.資産タイトル[kTitleTeikeiA4], "資産の部");
  readText("定形A4負債タイトル", d.負債タイトル[kTitleTeikeiA4], "負債・純資産の部");
  readText("定形A4ＰＬタイトル", d.ＰＬタイトル[kTitleTeikeiA4], "損益");
  readText("定形A4販売費タイトル", d.販売費タイトル[kTitleTeikeiA4], "販売費・一般管理費");
  readText("定形A3ＢＳタイトル", d.ＢＳタイトル[kTitleTeikeiA3], "資産・負債・純資産");
  d.資産タイトル[kTitleTeikeiA3].clear();
  d.負債タイトル[kTitleTeikeiA3].clear();
  readText("定形A3ＰＬタイトル", d.ＰＬタイトル[kTitleTeikeiA3], "損益");
  d.販売費タイトル[kTitleTeikeiA3].clear();

  // The data check is a setting of the operator's group, kept under the group's own id.
  {
    TAccValue v(d.DataCheckKbn);
    funcGetSysReg("データ破損チェック区", "整数", v, d.GroupId * 10000 + 9999, "1");
    d.DataCheckKbn = v.AsInteger();
  }

  readInt("サーバのデータの場所", d.DataPlaceRec, "0");
  readInt("摘要項目の編集モード", d.摘要項目の編集モード, "0");
  readInt("摘要項目の入力区分", d.摘要項目の入力区分, "0");
  readInt("取引先項目の入力区分", d.取引先項目の入力区分, "0");
  readInt("裏面の罫線印刷区分", d.裏面の罫線印刷区分, "0");
  readInt("消費税コード印刷区分", d.消費税コード印刷区分, "1");
  if (!oem) d.消費税コード印刷区分 = 1;
  readInt("決算書手形相殺区分", d.決算書手形相殺区分, "0");
  readInt("決算書販売費組入区分", d.決算書販売費組入区分, "0");
  readInt("試算表行数調整区分", d.試算表行数調整区分, "0");
  readInt("連想辞書コード入力区", d.連想辞書コード入力区, "0");
  readInt("連想辞書リスト並び順", d.連想辞書リスト並び順, "0");
  readInt("元帳付箋マーク出力区", d.元帳付箋マーク出力区, std::to_string(d.元帳付箋マーク出力区));
  d.Reserved191 = 1;

  readInt("摘要＿辞書開く区分", d.摘要＿辞書開く区分, "1");
  readInt("摘要＿連想開く区分", d.摘要＿連想開く区分, "0");
  readInt("摘要＿自動開く区分", d.摘要＿自動開く区分, "0");
  readInt("摘要＿入力なし区分", d.摘要＿入力なし区分, "0");
  readInt("取引先＿辞書開く区分", d.取引先＿辞書開く区分, "1");
  readInt("取引先＿連想開く区分", d.取引先＿連想開く区分, "0");
  readInt("取引先＿自動開く区分", d.取引先＿自動開く区分, "0");
  readInt("取引先＿入力なし区分", d.取引先＿入力なし区分, "0");
}

bool TDM::fnGetSysDef() {
  TSystemDef& d = SystemDef;
  try {
    TTransactionScope tx(IBTransactionDEF);
    TIBQuery& q = IBQSysDefGet;
    q.Close();
    q.SQL = "SELECT * FROM SYSDEF WHERE OPCODE=:OPCODE";
    q.ParamByName("OPCODE").SetInteger(d.LogonId);
    if (!q.Prepared()) q.Prepare();
    q.Open();
    if (q.Eof()) {
      q.Close();
      TIBQuery& p = IBQSysDefPut;
      p.Close();
      p.SQL =
          "INSERT INTO SYSDEF(OPCODE,SankakuPlus,ColHeaderColor,ColHeaderGradColor1,ColHeaderGradColor2,\n"
          "ClientColor,ClientColor1,ClientColor2,TotalColor,ActiveColor,NetColor1,NetColor2,PLineColor1,PLineColor2,"
          "DICSWITCH,DicTekAuto,DicTorAuto)\n"
          "VALUES(:OPCODE,1,:ColHeaderColor,:ColHeaderGradColor1,:ColHeaderGradColor2,\n"
          ":ClientColor,:ClientColor1,:ClientColor2,:TotalColor,:ActiveColor,:NetColor1,:NetColor2,:PLineColor1,:"
          "PLineColor2,:DICSWITCH,:DicTekAuto,:DicTorAuto)";
      p.ParamByName("OPCODE").SetInteger(d.LogonId);
      p.ParamByName("ColHeaderColor").SetInteger(DefColHeaderColor);
      p.ParamByName("ColHeaderGradColor1").SetInteger(DefColHeaderGradColor1);
      p.ParamByName("ColHeaderGradColor2").SetInteger(DefColHeaderGradColor2);
      p.ParamByName("ClientColor").SetInteger(DefClientColor);
      p.ParamByName("ClientColor1").SetInteger(DefClientColor1);
      p.ParamByName("ClientColor2").SetInteger(static_cast<int32_t>(fw::DefClientColor2));
      p.ParamByName("TotalColor").SetInteger(static_cast<int32_t>(fw::DefTotalColor));
      p.ParamByName("ActiveColor").SetInteger(static_cast<int32_t>(fw::DefActiveColor));
      p.ParamByName("NetColor1").SetInteger(DefNetColor1);
      p.ParamByName("NetColor2").SetInteger(DefNetColor2);
      p.ParamByName("PLineColor1").SetInteger(DefPLineColor1);
      p.ParamByName("PLineColor2").SetInteger(DefPLineColor2);
      const bool oem = OemKind == 1;
      p.ParamByName("DICSWITCH").SetInteger(oem ? 2 : 0);
      p.ParamByName("DicTekAuto").SetInteger(oem ? 2 : 1);
      p.ParamByName("DicTorAuto").SetInteger(oem ? 0 : 1);
      p.ExecSQL();
      p.Close();
      q.Open();

      // The dictionary settings of a new operator; in OemKind 1 later values overwrite
      // earlier ones of the same name.
      const std::pair<const char*, int32_t> kDefaults[] = {
          {"摘要＿辞書開く区分", 1}, {"摘要＿連想開く区分", 0}, {"摘要＿自動開く区分", 1}, {"摘要＿入力なし区分", 0},
          {"取引先＿辞書開く区分", 1}, {"取引先＿連想開く区分", 0}, {"取引先＿自動開く区分", 1}, {"取引先＿入力なし区分", 0},
      };
      for (const auto& [name, v] : kDefaults) PutSysReg(name, "整数", TAccValue(v));
      if (oem) {
        const std::pair<const char*, int32_t> kOemDefaults[] = {
            {"次項目移動区分", 1},       {"科目コード桁数", 0},       {"補助コード桁数", 0},
            {"部門コード桁数", 1},       {"仕訳日付フォーカス", 1},   {"元帳最終行残高出力区", 1},
            {"試算表集計出力区分", 1},   {"元帳１行出力区分", 0},     {"元帳付箋マーク出力区", 0},
            {"連想辞書抽出条件区分", 1}, {"摘要＿辞書開く区分", 0},   {"摘要＿連想開く区分", 1},
            {"摘要＿自動開く区分", 1},   {"摘要＿入力なし区分", 0},   {"取引先＿辞書開く区分", 1},
            {"取引先＿連想開く区分", 0}, {"取引先＿自動開く区分", 0}, {"取引先＿入力なし区分", 0},
        };
        for (const auto& [name, v] : kOemDefaults) PutSysReg(name, "整数", TAccValue(v));
      }
    }
    ReadSysDefRow(q);
    q.Close();

    d.KaishaName.clear();
    d.KaishaJyusho.clear();
    d.KaishaTel.clear();
    d.KaishaNo1 = d.KaishaNo2 = d.KaishaNo3 = 0;
    TSystemIniRec ini;
    ini.REC = 10;
    if (GetSysIni(ini)) {
      d.KaishaName = NameValue(ini.SSTR, "NAME");
      d.KaishaJyusho = NameValue(ini.SSTR, "JYUSHO");
      d.KaishaTel = NameValue(ini.SSTR, "TEL");
      d.KaishaNo1 = ini.RESERVE1;
      d.KaishaNo2 = ini.RESERVE2;
      d.KaishaNo3 = ini.RESERVE3;
    }
    d.SisetuAllSw = 0;
    ini = TSystemIniRec{};
    ini.REC = 20;
    if (GetSysIni(ini)) d.SisetuAllSw = ini.RESERVE1;

    LoadSysRegSettings();

    // The screen font. Whether the font is installed is the GUI's question: it falls back to
    // its own font when the name is unknown there.
    if (!d.FontName.empty()) {
      d.AppFont.Name = d.FontName;
      d.AppFont.Size = d.FontSize;
      switch (d.FontStyle) {
        case 0: d.AppFont.Bold = false; d.AppFont.Italic = false; break;
        case 1: d.AppFont.Bold = true; d.AppFont.Italic = false; break;
        case 2: d.AppFont.Bold = false; d.AppFont.Italic = true; break;
        case 3: d.AppFont.Bold = true; d.AppFont.Italic = true; break;
        default: break;
      }
      d.AppFont.CharSet = d.FontCharSet;
    }
    return true;
  } catch (const std::exception& e) {
    IBQSysDefGet.Close();
    IBQSysDefPut.Close();
    ReportFailure(e, "TDM.fnGetSysDef", kGetFailed);
  }
  return false;
}

void TDM::SaveSysRegSettings() {
  TSystemDef& d = SystemDef;
  auto putInt = [this](const char* name, int32_t v) { PutSysReg(name, "整数", TAccValue(v)); };
  auto putText = [this](const char* name, const std::string& v) { PutSysReg(name, "文字", TAccValue(v)); };
  if (OemKind == 1) {
    putInt("次項目移動区分", d.次項目移動区分);
    putInt("科目コード桁数", d.科目コード桁数);
    putInt("補助コード桁数", d.補助コード桁数);
    putInt("部門コード桁数", d.部門コード桁数);
    putInt("仕訳日付フォーカス", d.仕訳日付フォーカス);
    putInt("元帳１行出力区分", d.元帳１行出力区分);
    putInt("元帳付箋マーク出力区", d.元帳付箋マーク出力区);
    putInt("連想辞書抽出条件区分", d.連想辞書抽出条件区分);
  }
  putInt("試算表集計出力区分", d.試算表集計出力区分);
  putInt("元帳タイトル出力区分", d.元帳タイトル出力区分);
  putInt("試算表ＢＳ改ページ区", d.試算表ＢＳ改ページ区);
  putInt("試算表タイトル出力区", d.試算表タイトル出力区);
  putText("試算表タイトル", d.試算表タイトル);
  putText("２期試算表タイトル", d.二期試算表タイトル);
  putText("全科目ＢＳタイトル", d.ＢＳタイトル[kTitleZenKamoku]);
  putText("全科目資産タイトル", d.資産タイトル[kTitleZenKamoku]);
  putText("全科目負債タイトル", d.負債タイトル[kTitleZenKamoku]);
  putText("全科目ＰＬタイトル", d.ＰＬタイトル[kTitleZenKamoku]);
  putText("定形A4資産タイトル", d.資産タイトル[kTitleTeikeiA4]);
  putText("定形A4負債タイトル", d.負債タイトル[kTitleTeikeiA4]);
  putText("定形A4ＰＬタイトル", d.ＰＬタイトル[kTitleTeikeiA4]);
  putText("定形A4販売費タイトル", d.販売費タイトル[kTitleTeikeiA4]);
  putText("定形A3ＢＳタイトル", d.ＢＳタイトル[kTitleTeikeiA3]);
  putText("定形A3ＰＬタイトル", d.ＰＬタイトル[kTitleTeikeiA3]);
  putInt("元帳最終行残高出力区", d.R4Bit7);
  putInt("サーバのデータの場所", d.DataPlaceRec);
  putInt("摘要項目の編集モード", d.摘要項目の編集モード);
  putInt("摘要項目の入力区分", d.摘要項目の入力区分);
  putInt("取引先項目の入力区分", d.取引先項目の入力区分);
  putInt("裏面の罫線印刷区分", d.裏面の罫線印刷区分);
  putInt("消費税コード印刷区分", d.消費税コード印刷区分);
  putInt("決算書手形相殺区分", d.決算書手形相殺区分);
  putInt("決算書販売費組入区分", d.決算書販売費組入区分);
  putInt("連想辞書コード入力区", d.連想辞書コード入力区);
  putInt("連想辞書リスト並び順", d.連想辞書リスト並び順);
  putInt("元帳付箋マーク出力区", d.元帳付箋マーク出力区);
  putInt("試算表期間出力区分", d.試算表期間出力区分);
  putInt("摘要＿辞書開く区分", d.摘要＿辞書開く区分);
  putInt("摘要＿連想開く区分", d.摘要＿連想開く区分);
  putInt("摘要＿自動開く区分", d.摘要＿自動開く区分);
  putInt("摘要＿入力なし区分", d.摘要＿入力なし区分);
  putInt("取引先＿辞書開く区分", d.取引先＿辞書開く区分);
  putInt("取引先＿連想開く区分", d.取引先＿連想開く区分);
  putInt("取引先＿自動開く区分", d.取引先＿自動開く区分);
  putInt("取引先＿入力なし区分", d.取引先＿入力なし区分);
}

bool TDM::fnPutSysDef() {
  TSystemDef& d = SystemDef;
  // The flag words hold only the bits the record knows; any other bit is dropped.
  d.Reserve2 = 0;
  if (d.R2Bit1 == 1) SetFlagBit(d.Reserve2, 1);
  if (d.R2Bit2 == 1) SetFlagBit(d.Reserve2, 2);
  d.Reserve4 = 0;
  if (d.R4Bit1 == 1) SetFlagBit(d.Reserve4, 1);
  if (d.R4Bit2 == 1) SetFlagBit(d.Reserve4, 2);
  if (d.R4Bit3 == 1) SetFlagBit(d.Reserve4, 3);
  if (d.R4Bit4 == 1) SetFlagBit(d.Reserve4, 4);
  if (d.R4Bit56 == 1) SetFlagBit(d.Reserve4, 5);
  if (d.R4Bit56 == 2) SetFlagBit(d.Reserve4, 6);
  if (d.R4Bit7 == 1) SetFlagBit(d.Reserve4, 7);
  if (d.R4Bit8 == 1) SetFlagBit(d.Reserve4, 8);
  if (d.R4Bit9 == 1) SetFlagBit(d.Reserve4, 9);
  if (d.R4Bit10 == 1) SetFlagBit(d.Reserve4, 10);
  if (d.R4Bit11 == 1) SetFlagBit(d.Reserve4, 11);

  try {
    TTransactionScope tx(IBTransactionDEF);
    TIBQuery& p = IBQSysDefPut;
    p.Close();
    std::string sql =
        "UPDATE SYSDEF SET\n"
        "DataDir=:DataDir,\n"
        "PrinterName=:PrinterName,\n"
        "MFTop=:MFTop,MFLeft=:MFLeft,MFWidth=:MFWidth,MFHeight=:MFHeight,\n"
        "LastMenu=:LastMenu,\n"
        "FontName=:FontName,FontSize=:FontSize,FontStyle=:FontStyle,FontCharset=:FontCharset,\n"
        "FontHeight=:FontHeight,\n";
    for (const SysDefColumn& c : kWriteColumns) sql += std::string(c.name) + "=:" + c.name + ",\n";
    sql += "SSTR=:SSTR\nWHERE OPCODE=:OPCODE";
    p.SQL = sql;
    p.ParamByName("DataDir").SetString(d.DataDir);
    p.ParamByName("PrinterName").SetString(d.PrinterName);
    p.ParamByName("MFTop").SetInteger(d.MFTop);
    p.ParamByName("MFLeft").SetInteger(d.MFLeft);
    p.ParamByName("MFWidth").SetInteger(d.MFWidth);
    p.ParamByName("MFHeight").SetInteger(d.MFHeight);
    p.ParamByName("LastMenu").SetInteger(d.LastMenu);
    p.ParamByName("FontName").SetString(d.FontName);
    p.ParamByName("FontSize").SetInteger(d.FontSize);
    p.ParamByName("FontStyle").SetInteger(d.FontStyle);
    p.ParamByName("FontCharset").SetInteger(d.FontCharSet);
    p.ParamByName("FontHeight").SetInteger(d.FontHeight);
    for (const SysDefColumn& c : kWriteColumns) BindColumn(p, c);
    p.ParamByName("SSTR").SetString(d.SSTR);
    p.ParamByName("OPCODE").SetInteger(d.LogonId);
    p.ExecSQL();
    p.Close();
  } catch (const std::exception& e) {
    IBQSysDefPut.Close();
    ReportFailure(e, "TDM.fnPutSysDef", kPutFailed);
    return false;
  }
  SaveSysRegSettings();
  return true;
}

void TDM::LoadGengoTable() { LoadGengoTableFrom(IBDatabaseDEF, IBTransactionDEF); }
