// Schema existence tests, linked journal entries, data folders and their data-list numbers,
// name=value lookup and the data-kind tables.
#include <exception>
#include <initializer_list>
#include <utility>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/DbQuietly.h"
#include "data/uAccClassesSplit.h"
#include "data/uAccConst.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "platform/AsciiCase.h"
#include "platform/TextLines.h"
#include "platform/db/TransactionScope.h"

namespace {

// Runs a count of schema rows on the query, in whatever transaction the caller has open on
// the company database (it starts none of its own): true when the count is above zero. A
// database error is reported and counts as not found; any other error goes to the caller.
bool SchemaCountAboveZero(TIBQuery& q, const char* sql,
                          std::initializer_list<std::pair<const char*, std::string>> params, const char* context,
                          const char* message) {
  try {
    q.Close();
    q.SQL = sql;
    if (!q.Prepared()) q.Prepare();
    for (const auto& [name, value] : params) q.ParamByName(name).SetString(value);
    q.Open();
    const bool found = !q.Eof() && q.Fields(0).AsInteger() > 0;
    q.Close();
    return found;
  } catch (const EIBError& e) {
    CloseQuietly(q);
    ReportDbError(e, context, message, true);
    return false;
  } catch (...) {
    CloseQuietly(q);
    throw;
  }
}

}  // namespace

bool TDM::fnExistence_Table(const std::string& table) {
  TIBQuery q;
  UseCompanyDb(q);
  return SchemaCountAboveZero(q,
                              "SELECT Count(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:Table_NAME",
                              {{"Table_NAME", table}}, "TDM.fnExistence_Table",
                              "テーブルの存在情報の取得に失敗しました。");
}

bool TDM::fnExistence_Field(const std::string& table, const std::string& field) {
  TIBQuery q;
  UseCompanyDb(q);
  return SchemaCountAboveZero(q,
                              "SELECT count(*) FROM RDB$RELATION_FIELDS WHERE (RDB$RELATION_NAME=:TABLE_NAME) AND "
                              "(RDB$FIELD_NAME=:FIELD_NAME )",
                              {{"TABLE_NAME", table}, {"FIELD_NAME", field}}, "TDM.fnExistence_Field",
                              "テーブル項目の存在情報の取得に失敗しました。");
}

bool TDM::GetLinkSiwakeCount(int32_t kessanOnly, int32_t year) {
  // Whether there is one such line, not how many: the engine stops at the first it finds
  // instead of counting through the whole journal.
  static const char* const kFrom[3] = {
      "SELECT FIRST 1 SWKREC FROM SIWAKE_VIEW",
      "SELECT FIRST 1 SWKREC FROM KAKOSIWAKE1_VIEW",
      "SELECT FIRST 1 SWKREC FROM KAKOSIWAKE2_VIEW",
  };
  if (year < 0 || year > 2) return false;
  bool found = false;
  try {
    TTransactionScope tx(IBTransactionDAT, TTransactionScope::End::CommitQuietly);
    std::string sql = std::string(kFrom[year]) +
                      "\nWHERE (DELFLG=0) AND (TAISHAKU=1) AND (LINKKUB=:LINKKUB) AND (SWKREC IS NOT NULL)";
    if (kessanOnly == 1) sql += "\nAND (MNUM=16)";
    IBQACC1.Close();
    IBQACC1.SQL = sql;
    IBQACC1.ParamByName("LINKKUB").SetInteger(9);
    IBQACC1.Open();
    found = !IBQACC1.Eof();
    IBQACC1.Close();
  } catch (const std::exception&) {
    // The check is advisory: a failure counts as no linked entries.
    CloseQuietly(IBQACC1);
  }
  return found;
}

int32_t TDM::CheckLinkSiwake(int32_t status, int32_t kessanOnly, int32_t year) {
  if (status != 0) return status;
  return GetLinkSiwakeCount(kessanOnly, year) ? 1 : 0;
}

int32_t TDM::PassInt(int32_t value) { return value; }

std::string TDM::PassText(const std::string& value) { return value; }

void TDM::SplitDataPath(const std::string& path, std::string& dataNo, std::string& childNo) {
  dataNo.clear();
  childNo.clear();
  // Stored paths may still carry the backslashes of the accounting product's form.
  std::string p = RemoveBlanks(path);
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  TMojiBunkatu parts;
  parts.Delimiter = '/';
  parts.SetText(p);
  for (int i = 0; i < parts.Count; ++i) {
    const std::string part = ascii::Upper(parts.Items[static_cast<size_t>(i)]);
    if (part == "DATA" || part == "CB_DATA") {
      parts.GetMoji(i + 1, dataNo);
      parts.GetMoji(i + 2, childNo);
      return;
    }
  }
}

void TDM::DataPathToRec(const std::string& folder, int32_t& dataNo, int32_t& childNo) {
  dataNo = 0;
  childNo = 0;
  if (TrimZenkaku(folder).empty()) return;
  if (ConnectMode == 0) {
    std::string dataText, childText;
    SplitDataPath(folder, dataText, childText);
    dataNo = SafeStrToInt(dataText);
    childNo = SafeStrToInt(childText);
    return;
  }
  if (ConnectMode != 1 && ConnectMode != 2) return;
  try {
    TTransactionScope tx(IBTransactionDEF, TTransactionScope::End::CommitQuietly);
    IBSQLDEF.Close();
    IBSQLDEF.SQL = "SELECT REC FROM DATALIST\nWHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)";
    IBSQLDEF.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    IBSQLDEF.ParamByName("PASNAME").SetString(ascii::Upper(folder));
    for (IBSQLDEF.ExecQuery(); !IBSQLDEF.Eof(); IBSQLDEF.Next()) dataNo = IBSQLDEF.FieldByName("REC").AsInteger();
    IBSQLDEF.Close();
  } catch (const std::exception&) {
    // An unknown folder and an unreadable data list both give no number.
    try {
      IBSQLDEF.Close();
    } catch (const std::exception&) {
    }
  }
}

void TDM::GetNameValue(const std::string& text, const std::string& name, std::string& value) {
  value.clear();
  for (const std::string& line : textlines::FromText(text)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos && ascii::SameText(std::string_view(line).substr(0, eq), name)) {
      value = line.substr(eq + 1);
      return;
    }
  }
}

bool TDM::PrepareDataKindTables(int32_t dataType, int32_t codeType) {
  const bool medical = dataType == 3 && codeType == 1;
  InitKamokuLineMap(medical);
  InitSikinguriTable(medical);
  return medical;
}

bool TDM::PrepareAccDataKindTables() { return PrepareDataKindTables(AccInf.DATATYPE, AccInf.CODETYPE); }
