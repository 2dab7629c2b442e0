#include "platform/Registry.h"

#include "platform/Folders.h"
#include "platform/ini/IniFile.h"

#include <algorithm>
#include <cstdlib>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

bool LessName(const std::string& a, const std::string& b) {
  auto la = [](unsigned char x, unsigned char y) { return Lower(static_cast<char>(x)) < Lower(static_cast<char>(y)); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), la)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), la)) return false;
  return a < b;  // same but for case: a fixed order all the same
}

// "\SOFTWARE\\X\" -> "SOFTWARE\X".
std::string Normalize(std::string_view key) {
  std::string out;
  std::size_t i = 0;
  while (i < key.size()) {
    std::size_t j = key.find('\\', i);
    if (j == std::string_view::npos) j = key.size();
    if (j > i) {
      if (!out.empty()) out += '\\';
      out.append(key.substr(i, j - i));
    }
    i = j + 1;
  }
  return out;
}

const char* RootName(HKEY root) {
  switch (root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    default: return "HKEY_UNKNOWN";
  }
}

// "dword:0000001F" -> 31.
bool ParseDword(std::string_view v, int& out) {
  constexpr std::string_view prefix = "dword:";
  if (v.size() <= prefix.size() || v.size() > prefix.size() + 8 || !StartsWithName(v, prefix)) return false;
  std::uint32_t n = 0;
  for (char c : v.substr(prefix.size())) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    n = n * 16 + static_cast<std::uint32_t>(d);
  }
  out = static_cast<int>(static_cast<std::int32_t>(n));
  return true;
}

}  // namespace

TRegistry::TRegistry() : store_(std::make_unique<TIniFile>(StorePath())) {}
TRegistry::~TRegistry() = default;

std::string TRegistry::StorePath() {
  const char* env = std::getenv("RENDO_REGISTRY");
  if (env && *env) return env;
  return folders::ConfigDir() + "/registry.ini";
}

std::string TRegistry::SectionName(HKEY root, std::string_view key) {
  std::string path = Normalize(key);
  return path.empty() ? std::string(RootName(root)) : std::string(RootName(root)) + "\\" + path;
}

std::string TRegistry::Absolute(std::string_view key) const {
  if (!key.empty() && key.front() == '\\') return Normalize(key);
  if (!open_ || current_.empty()) return Normalize(key);
  std::string rel = Normalize(key);
  return rel.empty() ? current_ : current_ + "\\" + rel;
}

bool TRegistry::Exists(const std::string& path) const {
  if (path.empty()) return true;  // the root itself
  std::string section = SectionName(RootKey, path);
  std::string below = section + "\\";
  try {
    for (const std::string& s : store_->ReadSections())
      if (SameName(s, section) || StartsWithName(s, below)) return true;
  } catch (const EIniFileException&) {
    // An unreadable store opens nothing, as a key without access rights does.
  }
  return false;
}

bool TRegistry::OpenKey(std::string_view key) {
  std::string path = Absolute(key);
  if (!Exists(path)) return false;
  current_ = path;
  open_ = true;
  return true;
}

void TRegistry::CloseKey() {
  open_ = false;
  current_.clear();
}

bool TRegistry::KeyExists(std::string_view key) const { return Exists(Absolute(key)); }

bool TRegistry::ValueExists(std::string_view name) const { return GetDataType(name) != TRegDataType::rdUnknown; }

TRegDataType TRegistry::GetDataType(std::string_view name) const {
  if (!open_) return TRegDataType::rdUnknown;
  try {
    std::string section = SectionName(RootKey, current_);
    if (!store_->ValueExists(section, name)) return TRegDataType::rdUnknown;
    int n;
    return ParseDword(store_->ReadString(section, name, ""), n) ? TRegDataType::rdInteger : TRegDataType::rdString;
  } catch (const EIniFileException&) {
    return TRegDataType::rdUnknown;
  }
}

std::string TRegistry::ReadString(std::string_view name) const {
  switch (GetDataType(name)) {
    case TRegDataType::rdUnknown: return {};
    case TRegDataType::rdInteger: throw ERegistryException("invalid data type for '" + std::string(name) + "'");
    case TRegDataType::rdString: break;
  }
  try {
    return store_->ReadString(SectionName(RootKey, current_), name, "");
  } catch (const EIniFileException& e) {
    throw ERegistryException(e.what());
  }
}

int TRegistry::ReadInteger(std::string_view name) const {
  if (GetDataType(name) != TRegDataType::rdInteger) throw ERegistryException("invalid data type for '" + std::string(name) + "'");
  int n = 0;
  try {
    ParseDword(store_->ReadString(SectionName(RootKey, current_), name, ""), n);
  } catch (const EIniFileException& e) {
    throw ERegistryException(e.what());
  }
  return n;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
  std::vector<std::string> names;
  if (!open_) return names;
  std::string below = SectionName(RootKey, current_) + "\\";
  try {
    for (const std::string& s : store_->ReadSections()) {
      if (!StartsWithName(s, below)) continue;
      std::string rest = Normalize(std::string_view(s).substr(below.size()));
      std::string child = rest.substr(0, rest.find('\\'));
      if (child.empty()) continue;
      if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameName(n, child); })) names.push_back(child);
    }
  } catch (const EIniFileException&) {
    return {};
  }
  std::sort(names.begin(), names.end(), LessName);
  return names;
}

std::vector<std::string> TRegistry::GetValueNames() const {
  if (!open_) return {};
  try {
    return store_->ReadSection(SectionName(RootKey, current_));
  } catch (const EIniFileException&) {
    return {};
  }
}
