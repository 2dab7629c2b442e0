// Server-side file routines, loaded by the Firebird engine as a UDR module (librendoudr.so).
//
// In client/server mode the data folders are folders of the database server; the program asks
// the server, through these routines, to test, copy, delete and move files and folders, and to
// carry a file to or from a blob:
//
//   FILEOPERATION(MODE, FILEPATH1, FILEPATH2) -> WBOOL   FEXIST, FCOPY (1 to 2), FDEL
//   DIRECTORYTEST(MODE, FILEPATH1)            -> WBOOL   DEXIST, MKDIR (with parents), RMDIR
//   LONGTOSHORTFILENAME(LONGNAME)             -> SHORTNAME   (the path itself: no short names)
//   SP_FILETOBLOB(FILEPATH)                   -> the file's bytes, NULL when refused or unreadable
//   SP_BLOBTOFILE(FILEPATH, CONTENT)          -> 1 written, 0 refused or failed
//
// Every database user can call these, and they run with the server's rights. So they act only
// inside the folders the installation names in "rendoudr.conf" beside the module (one line
// "root = /absolute/folder" per folder: the system folder, the data folders, the server's work
// folder). A path must be absolute and free of "." and ".." parts, and must still lie inside a
// root once every symbolic link is resolved; a root itself is never removed. Without the file
// nothing is allowed. A refusal answers 0 like any other failure, so that no message carries
// the path or the reason back to the caller.
//
// Files are written beside their target and renamed over it when complete: a failed copy or
// transfer never leaves a half-written file under the target's name.
#define FB_UDR_STATUS_TYPE ::Firebird::ThrowStatusWrapper
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "firebird/UdrCppEngine.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kPathBytes = 260 * 4;  // VARCHAR(260) received as UTF-8

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The folder of this module, found through one of its own symbols.
fs::path ModuleDir() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleDir), &info) == 0 || info.dli_fname == nullptr) return {};
  return fs::path(info.dli_fname).parent_path();
}

// The canonical roots of rendoudr.conf, read on every call: the installation may change them
// while the server runs.
std::vector<fs::path> Roots() {
  std::vector<fs::path> roots;
  const fs::path dir = ModuleDir();
  if (dir.empty()) return roots;
  std::ifstream in(dir / "rendoudr.conf");
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos || Upper(Trim(line.substr(0, eq))) != "ROOT") continue;
    const fs::path root(Trim(line.substr(eq + 1)));
    if (!root.is_absolute()) continue;
    std::error_code ec;
    const fs::path canonical = fs::canonical(root, ec);
    if (!ec && fs::is_directory(canonical, ec)) roots.push_back(canonical);
  }
  return roots;
}

bool Within(const fs::path& p, const fs::path& root) {
  auto r = root.begin(), q = p.begin();
  for (; r != root.end(); ++r, ++q)
    if (q == p.end() || *q != *r) return false;
  return true;
}

// The path with every symbolic link of its existing part resolved, when it is allowed: empty
// when the path is relative, has "." or ".." parts, or lies outside every root. `allowRoot`
// false also refuses a root itself.
fs::path Allowed(const std::string& text, bool allowRoot = true) {
  const std::string trimmed = Trim(text);
  if (trimmed.empty()) return {};
  const fs::path p(trimmed);
  if (!p.is_absolute()) return {};
  for (const fs::path& part : p)
    if (part == ".." || part == ".") return {};
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(p, ec);
  if (ec) return {};
  for (const fs::path& root : Roots()) {
    if (!Within(resolved, root)) continue;
    if (!allowRoot && resolved == root) return {};
    return resolved;
  }
  return {};
}

// A temporary name beside `target`.
fs::path Beside(const fs::path& target) {
  return target.parent_path() / ("." + target.filename().string() + ".udr" + std::to_string(getpid()) + ".tmp");
}

