#include "platform/ini/IniFile.h"

#include "platform/Encoding.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare without regard to ASCII case; bytes of multi-byte UTF-8 characters are all
// above 0x7F and compare exactly.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return std::string(v);
}

// The lenient integer reading of the profile functions' callers: optional sign, decimal or
// hexadecimal ("$1F", "0x1F"; eight hex digits wrap to a negative number as in 32 bits).
bool ParseInt(std::string_view s, int& out) {
  s = Trim(s);
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  std::uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  std::int64_t r;
  if (base == 16) {
    r = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  } else {
    r = static_cast<std::int64_t>(v);
    if (r > static_cast<std::int64_t>(std::numeric_limits<int>::max()) + (negative ? 1 : 0)) return false;
  }
  out = static_cast<int>(negative ? -r : r);
  return true;
}

[[noreturn]] void Fail(const std::string& what, const std::string& file, int err) {
  throw EIniFileException(what + " " + file + ": " + std::strerror(err));
}

// Where the bytes go: the resolved path, or the target of a symbolic link, so that writing
// replaces the file the link points to rather than the link.
std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::error_code ec;
    auto real = std::filesystem::weakly_canonical(path, ec);
    if (!ec) return real.string();
  }
  return path;
}

void CheckName(std::string_view name, char forbidden) {
  if (Trim(name).empty() || name.find_first_of("\r\n") != std::string_view::npos ||
      name.find(forbidden) != std::string_view::npos)
    throw std::invalid_argument("invalid INI name: " + std::string(name));
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

TIniFile::Line TIniFile::Parse(std::string raw) {
  Line line;
  std::string utf8 = sjis::ToUtf8(raw);
  line.raw = std::move(raw);
  std::string_view t = Trim(utf8);
  if (!t.empty() && t.front() == '[') {
    auto close = t.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = Kind::Section;
      line.name = std::string(Trim(t.substr(1, close - 1)));
    }
    return line;
  }
  if (t.empty() || t.front() == ';') return line;
  auto eq = t.find('=');
  if (eq == std::string_view::npos || Trim(t.substr(0, eq)).empty()) return line;
  line.kind = Kind::Key;
  line.name = std::string(Trim(t.substr(0, eq)));
  line.value = std::string(Trim(t.substr(eq + 1)));
  return line;
}

TIniFile::Line TIniFile::MakeLine(std::string utf8) { return Parse(sjis::FromUtf8(utf8)); }

void TIniFile::Load() const {
  if (updating_ && fresh_ && loaded_) return;  // an update works on the lines it read first
  // The file is read on every operation and parsed again only when its bytes changed: a
  // comparison of the bytes cannot be fooled the way sizes and time stamps can.
  std::string path = ResolvePath(fileName_);
  bool exists = false;
  std::string bytes;
  int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (!path.empty() && errno != ENOENT && errno != ENOTDIR) Fail("cannot read", fileName_, errno);
  } else {
    exists = true;
    struct stat st;
    int err = fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? (S_ISDIR(st.st_mode) ? EISDIR : EINVAL) : 0;
    char buf[8192];
    while (err == 0) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n == 0) break;
      if (n > 0) bytes.append(buf, static_cast<std::size_t>(n));
      else if (errno != EINTR) err = errno;
    }
    close(fd);
    if (err != 0) Fail("cannot read", fileName_, err);
  }
  fresh_ = updating_;
  if (loaded_ && exists == exists_ && bytes == diskBytes_) return;

  lines_.clear();
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t lf = bytes.find('\n', start);
    std::size_t end = lf == std::string::npos ? bytes.size() : lf;
    std::size_t stop = end;
    while (stop > start && bytes[stop - 1] == '\r') --stop;
    lines_.push_back(Parse(bytes.substr(start, stop - start)));
    start = end + 1;
  }
  diskBytes_ = std::move(bytes);
  exists_ = exists;
  loaded_ = true;
}

void TIniFile::Save() {
  if (updating_) return;  // UpdateFile writes the whole update at once
  std::string bytes;
  for (const Line& l : lines_) {
    bytes += l.raw;
    bytes += "\r\n";
  }
  if (bytes == diskBytes_ && (exists_ || bytes.empty())) return;

  loaded_ = false;  // on failure the next operation starts again from the file
  std::string target = WriteTarget(ResolvePath(fileName_));
  if (target.empty()) Fail("cannot write", fileName_, ENOENT);
  if (filereplace::Result r = filereplace::Replace(target, bytes); !r) Fail("cannot write", fileName_, r.error);
  diskBytes_ = std::move(bytes);
  exists_ = true;
  loaded_ = true;
}

