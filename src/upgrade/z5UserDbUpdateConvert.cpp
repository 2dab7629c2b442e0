#include "upgrade/z5UserDbUpdateConvert.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/DataModule.h"
#include "data/uAccFunction.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/uAccScramble.h"
#include "platform/db/IBSQL.h"
#include "upgrade/z5DbUpdateList.h"
#include "upgrade/z5DbUpdateScript.h"

namespace userupdate {
namespace {

std::unique_ptr<TIBSQL> CompanyQuery() {
  std::unique_ptr<TIBSQL> q = CreateAccSQL("ACCDAT", false);
  if (!q) throw std::runtime_error("no data module");
  return q;
}

void Exec(TIBSQL& q, const std::string& sql) {
  q.Close();
  q.SQL = sql;
  q.ExecQuery();
  q.Close();
}

// Connects the selected company data, runs the steps in one transaction, and disconnects.
// Nothing of a failed run is kept; the failure is written to the upgrade error log.
bool RunInCompanyTransaction(std::initializer_list<TConversion> steps) {
  if (!DM) return false;
  bool ok = true;
  DM->fnAccDatConnected(SystemDef.HostName, SystemDef.DataDir, false);
  TIBTransaction& tr = DM->IBTransactionDAT;
  try {
    if (!tr.Active()) tr.StartTransaction();
    for (const TConversion& step : steps) step();
    tr.Commit();
  } catch (const std::exception& e) {
    try {
      if (tr.Active()) tr.Rollback();
    } catch (...) {
    }
    AppendErrDataupLog({std::string("company conversion failed: ") + e.what()});
    ok = false;
  }
  // isql must find the file free of the program's own attachment.
  DM->AccDatDisconnect(SystemDef.DataDir, false, false);
  return ok;
}

}  // namespace

bool RunPreSteps(std::initializer_list<TConversion> steps) { return RunInCompanyTransaction(steps); }

int32_t RunPostSteps(int32_t scriptResult, std::initializer_list<TConversion> steps) {
  if (scriptResult != kStepOk) return scriptResult;
  return RunInCompanyTransaction(steps) ? kStepOk : kStepException;
}

// ------------------------------------------------------------------ conversions

void DisableMedicalHojo() {
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  Exec(*q,
       "UPDATE KAMOKUMST SET HOJOSW='×'\r\nWHERE KCODE IN \r\n(SELECT KCODE FROM ACCDEF2\r\n"
       "WHERE (KNAME='仮払消費税') OR (KNAME='仮受消費税')\r\nOR    (KNAME='前期繰越利益') OR (KNAME='諸口'))");
}

int32_t OpeningSlot(int32_t kaisino) {
  // The slot just before the first month's, counting the closing slots 4, 8 and 12.
  static const int32_t kSlots[] = {0, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14};
  return kaisino >= 1 && kaisino <= 12 ? kSlots[kaisino] : 0;
}

void ConvertKamokuPzOpening() {
  std::unique_ptr<TIBSQL> reader = CompanyQuery();
  std::unique_ptr<TIBSQL> writer = CompanyQuery();
  writer->SQL =
      "UPDATE KAMOKU_PZ SET NUKIZAN=:NUKIZAN,ZEIGAKU=0\r\n"
      "WHERE SCODE=:SCODE AND KCODE=:KCODE AND HCODE=:HCODE AND BCODE=:BCODE AND MNUM=:MNUM";
  reader->SQL =
      "SELECT SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE,SZ.KAISIZAN,K.BPFLG FROM KAMOKU_SZ SZ\r\n"
      "INNER JOIN KAMOKUMST K ON (SZ.KCODE=K.KCODE)\r\n"
      "ORDER BY K.GROUPM0,SZ.SCODE,SZ.KCODE,SZ.HCODE,SZ.BCODE";
  const int32_t kaisino = AccInf.KAISINO;
  const bool firstMonth = kaisino == 1;
  const std::string owner[] = {AccInf.SysKCode[kSysJigyonushiKari], AccInf.SysKCode[kSysJigyonushiKashi],
                               AccInf.SysKCode[kSysMotoire]};
  reader->ExecQuery();
  while (!reader->Eof()) {
    const std::string bp = reader->FieldByName("BPFLG").AsString();
    const std::string kcode = reader->FieldByName("KCODE").AsString();
    bool convert = false;
    if (bp == "B") {
      // A year starting with its first month carries the owner's accounts over by closing.
      const bool ownerAccount = kcode == owner[0] || kcode == owner[1] || kcode == owner[2];
      convert = !(AccInf.DATATYPE == 2 && firstMonth && ownerAccount);
    } else if (bp == "P") {
      if (firstMonth) break;
      convert = true;
    }
    if (convert) {
      writer->ParamByName("SCODE").SetString(reader->FieldByName("SCODE").AsString());
      writer->ParamByName("KCODE").SetString(kcode);
      writer->ParamByName("HCODE").SetString(reader->FieldByName("HCODE").AsString());
      writer->ParamByName("BCODE").SetString(reader->FieldByName("BCODE").AsString());
      writer->ParamByName("MNUM").SetInteger(OpeningSlot(kaisino));
      writer->ParamByName("NUKIZAN").SetCurrency(reader->FieldByName("KAISIZAN").AsCurrency());
      writer->ExecQuery();
      writer->Close();
    }
    reader->Next();
  }
  reader->Close();
}

void ConvertDataPasswordV2() {
  TAccValue value;
  GetAccReg("基本設定", "データパスワード", "文字", value, " ");
  const std::string password = TrimZenkaku(value.AsString());
  DeleteAccReg("基本設定", "データパスワード");
  if (password.empty()) return;
  TEasyEncodeInfo info;
  InitEasyEncode(info);
  info.TargetLength = kDataPasswordLength;
  info.SourceLength = kDataPasswordLength;
  info.Key = kDataPasswordKey;
  info.PlainText = password;
  if (EasyEncode(info)) {
    PutAccReg("基本設定", "データパスワードV2", "文字", TAccValue(info.CodedText));
  } else {
    DeleteAccReg("基本設定", "データパスワードV2");
  }
}

void RoundKamokuMsBudget() {
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  Exec(*q, "UPDATE KAMOKU_MS SET BYOSAN=F_ROUND(BYOSAN),BYOSAN2=F_ROUND(BYOSAN2),BYOSAN3=F_ROUND(BYOSAN3)");
}

void ConvertKessanPrintSettings() {
  if (AccInf.DATATYPE == 3) return;
  const bool corporation = AccInf.DATATYPE == 1;
  const TSystemDef& d = SystemDef;
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  q->SQL =
      "UPDATE KESSAN SET ZEROKAMOKUPRINT=:ZEROKAMOKUPRINT,ZEROPRINT=:ZEROPRINT,SONSHITUSANKAKU=:SONSHITUSANKAKU,\r\n"
      "SOTOWAKUKAHEN=:SOTOWAKUKAHEN,FUSAINOBUKAIPAGE=:FUSAINOBUKAIPAGE,HANBAIHIKUMIIRE=:HANBAIHIKUMIIRE,"
      "TEGATASOSAI=:TEGATASOSAI\r\nWHERE REC=1";
  const auto value = [corporation](int32_t v) { return corporation ? v : 0; };
  q->ParamByName("ZEROKAMOKUPRINT").SetInteger(value(d.ZeroPrint == 1 || d.ZeroPrint == 2 ? 1 : 0));
  q->ParamByName("ZEROPRINT").SetInteger(value(d.ZeroPrint == 1 ? 1 : 0));
  q->ParamByName("SONSHITUSANKAKU").SetInteger(value(d.SankakuPlus));
  q->ParamByName("SOTOWAKUKAHEN").SetInteger(value((d.Reserve2 & 2) != 0 ? 1 : 0));
  q->ParamByName("FUSAINOBUKAIPAGE").SetInteger(value((d.Reserve2 & 1) != 0 ? 1 : 0));
  q->ParamByName("HANBAIHIKUMIIRE").SetInteger(value(d.決算書販売費組入区分));
  q->ParamByName("TEGATASOSAI").SetInteger(value(d.決算書手形相殺区分));
  q->ExecQuery();
  q->Close();
}

void ClearSiwakeDnum() {
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  Exec(*q, "UPDATE SIWAKE SET DNUM=0");
}

// ------------------------------------------------------------------ budget-analysis seeds

namespace {

struct TRule {
  const char* code;
  const char* name;
  bool revenue;
};

// Bad rate, bad range flag, good rate, good range flag.
std::string RateValues(bool revenue) { return revenue ? "0.95,0,1.05,1" : "1.05,1,0.95,0"; }

void InsertGroups(TIBSQL& q, const std::vector<std::pair<const char*, std::vector<const char*>>>& groups) {
  for (const auto& g : groups) {
    for (const char* code : g.second) {
      Exec(q, std::string("INSERT INTO KAMOKU_KOSEI_GROUP VALUES('") + g.first + "','" + code + "',' ')");
    }
  }
}

void InsertRules(TIBSQL& q, const std::vector<TRule>& rules) {
  for (const TRule& r : rules) {
    Exec(q, std::string("INSERT INTO VELKORAN_YOJITU_HYOKARULE VALUES('") + r.code + "','" + r.name + "'," +
                RateValues(r.revenue) + ")");
  }
}

void UpdateRates(TIBSQL& q, const std::vector<std::pair<const char*, bool>>& groups) {
  for (const auto& g : groups) {
    const std::string v = RateValues(g.second);
    // v is "r1,k1,r2,k2".
    std::string parts[4];
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
      const size_t comma = v.find(',', start);
      parts[i] = v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      start = comma + 1;
    }
    Exec(q, "UPDATE KAMOKUMST SET VELKORAN_YOJITU_RATE1=" + parts[0] + ",VELKORAN_YOJITU_KIND1=" + parts[1] +
                ",VELKORAN_YOJITU_RATE2=" + parts[2] + ",VELKORAN_YOJITU_KIND2=" + parts[3] + " WHERE GROUPM1='" +
                g.first + "'");
  }
}

std::unique_ptr<TIBSQL> SeedQuery() {
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  q->ParamCheck = false;
  return q;
}

const char* const kTax = "法人税等";
const char* const kDepreciation = "減価償却費";
const char* const kShortLoan = "短期借入金返済";
const char* const kLongLoan = "長期借入金返済";
const char* const kStock = "期首期末棚卸";

const std::vector<const char*> kOemStock = {"49700", "49800", "50800", "50900", "59400", "59500",
                                            "59600", "59300", "59700", "59800", "59900"};
const std::vector<const char*> kStandardStock = {"5101", "5301", "5401", "5411", "5701", "5801"};

}  // namespace

