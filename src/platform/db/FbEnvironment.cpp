#include "platform/db/FbEnvironment.h"

#include <dlfcn.h>
#include <firebird/Interface.h>
#include <langinfo.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "platform/Folders.h"

namespace fbenv {
namespace fs = std::filesystem;

namespace {

// Written into the stamp: a root of an older layout is rebuilt.
constexpr const char* kLayout = "rendo firebird root 1";

std::runtime_error Failure(const std::string& what) { return std::runtime_error("Firebird environment: " + what); }

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw Failure("cannot read " + p.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A name beside `target` that no other writer (thread or process) uses at the same moment.
fs::path Beside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.parent_path() /
         ("." + target.filename().string() + ".new." + std::to_string(getpid()) + "." + std::to_string(++counter));
}

// Every file of the root reaches its place by a rename, so a process that prepares the same
// root at the same moment, or an engine that reads it, never sees half a file.
void Replace(const fs::path& temp, const fs::path& target) {
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    throw Failure("cannot write " + target.string());
  }
}

void WriteFile(const fs::path& target, const std::string& text) {
  const fs::path temp = Beside(target);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      throw Failure("cannot write " + target.string());
    }
  }
  Replace(temp, target);
}

// A real copy (a symlinked source is followed).
void CopyFile(const fs::path& source, const fs::path& target) {
  const fs::path temp = Beside(target);
  std::error_code ec;
  fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    fs::remove(temp, ec);
    throw Failure("cannot copy " + source.string() + " to " + target.string());
  }
  Replace(temp, target);
}

void Symlink(const fs::path& source, const fs::path& target) {
  std::error_code ec;
  if (fs::is_symlink(target, ec) && fs::read_symlink(target, ec) == source) return;
  const fs::path temp = Beside(target);
  fs::create_symlink(source, temp, ec);
  if (ec) throw Failure("cannot link " + target.string());
  Replace(temp, target);
}

void MakeFolder(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir)) throw Failure("cannot create the folder " + dir.string());
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

std::string PluginsConf(const fs::path& installed) {
  std::string plugins = ReadFile(installed / "plugins.conf");
  const std::string udrPath = "path = $(dir_plugins)/udr";
  const size_t at = plugins.find(udrPath);
  if (at != std::string::npos)
    plugins.replace(at, udrPath.size(), "path = $(root)/udr");
  else
    plugins += "\nConfig = UDR_config {\n\tpath = $(root)/udr\n}\n";
  return plugins;
}

// One line per source file: its name, size and modification time, so that an update of the
// installed engine (or of a module of ours) shows.
void Describe(std::ostringstream& s, const fs::path& file) {
  struct stat st {};
  if (stat(file.c_str(), &st) != 0) {
    s << file.string() << " missing\n";
    return;
  }
  s << file.string() << " " << st.st_size << " " << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec << "\n";
}

std::vector<fs::path> IntlFiles(const fs::path& installed) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(installed / "intl", ec)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Stamp(const RootLayout& layout, const fs::path& installed, const std::vector<fs::path>& intl) {
  std::ostringstream s;
  s << kLayout << "\n" << installed.string() << "\n";
  for (const char* name : {"firebird.conf", "databases.conf", "plugins.conf", "firebird.msg", "fbtrace.conf"})
    Describe(s, installed / name);
  for (const fs::path& f : intl) Describe(s, f);
  for (const std::string& m : layout.udrModules) Describe(s, m);
  s << "conf:\n" << Joined(layout.confLines) << "databases:\n" << Joined(layout.databasesLines);
  return s.str();
}

// The stamp matches and every file it speaks for is still there (a temporary folder may have
// been thinned out by a clean-up).
bool UpToDate(const fs::path& root, const std::string& stamp, const std::vector<fs::path>& intl,
              const RootLayout& layout) {
  std::error_code ec;
  std::ifstream in(root / "source.stamp", std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  if (s.str() != stamp) return false;
  for (const char* name : {"firebird.conf", "databases.conf", "plugins.conf", "firebird.msg", "fbtrace.conf"})
    if (!fs::exists(root / name, ec)) return false;
  for (const fs::path& f : intl)
    if (!fs::exists(root / "intl" / f.filename(), ec)) return false;
  for (const std::string& m : layout.udrModules)
    if (!fs::exists(root / "udr" / fs::path(m).filename(), ec)) return false;
  return true;
}

bool IsInstalledRoot(const fs::path& dir) {
  std::error_code ec;
  return fs::exists(dir / "firebird.msg", ec) && fs::is_directory(dir / "intl", ec);
}

std::mutex prepareMutex;
bool prepared = false;
std::string preparedRoot;

}  // namespace

bool Utf8CharacterType() {
  const char* set = nl_langinfo(CODESET);
  return set && (std::strcmp(set, "UTF-8") == 0 || strcasecmp(set, "utf8") == 0);
}

std::string InstalledRoot() {
  // Beside the client library this process uses: the engine of the same installation.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Firebird::fb_get_master_interface), &info) && info.dli_fname) {
    std::error_code ec;
    const fs::path lib = fs::canonical(info.dli_fname, ec);
    if (!ec && IsInstalledRoot(lib.parent_path() / "firebird" / "3.0"))
      return (lib.parent_path() / "firebird" / "3.0").string();
  }
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator("/usr/lib", ec)) {
    const fs::path candidate = e.path() / "firebird" / "3.0";
    if (IsInstalledRoot(candidate)) return candidate.string();
  }
  throw Failure("no Firebird 3.0 installation found");
}

