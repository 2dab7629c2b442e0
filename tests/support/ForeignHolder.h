#pragma once
// A program outside this installation holding a database: the db_hold helper, started from a
// Firebird root of the installed configuration (Super mode, which opens a file exclusively) in
// a temporary folder. The constructor returns once the database is held; the destructor lets
// it go and waits until the helper has ended.
#include <sys/types.h>

#include <filesystem>

#include "support/TempDir.h"

class ForeignHolder {
 public:
  explicit ForeignHolder(const std::filesystem::path& database);
  ~ForeignHolder();
  ForeignHolder(const ForeignHolder&) = delete;
  ForeignHolder& operator=(const ForeignHolder&) = delete;

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  int input_ = -1;  // the helper's standard input; closing it lets the database go
};
