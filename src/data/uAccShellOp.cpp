#include "data/uAccShellOp.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "data/DbErrorReport.h"
#include "platform/AsciiCase.h"
#include "platform/FileReplace.h"
#include "platform/Folders.h"
#include "platform/MountTable.h"
#include "platform/Paths.h"
#include "platform/UiServices.h"

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------------------------
// Paths

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

std::string WithoutTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

std::string NormalisePath(std::string_view path) {
  std::error_code ec;
  fs::path p{std::string(path)};
  if (p.is_relative()) {
    fs::path cwd = fs::current_path(ec);
    p = ec ? fs::path("/") / p : cwd / p;
  }
  fs::path c = fs::weakly_canonical(p, ec);
  if (ec) c = p.lexically_normal();
  return WithoutTrailingSlashes(c.lexically_normal().string());
}

namespace {

// The path of an item as the engine acts on it: its folder normalised, its own name kept, so
// that a symbolic link is handled as the link and never as what it points to.
fs::path ItemPath(const std::string& path) {
  std::string p = WithoutTrailingSlashes(path);
  const std::size_t slash = p.rfind('/');
  const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return NormalisePath(p);
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
  return fs::path(NormalisePath(folder)) / name;
}

// True when `inner` is `outer` itself or lies below it.
bool IsSameOrBelow(std::string_view inner, std::string_view outer, bool noCase) {
  if (outer == "/") return !inner.empty() && inner.front() == '/';
  if (inner.size() < outer.size()) return false;
  const std::string_view head = inner.substr(0, outer.size());
  if (!(noCase ? ascii::SameText(head, outer) : head == outer)) return false;
  return inner.size() == outer.size() || inner[outer.size()] == '/';
}

bool HasWildcard(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

// The last part of a path and the folder before it ("." for a bare name, "/" at the root).
void SplitLast(const std::string& path, std::string& folder, std::string& name) {
  const std::size_t slash = path.rfind('/');
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Names in a folder (without "." and ".."), sorted. 0 or the error number.
int ListFolder(const fs::path& folder, std::vector<std::string>& names) {
  names.clear();
  DIR* dir = opendir(folder.c_str());
  if (!dir) return errno;
  errno = 0;
  while (const dirent* e = readdir(dir)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
    errno = 0;
  }
  const int err = errno;
  closedir(dir);
  std::sort(names.begin(), names.end());
  return err;
}

std::string Percent(std::string_view path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The engine

class Engine {
 public:
  int code = 0;
  std::string errorPath;
  std::string errorText;
  int done = 0;  // items finished before a failure

  bool Fail(int err, const std::string& path, std::string text = {}) {
    code = err ? err : EIO;
    errorPath = path;
    errorText = text.empty() ? std::generic_category().message(code) : std::move(text);
    return false;
  }

  // Items named by a source: the path itself, or the matches of its pattern.
  bool Expand(const std::string& from, std::vector<fs::path>& items, bool& pattern) {
    items.clear();
    const std::string path = WithoutTrailingSlashes(ResolvePath(from));
    if (Trimmed(path).empty()) return Fail(ENOENT, from);
    std::string folder, name;
    SplitLast(path, folder, name);
    pattern = HasWildcard(name);
    if (pattern) {
      std::vector<std::string> names;
      if (int err = ListFolder(folder, names)) return Fail(err, folder);
      const fs::path base = NormalisePath(folder);
      for (const std::string& n : names)
        if (MatchesFilePattern(name, n)) items.push_back(base / n);
      return true;
    }
    const fs::path item = ItemPath(path);
    if (item == "/") return Fail(EPERM, from);  // never the root itself
    struct stat st;
    if (lstat(item.c_str(), &st) != 0) return Fail(errno, from);
    items.push_back(item);
    return true;
  }

  bool Delete(const std::string& from, bool toTrash) {
    std::vector<fs::path> items;
    bool pattern = false;
    if (!Expand(from, items, pattern)) return false;
    for (const fs::path& item : items) {
      if (!(toTrash && MoveToTrash(item)) && !RemoveTree(item)) return false;
      ++done;
    }
    return true;
  }

  bool CopyMove(const std::string& from, const std::string& to, bool move) {
    std::vector<fs::path> items;
    bool pattern = false;
    if (!Expand(from, items, pattern)) return false;
    const std::string dest = WithoutTrailingSlashes(ResolvePath(to));
    if (Trimmed(dest).empty()) return Fail(ENOENT, to);

    struct stat st;
    const bool destExists = stat(dest.c_str(), &st) == 0;
    const bool intoFolder = pattern || (!to.empty() && to.back() == '/') || (destExists && S_ISDIR(st.st_mode));
    std::error_code ec;
    if (intoFolder) {
      if (destExists && !S_ISDIR(st.st_mode)) return Fail(ENOTDIR, dest);
      if (!destExists && !fs::create_directories(dest, ec) && ec) return Fail(ec.value(), dest);
    } else {
      const fs::path parent = fs::path(dest).parent_path();
      if (!parent.empty() && !fs::exists(parent, ec) && !fs::create_directories(parent, ec) && ec)
        return Fail(ec.value(), parent.string());
    }

    std::vector<fs::path> removeLater;
    for (const fs::path& item : items) {
      const fs::path target = ItemPath(intoFolder ? (fs::path(dest) / item.filename()).string() : dest);
      if (target == item) {
        ++done;
        continue;
      }
      if (IsSameOrBelow(target.string(), item.string(), false))
        return Fail(EINVAL, target.string(), "複写先が複写元の中にあります。");
      if (move) {
        if (rename(item.c_str(), target.c_str()) != 0) {
          const int err = errno;
          // Across file systems, or onto a folder that already has contents: copy now and
          // remove the source once everything has arrived.
          if (err != EXDEV && err != ENOTEMPTY && err != EEXIST) return Fail(err, item.string());
          if (!CopyItem(item, target)) return false;
          removeLater.push_back(item);
        }
      } else if (!CopyItem(item, target)) {
        return false;
      }
      ++done;
    }
    for (const fs::path& item : removeLater)
      if (!RemoveTree(item)) return false;
    return true;
  }

  bool Rename(const std::string& from, const std::string& to) {
    if (Trimmed(to).empty()) return Fail(EINVAL, from, "変更後の名前が指定されていません。");
    const std::string src = ResolvePath(from), dst = ResolvePath(to);
    if (src.empty()) return Fail(ENOENT, from);
    if (dst.empty()) return Fail(ENOENT, to);
    if (rename(src.c_str(), dst.c_str()) != 0) return Fail(errno, from);
    ++done;
    return true;
  }

  // One regular file into place under `target`: written to a temporary file beside it and
  // renamed over it when complete, keeping the source's permissions and modification time.
  bool CopyFileAtomic(const fs::path& source, const fs::path& target) {
    struct stat st;
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(EISDIR, target.string());
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Fail(errno, source.string());
    if (fstat(in, &st) != 0) {
      const int err = errno;
      close(in);
      return Fail(err, source.string());
    }
    if (!S_ISREG(st.st_mode)) {
      close(in);
      return Fail(EISDIR, source.string());
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    filereplace::Options options;
    options.mode = static_cast<int>(st.st_mode & 07777);
    const filereplace::Result result = filereplace::Replace(
        target.string(),
        [&](filereplace::Sink& out) {
          std::vector<char> buffer(1 << 20);
          for (;;) {
            const ssize_t n = read(in, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return errno;
            if (n == 0) break;
            if (int err = out.Write(buffer.data(), static_cast<std::size_t>(n))) return err;
          }
          futimens(out.Fd(), times);
          return 0;
        },
        options);
    close(in);
    return result ? true : Fail(result.error, target.string());
  }

 private:
  bool CopyItem(const fs::path& source, const fs::path& target) {
    struct stat st;
    if (lstat(source.c_str(), &st) != 0) return Fail(errno, source.string());
    if (S_ISREG(st.st_mode)) return CopyFileAtomic(source, target);
    if (S_ISLNK(st.st_mode)) return CopyLink(source, target);
    if (!S_ISDIR(st.st_mode)) return Fail(EINVAL, source.string(), "通常のファイルではありません。");

    struct stat ts;
    bool created = false;
    if (stat(target.c_str(), &ts) == 0) {
      if (!S_ISDIR(ts.st_mode)) return Fail(ENOTDIR, target.string());
    } else if (errno != ENOENT || mkdir(target.c_str(), 0700) != 0) {
      return Fail(errno, target.string());
    } else {
      created = true;
    }
    std::vector<std::string> names;
    if (int err = ListFolder(source, names)) return Fail(err, source.string());
    for (const std::string& n : names)
      if (!CopyItem(source / n, target / n)) return false;
    if (created) chmod(target.c_str(), st.st_mode & 07777);
    return true;
  }

  bool CopyLink(const fs::path& source, const fs::path& target) {
    std::error_code ec;
    const fs::path link = fs::read_symlink(source, ec);
    if (ec) return Fail(ec.value(), source.string());
    struct stat st;
    if (lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail(EISDIR, target.string());
    if (const filereplace::Result result = filereplace::ReplaceWithLink(target.string(), link.string()); !result)
      return Fail(result.error, target.string());
    return true;
  }

  bool RemoveTree(const fs::path& item) {
    std::error_code ec;
    fs::remove_all(item, ec);
    return ec ? Fail(ec.value(), item.string()) : true;
  }

  // The user's trash after the freedesktop.org layout: the item goes to Trash/files under a
  // free name, with Trash/info/<name>.trashinfo telling where it came from. False when the
  // item cannot be renamed there (another file system, no trash folder); it is then deleted.
  static bool MoveToTrash(const fs::path& item) {
    std::string dataHome;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') dataHome = x;
    else if (const char* home = std::getenv("HOME"); home && *home == '/') dataHome = std::string(home) + "/.local/share";
    if (dataHome.empty()) return false;
    const fs::path trash = fs::path(dataHome) / "Trash";
    std::error_code ec;
    fs::create_directories(dataHome, ec);
    mkdir(trash.c_str(), 0700);
    mkdir((trash / "files").c_str(), 0700);
    mkdir((trash / "info").c_str(), 0700);

    char date[32] = {};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string record =
        "[Trash Info]\nPath=" + Percent(item.string()) + "\nDeletionDate=" + date + "\n";

    const std::string name = item.filename().string();
    for (int n = 1; n < 1000; ++n) {
      const std::string candidate = n == 1 ? name : name + "." + std::to_string(n);
      const fs::path info = trash / "info" / (candidate + ".trashinfo");
      const fs::path stored = trash / "files" / candidate;
      const int fd = open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return false;
      }
      struct stat st;
      if (lstat(stored.c_str(), &st) == 0) {
        close(fd);
        unlink(info.c_str());
        continue;
      }
      const bool written = WriteAll(fd, record.data(), record.size());
      if (close(fd) != 0 || !written || rename(item.c_str(), stored.c_str()) != 0) {
        unlink(info.c_str());
        return false;
      }
      return true;
    }
    return false;
  }
};

const char* FailureText(int operation) {
  switch (operation) {
    case soMove: return "移動できませんでした。";
    case soCopy: return "複写できませんでした。";
    case soDelete: return "削除できませんでした。";
    case soRename: return "名前を変更できませんでした。";
  }
  return "ファイル操作ができませんでした。";
}

}  // namespace

int ShellFileOperation(ShellFileRequest& request) {
  Engine engine;
  bool ok = false;
  switch (request.operation) {
    case soDelete: ok = engine.Delete(request.from, (request.flags & sfAllowUndo) != 0); break;
    case soCopy: ok = engine.CopyMove(request.from, request.to, false); break;
    case soMove: ok = engine.CopyMove(request.from, request.to, true); break;
    case soRename: ok = engine.Rename(request.from, request.to); break;
    default: ok = engine.Fail(EINVAL, request.from); break;
  }
  request.anyAborted = !ok && engine.done > 0;
  request.errorPath = ok ? std::string() : engine.errorPath;
  request.errorText = ok ? std::string() : engine.errorText;
  if (!ok && !(request.flags & sfNoErrorUi))
    uis::ShowMessage(uis::MsgKind::Error, FailureText(request.operation), engine.errorPath + "\r" + engine.errorText);
  return ok ? 0 : engine.code;
}

int DoShellDelete(int operation, std::string_view from, unsigned flags) {
  ShellFileRequest request;
  request.operation = operation;
  request.from = std::string(from);
  request.flags = flags;
  return ShellFileOperation(request);
}

int DoShellCopyMove(int operation, std::string_view from, std::string_view to, unsigned flags, bool* anyAborted) {
  ShellFileRequest request;
  request.operation = operation;
  request.from = std::string(from);
  request.to = std::string(to);
  request.flags = flags;
  const int result = ShellFileOperation(request);
  if (anyAborted) *anyAborted = request.anyAborted;
  return result;
}

bool MatchesFilePattern(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0) return true;
  // "name.*" stands for the name with any extension, and with none.
  if (pattern.size() > 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos)
    return fnmatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str(), 0) == 0;
  return false;
}

std::string GetSystemFolder() { return folders::SystemDir(); }

bool IsDeletablePath(std::string_view path) {
  if (Trimmed(path).empty()) return false;
  std::string p(path);
  if (HasDriveLetter(p)) {
    if (p.find_first_not_of("/\\", 2) == std::string::npos) return false;  // "C:", "c:/", "Z:\"
    p = ResolvePath(p);
    if (p.empty()) return false;  // a letter that stands for nothing here
  }
  {
    std::string folder, name;
    SplitLast(WithoutTrailingSlashes(p), folder, name);
    if (HasWildcard(name)) p = folder;
  }
  const std::string normal = NormalisePath(p);
  if (normal == "/") return false;

  std::vector<std::string> protectedRoots;
  for (const mounts::MountEntry& m : mounts::ReadMountTable())
    protectedRoots.push_back(WithoutTrailingSlashes(fs::path(m.target).lexically_normal().string()));
  for (char letter = 'A'; letter <= 'Z'; ++letter)
    if (std::string folder = DriveFolder(letter); !folder.empty()) protectedRoots.push_back(NormalisePath(folder));
  if (std::string system = GetSystemFolder(); !Trimmed(system).empty()) protectedRoots.push_back(NormalisePath(system));

  for (const std::string& root : protectedRoots)
    if (IsSameOrBelow(root, normal, true)) return false;  // the root itself or a folder above it
  return true;
}

bool SafeDeleteFiles(std::string_view path, int operation, bool toRecycleBin, bool showErrors) {
  if (operation != soDelete && operation != soRename) return false;
  if (!IsDeletablePath(path)) {
    const char* format = operation == soDelete ? "ルート・システムディレクトリは、削除できません。<%s> "
                                               : "ルート・システムディレクトリは、変更できません。<%s> ";
    std::string message = format;
    message.replace(message.find("%s"), 2, path);
    ShowMessageLines(message, uis::MsgKind::Error);
    return false;
  }
  try {
    return DoShellDelete(operation, path,
                         sfSilent | sfNoConfirmation | (toRecycleBin ? sfAllowUndo : 0) | (showErrors ? 0 : sfNoErrorUi)) == 0;
  } catch (const std::exception& e) {
    if (showErrors) uis::ShowMessage(uis::MsgKind::Error, e.what());
    return false;
  }
}

bool SafeCopyMoveFiles(std::string_view source, std::string_view destination, int operation) {
  if (operation != soCopy && operation != soMove) return false;
  if (!IsDeletablePath(source) || !IsDeletablePath(destination)) {
    ShowMessageLines("指定ディレクトリ[" + std::string(source) + "->" + std::string(destination) +
                         "]の複写・移動はできません。 ",
                     uis::MsgKind::Error);
    return false;
  }
  try {
    bool aborted = false;
    return DoShellCopyMove(operation, source, destination, sfSilent | sfNoConfirmation | sfNoConfirmMkDir, &aborted) ==
               0 &&
           !aborted;
  } catch (const std::exception& e) {
    uis::ShowMessage(uis::MsgKind::Error, e.what());
    return false;
  }
}

bool CopyFileTo(std::string_view source, std::string_view destination) {
  const std::string src = ResolvePath(source), dst = ResolvePath(destination);
  if (Trimmed(src).empty() || Trimmed(dst).empty()) return false;
  try {
    Engine engine;
    return engine.CopyFileAtomic(src, dst);
  } catch (const std::exception&) {
    return false;
  }
}
