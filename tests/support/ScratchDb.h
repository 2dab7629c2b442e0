#pragma once
// An empty embedded database in a temporary folder, created and connected, with the
// connection parameters of the program and a default transaction (read committed, record
// versions, no wait) that is not started. For tests of the database layer and of code that
// takes a database and a transaction.
#include <string>

#include "platform/db/IBDatabase.h"
#include "support/TempDir.h"

class ScratchDb {
 public:
  explicit ScratchDb(const std::string& fileName = "test.fdb");
  ScratchDb(const ScratchDb&) = delete;
  ScratchDb& operator=(const ScratchDb&) = delete;

  // Runs a script of statements (DDL included).
  void Script(const std::string& text);
  // Runs one statement in a transaction of its own, committed.
  void Exec(const std::string& sql);

  TempDir tmp;
  TIBDatabase db;
  TIBTransaction tr;
};
