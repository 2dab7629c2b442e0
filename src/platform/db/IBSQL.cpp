#include "platform/db/IBSQL.h"

void TIBSQL::ExecQuery() {
  if (!Run() || !HasCursor()) return;
  Row row;
  if (FetchRow(row))
    SetCurrent(std::move(row));
  else
    SetEof();
}

void TIBSQL::Next() {
  if (Eof()) return;
  Row row;
  if (HasCursor() && FetchRow(row))
    SetCurrent(std::move(row));
  else
    SetEof();
}

void TIBSQL::Close() {
  CloseCursor();
  SetEof();
}
