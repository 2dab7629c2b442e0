// Company steps 3.0.0 to 10.0.0: their file lists, the filters that choose the files, and the
// checks and own lines of the few steps that have them.
#include "upgrade/z5UserDbUpdate300.h"

#include <cstdio>
#include <memory>

#include "data/DataModule.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "platform/db/IBSQL.h"
#include "upgrade/z5UserDbUpdateConvert.h"

namespace userupdate {
namespace {

// When a file of a step runs.
enum class Rule : char {
  All = 'A',
  NonMedical = 'N',
  Medical = 'M',
  NoUpdate2Trigger = 'T',  // while KAMOKUMST_AFTER_UPDATE2 is missing
  CountKind1 = '1',
  CountKind2 = '2',
  Oem = 'O',               // an OEM edition
  StandardCompany = 'P',   // neither OEM edition 1 or 2, nor individual or medical data
  OemCompany = 'Q',        // an OEM edition, neither individual nor medical data
  NoTaxCode116 = 'X',
};

struct TStepFiles {
  TDbVersion version;
  // "NN:r" pairs separated by blanks: the file qvzupNN.sql and its rule.
  const char* files;
};

// In list order: the order in which the chosen files are read into the script.
constexpr TStepFiles kSteps[] = {
    {{3, 0, 0}, "01:A 02:A 03:A 04:A 05:A 06:A 07:A 08:A 09:A 10:A"},
    {{3, 0, 1}, "01:A"},
    {{3, 0, 3}, "01:M 02:M 03:M 04:M 05:M 06:M"},
    {{3, 0, 4}, "01:A 02:A 03:A 04:T"},
    {{3, 0, 6}, "01:1 02:2"},
    {{3, 0, 7}, "01:A 02:M 03:M 04:M 05:M 06:M 07:M 08:A"},
    {{4, 0, 0}, "01:A 02:N 03:N 04:M 05:M 06:A 07:N 08:N 09:M"},
    // All six for every data set: the old medical exclusion never left a file out.
    {{4, 0, 2}, "01:A 02:A 03:A 04:A 05:A 06:A"},
    {{5, 0, 0}, "01:M 02:N 03:M 04:A 05:A 06:A 07:A 08:A 09:O 10:N 11:A"},
    {{5, 0, 2}, "01:N 02:M"},
    {{5, 0, 5}, "01:A 02:N 03:M 04:P 05:Q"},
    {{6, 0, 0}, "01:A 02:A 03:N 04:N 05:N 06:N 07:N 08:N 09:N 10:M 11:M 12:M 13:M 14:M 15:A 16:N 17:M 18:A"},
    {{6, 1, 0}, "01:A 02:A 03:A 04:N 05:M"},
    {{6, 1, 3}, "01:A 02:M 03:N 04:A 05:A 06:N 07:A"},
    {{7, 0, 0}, "01:N 02:N 03:N 04:M 05:M 06:M 07:M 08:N 09:M 10:A 11:N"},
    {{7, 0, 2}, "01:A 02:A"},
    {{7, 0, 3}, "01:M 02:A 03:A"},
    {{7, 0, 4}, "70201:X 70202:X 01:A 02:A 03:N 04:M"},
    {{8, 0, 0}, "01:A 02:A 03:A 04:A 05:A 06:A"},
    {{8, 0, 2}, "07:A 01:N 02:N 03:M 04:M 05:A 06:A"},
    {{8, 0, 3}, "01:N"},
    {{9, 0, 0}, "01:A 02:A 03:A 04:N 05:M"},
    {{9, 0, 1}, "01:A"},
    {{9, 0, 2}, "01:A 02:A 03:M 04:M 05:A"},
    {{9, 0, 3}, "01:N 02:M"},
    {{9, 0, 4}, "01:N 02:A 03:A 04:N 05:M 06:N 07:M"},
    {{9, 0, 5}, "01:N 02:M"},
    {{10, 0, 0}, "01:A 02:A 03:A 04:N"},
};

bool Chosen(Rule rule, const TFilter& f, const TStepFacts& facts) {
  switch (rule) {
    case Rule::All: return true;
    case Rule::NonMedical: return !f.Medical;
    case Rule::Medical: return f.Medical;
    case Rule::NoUpdate2Trigger: return !facts.Update2TriggerExists;
    case Rule::CountKind1: return facts.KamokuCountKind == 1;
    case Rule::CountKind2: return facts.KamokuCountKind == 2;
    case Rule::Oem: return f.OemKind != 0;
    case Rule::StandardCompany: return f.OemKind != 1 && f.OemKind != 2 && f.DataType != 2 && f.DataType != 3;
    case Rule::OemCompany: return f.OemKind != 0 && f.DataType != 2 && f.DataType != 3;
    case Rule::NoTaxCode116: return !facts.TaxCode116Exists;
  }
  return false;
}

std::vector<TUpdateFile> ChosenFiles(const char* list, const TFilter& f, const TStepFacts& facts) {
  std::vector<TUpdateFile> files;
  std::string text(list);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    const size_t colon = item.find(':');
    files.push_back({"qvzup" + item.substr(0, colon) + ".sql", Chosen(static_cast<Rule>(item[colon + 1]), f, facts)});
    start = end + 1;
  }
  return files;
}

// A query in the company database's default transaction.
std::unique_ptr<TIBSQL> CompanyQuery() {
  std::unique_ptr<TIBSQL> q = CreateAccSQL("ACCDAT", false);
  if (!q) throw std::runtime_error("no data module");
  return q;
}

}  // namespace

