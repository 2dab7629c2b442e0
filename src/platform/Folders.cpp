#include "platform/Folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/NamedLock.h"

namespace folders {
namespace {

// The value of an environment variable, "" when unset or empty.
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string HomeDir() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir && *pw->pw_dir) home = pw->pw_dir;
  }
  if (home.empty()) home = "/";
  return StripTrailingSlashes(home);
}

// The overriding variable when set, else the fallback.
template <typename Fallback>
std::string Folder(const char* variable, Fallback fallback) {
  std::string v = Env(variable);
  return StripTrailingSlashes(v.empty() ? fallback() : v);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExePath() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

}  // namespace

std::string CommonAppDataDir() {
  return Folder("RENDO_COMMON_APPDATA", [] { return std::string("/var/lib/rendo"); });
}

std::string UserAppDataDir() {
  return Folder("RENDO_APPDATA", [] {
    std::string xdg = Env("XDG_DATA_HOME");
    return xdg.empty() ? HomeDir() + "/.local/share" : xdg;
  });
}

std::string DocumentsDir() {
  return Folder("RENDO_DOCUMENTS", [] {
    std::string xdg = Env("XDG_DOCUMENTS_DIR");
    return xdg.empty() ? HomeDir() + "/Documents" : xdg;
  });
}

std::string DesktopDir() {
  return Folder("RENDO_DESKTOP", [] {
    std::string xdg = Env("XDG_DESKTOP_DIR");
    return xdg.empty() ? HomeDir() + "/Desktop" : xdg;
  });
}

std::string TempDir() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    std::string v = StripTrailingSlashes(Env(name));
    if (IsFolder(v)) return v;
  }
  return "/tmp";
}

std::string SystemDir() {
  return Folder("RENDO_SYSTEM_DIR", [] { return std::string("/usr"); });
}

std::string ConfigDir() {
  return Folder("RENDO_CONFIG_DIR", [] {
    std::string xdg = Env("XDG_CONFIG_HOME");
    return (xdg.empty() ? HomeDir() + "/.config" : StripTrailingSlashes(xdg)) + "/rendo";
  });
}

std::string ProgramDir() {
  return Folder("RENDO_PROGRAM_DIR", [] {
    std::string exe = ExePath();
    auto slash = exe.rfind('/');
    if (slash == std::string::npos) return std::string(".");
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
  });
}

std::string EngineDir() {
  return Folder("RENDO_FIREBIRD_DIR", [] {
    const std::string runtime = RuntimeDir();
    return runtime.empty() ? std::string() : runtime + "/firebird";
  });
}

std::string ProgramFile() {
  std::string exe = ExePath();
  std::string name = exe.substr(exe.rfind('/') + 1);  // npos + 1 == 0: the whole text
  if (name.empty()) name = "rendo";
  std::string dir = ProgramDir();
  return (dir == "/" ? dir : dir + "/") + name;
}

}  // namespace folders