void InsertKoseiGroupHyokaRule802() {
  if (AccInf.DATATYPE != 1) return;
  std::unique_ptr<TIBSQL> q = SeedQuery();
  if (OemKind == 0) {
    InsertGroups(*q, {{kTax, {"8301", "8302"}},
                      {kDepreciation, {"5606", "6204"}},
                      {kShortLoan, {"2103"}},
                      {kLongLoan, {"2202"}},
                      {kStock, kStandardStock}});
  } else if (OemKind == 1 || OemKind == 2) {
    InsertGroups(*q, {{kTax, {"98100", "98300", "98400", "98500"}},
                      {kDepreciation, {"55400", "68400"}},
                      {kShortLoan, {"31100"}},
                      {kLongLoan, {"37100"}},
                      {kStock, kOemStock}});
  }
  InsertRules(*q, {{"4800", "売上", true},
                   {"5100", "変動費", false},
                   {"5400", "限界利益", true},
                   {"5600", "人件費", false},
                   {"5700", "固定費", false},
                   {"6200", "営業利益", true},
                   {"7180", "営業外収益", true},
                   {"7280", "営業外費用", false},
                   {"7300", "経常利益", true},
                   {"8180", "特別利益", true},
                   {"8280", "特別損失", false},
                   {"8290", "税引前当期純利益", true}});
  UpdateRates(*q, {{"7100", true}, {"7200", false}, {"8100", true}, {"8200", false}});
}

