#pragma once
// An executable stored procedure called by name; its inputs and outputs are parameters.
//
//   TIBStoredProc sp;
//   sp.SetDatabase(&db);
//   sp.StoredProcName = "SP_SIWAKE_DEL";
//   sp.ParamByName("SWKREC").SetInteger(rec);
//   sp.ParamByName("OPCODE").SetInteger(logonId);
//   sp.ExecProc();
//   int result = sp.ParamByName("RESULT").AsInteger();
//
// A selectable procedure is read with TIBQuery: "SELECT ... FROM PROC(:A)".
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/IBSQL.h"

class TIBStoredProc {
 public:
  void SetDatabase(TIBDatabase* db) { sql_.SetDatabase(db); }
  TIBDatabase* Database() const { return sql_.Database(); }
  void SetTransaction(TIBTransaction* tr) { sql_.SetTransaction(tr); }
  TIBTransaction* Transaction() const { return sql_.Transaction(); }

  std::string StoredProcName;

  // An input before ExecProc, an output (or input) after it. Inputs that are not set are NULL;
  // a name that is no parameter of the procedure raises in ExecProc.
  TIBParam& ParamByName(std::string_view name);
  void ExecProc();

 private:
  struct Entry {
    TIBParam param;
    bool output = false;
  };
  void LoadParameters();

  TIBSQL sql_;
  std::deque<Entry> params_;  // references stay valid as entries are added
  std::string loadedFor_;
  std::vector<std::string> inputs_, outputs_;
};
