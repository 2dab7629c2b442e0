#pragma once
// Named mutexes between processes of one user: an exclusive flock on a file named after the
// mutex in the runtime folder. The lock lives as long as the open file, so a holder that dies
// releases it with no clean-up. Names are case-sensitive, as named kernel objects are.
#include <string>

// The folder for per-user run-time files (named locks, caller sockets): $RENDO_RUNTIME_DIR
// (tests and the demo point it at a folder of their own), else $XDG_RUNTIME_DIR, else a folder
// "rendo-<uid>" under /tmp that only this user can enter. Created when missing.
std::string RuntimeDir();

class NamedLock {
 public:
  explicit NamedLock(std::string name);
  ~NamedLock();  // releases the lock when held
  NamedLock(const NamedLock&) = delete;
  NamedLock& operator=(const NamedLock&) = delete;

  const std::string& Name() const { return name_; }
  // One non-blocking attempt to take the lock; true when this object holds it afterwards
  // (also when it already did). False when another holder has it or the file cannot be made.
  bool TryTake();
  bool Held() const { return fd_ >= 0; }
  // Gives the lock up; harmless when not held.
  void Release();

  // True when some holder (another process, or another NamedLock of this one) has the lock.
  // Only looks: it never creates the file and leaves no lock behind.
  static bool Exists(const std::string& name);
  // The lock file of `name`: characters a file name cannot carry are written as %XX.
  static std::string PathFor(const std::string& name);

 private:
  std::string name_;
  std::string path_;
  int fd_ = -1;
};
