#pragma once
// INI files with the semantics of the Windows profile functions, which the accounting product's
// settings files were written with:
//   - sections and keys are found without regard to (ASCII) case; the first match counts;
//   - the order of sections, keys, comments and other lines is kept, untouched lines keep
//     their bytes; lines end in CR LF on disk, and the text is CP932 on disk, UTF-8 here;
//   - values are read with blanks trimmed and one pair of surrounding quotes ("..." or '...')
//     removed; a key that is present with an empty value reads as empty, not as the default;
//   - comment lines (";"), blank lines and lines without "=" are kept but are no keys;
//   - every operation reads the file afresh and every write reaches it at once, so the next
//     reader (this object, another one or another process) sees it. The file is replaced
//     whole (platform/FileReplace.h), so a failed write never leaves a half-written file;
//   - a change of several keys that belong together (one logical update) goes between
//     BeginUpdate and UpdateFile: it is collected in memory and the file is replaced once,
//     so that no reader and no crash ever sees the file half updated.
// A missing file reads as empty. A file that exists but cannot be read (no permission, a
// folder) raises EIniFileException from every operation, and so does a write that cannot
// reach the disk (for example because the folder does not exist).
// The file name may use a drive letter ("Z:/x.ini"); it is resolved through the drive table.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal, or hexadecimal with "$" or "0x"; anything else (also out of the 32-bit range)
  // gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // An integer value: 0 is false, any other number true; not a number gives the default.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // A line break in the value ends it there: a value can never add lines to the file.
  // Empty names, or names holding a line break (and "=" in a key, "]" in a section), throw
  // std::invalid_argument.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Written as "1" or "0".
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // The key names of the section, as written in the file, in file order.
  std::vector<std::string> ReadSection(std::string_view section) const;
  // The section names in file order (each name once).
  std::vector<std::string> ReadSections() const;
  // "name=value" for each key of the section, with the value as ReadString gives it.
  std::vector<std::string> ReadSectionValues(std::string_view section) const;
  // True when the section holds at least one key (an empty section counts as absent).
  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  // Removes every section of that name with all its lines.
  void EraseSection(std::string_view section);
  // Removes the key (every line of that name) from the section.
  void DeleteKey(std::string_view section, std::string_view key);

  // Starts an update: the writes that follow are collected in memory (reads see them) until
  // UpdateFile. The file is read once, at the first operation of the update; what others write
  // to it meanwhile is overwritten (the last writer wins). An update that is never finished by
  // UpdateFile, because the object goes first (an exception), leaves the file as it was.
  void BeginUpdate();
  // Ends the update and writes its changes with one replacement of the file (none when nothing
  // changed). Outside an update there is nothing to do: every write is on disk when it returns.
  void UpdateFile();

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string raw;    // CP932 bytes as on disk, without the line end
    Kind kind = Kind::Other;
    std::string name;   // UTF-8: the section or key name, trimmed
    std::string value;  // UTF-8: the value, trimmed, quotes kept
  };
  // Brings lines_ up to date with the file.
  void Load() const;
  void Save();
  static Line Parse(std::string raw);
  static Line MakeLine(std::string utf8);
  // [begin, end) of the lines of the first section with that name; begin is the header.
  bool FindSection(std::string_view section, std::size_t& begin, std::size_t& end) const;
  const Line* FindKey(std::string_view section, std::string_view key) const;

  std::string fileName_;
  mutable bool loaded_ = false;
  bool updating_ = false;
  mutable bool fresh_ = false;  // lines_ was read from the file during this update
  mutable bool exists_ = false;
  mutable std::string diskBytes_;
  mutable std::vector<Line> lines_;
};
