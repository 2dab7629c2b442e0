#include "platform/db/IBStoredProc.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "platform/db/FbClient.h"

TIBParam& TIBStoredProc::ParamByName(std::string_view name) {
  std::string key = ascii::Upper(name);
  for (Entry& e : params_)
    if (e.param.Name() == key) return e.param;
  params_.push_back(Entry{TIBParam(key), false});
  return params_.back().param;
}

void TIBStoredProc::LoadParameters() {
  std::string name = ascii::Upper(StoredProcName);
  if (name == loadedFor_) return;
  TIBSQL meta;
  meta.SetDatabase(sql_.Database());
  meta.SetTransaction(sql_.Transaction());
  meta.SQL =
      "SELECT RDB$PARAMETER_NAME, RDB$PARAMETER_TYPE FROM RDB$PROCEDURE_PARAMETERS "
      "WHERE RDB$PROCEDURE_NAME = :NAME AND RDB$PACKAGE_NAME IS NULL "
      "ORDER BY RDB$PARAMETER_TYPE, RDB$PARAMETER_NUMBER";
  meta.ParamByName("NAME").SetString(name);
  inputs_.clear();
  outputs_.clear();
  for (meta.ExecQuery(); !meta.Eof(); meta.Next()) {
    std::string p = meta.Fields(0).AsString();
    (meta.Fields(1).AsInteger() == 0 ? inputs_ : outputs_).push_back(p);
  }
  meta.Close();
  loadedFor_ = name;
}

void TIBStoredProc::ExecProc() {
  if (StoredProcName.empty()) throw EIBError("No stored procedure name");
  LoadParameters();
  for (const Entry& e : params_) {
    bool known = std::find(inputs_.begin(), inputs_.end(), e.param.Name()) != inputs_.end() ||
                 std::find(outputs_.begin(), outputs_.end(), e.param.Name()) != outputs_.end();
    if (!known) throw EIBError("Parameter \"" + e.param.Name() + "\" not found in procedure " + StoredProcName);
  }
  std::string text = "EXECUTE PROCEDURE " + StoredProcName;
  if (!inputs_.empty()) {
    text += "(";
    for (size_t k = 0; k < inputs_.size(); ++k) text += k ? ",?" : "?";
    text += ")";
  }
  sql_.SQL = text;
  for (size_t k = 0; k < inputs_.size(); ++k) {
    ibdb::Value v;
    for (const Entry& e : params_)
      if (!e.output && e.param.Name() == inputs_[k]) v = e.param.RawValue();
    sql_.Params(static_cast<int>(k)).SetRawValue(v);
  }
  sql_.ExecQuery();
  for (int k = 0; k < sql_.FieldCount(); ++k) {
    TIBField& f = sql_.Fields(k);
    TIBParam& p = ParamByName(f.Name());
    p.SetRawValue(f.RawValue());
    for (Entry& e : params_)
      if (&e.param == &p) e.output = true;
  }
  sql_.Close();
}
