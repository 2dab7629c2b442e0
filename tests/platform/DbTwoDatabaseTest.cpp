// One transaction over two databases: both keep the work of a commit, neither keeps the work
// of a rollback, and statements of either database run in it.
#include <gtest/gtest.h>

#include "platform/db/IBSQL.h"
#include "support/ScratchDb.h"

namespace {

int64_t Count(ScratchDb& s) {
  s.tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&s.db);
  q.SQL = "SELECT COUNT(*) FROM T";
  q.ExecQuery();
  int64_t n = q.Fields(0).AsInt64();
  q.Close();
  s.tr.Commit();
  return n;
}

TEST(DbTwoDatabases, CommitAndRollbackCoverBoth) {
  ScratchDb a("a.fdb"), b("b.fdb");
  a.Exec("CREATE TABLE T (N INTEGER)");
  b.Exec("CREATE TABLE T (N INTEGER)");
  TIBTransaction both;
  both.SetDefaultDatabase(&a.db);
  both.AddDatabase(&b.db);
  both.Params = {"read_committed", "rec_version", "nowait"};
  TIBSQL qa, qb;
  qa.SetDatabase(&a.db);
  qb.SetDatabase(&b.db);
  qa.SetTransaction(&both);
  qb.SetTransaction(&both);
  qa.SQL = qb.SQL = "INSERT INTO T (N) VALUES (1)";
  for (bool commit : {false, true}) {
    both.StartTransaction();
    qa.ExecQuery();
    qb.ExecQuery();
    if (commit)
      both.Commit();
    else
      both.Rollback();
    EXPECT_EQ(Count(a), commit ? 1 : 0);
    EXPECT_EQ(Count(b), commit ? 1 : 0);
  }
  // A database that is not part of the transaction is refused, and the set is fixed while
  // the transaction runs.
  ScratchDb c("c.fdb");
  TIBSQL qc;
  qc.SetDatabase(&c.db);
  qc.SetTransaction(&both);
  qc.SQL = "SELECT 1 FROM RDB$DATABASE";
  both.StartTransaction();
  EXPECT_THROW(qc.ExecQuery(), EIBError);
  EXPECT_THROW(both.AddDatabase(&c.db), EIBError);
  // Closing one of the databases ends the transaction without keeping its work.
  qb.ExecQuery();
  b.db.Close();
  EXPECT_FALSE(both.InTransaction());
  b.db.Open();
  EXPECT_EQ(Count(b), 1);
}

}  // namespace