bool CopyFile(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec) || fs::is_directory(to, ec)) return false;
  const fs::path tmp = Beside(to);
  if (!fs::copy_file(from, tmp, fs::copy_options::overwrite_existing, ec)) {
    fs::remove(tmp, ec);
    return false;
  }
  fs::rename(tmp, to, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

int FileOperation(const std::string& mode, const std::string& path1, const std::string& path2) {
  std::error_code ec;
  const std::string m = Upper(Trim(mode));
  if (m == "FEXIST") {
    const fs::path p = Allowed(path1);
    return !p.empty() && fs::is_regular_file(p, ec) ? 1 : 0;
  }
  if (m == "FCOPY") {
    const fs::path from = Allowed(path1), to = Allowed(path2);
    if (from.empty() || to.empty() || from == to) return 0;
    return CopyFile(from, to) ? 1 : 0;
  }
  if (m == "FDEL") {
    const fs::path p = Allowed(path1);
    if (p.empty() || !fs::is_regular_file(p, ec)) return 0;
    return fs::remove(p, ec) && !ec ? 1 : 0;
  }
  return 0;
}

int DirectoryTest(const std::string& mode, const std::string& path) {
  std::error_code ec;
  const std::string m = Upper(Trim(mode));
  if (m == "DEXIST") {
    const fs::path p = Allowed(path);
    return !p.empty() && fs::is_directory(p, ec) ? 1 : 0;
  }
  if (m == "MKDIR") {
    const fs::path p = Allowed(path);
    if (p.empty()) return 0;
    fs::create_directories(p, ec);
    return !ec && fs::is_directory(p, ec) ? 1 : 0;
  }
  if (m == "RMDIR") {
    const fs::path p = Allowed(path, false);
    if (p.empty() || !fs::is_directory(p, ec)) return 0;
    // remove_all removes links themselves, never what they point at.
    fs::remove_all(p, ec);
    return !ec && !fs::exists(p, ec) ? 1 : 0;
  }
  return 0;
}

template <typename VarChar>
std::string Text(const VarChar& v, bool isNull) {
  return isNull ? std::string() : std::string(v.str, v.length);
}

template <typename VarChar>
void SetText(VarChar& v, const std::string& s) {
  const size_t n = std::min(s.size(), sizeof v.str);
  std::memcpy(v.str, s.data(), n);
  v.length = static_cast<ISC_USHORT>(n);
}

}  // namespace

// The procedures answer one row: execute fills it and clears `done`; the first fetch hands it
// over, the next one ends the cursor.
#define ONE_ROW_FETCH            \
  bool done;                     \
  FB_UDR_FETCH_PROCEDURE {       \
    if (done) return false;      \
    done = true;                 \
    return true;                 \
  }

FB_UDR_BEGIN_PROCEDURE(fileoperation)
  FB_UDR_MESSAGE(InMessage,
    (FB_INTL_VARCHAR(40, 4), mode)
    (FB_INTL_VARCHAR(kPathBytes, 4), filepath1)
    (FB_INTL_VARCHAR(kPathBytes, 4), filepath2)
  );
  FB_UDR_MESSAGE(OutMessage,
    (FB_INTEGER, wbool)
  );

  FB_UDR_EXECUTE_PROCEDURE {
    out->wboolNull = FB_FALSE;
    out->wbool = 0;
    try {
      out->wbool = FileOperation(Text(in->mode, in->modeNull), Text(in->filepath1, in->filepath1Null),
                                 Text(in->filepath2, in->filepath2Null));
    } catch (const std::exception&) {
      out->wbool = 0;
    }
    done = false;
  }

  ONE_ROW_FETCH
FB_UDR_END_PROCEDURE

FB_UDR_BEGIN_PROCEDURE(directorytest)
  FB_UDR_MESSAGE(InMessage,
    (FB_INTL_VARCHAR(40, 4), mode)
    (FB_INTL_VARCHAR(kPathBytes, 4), filepath1)
  );
  FB_UDR_MESSAGE(OutMessage,
    (FB_INTEGER, wbool)
  );

  FB_UDR_EXECUTE_PROCEDURE {
    out->wboolNull = FB_FALSE;
    out->wbool = 0;
    try {
      out->wbool = DirectoryTest(Text(in->mode, in->modeNull), Text(in->filepath1, in->filepath1Null));
    } catch (const std::exception&) {
      out->wbool = 0;
    }
    done = false;
  }

  ONE_ROW_FETCH
FB_UDR_END_PROCEDURE