void WriteConf(const std::string& root, const std::vector<std::string>& confLines) {
  std::string conf = ReadFile(fs::path(InstalledRoot()) / "firebird.conf");
  conf += "\n# The settings of this private root\n" + Joined(confLines);
  WriteFile(fs::path(root) / "firebird.conf", conf);
}

std::string BuildRoot(const RootLayout& layout) {
  if (layout.root.empty()) throw Failure("no folder for the Firebird root");
  MakeFolder(layout.root);
  std::error_code ec;
  const fs::path root = fs::canonical(layout.root, ec);
  if (ec) throw Failure("cannot resolve " + layout.root);
  MakeFolder(root / "lock");

  const fs::path installed = InstalledRoot();
  const std::vector<fs::path> intl = IntlFiles(installed);
  const std::string stamp = Stamp(layout, installed, intl);
  if (UpToDate(root, stamp, intl, layout)) return root.string();

  MakeFolder(root / "intl");
  MakeFolder(root / "udr");
  Symlink(installed / "firebird.msg", root / "firebird.msg");
  Symlink(installed / "fbtrace.conf", root / "fbtrace.conf");
  for (const fs::path& f : intl) CopyFile(f, root / "intl" / f.filename());
  for (const std::string& m : layout.udrModules) CopyFile(m, root / "udr" / fs::path(m).filename());
  WriteConf(root.string(), layout.confLines);
  if (layout.databasesLines.empty())
    CopyFile(installed / "databases.conf", root / "databases.conf");
  else
    WriteFile(root / "databases.conf", Joined(layout.databasesLines));
  WriteFile(root / "plugins.conf", PluginsConf(installed));
  WriteFile(root / "source.stamp", stamp);  // last: it vouches for the rest
  return root.string();
}

namespace {

// The user's LC_CTYPE when it is UTF-8, else C.UTF-8; one already UTF-8 stays. Nothing else
// of the locale changes (number formats stay those of the C locale).
bool ChooseUtf8CharacterType() {
  if (Utf8CharacterType()) return true;
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string before = current ? current : "C";
  if (std::setlocale(LC_CTYPE, "") && Utf8CharacterType()) return true;
  for (const char* name : {"C.UTF-8", "C.utf8"})
    if (std::setlocale(LC_CTYPE, name) && Utf8CharacterType()) return true;
  std::setlocale(LC_CTYPE, before.c_str());
  return false;
}

// Children (gbak, isql) take their locale from the environment and convert file names as we
// do, so the environment names the character type chosen. LC_ALL would override it: its value
// moves to the other categories, which keep what they had.
void HandCharacterTypeToChildren() {
  const char* chosen = std::setlocale(LC_CTYPE, nullptr);
  if (!chosen) return;
  const std::string name = chosen;
  if (const char* all = std::getenv("LC_ALL"); all && *all) {
    if (name == all) return;
    const std::string value = all;
    for (const char* category : {"LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LC_PAPER",
                                 "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"})
      setenv(category, value.c_str(), 1);
    unsetenv("LC_ALL");
  }
  setenv("LC_CTYPE", name.c_str(), 1);
}

void UseUtf8CharacterType() {
  if (ChooseUtf8CharacterType()) HandCharacterTypeToChildren();
}

}  // namespace

void Prepare() {
  std::lock_guard<std::mutex> lock(prepareMutex);
  if (prepared) return;
  UseUtf8CharacterType();
  const std::string dir = folders::EngineDir();
  if (dir.empty()) throw Failure("no runtime folder for the database engine");
  RootLayout layout;
  layout.root = dir;
  layout.confLines = {"ServerMode = Classic"};
  if (const std::string module = UdrModuleSource(); !module.empty()) layout.udrModules.push_back(module);
  const std::string root = BuildRoot(layout);
  setenv("FIREBIRD", root.c_str(), 1);
  setenv("FIREBIRD_LOCK", (root + "/lock").c_str(), 1);
  // Our own children prepare themselves: they find the same folder whatever runtime folder
  // their environment names. Processes on one database must share one lock folder, or they
  // would not see each other's locks.
  setenv("RENDO_FIREBIRD_DIR", root.c_str(), 1);
  preparedRoot = root;
  prepared = true;
}

std::string UdrModuleSource() {
  std::error_code ec;
  if (const char* env = std::getenv("RENDO_UDR_MODULE"); env && *env) {
    return fs::is_regular_file(env, ec) ? std::string(env) : std::string();
  }
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const fs::path beside = exe.parent_path() / "librendoudr.so";
  return fs::is_regular_file(beside, ec) ? beside.string() : std::string();
}

bool UdrModuleInstalled() {
  Prepare();
  std::error_code ec;
  return fs::is_regular_file(fs::path(RootDir()) / "udr" / "librendoudr.so", ec);
}

bool TryPrepare(std::string* why) {
  try {
    Prepare();
    return true;
  } catch (const std::exception& e) {
    if (why) *why = e.what();
    return false;
  }
}

std::string RootDir() {
  Prepare();
  std::lock_guard<std::mutex> lock(prepareMutex);
  return preparedRoot;
}

std::string LockDir() { return RootDir() + "/lock"; }

}  // namespace fbenv