void InsertKoseiGroupHyokaRule803() {
  if (AccInf.DATATYPE != 2) return;
  std::unique_ptr<TIBSQL> q = SeedQuery();
  const int32_t code = AccInf.CODETYPE;
  if (OemKind == 0) {
    if (code == 1 || code == 3) {
      InsertGroups(*q, {{kDepreciation, {"5606", "6202"}}, {kShortLoan, {"2103"}}, {kLongLoan, {"2202"}},
                        {kStock, kStandardStock}});
    } else if (code == 2) {
      InsertGroups(*q, {{kDepreciation, {"6202"}}, {kShortLoan, {"2103"}}, {kLongLoan, {"2202"}}});
    } else if (code == 4) {
      InsertGroups(*q, {{kDepreciation, {"6204"}}, {kShortLoan, {"2103"}}, {kLongLoan, {"2202"}},
                        {kStock, {"5101", "5301", "6301", "6302"}}});
    }
  } else if (OemKind == 1 || OemKind == 2) {
    if (code == 1) {
      InsertGroups(*q, {{kDepreciation, {"55400", "68400"}}, {kShortLoan, {"31100"}}, {kLongLoan, {"37100"}},
                        {kStock, kOemStock}});
    } else if (code == 2) {
      InsertGroups(*q, {{kDepreciation, {"68400"}}, {kShortLoan, {"31100"}}, {kLongLoan, {"37100"}}});
    } else if (code == 4) {
      InsertGroups(*q, {{kDepreciation, {"68400"}}, {kShortLoan, {"31100"}}, {kLongLoan, {"37100"}},
                        {kStock, {"49700", "49800", "69300", "69400"}}});
    }
  }
  InsertRules(*q, {{"4800", "売上", true},
                   {"5100", "変動費", false},
                   {"5400", "限界利益", true},
                   {"5600", "人件費", false},
                   {"5700", "固定費", false},
                   {"6200", "営業利益", true},
                   {"7180", "営業外収益", true},
                   {"7280", "営業外費用", false},
                   {"7300", "経常利益", true},
                   {"8400", "青申特別控除前所得", true}});
  UpdateRates(*q, {{"7100", true}, {"7200", false}});
}

