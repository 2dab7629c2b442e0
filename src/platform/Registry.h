#pragma once
// The registry, read only. The values the program reads from the Windows registry (the
// installed products, their versions and editions) live in an INI-format store:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\QUORIN\ZIVODARORER]
//   Product=Tallix財務
//   Version=10.2.0
//   Flags=dword:00000001
//
// - A section names a key: the root's name, "\", the key path. Key names compare without
//   regard to case. A key exists when it has a section or lies above one.
// - "name=value" lines are the values. A value written as "dword:" followed by one to eight
//   hexadecimal digits is a 32-bit integer; every other value is a string (so a string of
//   exactly that form cannot be stored).
// - The store is the file named by $RENDO_REGISTRY, else <configuration root>/registry.ini
//   (CP932 like every INI file). A missing store is an empty registry.
// Subkeys are listed sorted without regard to case, the order in which Windows enumerates them.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using HKEY = std::uint32_t;
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TRegDataType { rdUnknown, rdString, rdInteger };

class TIniFile;

class TRegistry {
 public:
  TRegistry();
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // The file that holds the store ($RENDO_REGISTRY, else <configuration root>/registry.ini).
  static std::string StorePath();
  // The section name of a key: "HKEY_LOCAL_MACHINE\SOFTWARE\X" for (HKEY_LOCAL_MACHINE, "\SOFTWARE\X").
  static std::string SectionName(HKEY root, std::string_view key);

  HKEY RootKey = HKEY_CURRENT_USER;

  // Opens a key. A path starting with "\" is taken from the root, another one below the
  // key that is open (or from the root when none is). False when the key does not exist;
  // the store is read only, so nothing is ever created.
  bool OpenKey(std::string_view key);
  void CloseKey();
  // The open key's path below the root, without leading "\" ("" when none is open).
  const std::string& CurrentPath() const { return current_; }
  bool KeyExists(std::string_view key) const;

  // Values of the open key. ReadString gives "" for a missing value; both reads raise
  // ERegistryException for a value of the other type, ReadInteger also for a missing one.
  bool ValueExists(std::string_view name) const;
  TRegDataType GetDataType(std::string_view name) const;
  std::string ReadString(std::string_view name) const;
  int ReadInteger(std::string_view name) const;

  // Names of the subkeys directly below the open key (sorted) and of its values (file order).
  std::vector<std::string> GetKeyNames() const;
  std::vector<std::string> GetValueNames() const;

 private:
  std::string Absolute(std::string_view key) const;
  bool Exists(const std::string& path) const;

  std::unique_ptr<TIniFile> store_;
  bool open_ = false;
  std::string current_;
};