bool TIniFile::FindSection(std::string_view section, std::size_t& begin, std::size_t& end) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::Section || !SameName(lines_[i].name, section)) continue;
    begin = i;
    end = i + 1;
    while (end < lines_.size() && lines_[end].kind != Kind::Section) ++end;
    return true;
  }
  return false;
}

const TIniFile::Line* TIniFile::FindKey(std::string_view section, std::string_view key) const {
  Load();
  std::size_t b, e;
  if (!FindSection(Trim(section), b, e)) return nullptr;
  key = Trim(key);
  for (std::size_t i = b + 1; i < e; ++i)
    if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) return &lines_[i];
  return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const Line* l = FindKey(section, key);
  return l ? Unquote(l->value) : std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  int v;
  return ParseInt(ReadString(section, key, ""), v) ? v : def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  CheckName(section, ']');
  CheckName(key, '=');
  section = Trim(section);
  key = Trim(key);
  value = value.substr(0, value.find_first_of("\r\n"));
  Load();
  std::size_t b, e;
  if (!FindSection(section, b, e)) {
    // A new section goes to the end, after a blank line unless the file is empty.
    if (!lines_.empty() && !Trim(sjis::ToUtf8(lines_.back().raw)).empty()) lines_.push_back(Line{});
    lines_.push_back(MakeLine("[" + std::string(section) + "]"));
    lines_.push_back(MakeLine(std::string(key) + "=" + std::string(value)));
  } else {
    bool replaced = false;
    for (std::size_t i = b + 1; i < e && !replaced; ++i) {
      if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) {
        lines_[i] = MakeLine(lines_[i].name + "=" + std::string(value));  // keeps the stored spelling
        replaced = true;
      }
    }
    if (!replaced) {
      // After the section's last line that is not blank, so that blank separators stay last.
      std::size_t at = e;
      while (at > b + 1 && lines_[at - 1].kind == Kind::Other && Trim(sjis::ToUtf8(lines_[at - 1].raw)).empty()) --at;
      lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), MakeLine(std::string(key) + "=" + std::string(value)));
    }
  }
  Save();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
  Load();
  std::vector<std::string> keys;
  std::size_t b, e;
  if (!FindSection(Trim(section), b, e)) return keys;
  for (std::size_t i = b + 1; i < e; ++i) {
    if (lines_[i].kind != Kind::Key) continue;
    bool seen = false;
    for (const std::string& k : keys) seen = seen || SameName(k, lines_[i].name);
    if (!seen) keys.push_back(lines_[i].name);
  }
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() const {
  Load();
  std::vector<std::string> names;
  for (const Line& l : lines_) {
    if (l.kind != Kind::Section) continue;
    bool seen = false;
    for (const std::string& n : names) seen = seen || SameName(n, l.name);
    if (!seen) names.push_back(l.name);
  }
  return names;
}

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const {
  std::vector<std::string> result;
  for (const std::string& key : ReadSection(section)) result.push_back(key + "=" + ReadString(section, key, ""));
  return result;
}

bool TIniFile::SectionExists(std::string_view section) const { return !ReadSection(section).empty(); }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindKey(section, key) != nullptr;
}

void TIniFile::EraseSection(std::string_view section) {
  Load();
  section = Trim(section);
  std::size_t b, e;
  while (FindSection(section, b, e))
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(b), lines_.begin() + static_cast<std::ptrdiff_t>(e));
  Save();
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  Load();
  key = Trim(key);
  std::size_t b, e;
  if (!FindSection(Trim(section), b, e)) return;
  for (std::size_t i = e; i-- > b + 1;)
    if (lines_[i].kind == Kind::Key && SameName(lines_[i].name, key)) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
  Save();
}

void TIniFile::BeginUpdate() {
  updating_ = true;
  fresh_ = false;
}

void TIniFile::UpdateFile() {
  if (!updating_) return;
  updating_ = false;
  if (fresh_) Save();
}
