#include "data/DataModule.h"

#include "platform/Paths.h"

TDM* DM = nullptr;
TDataCheckHook DataCheckHook;
TDataListRefreshHook DataListRefreshHook;

TDM::TDM() {
  const std::vector<std::string> readCommitted = {"read_committed", "rec_version", "nowait"};

  IBDatabaseDEF.SQLDialect = 3;
  IBDatabaseDEF.DefaultTransaction = &IBTransactionDEF;
  IBTransactionDEF.SetDefaultDatabase(&IBDatabaseDEF);
  IBTransactionDEF.Params = readCommitted;

  IBDatabaseDAT.SQLDialect = 3;
  IBTransactionDAT.SetDefaultDatabase(&IBDatabaseDAT);
  IBTransactionDAT.Params = readCommitted;
  IBTransactionDATSS.SetDefaultDatabase(&IBDatabaseDAT);
  IBTransactionDATSS.Params = {"concurrency", "nowait"};

  IBFileMan.SQLDialect = 3;
  IBFileMan.DefaultTransaction = &IBTransFileMan;
  IBTransFileMan.SetDefaultDatabase(&IBFileMan);
  IBTransFileMan.Params = readCommitted;

  for (TIBStatement* s : {static_cast<TIBStatement*>(&IBQSysDefGet), static_cast<TIBStatement*>(&IBQSysDefPut),
                          static_cast<TIBStatement*>(&QueryDef), static_cast<TIBStatement*>(&IBSQLDEF)}) {
    s->SetDatabase(&IBDatabaseDEF);
    s->SetTransaction(&IBTransactionDEF);
  }
  for (TIBQuery* q : {&IBQACC1, &IBQACC2}) UseCompanyDb(*q);
  IBQueryFileMan.SetDatabase(&IBFileMan);
  IBQueryFileMan.SetTransaction(&IBTransFileMan);
  IBSQLFileMan.SetDatabase(&IBFileMan);
  IBSQLFileMan.SetTransaction(&IBTransFileMan);
  IBSQLDEF.ParamCheck = true;
  IBSQLFileMan.ParamCheck = true;

  // Services start without options, with the engine's default blocking factor and buffers.
  IBBackupService1.BlockingFactor = 0;
  IBRestoreService1.PageBuffers = 0;
}

TDM::~TDM() = default;

std::string TDM::DatabaseName(uint8_t connectMode, const std::string& host, const std::string& folder,
                              const std::string& file) {
  if (connectMode != 0 && host != "127.0.0.1") return host + ":" + folder + "/" + file;
  // A local file: a folder in drive form names a folder of this computer through the drive
  // table. An unmapped drive keeps its form, so that opening it fails rather than falling back
  // to another folder.
  std::string local = folder;
  if (HasDriveLetter(folder)) {
    std::string resolved = ResolvePath(folder);
    if (!resolved.empty()) local = resolved;
  }
  return local + "/" + file;
}

std::vector<std::string> TDM::ConnectParams() {
  return {"user_name=" + SystemDef.DbUser, "password=" + SystemDef.DbPassword, "lc_ctype=SJIS_0208"};
}

void TDM::SetDatabaseParams(TIBDatabase& db, const std::string& name) {
  db.SQLDialect = 3;
  db.Params.clear();
  db.DatabaseName = name;
  db.Params = ConnectParams();
}

void TDM::UseCompanyDb(TIBStatement& s) {
  s.SetDatabase(&IBDatabaseDAT);
  s.SetTransaction(&IBTransactionDAT);
}

void CreateDataModule() {
  FreeDataModule();
  DM = new TDM();
}

void FreeDataModule() {
  delete DM;
  DM = nullptr;
}
