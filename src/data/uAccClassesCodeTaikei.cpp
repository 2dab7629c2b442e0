#include "data/uAccClassesCodeTaikei.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunctionDb.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "platform/Encoding.h"
#include "platform/TextLines.h"
#include "platform/UiServices.h"

namespace {

// Runs body in the system database's transaction: started when idle, committed when started
// here; a failure is reported (when started here), rolled back, and gives false.
template <class Body>
bool InDefTransaction(const char* context, const char* message, Body body) {
  TIBTransaction& tr = DM->IBTransactionDEF;
  const bool started = !tr.Active();
  try {
    if (started) tr.StartTransaction();
    body();
    if (started && tr.Active()) tr.Commit();
    return true;
  } catch (const std::exception& e) {
    if (started) {
      try {
        if (tr.Active()) tr.Rollback();
      } catch (...) {
      }
      ReportFailure(e, context, message, true);
    }
    return false;
  }
}

}  // namespace

TCodeTaikeiIO::TCodeTaikeiIO() {
  SQL.SetDatabase(&DM->IBDatabaseDEF);
  SQL.SetTransaction(&DM->IBTransactionDEF);
  Query.SetDatabase(&DM->IBDatabaseDEF);
  Query.SetTransaction(&DM->IBTransactionDEF);
  Splitter.Delimiter = ',';
  KubunSyufuku();
}

bool TCodeTaikeiIO::CheckSeihinKubun(const std::string& kind, std::string& message) {
  message.clear();
  const std::string expected = AppInfo.OEM + AppInfo.VerTest;
  bool ok = false;
  if (OemKind == 0)
    ok = kind.empty() || kind == expected;
  else if (OemKind == 1 || OemKind == 2)
    ok = kind == expected;
  else
    return false;
  if (!ok)
    message = "このプログラムでは、該当のデータ（製品区分）を処理することが出来ません。" + AppInfo.AppTitle +
              "以外で作成されたデータの可能性があります。";
  return ok;
}

bool TCodeTaikeiIO::ImportFile(const std::string& path, int32_t recNo) {
  TCodeTaikeiRec2 rec;
  rec.RECNO = recNo;
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const std::string& line : textlines::FromText(sjis::ToUtf8(bytes))) {
    Splitter.SetText(line);
    std::string first;
    Splitter.GetMoji(0, first);
    const int kind = SafeStrToInt(first);
    int target = -1;
    if (kind == 1) {
      std::string item;
      Splitter.GetMoji(1, rec.NAME);
      Splitter.GetMoji(2, item);
      rec.DATATYPE = SafeStrToInt(item);
      Splitter.GetMoji(3, item);
      rec.CODETYPE = SafeStrToInt(item);
      if (Splitter.Count >= 6) Splitter.GetMoji(5, rec.SeihinKubun);
      target = 0;
    } else if (kind >= 2 && kind <= 8) {
      target = kind - 1;
    } else if (kind == 21 || kind == 22) {
      target = 1;
    } else if (kind >= 31 && kind <= 34) {
      target = 2;
    } else if (kind == 71) {
      target = 6;
    }
    if (target >= 0) rec.IniDat[target].push_back(line);
  }
  std::string message;
  if (!CheckSeihinKubun(rec.SeihinKubun, message)) {
    uis::ShowMessage(uis::MsgKind::Information, message);
    return false;
  }
  return UpDateRecored(rec);
}

bool TCodeTaikeiIO::UpDateRecored(const TCodeTaikeiRec2& rec) {
  if (rec.NAME.empty() || rec.DATATYPE == 0 || rec.CODETYPE == 0) return false;
  int64_t written = 0;
  const bool ok = InDefTransaction("TCodeTaikeiIO.UpDateRecored", "コード体系の更新に失敗しました。", [&] {
    SQL.Close();
    SQL.SQL =
        "UPDATE USERCODE SET NAME=:NAME,DATATYPE=:DATATYPE,CODETYPE=:CODETYPE,\n"
        "INIDAT1=:INIDAT1,INIDAT2=:INIDAT2,INIDAT3=:INIDAT3,INIDAT4=:INIDAT4,INIDAT5=:INIDAT5,INIDAT6=:INIDAT6,"
        "INIDAT7=:INIDAT7,INIDAT8=:INIDAT8\nWHERE RECNO=:RECNO";
    SQL.ParamByName("NAME").SetString(rec.NAME);
    SQL.ParamByName("DATATYPE").SetInteger(rec.DATATYPE);
    SQL.ParamByName("CODETYPE").SetInteger(rec.CODETYPE);
    for (int i = 0; i < 8; ++i)
      SQL.ParamByName("INIDAT" + std::to_string(i + 1)).SetBlob(sjis::FromUtf8(textlines::ToText(rec.IniDat[i])));
    SQL.ParamByName("RECNO").SetInteger(rec.RECNO);
    SQL.ExecQuery();
    written = SQL.RowsAffected();
    SQL.Close();
  });
  // A missing row is not stored: say so rather than report success.
  return ok && written > 0;
}

void TCodeTaikeiIO::KubunSyufuku() {
  InDefTransaction("TCodeTaikeiIO.KubunSyufuku", "コード体系の区分修復に失敗しました。", [&] {
    struct Fix {
      int32_t recNo, dataType, codeType;
    };
    std::vector<Fix> fixes;
    SQL.Close();
    SQL.SQL = "SELECT RECNO,INIDAT1 FROM USERCODE\nWHERE DATATYPE=1 AND CODETYPE=1";
    SQL.ExecQuery();
    while (!SQL.Eof()) {
      std::string text = sjis::ToUtf8(SQL.FieldByName("INIDAT1").AsBlob());
      for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
      Splitter.SetText(text);
      std::string item;
      Splitter.GetMoji(2, item);
      const int dataType = SafeStrToInt(item);
      Splitter.GetMoji(3, item);
      const int codeType = SafeStrToInt(item);
      if (dataType != 1) fixes.push_back({SQL.FieldByName("RECNO").AsInteger(), dataType, codeType});
      SQL.Next();
    }
    SQL.Close();
    SQL.SQL = "UPDATE USERCODE SET DATATYPE=:DATATYPE,CODETYPE=:CODETYPE\nWHERE RECNO=:RECNO";
    for (const Fix& f : fixes) {
      SQL.ParamByName("DATATYPE").SetInteger(f.dataType);
      SQL.ParamByName("CODETYPE").SetInteger(f.codeType);
      SQL.ParamByName("RECNO").SetInteger(f.recNo);
      SQL.ExecQuery();
      SQL.Close();
    }
  });
}
