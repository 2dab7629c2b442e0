#include "platform/db/IBDatabase.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/db/FbClient.h"
#include "platform/db/FbEnvironment.h"

using namespace Firebird;

namespace {

// Every database object of the process, for the list of the in-process engine's attachments.
std::mutex registryMutex;
std::vector<TIBDatabase*>& Registry() {
  static std::vector<TIBDatabase*> all;
  return all;
}

template <typename T>
void Remove(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

template <typename T>
void AddOnce(std::vector<T*>& list, T* item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

}  // namespace

TIBDatabase::TIBDatabase() {
  std::lock_guard<std::mutex> lock(registryMutex);
  Registry().push_back(this);
}

TIBDatabase::~TIBDatabase() {
  ForceClose();
  for (ibdb::Client* c : std::vector<ibdb::Client*>(clients_)) c->DatabaseDestroyed(this);
  for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) t->DatabaseDestroyed(this);
  std::lock_guard<std::mutex> lock(registryMutex);
  Remove(Registry(), static_cast<TIBDatabase*>(this));
}

bool TIBDatabase::IsRemoteName(const std::string& name) {
  // On this system a local file name is a path; "host:path" and "host/port:path" name a server.
  return !name.empty() && name[0] != '/' && name.find(':') != std::string::npos;
}

std::vector<std::string> TIBDatabase::LocalAttachments() {
  std::vector<std::string> names;
  std::lock_guard<std::mutex> lock(registryMutex);
  for (TIBDatabase* db : Registry()) {
    if (!db->Connected() || IsRemoteName(db->DatabaseName)) continue;
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(db->DatabaseName), ec);
    names.push_back(ec ? db->DatabaseName : p.string());
  }
  return names;
}

void TIBDatabase::GuardLocalFile() {
  if (IsRemoteName(DatabaseName)) return;
  fbenv::Prepare();
  guard_ = ibdb::TOpenGuard(DatabaseName, fbenv::LockDir());
}

void TIBDatabase::Open() {
  if (att_) return;
  if (DatabaseName.empty()) throw EIBError("Database name is missing");
  ibdb::Block dpb = ibdb::BuildDpb(Params);
  GuardLocalFile();
  ibdb::Status st;
  try {
    att_ = ibdb::Provider()->attachDatabase(st.get(), DatabaseName.c_str(), static_cast<unsigned>(dpb.size()),
                                            dpb.data());
  } catch (const FbException& e) {
    guard_.Release();
    ibdb::Raise(e);
  }
}

void TIBDatabase::CreateDatabase(int pageSize) {
  if (att_) throw EIBError("Database is already open");
  if (DatabaseName.empty()) throw EIBError("Database name is missing");
  ibdb::Block dpb = ibdb::BuildDpb(Params, pageSize, "SJIS_0208");
  ibdb::Status st;
  try {
    att_ = ibdb::Provider()->createDatabase(st.get(), DatabaseName.c_str(), static_cast<unsigned>(dpb.size()),
                                            dpb.data());
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
  try {
    GuardLocalFile();
  } catch (...) {
    ForceClose();
    throw;
  }
}

void TIBDatabase::Shutdown(bool force) {
  if (!att_) return;
  for (ibdb::Client* c : std::vector<ibdb::Client*>(clients_)) c->DatabaseClosing();
  std::optional<EIBError> first;
  for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) {
    try {
      t->DatabaseClosing(force);
    } catch (const EIBError& e) {
      if (!first) first = e;
    }
  }
  ibdb::Status st;
  try {
    att_->detach(st.get());  // releases the attachment on success
    att_ = nullptr;
  } catch (const FbException& e) {
    if (!force) ibdb::Raise(e);
    att_->release();
    att_ = nullptr;
  }
  guard_.Release();
  if (first) throw *first;
}

void TIBDatabase::Close() { Shutdown(false); }

void TIBDatabase::ForceClose() {
  try {
    Shutdown(true);
  } catch (...) {
    // Forced: whatever the engine says, the connection is gone for us.
  }
  if (att_) {
    att_->release();
    att_ = nullptr;
  }
  guard_.Release();
}

