// The open company's settings (AccInf): loading them after a company connection, the names of
// data and code types, the standard accounts, the communication ids, the operator's facility
// and the data version.
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/DbQuietly.h"
#include "data/uAccConst.h"
#include "data/uAccDateCmp.h"
#include "data/uAccFunction.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccScramble.h"
#include "platform/AsciiCase.h"
#include "platform/db/TransactionScope.h"

namespace {

const char* const kAccInfoFailed = "基本情報の取得に失敗しました。\r";
const char* const kOpeDefSisetuFailed = "通常使用するデータ（本・支店）の取得に失敗しました。";
const char* const kDataTypeRefused = "このプログラムでは、該当のデータタイプを処理することが出来ません。";
const char* const kCodeTypeRefused = "このプログラムでは、該当のコードタイプを処理することが出来ません。";
const char* const kNoSisetu =
    "このデータは医療法人データですが、施設管理がおこなわれていません。\rデータが損傷している可能性があります。";

constexpr int32_t kDefaultSisetuColor = 0xFFAF80;

using End = TTransactionScope::End;

std::string Str(TIBQuery& q, const char* field) { return q.FieldByName(field).AsString(); }
int32_t Int(TIBQuery& q, const char* field) { return q.FieldByName(field).AsInteger(); }
TDateTime Date(TIBQuery& q, const char* field) { return q.FieldByName(field).AsDateTime(); }
Currency Curr(TIBQuery& q, const char* field) { return q.FieldByName(field).AsCurrency(); }

// The settings row (ACCDEF1) as a data set of any version has it: a column added by a later data
// version reads as the value the column starts with when it is added, so the settings of an older
// data set load before the upgrade brings it up to date.
struct TSettingsRow {
  TIBQuery& q;
  std::string Str(const char* field) const {
    TIBField* f = q.FindField(field);
    return f ? f->AsString() : std::string();
  }
  int32_t Int(const char* field, int32_t def = 0) const {
    TIBField* f = q.FindField(field);
    return f ? f->AsInteger() : def;
  }
  TDateTime Date(const char* field) const {
    TIBField* f = q.FindField(field);
    return f ? f->AsDateTime() : TDateTime{};
  }
  Currency Curr(const char* field) const {
    TIBField* f = q.FindField(field);
    return f ? f->AsCurrency() : Currency{};
  }
};

constexpr int32_t kDefaultGroupId = 10000;

// A setting of the company's typed store, created with its default when missing.
TAccValue AccReg(const char* group, const char* key, const char* type, const char* def) {
  TAccValue v;
  GetAccReg(group, key, type, v, def);
  return v;
}

std::string Numbered(const char* prefix, int n) { return prefix + std::to_string(n); }

}  // namespace

void TDM::GetDataTypeName(int32_t dataType, std::string& name) {
  switch (dataType) {
    case 1: name = "法人"; return;
    case 2: name = "個人"; return;
    case 3: name = "医療法人"; return;
    default: break;
  }
  char detail[40];
  std::snprintf(detail, sizeof detail, "(DataType=%d)", dataType);
  throw std::runtime_error(std::string(kDataTypeRefused) + detail);
}

void TDM::GetCodeTypeName(int32_t dataType, int32_t codeType, std::string& name, bool withTypeName) {
  if (withTypeName) {
    std::string typeName, sub;
    GetDataTypeName(dataType, typeName);
    GetCodeTypeName(dataType, codeType, sub, false);
    name = sub.empty() ? typeName : typeName + "／" + sub;
    return;
  }
  static const char* const kIndividual[4] = {"一般", "不動産", "クリニック", "農業"};
  bool known = false;
  std::string result;
  switch (dataType) {
    case 1:
    case 3:
      known = codeType == 1;
      break;
    case 2:
      known = codeType >= 1 && codeType <= 4;
      if (known) result = kIndividual[codeType - 1];
      break;
    default: {
      std::string unused;
      GetDataTypeName(dataType, unused);  // raises the data-type refusal
    }
  }
  if (!known) {
    char detail[40];
    std::snprintf(detail, sizeof detail, "(CodeType=%d)", codeType);
    throw std::runtime_error(std::string(kCodeTypeRefused) + detail);
  }
  name = result;
}

