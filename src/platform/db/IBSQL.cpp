#include "platform/db/IBSQL.h"

void TIBSQL::ExecQuery() {
  if (!Run() || !HasCursor()) return;
  if (!FetchIntoFields()) SetEof();
}

void TIBSQL::Next() {
  if (Eof()) return;
  if (!HasCursor() || !FetchIntoFields()) SetEof();
}

void TIBSQL::Close() {
  CloseCursor();
  SetEof();
}