void InsertHyokaRule902() {
  if (AccInf.DATATYPE != 3) return;
  std::unique_ptr<TIBSQL> q = SeedQuery();
  InsertRules(*q, {{"4800", "事業収益", true},
                   {"5100", "変動費", false},
                   {"5400", "限界利益", true},
                   {"5600", "人件費", false},
                   {"5700", "固定費", false},
                   {"6200", "事業利益", true},
                   {"7180", "事業外収益", true},
                   {"7280", "事業外費用", false},
                   {"7300", "経常利益", true},
                   {"8180", "臨時利益", true},
                   {"8280", "臨時損失", false},
                   {"8300", "税引前当期純利益", true}});
  UpdateRates(*q, {{"7110", true}, {"7210", false}, {"8110", true}, {"8210", false}});
}

// ------------------------------------------------------------------ menu rights

void CompanyMenuProgram(int32_t page, int32_t menu, bool medical, int32_t oemKind, std::string& id,
                        std::string& option) {
  id.clear();
  option.clear();
  struct Item {
    int32_t menu;
    const char* id;
    const char* option;
  };
  static const std::vector<Item> kPages[] = {
      {{0, "VqVelkoran1", ""}, {1, "VqYojituHendoPL", ""}, {10, "VqHikakuSuiihyo", ""}, {19, "VqTusinSettei", ""}},
      {{0, "VqSimulation", ""},    {1, "VqGetujiHikakuGraph", ""}, {2, "VqSankiHikakuGraph", ""},
       {3, "VqSankiKamokuGraph", ""}, {4, "VqKeieiBunseki2", ""},  {5, "VqSogoHikakuPL", ""},
       {6, "VqYojitutaihi", ""},   {7, "VqYosoku2", ""},           {8, "VqGetujiHikaku", ""},
       {9, "VqSankiHikaku", ""},   {10, "VqBumonHikakuBL", ""},    {11, "VqSikinguri", ""},
       {12, "VqSitenHikakuBL", ""}, {19, "VqZenkamoku2", ""}},
      {{0, "VqSiwake", "SyoriType=0"}, {1, "VqMonitor", ""}, {2, "VqMotocho", "SyoriType=0"}, {3, "VqSisanhyo", ""}},
      {{0, "VqHojinKessansyo", ""}, {1, "VqCashFlow", ""},       {2, "VqIkkatuPrint", ""},
       {3, "VqGaikyosyo", ""},      {5, "VqKojinKessansyo", ""}, {6, "VqGenkaSyokyaku", ""},
       {7, "VqTouzaChoseihyo", ""}, {10, "VqTaxSinkokusyo", ""}, {11, "VqTaxUtiwakesyo", ""},
       {12, "VqTaxSyukeihyo", ""},  {13, "VqTaxSisanhyo", ""},   {15, "VqTaxSinkokusyoSyusei", ""}},
  };
  static const std::vector<Item> kMedicalPage3 = {
      {0, "VqMBKessansyo", ""},     {1, "VqMBKessansyoSisetsu", ""}, {2, "VqMBHokukuJigyo", ""},
      {3, "VqMBHokukuZaisan", ""},  {4, "VqMBHokukuKansa", ""},      {5, "VqCashFlow", ""},
      {6, "VqIkkatuPrint", ""},     {7, "VqGaikyosyo", ""},          {8, "VqGenkaSyokyaku", ""},
      {9, "VqTouzaChoseihyo", ""},  {10, "VqTaxSinkokusyo", ""},     {11, "VqTaxUtiwakesyo", ""},
      {12, "VqTaxSyukeihyo", ""},   {13, "VqTaxSisanhyo", ""},       {15, "VqTaxSinkokusyoSyusei", ""}};
  const auto find = [&](const std::vector<Item>& items) {
    for (const Item& i : items) {
      if (i.menu == menu) {
        id = i.id;
        option = i.option;
      }
    }
  };
  if (page >= 0 && page <= 3) find(kPages[page]);
  if (page == 4) {
    if (menu >= 0 && menu <= 16) {
      char name[16];
      std::snprintf(name, sizeof name, "VqUtiwake%02d", menu + 1);
      id = name;
    } else if (menu == 19) {
      id = "VqUtiwakeAll";
    }
  }
  if (medical && page == 3) {
    id.clear();
    find(kMedicalPage3);
  }
  if ((oemKind == 1 || oemKind == 2) && page == 2) {
    if (menu == 17) id = "VqKobetuIchiranhyo";
    if (menu == 18) id = "VqKobetuMeisaihyo";
    if (menu == 19) id = "VqKobetuMotocho";
  }
}