void TDM::fnGetAccTotalName(const std::string& kgroup, const std::string& column, std::string& name) {
  name.clear();
  try {
    TTransactionScope tx(IBTransactionDAT, End::CommitQuietly);
    TIBQuery q;
    UseCompanyDb(q);
    q.SQL = "SELECT " + column + " FROM ACCTOTALNAME\nWHERE KGROUP=:KGROUP";
    q.ParamByName("KGROUP").SetString(kgroup);
    for (q.Open(); !q.Eof(); q.Next()) name = q.Fields(0).AsString();
  } catch (const std::exception& e) {
    ReportFailure(e, "TDM.fnGetAccTotalName", "集計名称の取得に失敗しました。");
  }
}

void TDM::SetSystemCode(const std::string& name, std::string& kcode, std::string& userCode) {
  kcode.clear();
  userCode.clear();
  try {
    TTransactionScope tx(IBTransactionDAT);
    TIBQuery q;
    UseCompanyDb(q);
    q.SQL = "SELECT A.KCODE,K.USERCODE FROM ACCDEF2 A\nINNER JOIN KAMOKUMST K ON (A.KCODE=K.KCODE)\nWHERE A.KNAME=:NAME";
    q.ParamByName("NAME").SetString(name);
    q.Open();
    if (!q.Eof()) {
      kcode = Str(q, "KCODE");
      userCode = Str(q, "USERCODE");
    }
  } catch (const EIBError& e) {
    // Reported here and again by the caller, which names its own operation.
    ReportDbError(e, "TDM.SetSystemCode", "", true);
    throw;
  }
}

void TDM::GetUserCode(const std::string& kcode, std::string& userCode) {
  userCode.clear();
  if (TrimZenkaku(kcode).empty()) return;
  TTransactionScope tx(IBTransactionDAT, End::CommitQuietly);
  TIBQuery q;
  UseCompanyDb(q);
  q.SQL = "SELECT USERCODE FROM KAMOKUMST\nWHERE KCODE=:KCODE";
  q.ParamByName("KCODE").SetString(kcode);
  q.Open();
  if (!q.Eof()) userCode = Str(q, "USERCODE");
}

void TDM::GetTusinId(int32_t rec, int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(AccInf.TusinHolder.size())) return;
  const auto i = static_cast<size_t>(index);
  AccInf.TusinHolder[i].clear();
  AccInf.TusinPassword[i].clear();
  // The existence test runs in the caller's transaction: have one.
  TTransactionScope tx(IBTransactionDAT, End::CommitQuietly);
  if (!fnExistence_Table("TUSIN_ID")) return;
  TIBQuery q;
  UseCompanyDb(q);
  q.SQL = "SELECT REC,HOLDER,PASWORD FROM TUSIN_ID\nWHERE REC=:REC";
  q.ParamByName("REC").SetInteger(rec);
  for (q.Open(); !q.Eof(); q.Next()) {
    AccInf.TusinHolder[i] = Str(q, "HOLDER");
    AccInf.TusinPassword[i] = Str(q, "PASWORD");
  }
}

bool TDM::IsSisetuAdmin() {
  return SystemDef.SisetuAllSw == 1 || SystemDef.JimushoOperator != 0 || SystemDef.JobLevel == 9;
}

bool TDM::fnGetExistsOpeDefSisetu() {
  if (IsSisetuAdmin()) return true;
  try {
    TTransactionScope tx(IBTransactionDAT, End::CommitQuietly);
    IBQACC1.Close();
    IBQACC1.SQL =
        "SELECT OD.OPCODE,OD.SCODE FROM OPDEFSISETU OD\nINNER JOIN OPLICENSE OL ON (OD.OPCODE=OL.OPCODE)\n"
        "WHERE OD.OPCODE=:OPCODE";
    IBQACC1.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    IBQACC1.Open();
    const bool found = !IBQACC1.Eof();
    IBQACC1.Close();
    return found;
  } catch (const std::exception& e) {
    CloseQuietly(IBQACC1);
    ReportFailure(e, "TDM.fnGetExistsOpeDefSisetu", kOpeDefSisetuFailed);
  }
  return false;
}

