#include "platform/db/IBQuery.h"

void TIBQuery::ResetResult() {
  ahead_.clear();
  delivered_ = 0;
  active_ = false;
}

void TIBQuery::TakeRow() {
  if (!ahead_.empty()) {
    SetCurrent(std::move(ahead_.front()));
    ahead_.pop_front();
    ++delivered_;
    return;
  }
  if (HasCursor() && FetchIntoFields())
    ++delivered_;
  else
    SetEof();
}

void TIBQuery::Open() {
  Prepare();  // checked before running: a statement that returns no rows is not run at all
  if (!IsQuery() && FieldCount() == 0) throw EIBError("The statement returns no rows; use ExecSQL");
  Run();
  active_ = true;
  if (HasSingleton())
    delivered_ = 1;
  else
    TakeRow();
}

void TIBQuery::ExecSQL() {
  Run();
  CloseCursor();
  ResetResult();
}

void TIBQuery::Next() {
  if (!active_ || Eof()) return;
  TakeRow();
}

void TIBQuery::Close() {
  CloseCursor();
  ResetResult();
  SetEof();
}

int TIBQuery::RecordCount() {
  if (!active_) return 0;
  Row row;
  while (HasCursor() && FetchRow(row)) ahead_.push_back(std::move(row));
  return delivered_ + static_cast<int>(ahead_.size());
}
