#include "support/ScratchDb.h"

#include "fixtures/FixtureDb.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"

ScratchDb::ScratchDb(const std::string& fileName) {
  db.DatabaseName = (tmp.Path() / fileName).string();
  db.Params = fixtures::DbParams();
  db.CreateDatabase();
  tr.SetDefaultDatabase(&db);
  tr.Params = {"read_committed", "rec_version", "nowait"};
  db.DefaultTransaction = &tr;
}

void ScratchDb::Script(const std::string& text) {
  TIBScript s;
  s.Database = &db;
  s.Script = text;
  s.ExecuteScript();
}

void ScratchDb::Exec(const std::string& sql) {
  tr.StartTransaction();
  TIBSQL q;
  q.SetDatabase(&db);
  q.SQL = sql;
  q.ExecQuery();
  tr.Commit();
}