void TDM::GetOpeDefSisetu(std::string& name) {
  name.clear();
  // Every row read sets the facility; the last one wins.
  auto readRows = [&]() {
    int rows = 0;
    for (IBQACC1.Open(); !IBQACC1.Eof(); IBQACC1.Next()) {
      std::string scode = Str(IBQACC1, "SCODE");
      if (scode.empty()) scode = " ";
      SystemDef.SisetuCode = scode;
      SystemDef.DefSisetuCode = scode;
      SystemDef.SisetuJigyoKbn = Int(IBQACC1, "JIGYOKBN");
      TAccValue color;
      GetXStrValue(Str(IBQACC1, "XSTR"), "COLOR", color);
      SystemDef.SisetuColor = color.AsInteger();
      name = Str(IBQACC1, "SNAME");
      ++rows;
    }
    IBQACC1.Close();
    return rows;
  };
  try {
    TTransactionScope tx(IBTransactionDAT, End::CommitQuietly);
    const bool medical = AccInf.IsMedical != 0;
    const bool admin = IsSisetuAdmin();
    IBQACC1.Close();
    if (admin && !medical && AccInf.SITEN != 0) {
      IBQACC1.SQL =
          "SELECT SCODE,SNAME,1 AS JIGYOKBN,XSTR FROM SISETUMST\n"
          "WHERE SCODE=(SELECT MIN(SCODE) FROM SISETUMST WHERE SCODE<>'')";
    } else if (admin && !medical) {
      IBQACC1.SQL = "SELECT ' ' AS SCODE,SHOUGOU AS SNAME,1 AS JIGYOKBN,0 AS XSTR FROM ACCDEF1";
    } else if (admin) {
      if (AccInf.SITEN == 0) throw std::runtime_error(kNoSisetu);
      IBQACC1.SQL =
          "SELECT SCODE,SNAME,MB_JIGYOU AS JIGYOKBN,XSTR FROM SISETUMST\n"
          "WHERE SCODE=(SELECT MIN(SCODE) FROM SISETUMST WHERE (SCODE<>'') AND (SCODE<>'00'))";
    } else {
      IBQACC1.SQL = std::string(medical ? "SELECT O.SCODE,S.SNAME,S.MB_JIGYOU AS JIGYOKBN,S.XSTR FROM OPDEFSISETU O"
                                        : "SELECT O.SCODE,S.SNAME,1 AS JIGYOKBN,S.XSTR FROM OPDEFSISETU O") +
                    "\nINNER JOIN SISETUMST S ON (O.SCODE=S.SCODE)\nWHERE OPCODE=:OPCODE";
      IBQACC1.ParamByName("OPCODE").SetInteger(SystemDef.LogonId);
    }
    const int rows = readRows();
    if (medical && rows == 0) {
      IBQACC1.SQL = "SELECT SCODE,SNAME,MB_JIGYOU AS JIGYOKBN,XSTR FROM SISETUMST\nWHERE SCODE='00'";
      readRows();
    }
  } catch (const std::exception& e) {
    CloseQuietly(IBQACC1);
    ReportFailure(e, "TDM.GetOpeDefSisetu", kOpeDefSisetuFailed);
  }
}

void TDM::GetXStrValue(const std::string& xstr, const std::string& name, TAccValue& value) {
  value = TAccValue(int32_t{0});
  const std::string upper = ascii::Upper(name);
  std::string text;
  GetNameValue(xstr, upper, text);
  if (upper != "COLOR") {
    value = TAccValue(text);
    return;
  }
  if (!TrimZenkaku(text).empty()) value = TAccValue(SafeStrToInt(text));
  if (value.AsInteger() <= 0) value = TAccValue(kDefaultSisetuColor);
}

void TDM::fnGetDataBaseVer(std::string& version) {
  version = "0.0.0";
  try {
    TTransactionScope tx(IBTransactionDAT, End::CommitOrRollback, TTransactionScope::Begin::Afresh);
    IBQACC1.Close();
    IBQACC1.SQL = "SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION WHERE REC=1";
    IBQACC1.Open();
    if (!IBQACC1.Eof()) {
      char text[48];
      std::snprintf(text, sizeof text, "%d.%d.%d", Int(IBQACC1, "MAJOR"), Int(IBQACC1, "MINOR1"),
                    Int(IBQACC1, "MINOR2"));
      version = text;
    }
    IBQACC1.Close();
  } catch (const std::exception& e) {
    CloseQuietly(IBQACC1);
    ReportFailure(e, "TDM.fnGetDataBaseVer", "データベースのバージョンの取得に失敗しました。");
    version = "0.0.0";
  }
}

