#pragma once
// Steps of the clean-up after a database operation that must not raise: the operation's own
// outcome, or the failure being handled, is what counts.
#include "platform/db/IBDatabase.h"
#include "platform/db/IBQuery.h"

// Ends a transaction the operation started (`started`), when it is still active: the commit
// keeps what it did (reads of settings may have created rows with their defaults), the
// rollback drops it. Nothing happens for a transaction the caller owns.
void CommitQuietly(TIBTransaction& tr, bool started = true);
void RollbackQuietly(TIBTransaction& tr, bool started = true);

void CloseQuietly(TIBQuery& q);
