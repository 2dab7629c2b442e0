#include "platform/NamedLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace {

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The /tmp fallback is shared by every user, so our folder there must be a real folder that
// we own and nobody else may write into; otherwise another user could take our locks away.
std::string PrivateTmpDir() {
  const std::string dir = "/tmp/rendo-" + std::to_string(getuid());
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return {};
  return dir;
}

bool SameFile(int fd, const std::string& path) {
  struct stat a {}, b {};
  return fstat(fd, &a) == 0 && lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

// A holder removes its file when it releases, so a file we opened may already be unlinked by
// the time our flock succeeds; a lock on such an orphan means nothing. Every path that
// succeeds in locking checks the file is still the one under the name, and starts over if not.
constexpr int kAttempts = 16;

}  // namespace

std::string RuntimeDir() {
  if (const char* own = std::getenv("RENDO_RUNTIME_DIR"); own && *own) {
    std::error_code ec;
    std::filesystem::create_directories(own, ec);
    return IsDirectory(own) ? std::string(own) : std::string();
  }
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg && IsDirectory(xdg)) return xdg;
  return PrivateTmpDir();
}

std::string NamedLock::PathFor(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
        c == '-' || c == '.') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  // A file name holds 255 bytes; a longer name keeps its start and gets a hash of the whole.
  if (encoded.size() > 200) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    std::string tail = "~";
    for (int i = 15; i >= 0; --i) tail += kHex[(h >> (i * 4)) & 15];
    encoded = encoded.substr(0, 150) + tail;
  }
  const std::string dir = RuntimeDir();
  if (dir.empty()) return {};
  return dir + "/rendo-mutex-" + encoded;
}

NamedLock::NamedLock(std::string name) : name_(std::move(name)) {}

NamedLock::~NamedLock() { Release(); }

bool NamedLock::TryTake() {
  if (fd_ >= 0) return true;
  const std::string path = PathFor(name_);
  if (path.empty()) return false;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      close(fd);
      return false;  // held by someone (EWOULDBLOCK) or not lockable at all
    }
    if (SameFile(fd, path)) {
      fd_ = fd;
      path_ = path;
      return true;
    }
    close(fd);  // we locked a file its holder had just removed
  }
  return false;
}

void NamedLock::Release() {
  if (fd_ < 0) return;
  // Remove the name while still holding the lock, so nobody can lock the file in between;
  // but only when the name is still ours.
  if (SameFile(fd_, path_)) unlink(path_.c_str());
  close(fd_);
  fd_ = -1;
  path_.clear();
}

bool NamedLock::Exists(const std::string& name) {
  const std::string path = PathFor(name);
  if (path.empty()) return false;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;  // no file: nobody has ever taken it, or the holder released it
    // A shared lock so that two processes looking at the same time do not see each other.
    if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
      const bool held = errno == EWOULDBLOCK;
      close(fd);
      return held;
    }
    const bool current = SameFile(fd, path);
    close(fd);  // closing drops our shared lock
    if (current) return false;
  }
  return false;
}