TStepFacts FactsFromAccInf() {
  TStepFacts facts;
  facts.ShokuchiCode = AccInf.SysKCode[kSysShokuchi];
  facts.Siten = AccInf.SITEN;
  facts.Bumon = AccInf.BUMON;
  return facts;
}

int32_t RunFiles(const TDbVersion& v, const TStepFacts& facts) { return RunStep(v, StepBody(v, CurrentFilter(), facts)); }
int32_t RunFiles(const TDbVersion& v) { return RunFiles(v, FactsFromAccInf()); }

TStepBody StepBody(const TDbVersion& version, const TFilter& filter, const TStepFacts& facts) {
  TStepBody body;
  for (const TStepFiles& s : kSteps) {
    if (s.version == version) body.Files = ChosenFiles(s.files, filter, facts);
  }
  if (version == TDbVersion{3, 0, 3} && filter.DataType == 2 && filter.CodeType == 2) {
    // Individual real-estate data: the name of the rent account becomes editable.
    body.Leading = {"UPDATE EXTERKS SET KNAMELOCK=0", "WHERE KGROUP='4100' AND SUBREC=3;", "COMMIT;"};
  }
  if (version == TDbVersion{4, 0, 0}) AddUserDbUpdate400Sql(body.Statements, filter, facts);
  return body;
}

