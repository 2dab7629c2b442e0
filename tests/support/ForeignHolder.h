#pragma once
// A program outside this installation holding a database: the db_hold helper, started from a
// Firebird root of the installed configuration (Super mode, which opens a file exclusively) in
// a temporary folder. The constructor returns once the database is held; the destructor lets
// it go and waits until the helper has ended.
#include <filesystem>

#include "support/PipedHelper.h"
#include "support/TempDir.h"

class ForeignHolder {
 public:
  explicit ForeignHolder(const std::filesystem::path& database);
  ~ForeignHolder();
  ForeignHolder(const ForeignHolder&) = delete;
  ForeignHolder& operator=(const ForeignHolder&) = delete;

 private:
  TempDir dir_;
  PipedHelper helper_;  // closing its input lets the database go
};
