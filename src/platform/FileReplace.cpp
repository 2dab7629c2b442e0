#include "platform/FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <utility>

namespace filereplace {

namespace {

constexpr std::string_view kHead = ".~";
constexpr std::string_view kTail = ".tmp";
constexpr std::size_t kHashLength = 8;
constexpr std::size_t kRandomLength = 6;
constexpr std::size_t kTempLength = kHead.size() + kHashLength + 1 + kRandomLength + kTail.size();
// A temporary symbolic link lives only between two system calls; one this old was left behind.
constexpr std::time_t kStaleLinkSeconds = 60;

std::mutex hookMutex;
std::function<void(Stage, const std::string&)> stageHook;

void Report(Stage stage, const std::string& target) {
  std::function<void(Stage, const std::string&)> hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = stageHook;
  }
  if (hook) hook(stage, target);
}

bool HookSet() {
  std::lock_guard<std::mutex> lock(hookMutex);
  return static_cast<bool>(stageHook);
}

// The target's folder ("." for a bare name) and its file name.
void Split(const std::string& target, std::string& folder, std::string& name) {
  const std::size_t slash = target.rfind('/');
  name = slash == std::string::npos ? target : target.substr(slash + 1);
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
}

// ".~<hash of the name>." (FNV-1a, 32 bits): what every temporary file of that target starts with.
std::string Prefix(std::string_view name) {
  std::uint32_t h = 2166136261u;
  for (const char c : name) {
    h ^= static_cast<unsigned char>(c);
    h *= 16777619u;
  }
  char hex[kHashLength + 1];
  std::snprintf(hex, sizeof hex, "%08x", h);
  return std::string(kHead) + hex + ".";
}

std::string RandomPart() {
  static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  static std::atomic<std::uint64_t> counter{0};
  unsigned char bytes[kRandomLength];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    // No entropy to be had: time, process and a counter still make the name unlikely to be taken,
    // and the exclusive create below settles the rest.
    std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                      (static_cast<std::uint64_t>(getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull);
    for (unsigned char& b : bytes) {
      x ^= x >> 29;
      x *= 0xBF58476D1CE4E5B9ull;
      b = static_cast<unsigned char>(x >> 56);
    }
  }
  std::string out;
  for (const unsigned char b : bytes) out += kAlphabet[b % (sizeof kAlphabet - 1)];
  return out;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes the leftovers of dead writers of the target: temporary files of its name whose lock is
// free. A live writer holds its lock from before it writes until after its rename.
void RemoveStale(const std::string& folder, const std::string& name) {
  const std::string prefix = Prefix(name);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  const int dirFd = dirfd(dir);
  while (const dirent* e = readdir(dir)) {
    const std::string_view entry = e->d_name;
    if (entry.size() != kTempLength || entry.substr(0, prefix.size()) != prefix || !IsTemporaryName(entry)) continue;
    struct stat seen;
    if (fstatat(dirFd, e->d_name, &seen, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISLNK(seen.st_mode)) {
      if (std::time(nullptr) - seen.st_ctime > kStaleLinkSeconds) unlinkat(dirFd, e->d_name, 0);
      continue;
    }
    if (!S_ISREG(seen.st_mode)) continue;
    const int fd = openat(dirFd, e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat held, now;
    // Removed only when the name still names the file that was locked: the writer may have
    // renamed it into place meanwhile, and the name may have been taken again.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && held.st_nlink > 0 &&
        fstatat(dirFd, e->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 && SameFile(held, now))
      unlinkat(dirFd, e->d_name, 0);
    close(fd);
  }
  closedir(dir);
}

int WriteRaw(int fd, const char* p, std::size_t size, std::int64_t* offset) {
  while (size > 0) {
    const ssize_t n = offset ? pwrite(fd, p, size, static_cast<off_t>(*offset)) : write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    p += n;
    size -= static_cast<std::size_t>(n);
    if (offset) *offset += n;
  }
  return 0;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // some file systems cannot; the rename has happened all the same
  close(fd);
}

}  // namespace

struct SinkAccess {
  static Sink Make(int fd, const std::string& target) { return Sink(fd, target); }

  // Writes, and when a test watches, reports once after half of the first piece.
  static int Write(Sink& sink, const void* data, std::size_t size, std::int64_t* offset) {
    const char* p = static_cast<const char*>(data);
    if (!sink.reported_ && size >= 2 && HookSet()) {
      const std::size_t half = size / 2;
      if (int err = WriteRaw(sink.fd_, p, half, offset)) return err;
      sink.reported_ = true;
      Report(Stage::PartWritten, sink.target_);
      p += half;
      size -= half;
    }
    return WriteRaw(sink.fd_, p, size, offset);
  }
};

int Sink::Write(const void* data, std::size_t size) { return SinkAccess::Write(*this, data, size, nullptr); }

int Sink::WriteAt(const void* data, std::size_t size, std::int64_t offset) {
  return SinkAccess::Write(*this, data, size, &offset);
}

bool IsTemporaryName(std::string_view n) {
  if (n.size() != kTempLength || n.substr(0, kHead.size()) != kHead || n.substr(n.size() - kTail.size()) != kTail)
    return false;
  const std::size_t dot = kHead.size() + kHashLength;
  if (n[dot] != '.') return false;
  for (std::size_t i = kHead.size(); i < n.size() - kTail.size(); ++i) {
    const char c = n[i];
    if (i != dot && !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

Result Replace(const std::string& target, std::string_view bytes, const Options& options) {
  return Replace(target, [bytes](Sink& sink) { return sink.Write(bytes); }, options);
}

Result Replace(const std::string& target, const std::function<int(Sink&)>& content, const Options& options) {
  std::string folder, name;
  Split(target, folder, name);
  if (name.empty() || name == "." || name == "..") return {EISDIR, Step::Create};
  RemoveStale(folder, name);

  int mode = options.mode;
  struct stat st;
  if (mode < 0 && stat(target.c_str(), &st) == 0) mode = static_cast<int>(st.st_mode & 07777);

  const std::string prefix = (folder == "/" ? "/" : folder + "/") + Prefix(name);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = prefix + RandomPart() + std::string(kTail);
    // Created with 0666: the umask then gives a new target its usual permissions.
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return {errno, Step::Create};
    }
    // Between the create and the lock another writer may have taken the new file for a
    // leftover and removed it: then start again under another name. A file system without
    // locks goes on unlocked (its leftovers then stay).
    int locked;
    while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    struct stat own;
    if (locked == 0 && fstat(fd, &own) == 0 && own.st_nlink == 0) {
      close(fd);
      fd = -1;
    }
  }
  if (fd < 0) return {EEXIST, Step::Create};
  Report(Stage::TempCreated, target);

  Sink sink = SinkAccess::Make(fd, target);
  Result result;
  int err;
  try {
    err = content(sink);
  } catch (...) {
    unlink(temp.c_str());
    close(fd);
    throw;
  }
  if (err == 0 && mode >= 0 && fchmod(fd, static_cast<mode_t>(mode)) != 0) err = errno;
  if (err == 0 && fsync(fd) != 0) err = errno;
  if (err != 0) {
    result = {err, Step::Write};
  } else {
    Report(Stage::Synced, target);
    if (rename(temp.c_str(), target.c_str()) != 0) result = {errno, Step::Replace};
  }
  if (!result) {
    unlink(temp.c_str());
    close(fd);
    return result;
  }
  Report(Stage::Renamed, target);
  close(fd);  // only now: until the rename the lock tells that the temporary file is in use
  SyncFolder(folder);
  return result;
}

Result ReplaceWithLink(const std::string& target, const std::string& linkText) {
  std::string folder, name;
  Split(target, folder, name);
  if (name.empty() || name == "." || name == "..") return {EISDIR, Step::Create};
  RemoveStale(folder, name);
  const std::string prefix = (folder == "/" ? "/" : folder + "/") + Prefix(name);
  std::string temp;
  bool made = false;
  for (int attempt = 0; attempt < 100 && !made; ++attempt) {
    temp = prefix + RandomPart() + std::string(kTail);
    made = symlink(linkText.c_str(), temp.c_str()) == 0;
    if (!made && errno != EEXIST) return {errno, Step::Create};
  }
  if (!made) return {EEXIST, Step::Create};
  Report(Stage::TempCreated, target);
  if (rename(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    unlink(temp.c_str());
    return {err, Step::Replace};
  }
  Report(Stage::Renamed, target);
  SyncFolder(folder);
  return {};
}

void SetStageHook(std::function<void(Stage, const std::string& target)> hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  stageHook = std::move(hook);
}

}  // namespace filereplace