void AddUserDbUpdate400Sql(Lines& lines, const TFilter& filter, const TStepFacts& facts) {
  const std::string code = SqlLiteral(facts.ShokuchiCode);
  lines.push_back("UPDATE KAMOKUMST SET HOJOSW=CASE WHEN (SELECT COUNT(*) FROM HOJOMST WHERE (KCODE=" + code +
                  " AND HCODE<>''))=0 THEN '－' ELSE '○' END");
  lines.push_back("WHERE (KCODE=" + code + ") AND (HOJOSW='×');");
  if (filter.Medical) {
    // The highest group moves first, so that group 40 is free for the new item.
    const struct {
      int kind, orders[4], rec;
    } kinds[] = {{1, {41, 40, 39, 38}, 43}, {0, {39, 38, 37, 36}, 89}};
    const char* const names[] = {"Ⅶ　現金及び現金同等物の期末残高", "Ⅵ　現金及び現金同等物の期首残高",
                                 "Ⅴ　現金及び現金同等物の増加額"};
    for (const auto& k : kinds) {
      const std::string kind = std::to_string(k.kind);
      for (int i = 0; i < 3; ++i) {
        const int to = 70 - 10 * i;
        lines.push_back("UPDATE CASHFMST SET CM_GROUP=" + std::to_string(to) + ",CM_ORDER=" + std::to_string(k.orders[i]) +
                        ",CM_NAME1='" + names[i] + "'");
        lines.push_back("WHERE (CM_KIND=" + kind + ")AND(CM_GROUP=" + std::to_string(to - 10) + ");");
      }
      lines.push_back("INSERT INTO CASHFMST (CM_REC,CM_JIGYOU,CM_KIND,CM_GROUP,CM_ORDER,CM_DEL,CM_MKU,CM_MARGIN,CM_NAME1,CM_HOSEI)");
      lines.push_back("VALUES (" + std::to_string(k.rec) + ",15," + kind + ",40," + std::to_string(k.orders[3]) +
                      ",1,1,0,'Ⅳ　現金及び現金同等物に係る換算差額',0);");
    }
  }
  if (filter.ProgramKind == 3) {
    lines.push_back("DELETE FROM ACCREG WHERE (AGROUP='基本設定') AND (ACODE='合算データ区分');");
    lines.push_back("DELETE FROM ACCREG WHERE (AGROUP='基本設定') AND (ACODE='合算データ数');");
  }
  if (facts.Siten > 0) lines.push_back("UPDATE ACCDEF5 SET NUM1=0 WHERE (SCODE='');");
  if (facts.Bumon > 0) lines.push_back("UPDATE ACCDEF5 SET NUM1=0 WHERE (BCODE='');");
  lines.push_back("COMMIT;");
}

bool TriggerExists(const std::string& name) {
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  q->SQL = "SELECT count(*) FROM RDB$TRIGGERS WHERE (RDB$TRIGGER_NAME= :TRIGGER_NAME) ";
  q->ParamByName("TRIGGER_NAME").SetString(name);
  q->ExecQuery();
  const bool exists = !q->Eof() && q->Fields(0).AsInteger() > 0;
  q->Close();
  return exists;
}

int32_t GetKamokuCountKind(bool medical) {
  if (!medical) return 0;
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  q->SQL = "SELECT COUNT(*) FROM KAMOKUMST";
  q->ExecQuery();
  const int64_t count = q->Eof() ? 0 : q->Fields(0).AsInteger();
  q->Close();
  return count == 377 ? 1 : count == 567 ? 2 : 0;
}

bool TaxCode116Exists() {
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  q->SQL = "SELECT COUNT(TAX_CODE) AS RECCNT FROM TAXMST\nWHERE TAX_CODE=116";
  q->ExecQuery();
  const bool exists = !q->Eof() && q->FieldByName("RECCNT").AsInteger() > 0;
  q->Close();
  return exists;
}

void CreateKamokuSzDeleteTrigger() {
  if (TriggerExists("KAMOKUSZ_AFTER_DELETE2")) return;
  std::unique_ptr<TIBSQL> q = CompanyQuery();
  q->ParamCheck = false;
  q->SQL =
      "CREATE TRIGGER \"KAMOKUSZ_AFTER_DELETE2\" FOR \"KAMOKU_SZ\" ACTIVE AFTER DELETE POSITION 0\r\n"
      "AS\r\nDECLARE dvSITEN  INTEGER;\r\nBEGIN\r\nEND;";
  q->ExecQuery();
  q->Close();
}

}  // namespace userupdate

using userupdate::RunFiles;
using userupdate::RunPostSteps;
using userupdate::RunPreSteps;
using userupdate::TStepFacts;

int32_t ExecUserDbUpdate300() { return RunFiles({3, 0, 0}); }
int32_t ExecUserDbUpdate301() { return RunFiles({3, 0, 1}); }
int32_t ExecUserDbUpdate303() { return RunFiles({3, 0, 3}); }

