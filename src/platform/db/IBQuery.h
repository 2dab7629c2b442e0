#pragma once
// The dataset form of a statement: Open a query and walk its rows, or ExecSQL a statement
// that returns none.
//
//   TIBQuery q;
//   q.SetDatabase(&db);
//   q.SetTransaction(&snapshot);
//   q.SQL = "SELECT REC, KINGAKU FROM SIWAKE WHERE HIZUKE BETWEEN :D1 AND :D2";
//   q.ParamByName("D1").SetDate(start);
//   q.ParamByName("D2").SetDate(end);
//   q.Open();
//   for (; !q.Eof(); q.Next()) total += q.FieldByName("KINGAKU").AsCurrency();
//   q.Close();
#include <deque>

#include "platform/db/IBStatement.h"

class TIBQuery : public TIBStatement {
 public:
  // Runs a statement that returns rows and stands on the first (Eof when there is none).
  void Open();
  // Runs a statement for its effect.
  void ExecSQL();
  void Next();
  void Close();
  bool Active() const { return active_; }
  // The number of rows of the open result (fetches the rest, keeping the position).
  int RecordCount();
  int64_t RowsAffected() { return RowsAffectedNow(); }

 private:
  void ResetResult() override;
  void TakeRow();

  std::deque<Row> ahead_;  // fetched for RecordCount, not yet reached
  int delivered_ = 0;      // rows reached so far, the current one included
  bool active_ = false;
};
