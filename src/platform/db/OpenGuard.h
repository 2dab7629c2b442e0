#pragma once
// Processes that open one database file in-process coordinate through the engine's lock
// folder. The engine folder, and so the lock folder, is the user's own (fbenv::LockDir): two
// users of one computer, or two installations with different runtime folders, would open the
// same company database with lock tables that know nothing of each other, and their writes
// overwrite each other's pages. The guard keeps that from happening: while a connection is
// open it marks the database file with the lock folder it runs under, and a process under
// another lock folder is refused while any mark but its own is held.
//
//   TOpenGuard guard(file, fbenv::LockDir());   // before the attach; throws when refused
//
// The marks are files in a folder every user of the computer can write, one sub-folder per
// database file (named by device and inode, so every path to the file finds it), one mark per
// lock folder, held with a shared flock by each process of that lock folder. A process first
// holds its own mark and then tries each other mark for an exclusive flock without waiting;
// one it cannot get belongs to a live process of another lock folder. Holding before looking
// means that of two processes arriving together at least one sees the other.
//
// Where the marks cannot be made (the folder cannot be created, the file cannot be seen) the
// guard holds nothing and lets the attach go ahead: the engine's own answer counts then.
// The folder is RENDO_GUARD_DIR when set (tests), else "rendo-db-guard" in /tmp: it must be
// the same for every user, so it is not taken from a per-user variable.
#include <string>

namespace ibdb {

class TOpenGuard {
 public:
  TOpenGuard() = default;
  // Refusal: EIBError with the engine's codes for a file held by another program (I/O error
  // 335544344 followed by 335545107), so callers report it as they report that case.
  TOpenGuard(const std::string& databaseFile, const std::string& lockDir);
  ~TOpenGuard();
  TOpenGuard(TOpenGuard&& other) noexcept;
  TOpenGuard& operator=(TOpenGuard&& other) noexcept;
  TOpenGuard(const TOpenGuard&) = delete;
  TOpenGuard& operator=(const TOpenGuard&) = delete;

  bool Holding() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
};

// The folder of the marks.
std::string GuardDir();

}  // namespace ibdb