// No short (8.3) names on this server: the path itself, for any path (nothing is touched).
FB_UDR_BEGIN_PROCEDURE(longtoshortfilename)
  FB_UDR_MESSAGE(InMessage,
    (FB_INTL_VARCHAR(kPathBytes, 4), longname)
  );
  FB_UDR_MESSAGE(OutMessage,
    (FB_INTL_VARCHAR(kPathBytes, 4), shortname)
  );

  FB_UDR_EXECUTE_PROCEDURE {
    out->shortnameNull = in->longnameNull;
    SetText(out->shortname, Text(in->longname, in->longnameNull));
    done = false;
  }

  ONE_ROW_FETCH
FB_UDR_END_PROCEDURE

FB_UDR_BEGIN_FUNCTION(sp_filetoblob)
  FB_UDR_MESSAGE(InMessage,
    (FB_INTL_VARCHAR(kPathBytes, 4), filepath)
  );
  FB_UDR_MESSAGE(OutMessage,
    (FB_BLOB, content)
  );

  FB_UDR_EXECUTE_FUNCTION {
    out->contentNull = FB_TRUE;
    const fs::path p = Allowed(Text(in->filepath, in->filepathNull));
    std::error_code ec;
    if (p.empty() || !fs::is_regular_file(p, ec)) return;
    const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::Firebird::IAttachment* att = context->getAttachment(status);
    ::Firebird::ITransaction* tra = context->getTransaction(status);
    ::Firebird::IBlob* blob = nullptr;
    std::vector<char> buf(32768);
    bool ok = true;
    try {
      blob = att->createBlob(status, tra, &out->content, 0, nullptr);
      for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n < 0) {
          ok = false;
          break;
        }
        if (n == 0) break;
        blob->putSegment(status, static_cast<unsigned>(n), buf.data());
      }
      if (ok) {
        blob->close(status);
        blob = nullptr;
        out->contentNull = FB_FALSE;
      }
    } catch (...) {
      ok = false;
    }
    if (blob) {
      try {
        blob->cancel(status);
      } catch (...) {
      }
    }
    ::close(fd);
    tra->release();
    att->release();
  }
FB_UDR_END_FUNCTION

FB_UDR_BEGIN_FUNCTION(sp_blobtofile)
  FB_UDR_MESSAGE(InMessage,
    (FB_INTL_VARCHAR(kPathBytes, 4), filepath)
    (FB_BLOB, content)
  );
  FB_UDR_MESSAGE(OutMessage,
    (FB_INTEGER, result)
  );

  FB_UDR_EXECUTE_FUNCTION {
    out->resultNull = FB_FALSE;
    out->result = 0;
    const fs::path p = Allowed(Text(in->filepath, in->filepathNull));
    std::error_code ec;
    if (p.empty() || fs::is_directory(p, ec) || !fs::is_directory(p.parent_path(), ec)) return;
    const fs::path tmp = Beside(p);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    ::Firebird::IAttachment* att = context->getAttachment(status);
    ::Firebird::ITransaction* tra = context->getTransaction(status);
    ::Firebird::IBlob* blob = nullptr;
    bool ok = true;
    try {
      if (!in->contentNull) {
        blob = att->openBlob(status, tra, &in->content, 0, nullptr);
        std::vector<char> buf(65535);
        for (;;) {
          unsigned got = 0;
          const int r = blob->getSegment(status, static_cast<unsigned>(buf.size()), buf.data(), &got);
          if (r == ::Firebird::IStatus::RESULT_NO_DATA) break;
          if (got > 0 && ::write(fd, buf.data(), got) != static_cast<ssize_t>(got)) {
            ok = false;
            break;
          }
        }
        blob->close(status);
        blob = nullptr;
      }
    } catch (...) {
      ok = false;
    }
    if (blob) {
      try {
        blob->close(status);
      } catch (...) {
      }
    }
    if (::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok) {
      fs::rename(tmp, p, ec);
      ok = !ec;
    }
    if (!ok) fs::remove(tmp, ec);
    tra->release();
    att->release();
    out->result = ok ? 1 : 0;
  }
FB_UDR_END_FUNCTION

FB_UDR_IMPLEMENT_ENTRY_POINT