bool TDM::fnGetAccInfo() {
  TACCINF& a = AccInf;
  try {
    // Reading the settings stores missing ones with their defaults: those rows are kept also
    // when the load fails later.
    TTransactionScope tx(IBTransactionDAT, End::Commit);
    TIBQuery& q = IBQACC1;
    q.Close();
    q.SQL = "SELECT * FROM ACCDEF1";
    q.Open();
    if (q.Eof()) throw std::runtime_error("基本設定(ACCDEF1)のレコードが見つかりませんでした。");

    const TSettingsRow row{q};
    a.GROUPID = row.Int("GROUPID", kDefaultGroupId);
    a.ENTTEXT = row.Str("ENTTEXT");
    a.SERIAL = row.Str("SERIAL");
    a.TANTOU = row.Int("TANTOU");
    a.GYOUSHU = row.Int("GYOUSHU");
    a.DATATYPE = row.Int("DATATYPE");
    GetDataTypeName(a.DATATYPE, a.DataTypeName);
    a.CODETYPE = row.Int("CODETYPE");
    GetCodeTypeName(a.DATATYPE, a.CODETYPE, a.CodeTypeName, false);
    a.SCODE1 = row.Str("SCODE1");
    a.SCODE2 = row.Str("SCODE2");
    a.SKANA = row.Str("SKANA");
    a.SHOUGOU = row.Str("SHOUGOU");
    a.POST = row.Str("POST");
    a.ADD1 = row.Str("ADD1");
    a.ADD2 = row.Str("ADD2");
    a.TEL = row.Str("TEL");
    a.AO_ADD1 = row.Str("AO_ADD1");
    a.AO_ADD2 = row.Str("AO_ADD2");
    a.AO_KANA = row.Str("AO_KANA");
    a.AO_SIMEI = row.Str("AO_SIMEI");
    a.AO_GYOUSHU = row.Str("AO_GYOUSHU");
    a.AO_YAGO = row.Str("AO_YAGO");
    a.AO_KANYU = row.Str("AO_KANYU");
    a.AO_TEL = row.Str("AO_TEL");
    a.AO_SHOKUGYO1 = row.Str("AO_SHOKUGYO1");
    a.AO_SHOKUGYO2 = row.Str("AO_SHOKUGYO2");
    a.MAIL = row.Str("MAIL");
    a.zzKISHU = row.Date("zzKISHU");
    a.zKISHU = row.Date("zKISHU");
    a.NENDO = row.Int("NENDO");
    a.KISHU = row.Date("KISHU");
    a.KIMATU = row.Date("KIMATU");
    a.KAISI = row.Date("KAISI");
    a.SIME = row.Int("SIME");
    a.KAISINO = row.Int("KAISINO");
    a.GENGOU_FLG = row.Int("GENGOU_FLG");
    a.GENGOU_HOSEI = row.Int("GENGOU_HOSEI");
    a.GENGOU_NAME = row.Str("GENGOU_NAME");
    for (int i = 0; i < 3; ++i) a.YAKUMEI[i] = row.Str(Numbered("YAKUMEI", i + 1).c_str());
    for (int i = 0; i < 5; ++i) a.OLD_TAX_RATE[i] = row.Curr(Numbered("OLD_TAX_RATE", i + 1).c_str());
    for (int i = 0; i < 5; ++i) a.NEW_TAX_RATE[i] = row.Curr(Numbered("NEW_TAX_RATE", i + 1).c_str());
    for (int i = 0; i < 5; ++i) a.CHG_DAYS[i] = row.Date(Numbered("CHG_DAYS", i + 1).c_str());
    a.KANSA_FIXDATE = row.Date("KANSA_FIXDATE");
    a.KANSA_DATE = row.Date("KANSA_DATE");
    a.CALCU = row.Int("CALCU");
    a.TAXU_HASUU = row.Int("TAXU_HASUU");
    a.TAXH_HASUU = row.Int("TAXH_HASUU");
    a.TAXDEFUH = row.Int("TAXDEFUH");
    a.TAXKANNI = row.Int("TAXKANNI");
    a.TAXJIGYOU = row.Int("TAXJIGYOU");
    a.GENKAPRINT = row.Int("GENKAPRINT");
    a.KANSA_LOCK = row.Int("KANSA_LOCK");
    a.TEGATADICSW = row.Int("TEGATADICSW");
    // Columns that older data versions lack keep the previous data set's values.
    if (TIBField* f = q.FindField("KESSAN_KIKAN")) a.KESSAN_KIKAN = f->AsInteger();
    if (TIBField* f = q.FindField("CASHFLOW_KIKAN1")) a.CASHFLOW_KIKAN1 = f->AsInteger();
    if (TIBField* f = q.FindField("CASHFLOW_KIKAN2")) a.CASHFLOW_KIKAN2 = f->AsInteger();
    a.CASHFLOWSW = row.Int("CASHFLOWSW");
    a.SDAI_HASUU1 = row.Int("SDAI_HASUU1");
    a.SDAI_HASUU2 = row.Int("SDAI_HASUU2");
    a.SDAI_HASUU3 = 0;
    if (TIBField* f = q.FindField("SDAI_HASUU3")) a.SDAI_HASUU3 = f->AsInteger();
    a.CONVERT = row.Int("CONVERT");
    a.SHOUHYOU = row.Int("SHOUHYOU");
    a.Reserved70 = 0;
    a.SITEN = row.Int("SITEN");
    a.BUMON = row.Int("BUMON");
    a.DATALOCK = row.Int("DATALOCK");
    a.FUMEI_KCODE = row.Str("FUMEI_KCODE");
    a.GENKA_USE = row.Int("GENKA_USE");
    a.GENKA_HWORD1 = row.Str("GENKA_HWORD1");
    a.GENKA_HWORD2 = row.Str("GENKA_HWORD2");
    a.GENKA_HWORD3 = row.Str("GENKA_HWORD3");
    a.GENKA_HWORD4 = row.Str("GENKA_HWORD4");
    a.GENKA_HWORD5 = row.Str("GENKA_HWORD5");
    if (TIBField* f = q.FindField("GENKA_HWORD6")) a.GENKA_HWORD6 = f->AsString();
    a.PASWORD = row.Str("PASWORD");
    a.WEB_HOLDER.clear();
    if (TIBField* f = q.FindField("WEB_HOLDER")) a.WEB_HOLDER = f->AsString();
    a.TAXDEFUH2 = a.TAXDEFUH;
    a.KURIKOSI1 = a.TAXDEFUH;
    a.KURIKOSI2 = a.TAXDEFUH;
    if (TIBField* f = q.FindField("KURIKOSI1")) a.KURIKOSI1 = f->AsInteger();
    if (TIBField* f = q.FindField("KURIKOSI2")) a.KURIKOSI2 = f->AsInteger();

    // Total-line names of the account groups 5880, 5580, 5680, 5780, 5688 and 5790; a data set
    // that has no total names yet leaves them empty.
    if (fnExistence_Table("ACCTOTALNAME")) {
      fnGetAccTotalName(AccGroupCodes[68], "PLUSNAME", a.PlusName5880);
      fnGetAccTotalName(AccGroupCodes[60], "PLUSNAME", a.PlusName5580);
      fnGetAccTotalName(AccGroupCodes[62], "PLUSNAME", a.PlusName5680);
      fnGetAccTotalName(AccGroupCodes[64], "PLUSNAME", a.PlusName5780);
      fnGetAccTotalName(AccGroupCodes[87], "PLUSNAME", a.PlusName5688);
      fnGetAccTotalName(AccGroupCodes[65], "PLUSNAME", a.PlusName5790);
    } else {
      for (std::string* name : {&a.PlusName5880, &a.PlusName5580, &a.PlusName5680, &a.PlusName5780,
                                &a.PlusName5688, &a.PlusName5790})
        name->clear();
    }
    a.Reserved93 = 1;
    a.IsMedical = PrepareAccDataKindTables() ? 1 : 0;
    a.Reserved95 = 0;
    q.Close();

    a.PrevKikanNo = MonthToKikanIndex(a.KAISINO);
    a.LastKikanNo = GetKikanNo(a.SIME, 0, a.KISHU, a.KIMATU, a.KIMATU);
    a.KaisiMonths = GetMonthOffset(a.SIME, a.KISHU, a.KAISI);
    a.KimatuMonths = GetMonthOffset(a.SIME, a.KISHU, a.KIMATU);

    SetSystemCode("現金", a.SysKCode[kSysGenkin], a.SysUserCode[kSysGenkin]);
    SetSystemCode("仮払消費税", a.SysKCode[kSysKaribaraiTax], a.SysUserCode[kSysKaribaraiTax]);
    SetSystemCode("仮受消費税", a.SysKCode[kSysKariukeTax], a.SysUserCode[kSysKariukeTax]);
    SetSystemCode("繰越利益剰余金", a.SysKCode[kSysKurikoshiRieki], a.SysUserCode[kSysKurikoshiRieki]);
    SetSystemCode("諸口", a.SysKCode[kSysShokuchi], a.SysUserCode[kSysShokuchi]);
    if (a.DATATYPE == 1) {
      SetSystemCode("受取手形", a.TegataKCode[0], a.TegataUserCode[0]);
      SetSystemCode("割引手形", a.TegataKCode[1], a.TegataUserCode[1]);
      SetSystemCode("裏書手形", a.TegataKCode[2], a.TegataUserCode[2]);
    }
    for (int i = kSysJigyonushiKashi; i <= kSysMotoire; ++i) {
      a.SysKCode[i].clear();
      a.SysUserCode[i].clear();
    }
    if (a.DATATYPE == 2) {
      SetSystemCode("事業主貸", a.SysKCode[kSysJigyonushiKashi], a.SysUserCode[kSysJigyonushiKashi]);
      SetSystemCode("事業主借", a.SysKCode[kSysJigyonushiKari], a.SysUserCode[kSysJigyonushiKari]);
      SetSystemCode("元入金", a.SysKCode[kSysMotoire], a.SysUserCode[kSysMotoire]);
    }
    for (int i = kSysKyuryo; i <= kSysTaishokuKyufu; ++i) {
      a.SysKCode[i].clear();
      a.SysUserCode[i].clear();
    }
    if (a.DATATYPE == 3 && a.CODETYPE == 1) {
      SetSystemCode("給料", a.SysKCode[kSysKyuryo], a.SysUserCode[kSysKyuryo]);
      SetSystemCode("賞与", a.SysKCode[kSysShoyo], a.SysUserCode[kSysShoyo]);
      SetSystemCode("賞与引当金繰入額", a.SysKCode[kSysShoyoHikiate], a.SysUserCode[kSysShoyoHikiate]);
      SetSystemCode("退職給付費用", a.SysKCode[kSysTaishokuKyufu], a.SysUserCode[kSysTaishokuKyufu]);
      SetSystemCode("前期繰越利益", a.SysKCode[kSysKurikoshiRieki], a.SysUserCode[kSysKurikoshiRieki]);
    }

    GetUserCode(a.FUMEI_KCODE, a.FumeiUserCode);

    a.TusinHolder[0] = a.WEB_HOLDER;
    a.TusinPassword[0] = a.PASWORD;
    GetTusinId(1, 1);

    a.KiStart[0] = a.KISHU;
    a.KiEnd[0] = a.KIMATU;
    a.KiInputStart[0] = a.KAISI;
    a.KiStart[1] = a.zKISHU != 0 ? a.zKISHU : IncMonth(a.KISHU, -12);
    a.KiEnd[1] = a.KiStart[0] - 1;
    a.KiInputStart[1] = a.KiStart[1];
    a.KiStart[2] = a.zzKISHU != 0 ? a.zzKISHU : IncMonth(a.KiStart[1], -12);
    a.KiEnd[2] = a.KiStart[1] - 1;
    a.KiInputStart[2] = a.KiStart[2];

    a.KakoMeisai = AccReg("基本設定", "過去明細取り込み", "整数", "0").AsInteger();
    try {
      a.GassanKubun = static_cast<uint8_t>(AccReg("基本設定", "合算データ区分", "整数", "0").AsInteger());
    } catch (const std::exception&) {
      a.GassanKubun = 0;
    }
    a.GassanCount = AccReg("基本設定", "合算データ数", "整数", "0").AsInteger();
    a.IkkatuZeinuki = AccReg("基本設定", "一括税抜処理", "整数", "0").AsInteger();
    a.IkkatuZeinuki = 0;  // the bulk tax-exclusion is not offered: always off
    a.Reserved107 = 0;
    a.KCodeDigits = static_cast<uint8_t>(AccReg("基本設定", "科目コード桁数", "整数", "0").AsInteger());
    a.HCodeDigits = static_cast<uint8_t>(AccReg("基本設定", "補助コード桁数", "整数", "0").AsInteger());
    a.BCodeDigits = static_cast<uint8_t>(AccReg("基本設定", "部門コード桁数", "整数", "0").AsInteger());
    // Read for their rows only: other parts of the accounting product expect them to exist.
    AccReg("減価償却設定", "250%定率法で償却する経過措置", "整数", "0");
    AccReg("減価償却設定", "200%定率法で償却する経過措置", "整数", "0");
    a.PrintKikanUse = AccReg("基本設定", "印刷用期間使用区分", "整数", "0").AsInteger();
    a.PrintKikanStart = AccReg("基本設定", "印刷用期間（期首）", "日付", "0").AsDate();
    a.PrintKikanEnd = AccReg("基本設定", "印刷用期間（期末）", "日付", "0").AsDate();
    a.KobetuGenkaUse = AccReg("基本設定", "個別原価使用区分", "整数", "0").AsInteger();
    a.KobetuGenkaName = AccReg("基本設定", "個別原価別名", "文字", "個別原価").AsString();
    a.KobetuGenkaDigits = static_cast<uint8_t>(AccReg("基本設定", "個別原価コード桁数", "整数", "0").AsInteger());
    a.MyNumberUse = AccReg("基本設定", "＃USE", "整数", "0").AsInteger();
    // The stored forms stay as they are; a form the transform cannot read leaves the field empty.
    a.MyNumberKey = AccReg("基本設定", "＃KEY", "文字", "").AsString();
    if (!a.MyNumberKey.empty()) a.MyNumberKey = ProtectReadText(a.MyNumberKey);
    a.MyNumberValue = AccReg("基本設定", "＃VALUE", "文字", "").AsString();
    if (!a.MyNumberValue.empty()) a.MyNumberValue = ProtectReadText(a.MyNumberValue);
    a.CloudKubun = AccReg("通信設定", "クラウド区分", "整数", "0").AsInteger();

    a.BumonCount = 0;
    if (a.BUMON != 0) {
      q.Close();
      q.SQL = "SELECT COUNT(BCODE) AS RECCNT FROM BUMONMST\nWHERE BCODE<>''";
      q.Open();
      if (!q.Eof()) a.BumonCount = Int(q, "RECCNT");
      q.Close();
    }

    a.VerMajor = 0;
    a.VerMinor1 = 0;
    a.VerMinor2 = 0;
    q.Close();
    q.SQL = "SELECT MAJOR,MINOR1,MINOR2 FROM ACCVERSION\nORDER BY MAJOR DESC,MINOR1 DESC,MINOR2 DESC";
    q.Open();
    if (!q.Eof()) {
      a.VerMajor = Int(q, "MAJOR");
      a.VerMinor1 = Int(q, "MINOR1");
      a.VerMinor2 = Int(q, "MINOR2");
    }
    q.Close();

    tx.Commit();

    a.DataPassword = TrimZenkaku(AccReg("基本設定", "データパスワード", "文字", "").AsString());
    if (a.VerMajor >= 7) {
      // From data version 7 on the password is kept scrambled; it replaces the plain one.
      TEasyEncodeInfo info;
      InitEasyEncode(info);
      info.TargetLength = kDataPasswordLength;
      info.SourceLength = kDataPasswordLength;
      info.Key = kDataPasswordKey;
      info.CodedText = TrimZenkaku(AccReg("基本設定", "データパスワードV2", "文字", "").AsString());
      // A text that does not decode gives an empty password.
      EasyDecode(info);
      a.DataPassword = info.PlainText;
    }
  } catch (const std::exception& e) {
    CloseQuietly(IBQACC1);
    ReportFailure(e, "TDM.fnGetAccInfo", kAccInfoFailed);
    return false;
  }

  a.Reserved129 = a.SITEN == 0 ? 1 : SystemDef.R4Bit4;
  return true;
}