int32_t ExecUserDbUpdate304() {
  TStepFacts facts = userupdate::FactsFromAccInf();
  if (!RunPreSteps({[&] { facts.Update2TriggerExists = userupdate::TriggerExists("KAMOKUMST_AFTER_UPDATE2"); }}))
    return kStepException;
  return RunFiles({3, 0, 4}, facts);
}

int32_t ExecUserDbUpdate306() {
  TStepFacts facts = userupdate::FactsFromAccInf();
  const bool medical = userupdate::CurrentFilter().Medical;
  if (!RunPreSteps({[&] {
        facts.KamokuCountKind = userupdate::GetKamokuCountKind(medical);
        if (medical) userupdate::DisableMedicalHojo();
        if (AccInf.CONVERT == 1) userupdate::ConvertKamokuPzOpening();
      }}))
    return kStepException;
  return RunFiles({3, 0, 6}, facts);
}

int32_t ExecUserDbUpdate307() {
  if (!RunPreSteps({userupdate::CreateKamokuSzDeleteTrigger})) return kStepException;
  return RunFiles({3, 0, 7});
}

int32_t ExecUserDbUpdate400() { return RunFiles({4, 0, 0}); }
int32_t ExecUserDbUpdate402() { return RunFiles({4, 0, 2}); }
int32_t ExecUserDbUpdate500() { return RunFiles({5, 0, 0}); }
int32_t ExecUserDbUpdate502() { return RunFiles({5, 0, 2}); }
int32_t ExecUserDbUpdate505() { return RunFiles({5, 0, 5}); }
int32_t ExecUserDbUpdate600() { return RunFiles({6, 0, 0}); }
int32_t ExecUserDbUpdate610() { return RunFiles({6, 1, 0}); }
int32_t ExecUserDbUpdate613() { return RunFiles({6, 1, 3}); }

int32_t ExecUserDbUpdate700() {
  if (!RunPreSteps({userupdate::ConvertDataPasswordV2})) return kStepException;
  return RunFiles({7, 0, 0});
}

int32_t ExecUserDbUpdate702() { return RunFiles({7, 0, 2}); }
int32_t ExecUserDbUpdate703() { return RunFiles({7, 0, 3}); }

int32_t ExecUserDbUpdate704() {
  TStepFacts facts = userupdate::FactsFromAccInf();
  if (!RunPreSteps({[&] { facts.TaxCode116Exists = userupdate::TaxCode116Exists(); }})) return kStepException;
  return RunFiles({7, 0, 4}, facts);
}

int32_t ExecUserDbUpdate800() { return RunFiles({8, 0, 0}); }

int32_t ExecUserDbUpdate802() {
  return RunPostSteps(RunFiles({8, 0, 2}), {userupdate::InsertKoseiGroupHyokaRule802, userupdate::ConvertJobControl2});
}

int32_t ExecUserDbUpdate803() { return RunPostSteps(RunFiles({8, 0, 3}), {userupdate::InsertKoseiGroupHyokaRule803}); }
int32_t ExecUserDbUpdate900() { return RunFiles({9, 0, 0}); }
int32_t ExecUserDbUpdate901() { return RunFiles({9, 0, 1}); }
int32_t ExecUserDbUpdate902() { return RunPostSteps(RunFiles({9, 0, 2}), {userupdate::InsertHyokaRule902}); }
int32_t ExecUserDbUpdate903() { return RunPostSteps(RunFiles({9, 0, 3}), {userupdate::RoundKamokuMsBudget}); }
int32_t ExecUserDbUpdate904() { return RunPostSteps(RunFiles({9, 0, 4}), {userupdate::ConvertKessanPrintSettings}); }

int32_t ExecUserDbUpdate905() {
  const int32_t result = RunFiles({9, 0, 5});
  if (OemKind != 1 && OemKind != 2) return result;
  return RunPostSteps(result, {userupdate::ClearSiwakeDnum});
}

int32_t ExecUserDbUpdate1000() { return RunFiles({10, 0, 0}); }
