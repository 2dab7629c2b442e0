#include "platform/db/OpenGuard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/db/IBError.h"

namespace ibdb {
namespace {

// A folder every user may add files to and none may remove another's: like /tmp itself.
bool MakeSharedFolder(const std::string& dir) {
  if (mkdir(dir.c_str(), 01777) == 0) {
    chmod(dir.c_str(), 01777);  // the umask took bits away
    return true;
  }
  if (errno != EEXIST) return false;
  struct stat st {};
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Hex(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

// FNV-1a: a short, stable name for a lock folder.
uint64_t NameHash(const std::string& s) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

// True when another lock folder's process holds the mark `path`.
bool HeldByAnother(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;  // gone, or not ours to read: nobody holds it through us
  bool held = false;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    flock(fd, LOCK_UN);
  } else {
    held = errno == EWOULDBLOCK;
  }
  close(fd);
  return held;
}

}  // namespace

std::string GuardDir() {
  const char* env = std::getenv("RENDO_GUARD_DIR");
  return env && *env ? env : "/tmp/rendo-db-guard";
}

TOpenGuard::TOpenGuard(const std::string& databaseFile, const std::string& lockDir) {
  struct stat db {};
  if (stat(databaseFile.c_str(), &db) != 0) return;
  const std::string base = GuardDir();
  const std::string dir = base + "/" + Hex(db.st_dev) + "-" + Hex(db.st_ino);
  if (!MakeSharedFolder(base) || !MakeSharedFolder(dir)) return;
  const std::string own = Hex(NameHash(lockDir));
  const int fd = open((dir + "/" + own).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return;
  fchmod(fd, 0644);  // others must be able to open it to look
  // Waits only while another process looks at our mark (an instant).
  while (flock(fd, LOCK_SH) != 0) {
    if (errno != EINTR) {
      close(fd);
      return;
    }
  }
  fd_ = fd;

  DIR* d = opendir(dir.c_str());
  if (!d) return;
  bool refused = false;
  while (const dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == ".." || name == own) continue;
    if (HeldByAnother(dir + "/" + name)) {
      refused = true;
      break;
    }
  }
  closedir(d);
  if (refused) {
    Release();
    EIBError e(kIoError, -902,
               "I/O error during \"open\" operation for file \"" + databaseFile +
                   "\"\n-Database is in use by a program of another user or engine folder");
    e.StatusCodes = {kIoError, kAlreadyOpened};
    throw e;
  }
}

TOpenGuard::~TOpenGuard() { Release(); }

TOpenGuard::TOpenGuard(TOpenGuard&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

TOpenGuard& TOpenGuard::operator=(TOpenGuard&& other) noexcept {
  if (this != &other) {
    Release();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

void TOpenGuard::Release() {
  if (fd_ < 0) return;
  close(fd_);  // drops the flock
  fd_ = -1;
}

}  // namespace ibdb
