#pragma once
// One unit of work in a transaction that may already be running.
//
//   try {
//     TTransactionScope tx(tr);          // starts tr unless the caller has it running
//     ... statements in tr ...
//   } catch (const std::exception& e) {  // (a normal exit has committed)
//     ... report: the scope has rolled back by now ...
//   }
//
// The scope ends only what it started. Inside a transaction that was already running it
// neither commits nor rolls back, on either exit: the caller's transaction goes on, with the
// scope's work in it, and the caller decides its end.
//
// A normal exit commits what the scope started; a failed commit raises EIBError (from the
// destructor, which is therefore noexcept(false)) after rolling back, so nothing stays open.
// An exception leaving the scope ends it without raising again, as `End` says. Declare the
// scope inside the `try` whose handler reports a failure, so that the transaction is over
// before the report is shown.
#include "platform/db/IBDatabase.h"

class TTransactionScope {
 public:
  // How the scope begins.
  enum class Begin {
    IfIdle,  // start the transaction unless it is active (then it is the caller's)
    // Commit an active transaction first and start a new one, which the scope owns: a
    // snapshot that must show the data as it is now, not as it was when an earlier one began.
    Afresh,
  };
  // How the scope ends what it started.
  enum class End {
    CommitOrRollback,  // commit on a normal exit; roll back when an exception leaves
    // Commit on both exits: work that only reads, or that stores rows with their defaults
    // while reading, which are kept also when a later step fails.
    Commit,
    // Commit on both exits and never raise: reads whose result counts, not how the
    // transaction ended.
    CommitQuietly,
  };

  explicit TTransactionScope(TIBTransaction& tr, End end = End::CommitOrRollback, Begin begin = Begin::IfIdle);
  ~TTransactionScope() noexcept(false);
  TTransactionScope(const TTransactionScope&) = delete;
  TTransactionScope& operator=(const TTransactionScope&) = delete;

  // This scope started the transaction and ends it.
  bool Started() const { return started_; }
  // Ends now, as a normal exit would, what the scope started; afterwards the scope does
  // nothing more. Work after it runs outside the scope.
  void Commit();

 private:
  void CommitOrRaise();

  TIBTransaction& tr_;
  End end_;
  bool started_ = false;
  int exceptions_ = 0;  // exceptions in flight when the scope began
};