void ConvertJobControl2() {
  const bool medical = AccInf.DATATYPE == 3;
  std::unique_ptr<TIBSQL> reader = CompanyQuery();
  std::unique_ptr<TIBSQL> writer = CompanyQuery();
  reader->SQL = "SELECT LEVELNO,PAGENO,MENUNO FROM JOBCONTROL\r\nWHERE LEVELNO=:LEVELNO\r\nORDER BY PAGENO,MENUNO";
  reader->ParamByName("LEVELNO").SetInteger(medical ? 1200 : 200);
  writer->SQL = "INSERT INTO JOBCONTROL2(LEVELNO,PROC_ID,PROC_OPTION)\r\nVALUES(:LEVELNO,:PROC_ID,:PROC_OPTION)";
  reader->ExecQuery();
  while (!reader->Eof()) {
    std::string id, option;
    CompanyMenuProgram(reader->FieldByName("PAGENO").AsInteger(), reader->FieldByName("MENUNO").AsInteger(), medical,
                       OemKind, id, option);
    if (!id.empty()) {
      // Level 200 also for the medical rows read at 1200: the rights screen reads them there.
      writer->ParamByName("LEVELNO").SetInteger(200);
      writer->ParamByName("PROC_ID").SetString(id);
      writer->ParamByName("PROC_OPTION").SetString(option);
      writer->ExecQuery();
      writer->Close();
    }
    reader->Next();
  }
  reader->Close();
}

}  // namespace userupdate
