#pragma once
// A step of the clean-up after a database operation that must not raise: the operation's own
// outcome, or the failure being handled, is what counts. (Transactions end through
// TTransactionScope, platform/db/TransactionScope.h.)
#include "platform/db/IBQuery.h"

void CloseQuietly(TIBQuery& q);