void TIBDatabase::DropDatabase() {
  if (!att_) throw EIBError("Database not open");
  for (ibdb::Client* c : std::vector<ibdb::Client*>(clients_)) c->DatabaseClosing();
  for (TIBTransaction* t : std::vector<TIBTransaction*>(transactions_)) t->DatabaseClosing(false);
  ibdb::Status st;
  try {
    att_->dropDatabase(st.get());  // releases the attachment on success
    att_ = nullptr;
    guard_.Release();
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBDatabase::AddClient(ibdb::Client* c) { AddOnce(clients_, c); }
void TIBDatabase::RemoveClient(ibdb::Client* c) { Remove(clients_, c); }
void TIBDatabase::AddTransaction(TIBTransaction* t) { AddOnce(transactions_, t); }
void TIBDatabase::RemoveTransaction(TIBTransaction* t) { Remove(transactions_, t); }

TIBTransaction::TIBTransaction() = default;

TIBTransaction::~TIBTransaction() {
  try {
    DatabaseClosing(true);
  } catch (...) {
  }
  for (ibdb::Client* c : std::vector<ibdb::Client*>(clients_)) c->TransactionDestroyed(this);
  if (db_) {
    if (db_->DefaultTransaction == this) db_->DefaultTransaction = nullptr;
    db_->RemoveTransaction(this);
  }
  for (TIBDatabase* d : more_) d->RemoveTransaction(this);
}

void TIBTransaction::AddDatabase(TIBDatabase* db) {
  if (!db || HasDatabase(db)) return;
  if (tra_) throw EIBError("Cannot add a database to an active transaction");
  more_.push_back(db);
  db->AddTransaction(this);
}

void TIBTransaction::RemoveDatabase(TIBDatabase* db) {
  if (std::find(more_.begin(), more_.end(), db) == more_.end()) return;
  if (tra_) throw EIBError("Cannot remove a database from an active transaction");
  Remove(more_, db);
  db->RemoveTransaction(this);
}

bool TIBTransaction::HasDatabase(const TIBDatabase* db) const {
  return db && (db == db_ || std::find(more_.begin(), more_.end(), db) != more_.end());
}

void TIBTransaction::DatabaseDestroyed(TIBDatabase* db) {
  if (db == db_) db_ = nullptr;
  Remove(more_, db);
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* db) {
  if (db == db_) return;
  if (tra_) throw EIBError("Cannot change the database of an active transaction");
  if (db_) db_->RemoveTransaction(this);
  db_ = db;
  if (db_) db_->AddTransaction(this);
}

void TIBTransaction::CheckActive(const char* what) const {
  if (!tra_) throw EIBError(std::string("Transaction is not active (") + what + ")");
}

void TIBTransaction::EndCursors() {
  for (ibdb::Client* c : std::vector<ibdb::Client*>(clients_)) c->TransactionEnding(this);
}

void TIBTransaction::StartTransaction() {
  if (tra_) throw EIBError("Transaction is already active");
  if (!db_) throw EIBError("Transaction has no database");
  if (!db_->Connected()) throw EIBError("Database not open");
  for (TIBDatabase* d : more_)
    if (!d->Connected()) throw EIBError("Database not open");
  ibdb::Block tpb = ibdb::BuildTpb(Params);
  ibdb::Status st;
  try {
    if (more_.empty()) {
      tra_ = db_->Attachment()->startTransaction(st.get(), static_cast<unsigned>(tpb.size()),
                                                 tpb.empty() ? nullptr : tpb.data());
      return;
    }
    // One transaction over several attachments: the dispatcher commits it in two phases.
    IDtcStart* builder = ibdb::Master()->getDtc()->startBuilder(st.get());
    try {
      builder->addWithTpb(st.get(), db_->Attachment(), static_cast<unsigned>(tpb.size()), tpb.empty() ? nullptr : tpb.data());
      for (TIBDatabase* d : more_)
        builder->addWithTpb(st.get(), d->Attachment(), static_cast<unsigned>(tpb.size()), tpb.empty() ? nullptr : tpb.data());
    } catch (...) {
      builder->dispose();
      throw;
    }
    tra_ = builder->start(st.get());  // the builder is gone afterwards
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBTransaction::Commit() {
  CheckActive("commit");
  EndCursors();
  ibdb::Status st;
  try {
    tra_->commit(st.get());  // releases the transaction on success
    tra_ = nullptr;
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBTransaction::Rollback() {
  CheckActive("rollback");
  EndCursors();
  ibdb::Status st;
  try {
    tra_->rollback(st.get());
    tra_ = nullptr;
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBTransaction::CommitRetaining() {
  CheckActive("commit retaining");
  ibdb::Status st;
  try {
    tra_->commitRetaining(st.get());
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBTransaction::RollbackRetaining() {
  CheckActive("rollback retaining");
  ibdb::Status st;
  try {
    tra_->rollbackRetaining(st.get());
  } catch (const FbException& e) {
    ibdb::Raise(e);
  }
}

void TIBTransaction::DatabaseClosing(bool force) {
  if (!tra_) return;
  EndCursors();
  ibdb::Status st;
  try {
    tra_->rollback(st.get());
    tra_ = nullptr;
  } catch (const FbException& e) {
    // The transaction cannot be used any more either way.
    tra_->release();
    tra_ = nullptr;
    if (!force) ibdb::Raise(e);
  }
}

void TIBTransaction::AddClient(ibdb::Client* c) { AddOnce(clients_, c); }
void TIBTransaction::RemoveClient(ibdb::Client* c) { Remove(clients_, c); }
