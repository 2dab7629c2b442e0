#pragma once
// Connections and transactions over the Firebird client library.
//
//   TIBDatabase db;
//   db.DatabaseName = "/data/0001/qvacc.fdb";          // embedded, in this process
//   // or "host:/path/qvacc.fdb", "host/3050:/path/qvacc.fdb" for a Firebird server
//   db.Params = {"user_name=GKFMCB", "password=mirsol", "lc_ctype=SJIS_0208"};
//   db.Open();
//   TIBTransaction tr;
//   tr.SetDefaultDatabase(&db);
//   tr.Params = {"read_committed", "rec_version", "nowait"};
//   tr.StartTransaction(); ... tr.Commit();
//
// Every failure raises EIBError. One connection is used from one thread at a time.
#include <string>
#include <vector>

#include "platform/db/IBError.h"
#include "platform/db/OpenGuard.h"

namespace Firebird {
class IAttachment;
class ITransaction;
}  // namespace Firebird

class TIBDatabase;
class TIBTransaction;

namespace ibdb {

// Something that holds engine handles below a connection or a transaction (a statement): the
// connection frees them before it detaches, a transaction closes their cursors before it ends,
// and both say when they are destroyed.
class Client {
 public:
  virtual void DatabaseClosing() = 0;
  virtual void DatabaseDestroyed(TIBDatabase* db) = 0;
  virtual void TransactionEnding(TIBTransaction* tr) = 0;
  virtual void TransactionDestroyed(TIBTransaction* tr) = 0;

 protected:
  ~Client() = default;
};

}  // namespace ibdb

class TIBDatabase {
 public:
  TIBDatabase();
  ~TIBDatabase();
  TIBDatabase(const TIBDatabase&) = delete;
  TIBDatabase& operator=(const TIBDatabase&) = delete;

  std::string DatabaseName;         // "path" (embedded) or "host[/port]:path" (server)
  std::vector<std::string> Params;  // "user_name=...", "password=...", "lc_ctype=SJIS_0208" ...
  int SQLDialect = 3;
  TIBTransaction* DefaultTransaction = nullptr;  // statements without a transaction of their own use it

  void Open();  // nothing when already connected
  // Ends the connection: open cursors are closed, active transactions are rolled back (work
  // that nobody committed is never committed by a disconnect), then the attachment is detached.
  void Close();
  bool Connected() const { return att_ != nullptr; }
  // Drops the attachment without raising, also when the server can no longer be reached.
  void ForceClose();
  // Deletes the connected database; afterwards the object is disconnected.
  void DropDatabase();
  // Creates the database named by DatabaseName (dialect 3, DEFAULT CHARACTER SET SJIS_0208)
  // with the Params and leaves it connected.
  void CreateDatabase(int pageSize = 8192);

  // Layer internal.
  Firebird::IAttachment* Attachment() const { return att_; }
  void AddClient(ibdb::Client* c);
  void RemoveClient(ibdb::Client* c);
  void AddTransaction(TIBTransaction* t);
  void RemoveTransaction(TIBTransaction* t);
  // Full names of the database files this process has open in its own engine.
  static std::vector<std::string> LocalAttachments();
  // True for "host:path" names, which go to a server.
  static bool IsRemoteName(const std::string& name);

 private:
  void Shutdown(bool force);

  // Acquires the open guard of a database file opened in-process (none for a server's).
  void GuardLocalFile();

  Firebird::IAttachment* att_ = nullptr;
  ibdb::TOpenGuard guard_;
  std::vector<ibdb::Client*> clients_;
  std::vector<TIBTransaction*> transactions_;
};

class TIBTransaction {
 public:
  TIBTransaction();
  ~TIBTransaction();  // rolls back when still active
  TIBTransaction(const TIBTransaction&) = delete;
  TIBTransaction& operator=(const TIBTransaction&) = delete;

  // "read_committed", "rec_version", "no_rec_version", "nowait", "wait", "concurrency",
  // "consistency", "read", "write", "lock_timeout=N" ... Empty: concurrency, wait, write.
  std::vector<std::string> Params;

  void SetDefaultDatabase(TIBDatabase* db);
  TIBDatabase* DefaultDatabase() const { return db_; }
  // A second database for the same transaction: work on both commits or rolls back as one
  // (two-phase commit). Statements of either database may then run in it. Only while idle.
  void AddDatabase(TIBDatabase* db);
  void RemoveDatabase(TIBDatabase* db);
  // The default database or one added.
  bool HasDatabase(const TIBDatabase* db) const;

  void StartTransaction();  // raises when already active or the database is not connected
  void Commit();            // closes the cursors of the transaction's statements
  void Rollback();
  void CommitRetaining();   // keeps the transaction and its cursors
  void RollbackRetaining();
  bool InTransaction() const { return tra_ != nullptr; }
  bool Active() const { return tra_ != nullptr; }

  // Layer internal.
  Firebird::ITransaction* Handle() const { return tra_; }
  void AddClient(ibdb::Client* c);
  void RemoveClient(ibdb::Client* c);
  // The connection is going away: roll back (quietly when forced).
  void DatabaseClosing(bool force);
  void DatabaseDestroyed(TIBDatabase* db);

 private:
  void CheckActive(const char* what) const;
  void EndCursors();

  TIBDatabase* db_ = nullptr;
  std::vector<TIBDatabase*> more_;  // added databases
  Firebird::ITransaction* tra_ = nullptr;
  std::vector<ibdb::Client*> clients_;
};
