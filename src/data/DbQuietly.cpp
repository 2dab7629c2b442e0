#include "data/DbQuietly.h"

#include <exception>

void CommitQuietly(TIBTransaction& tr, bool started) {
  if (!started || !tr.Active()) return;
  try {
    tr.Commit();
  } catch (const std::exception&) {
  }
}

void RollbackQuietly(TIBTransaction& tr, bool started) {
  if (!started || !tr.Active()) return;
  try {
    tr.Rollback();
  } catch (const std::exception&) {
  }
}

void CloseQuietly(TIBQuery& q) {
  try {
    q.Close();
  } catch (const std::exception&) {
  }
}
