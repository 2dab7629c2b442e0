#pragma once
// Rows written by their key: a count query finds out whether the row is there, then it is
// updated, or inserted when missing. The SQL texts are the callers' own, run as they are.
//
//   const TRowSql kSql{"SELECT COUNT(REC) AS RECCNT FROM T\nWHERE REC=:REC",
//                      "INSERT INTO T(REC,V) VALUES(:REC,:V)", "UPDATE T SET V=:V\nWHERE REC=:REC"};
//   WriteRowByKey(q, kSql, [&](TIBStatement& s, TRowStep step) {
//     s.ParamByName("REC").SetInteger(rec);           // every step binds the key
//     if (step != TRowStep::Count) s.ParamByName("V").SetString(v);
//   });
//
// The statement runs in the transaction it is set to (the caller holds the scope) and is left
// closed.
#include <string>

#include "platform/db/IBQuery.h"
#include "platform/db/IBSQL.h"

enum class TRowStep { Count, Insert, Update };

struct TRowSql {
  const char* count;   // "SELECT COUNT(...) AS RECCNT ...": the first column counts the rows
  const char* insert;
  const char* update;
};

namespace dbrows {

inline void OpenRows(TIBQuery& q) { q.Open(); }
inline void OpenRows(TIBSQL& q) { q.ExecQuery(); }
inline void Execute(TIBQuery& q) { q.ExecSQL(); }
inline void Execute(TIBSQL& q) { q.ExecQuery(); }

}  // namespace dbrows

// A count query without parameters.
struct TNoKey {
  void operator()(TIBStatement&) const {}
};

// True when the count query finds a row; `bindKey(statement)` binds its parameters. A row
// that is only created when missing (settings with their defaults) needs no more than this.
template <class Statement, class BindKey = TNoKey>
bool RowExists(Statement& st, const std::string& countSql, BindKey bindKey = {}) {
  st.Close();
  st.SQL = countSql;
  bindKey(static_cast<TIBStatement&>(st));
  dbrows::OpenRows(st);
  const bool exists = !st.Eof() && st.Fields(0).AsInteger() > 0;
  st.Close();
  return exists;
}

// Counts, then updates the row or inserts it. `bind(statement, step)` binds the parameters of
// each text in turn: the key for the count, and every parameter of the write.
template <class Statement, class Bind>
void WriteRowByKey(Statement& st, const TRowSql& sql, Bind bind) {
  const bool exists = RowExists(st, sql.count, [&](TIBStatement& s) { bind(s, TRowStep::Count); });
  st.SQL = exists ? sql.update : sql.insert;
  bind(static_cast<TIBStatement&>(st), exists ? TRowStep::Update : TRowStep::Insert);
  dbrows::Execute(st);
  st.Close();
}
