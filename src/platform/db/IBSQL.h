#pragma once
// A statement with an unbuffered cursor.
//
//   TIBSQL q;
//   q.SetDatabase(&db);                 // runs in db.DefaultTransaction unless SetTransaction
//   q.SQL = "SELECT ATEXT FROM ACCREG WHERE AGROUP=:AGROUP AND ACODE=:ACODE ";
//   q.ParamByName("AGROUP").SetString("基本設定");
//   q.ParamByName("ACODE").SetString("消費税");
//   q.ExecQuery();                      // a query stands on its first row
//   while (!q.Eof()) { std::string t = q.FieldByName("ATEXT").AsString(); q.Next(); }
//   q.Close();
#include <cstdint>

#include "platform/db/IBStatement.h"

class TIBSQL : public TIBStatement {
 public:
  // A query opens its cursor on the first row (Eof when there is none); any other statement
  // is executed, and one that returns values gives them as its only row.
  void ExecQuery();
  void Next();
  void Close();
  bool Open() const { return HasCursor(); }
  // Rows inserted, updated or deleted by the last run (rows fetched for a query).
  int64_t RowsAffected() { return RowsAffectedNow(); }
};
