#include "platform/Paths.h"

#include "platform/Folders.h"
#include "platform/ini/IniFile.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Index of the last path delimiter: the last "/", or the colon of a leading drive letter
// when no "/" follows it. A colon elsewhere is an ordinary character ("host:/path").
std::size_t LastDelimiter(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos) return slash;
  return HasDriveLetter(path) ? 1 : std::string_view::npos;
}

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

// Adds "Z=/folder" (or "Z:=/folder") to the table; anything else is ignored. A folder must
// be absolute: a relative one would make file access depend on the working folder.
void AddDrive(std::map<char, std::string>& table, std::string_view name, std::string_view folder) {
  std::string n = Trim(name), f = Trim(folder);
  if (n.size() == 2 && n[1] == ':') n.pop_back();
  if (n.size() != 1 || !IsLetter(n[0]) || f.empty() || f[0] != '/') return;
  table[Upper(n[0])] = f;
}

// The drive table, read afresh on each use: the INI reader re-reads drives.ini only when the
// file changed, and the environment is one short text.
std::map<char, std::string> DriveTable() {
  static std::mutex mutex;
  static std::unique_ptr<TIniFile> ini;
  std::map<char, std::string> table;
  {
    std::lock_guard lock(mutex);
    std::string file = folders::ConfigDir() + "/drives.ini";
    if (!ini || ini->FileName() != file) ini = std::make_unique<TIniFile>(file);
    try {
      for (const std::string& line : ini->ReadSectionValues("Drives")) {
        auto eq = line.find('=');
        if (eq != std::string::npos) AddDrive(table, std::string_view(line).substr(0, eq), std::string_view(line).substr(eq + 1));
      }
    } catch (const EIniFileException&) {
      // An unreadable drives.ini maps no letters; the environment still may.
    }
  }
  if (const char* env = std::getenv("RENDO_DRIVES")) {
    std::string_view rest(env);
    while (!rest.empty()) {
      auto semi = rest.find(';');
      std::string_view item = rest.substr(0, semi);
      auto eq = item.find('=');
      if (eq != std::string_view::npos) AddDrive(table, item.substr(0, eq), item.substr(eq + 1));
      if (semi == std::string_view::npos) break;
      rest.remove_prefix(semi + 1);
    }
  }
  table['C'] = "/";
  return table;
}

}  // namespace

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (r.empty() || r.back() != '/') r.push_back('/');
  return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string r(path);
  if (!r.empty() && r.back() == '/') r.pop_back();
  return r;
}

std::string ExtractFilePath(std::string_view path) {
  std::size_t i = LastDelimiter(path);
  return i == std::string_view::npos ? std::string() : std::string(path.substr(0, i + 1));
}

std::string ExtractFileDir(std::string_view path) {
  std::size_t i = LastDelimiter(path);
  if (i == std::string_view::npos) return {};
  // Keep the "/" when it is the root itself or follows a drive ("Z:/").
  bool keep = path[i] != '/' || i == 0 || (i == 2 && HasDriveLetter(path)) || path[i - 1] == '/';
  return std::string(path.substr(0, keep ? i + 1 : i));
}

std::string ExtractFileName(std::string_view path) {
  std::size_t i = LastDelimiter(path);
  return std::string(i == std::string_view::npos ? path : path.substr(i + 1));
}

std::string ExtractFileExt(std::string_view path) {
  std::string name = ExtractFileName(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  std::size_t start = LastDelimiter(path);
  start = start == std::string_view::npos ? 0 : start + 1;
  std::size_t dot = path.rfind('.');
  std::size_t cut = (dot != std::string_view::npos && dot >= start) ? dot : path.size();
  return std::string(path.substr(0, cut)) + std::string(ext);
}

std::string ExtractFileDrive(std::string_view path) {
  if (HasDriveLetter(path)) return std::string(path.substr(0, 2));
  auto sep = [](char c) { return c == '/' || c == '\\'; };
  if (path.size() >= 2 && sep(path[0]) && sep(path[1])) {
    // "//server/share": up to the separator that ends the share name.
    int seen = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      if (sep(path[i]) && ++seen == 2) return std::string(path.substr(0, i));
    }
    return std::string(path);
  }
  return {};
}

std::string BackslashToSlash(std::string_view text) {
  std::string r(text);
  for (char& c : r)
    if (c == '\\') c = '/';
  return r;
}

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}

std::string DriveFolder(char letter) {
  if (!IsLetter(letter)) return {};
  auto table = DriveTable();
  auto it = table.find(Upper(letter));
  return it == table.end() ? std::string() : it->second;
}

std::string ResolvePath(std::string_view path) {
  if (!HasDriveLetter(path)) return std::string(path);
  std::string folder = DriveFolder(path[0]);
  if (folder.empty()) return {};
  std::string rest = BackslashToSlash(path.substr(2));
  if (rest.empty()) return folder;
  std::string base = ExcludeTrailingPathDelimiter(folder);
  return rest[0] == '/' ? base + rest : base + "/" + rest;
}
