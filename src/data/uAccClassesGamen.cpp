#include "data/uAccClassesGamen.h"

#include <exception>

#include "data/DataModule.h"
#include "data/DbErrorReport.h"
#include "data/uAccFunction.h"
#include "data/uAccRecord.h"
#include "platform/AsciiCase.h"
#include "platform/Encoding.h"
#include "platform/db/TransactionScope.h"

namespace {

constexpr int kStyleNameBytes = 40;
constexpr size_t kValueBytes = 1024;

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

// Runs work in the system database's transaction, started here when it is not active. A
// failure in a transaction started here is shown and ends here (the screen still opens, with
// its defaults); inside a caller's transaction it is the caller's to report.
template <class Work>
void InDefTransaction(const char* context, const char* message, Work work) {
  TIBTransaction& tr = DM->IBTransactionDEF;
  const bool started = !tr.Active();
  try {
    TTransactionScope tx(tr, TTransactionScope::End::Commit);
    work();
  } catch (const std::exception& e) {
    if (!started) throw;
    ReportFailure(e, context, message);
  }
}

}  // namespace

TGamenKeyValue::TGamenKeyValue() : OpCode(SystemDef.LogonId) {
  if (DM != nullptr) {
    SQL.SetDatabase(&DM->IBDatabaseDEF);
    SQL.SetTransaction(&DM->IBTransactionDEF);
  }
}

void TGamenKeyValue::SetKey(const std::string& key) {
  StyleName = TrimBlanks(PadRightSJIS(ascii::Upper(Prefix + key), kStyleNameBytes));
}

void TGamenKeyValue::FukugenValue(const std::string& key, std::string& text) {
  ClearValue();
  if (OpCode == 0 || key.empty() || DM == nullptr) return;
  SetKey(key);
  InDefTransaction("TGamenValue.FukugenValue", "前回の画面値の取得に失敗しました。", [&] {
    SQL.Close();
    SQL.SQL = "SELECT SSTR FROM STYLECOLOR\nWHERE OPCODE=:OPCODE AND STYLENAME=:STYLENAME";
    SQL.ParamByName("OPCODE").SetInteger(OpCode);
    SQL.ParamByName("STYLENAME").SetString(StyleName);
    for (SQL.ExecQuery(); !SQL.Eof(); SQL.Next()) text = SQL.FieldByName("SSTR").AsString();
    SQL.Close();
  });
}

void TGamenKeyValue::HozonValue(const std::string& key, const std::string& text) {
  if (OpCode == 0 || key.empty() || DM == nullptr) return;
  SetKey(key);
  Value = TrimZenkaku(text);
  if (sjis::ByteLength(Value) > kValueBytes) Value = TrimZenkaku(sjis::CutToBytes(Value, kValueBytes));
  InDefTransaction("TGamenValue.HozonValue", "画面値の保存に失敗しました。",
                   [&] { TDM::WriteStyleColorRow(SQL, OpCode, StyleName, Value); });
}

void TGamenKeyValue::ClearValue() { Value.clear(); }
