#include "platform/db/TransactionScope.h"

#include <exception>

namespace {

void RollbackQuietly(TIBTransaction& tr) noexcept {
  try {
    if (tr.Active()) tr.Rollback();
  } catch (...) {
    // The transaction is being given up; its failure is not the one to report.
  }
}

void CommitQuietly(TIBTransaction& tr) noexcept {
  try {
    if (tr.Active()) tr.Commit();
  } catch (...) {
    RollbackQuietly(tr);
  }
}

}  // namespace

TTransactionScope::TTransactionScope(TIBTransaction& tr, End end, Begin begin)
    : tr_(tr), end_(end), exceptions_(std::uncaught_exceptions()) {
  if (tr_.Active()) {
    if (begin == Begin::IfIdle) return;
    try {
      tr_.Commit();
    } catch (...) {
      // One that cannot be committed is rolled back rather than left open.
      RollbackQuietly(tr_);
      throw;
    }
  }
  tr_.StartTransaction();
  started_ = true;
}

TTransactionScope::~TTransactionScope() noexcept(false) {
  if (!started_) return;
  const bool failing = std::uncaught_exceptions() > exceptions_;
  if (!failing && end_ != End::CommitQuietly) {
    CommitOrRaise();
    return;
  }
  started_ = false;
  if (failing && end_ == End::CommitOrRollback)
    RollbackQuietly(tr_);
  else
    CommitQuietly(tr_);
}

void TTransactionScope::Commit() {
  if (started_) CommitOrRaise();
}

void TTransactionScope::CommitOrRaise() {
  started_ = false;
  try {
    tr_.Commit();  // raises as well when someone else has ended the transaction meanwhile
  } catch (...) {
    RollbackQuietly(tr_);
    throw;
  }
}
