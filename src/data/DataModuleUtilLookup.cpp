// Schema existence tests, linked journal entries, data folders and their data-list numbers,
// name=value lookup and the data-kind tables.
#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccClassesSplit.h"
#include "data/uAccConst.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"

namespace {

std::string UpperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

bool SameTextAscii(const std::string& a, const std::string& b) { return UpperAscii(a) == UpperAscii(b); }

// Ends a transaction a read started, keeping what it did (reads of settings may have created
// rows with their defaults). Never raises: the operation's own outcome is what counts.
void CommitQuietly(TIBTransaction& tr, bool started) {
  if (!started || !tr.Active()) return;
  try {
    tr.Commit();
  } catch (const std::exception&) {
  }
}

void CloseQuietly(TIBQuery& q) {
  try {
    q.Close();
  } catch (const std::exception&) {
  }
}

}  // namespace

// The existence tests run in whatever transaction the caller has open on the company
// database; they start none of their own.
bool TDM::fnExistence_Table(const std::string& table) {
  try {
    IBQACC1.Close();
    IBQACC1.SQL = "SELECT Count(*) FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME=:Table_NAME";
    if (!IBQACC1.Prepared()) IBQACC1.Prepare();
    IBQACC1.ParamByName("Table_NAME").SetString(table);
    IBQACC1.Open();
    const bool found = !IBQACC1.Eof() && IBQACC1.Fields(0).AsInteger() > 0;
    IBQACC1.Close();
    return found;
  } catch (const EIBError& e) {
    CloseQuietly(IBQACC1);
    ReportDbError(e, "TDM.fnExistence_Table", "テーブルの存在情報の取得に失敗しました。", true);
    return false;
  } catch (...) {
    CloseQuietly(IBQACC1);
    throw;
  }
}

bool TDM::fnExistence_Field(const std::string& table, const std::string& field) {
  try {
    IBQACC1.Close();
    IBQACC1.SQL =
        "SELECT count(*) FROM RDB$RELATION_FIELDS WHERE (RDB$RELATION_NAME=:TABLE_NAME) AND (RDB$FIELD_NAME=:FIELD_NAME )";
    if (!IBQACC1.Prepared()) IBQACC1.Prepare();
    IBQACC1.ParamByName("TABLE_NAME").SetString(table);
    IBQACC1.ParamByName("FIELD_NAME").SetString(field);
    IBQACC1.Open();
    const bool found = !IBQACC1.Eof() && IBQACC1.Fields(0).AsInteger() > 0;
    IBQACC1.Close();
    return found;
  } catch (const EIBError& e) {
    CloseQuietly(IBQACC1);
    ReportDbError(e, "TDM.fnExistence_Field", "テーブル項目の存在情報の取得に失敗しました。", true);
    return false;
  } catch (...) {
    CloseQuietly(IBQACC1);
    throw;
  }
}

bool TDM::GetLinkSiwakeCount(int32_t kessanOnly, int32_t year) {
  static const char* const kFrom[3] = {
      "SELECT COUNT(SWKREC) AS RECCNT FROM SIWAKE_VIEW",
      "SELECT COUNT(SWKREC) AS RECCNT FROM KAKOSIWAKE1_VIEW",
      "SELECT COUNT(SWKREC) AS RECCNT FROM KAKOSIWAKE2_VIEW",
  };
  if (year < 0 || year > 2) return false;
  bool found = false;
  bool started = false;
  try {
    started = !IBTransactionDAT.Active();
    if (started) IBTransactionDAT.StartTransaction();
    std::string sql = std::string(kFrom[year]) + "\nWHERE (DELFLG=0) AND (TAISHAKU=1) AND (LINKKUB=:LINKKUB)";
    if (kessanOnly == 1) sql += "\nAND (MNUM=16)";
    IBQACC1.Close();
    IBQACC1.SQL = sql;
    IBQACC1.ParamByName("LINKKUB").SetInteger(9);
    IBQACC1.Open();
    found = !IBQACC1.Eof() && IBQACC1.FieldByName("RECCNT").AsInteger() > 0;
    IBQACC1.Close();
    CommitQuietly(IBTransactionDAT, started);
  } catch (const std::exception&) {
    // The check is advisory: a failure counts as no linked entries.
    CloseQuietly(IBQACC1);
    CommitQuietly(IBTransactionDAT, started);
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
    const std::string part = UpperAscii(parts.Items[static_cast<size_t>(i)]);
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
  bool started = false;
  try {
    started = !IBTransactionDEF.Active();
    if (started) IBTransactionDEF.StartTransaction();
    IBSQLDEF.Close();
    IBSQLDEF.SQL = "SELECT REC FROM DATALIST\nWHERE (GROUPID=:GROUPID) AND (UPPER(PASNAME)=:PASNAME)";
    IBSQLDEF.ParamByName("GROUPID").SetInteger(SystemDef.GroupId);
    IBSQLDEF.ParamByName("PASNAME").SetString(UpperAscii(folder));
    for (IBSQLDEF.ExecQuery(); !IBSQLDEF.Eof(); IBSQLDEF.Next()) dataNo = IBSQLDEF.FieldByName("REC").AsInteger();
    IBSQLDEF.Close();
    CommitQuietly(IBTransactionDEF, started);
  } catch (const std::exception&) {
    // An unknown folder and an unreadable data list both give no number.
    try {
      IBSQLDEF.Close();
    } catch (const std::exception&) {
    }
    CommitQuietly(IBTransactionDEF, started);
  }
}

void TDM::GetNameValue(const std::string& text, const std::string& name, std::string& value) {
  value.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string::npos && SameTextAscii(line.substr(0, eq), name)) {
      value = line.substr(eq + 1);
      return;
    }
    if (end == text.size()) break;
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
}

bool TDM::PrepareDataKindTables(int32_t dataType, int32_t codeType) {
  const bool medical = dataType == 3 && codeType == 1;
  InitKamokuLineMap(medical);
  InitSikinguriTable(medical);
  return medical;
}

bool TDM::PrepareAccDataKindTables() { return PrepareDataKindTables(AccInf.DATATYPE, AccInf.CODETYPE); }
