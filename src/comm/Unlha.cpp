#include "comm/Unlha.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "comm/LhaCodec.h"
#include "platform/Encoding.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBaseHeader = 26;  // level-2 fixed part, up to the first extension size

void PutLe16(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void PutLe32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
unsigned Le16(std::string_view s, std::size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
std::uint32_t Le32(std::string_view s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

bool ReadWhole(const std::string& path, std::string& bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return false;
  bytes = std::move(s).str();
  return true;
}

// A new file beside `target` (0600, never an existing one); -1 on failure.
int CreateTemp(const std::string& target, std::string& tempPath) {
  tempPath = target + ".tmpXXXXXX";
  return mkstemp(tempPath.data());
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// One level-2 header for an entry.
std::string EntryHeader(const std::string& method, const std::string& name, std::uint32_t packed,
                        std::uint32_t original, std::uint32_t mtime, std::uint16_t crc) {
  std::string h(kBaseHeader, '\0');
  std::memcpy(&h[2], method.data(), 5);
  PutLe32(h, 7, packed);
  PutLe32(h, 11, original);
  PutLe32(h, 15, mtime);
  h[19] = 0x20;  // archive attribute
  h[20] = 2;     // header level
  PutLe16(h, 21, crc);
  h[23] = 'U';   // written on a Unix-like system
  auto extension = [&](char type, const std::string& data) {
    PutLe16(h, h.size() - 2, static_cast<unsigned>(1 + data.size() + 2));
    h += type;
    h += data;
    h += std::string(2, '\0');  // size of the next extension (0: none)
  };
  extension(0x00, std::string(2, '\0'));  // header CRC, filled below
  extension(0x01, name);
  std::string perm(2, '\0');
  PutLe16(perm, 0, 0100644);  // a plain file
  extension(0x50, perm);
  if ((h.size() & 0xFF) == 0) h += '\0';  // a header size ending in 0x00 would read as the end mark
  PutLe16(h, 0, static_cast<unsigned>(h.size()));
  const std::uint16_t headerCrc = lha::Crc16(h);
  PutLe16(h, kBaseHeader + 1, headerCrc);
  return h;
}

struct Entry {
  std::string name;  // UTF-8
  std::string method;
  std::string_view data;
  std::uint32_t original = 0;
  std::uint16_t crc = 0;
};

// Parses the archive's entries; kUnlhaDamaged or kUnlhaUnsafeEntry on refusal, else 0.
int ParseArchive(std::string_view a, std::vector<Entry>& entries) {
  std::size_t pos = 0;
  for (;;) {
    if (pos >= a.size()) return kUnlhaDamaged;  // no end mark: entries may be missing
    if (a[pos] == 0) return entries.empty() && pos == 0 ? kUnlhaDamaged : 0;
    if (a.size() - pos < kBaseHeader) return kUnlhaDamaged;
    const std::string_view base = a.substr(pos);
    const std::size_t total = Le16(base, 0);
    if (base[20] != 2 || total < kBaseHeader || total > base.size()) return kUnlhaDamaged;
    const std::string_view header = base.substr(0, total);
    Entry e;
    e.method = std::string(header.substr(2, 5));
    const std::uint32_t packed = Le32(header, 7);
    e.original = Le32(header, 11);
    e.crc = static_cast<std::uint16_t>(Le16(header, 21));
    bool haveName = false, haveCrc = false;
    std::size_t at = kBaseHeader;
    std::size_t next = Le16(header, kBaseHeader - 2);
    while (next != 0) {
      if (next < 3 || at + next > total) return kUnlhaDamaged;
      const char type = header[at];
      const std::string_view data = header.substr(at + 1, next - 3);
      if (type == 0x00) {
        if (data.size() != 2) return kUnlhaDamaged;
        std::string copy(header);
        copy[at + 1] = copy[at + 2] = '\0';
        if (lha::Crc16(copy) != Le16(data, 0)) return kUnlhaDamaged;
        haveCrc = true;
      } else if (type == 0x01) {
        if (!sjis::TryToUtf8(data, e.name)) return kUnlhaUnsafeEntry;
        haveName = true;
      } else if (type == 0x02) {
        if (!data.empty()) return kUnlhaUnsafeEntry;  // an entry with a folder path
      } else if (type == 0x50) {
        if (data.size() != 2 || (Le16(data, 0) & 0170000) != 0100000) return kUnlhaUnsafeEntry;  // links, folders
      }
      at += next;
      next = Le16(header, at - 2);
    }
    if (!haveName || !haveCrc) return kUnlhaDamaged;
    if (e.method != "-lh0-" && e.method != "-lh5-") return e.method == "-lhd-" ? kUnlhaUnsafeEntry : kUnlhaDamaged;
    const std::string& n = e.name;
    if (n.empty() || n == "." || n.find("..") != std::string::npos || n.find_first_of("/\\|:") != std::string::npos) {
      return kUnlhaUnsafeEntry;
    }
    for (unsigned char c : n)
      if (c < 0x20 || c == 0x7F) return kUnlhaUnsafeEntry;
    if (a.size() - pos - total < packed) return kUnlhaDamaged;
    e.data = a.substr(pos + total, packed);
    if (e.method == "-lh0-" && packed != e.original) return kUnlhaDamaged;
    entries.push_back(std::move(e));
    pos += total + packed;
  }
}

// Unpacks one entry, handing the bytes to `sink`; false on a damaged entry or CRC mismatch.
bool Unpack(const Entry& e, const std::function<bool(std::string_view)>& sink) {
  std::uint16_t crc = 0;
  auto checked = [&](std::string_view piece) {
    crc = lha::Crc16(piece, crc);
    return sink(piece);
  };
  bool ok = e.method == "-lh0-" ? checked(e.data) : lha::DecodeLh5(e.data, e.original, checked);
  return ok && crc == e.crc;
}

int Pack(const std::string& archive, const std::vector<std::string>& files) {
  std::string out;
  for (const std::string& file : files) {
    std::string bytes;
    if (!ReadWhole(file, bytes) || bytes.size() > 0xFFFFFFFFull) return kUnlhaSourceUnreadable;
    const std::string packed = lha::EncodeLh5(bytes);
    const bool stored = packed.size() >= bytes.size();
    const std::string& data = stored ? bytes : packed;
    struct stat st {};
    const auto seconds = ::stat(file.c_str(), &st) == 0 ? st.st_mtime : 0;
    out += EntryHeader(stored ? "-lh0-" : "-lh5-", sjis::FromUtf8(fs::path(file).filename().string()),
                       static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(bytes.size()),
                       static_cast<std::uint32_t>(seconds), lha::Crc16(bytes));
    out += data;
  }
  out += '\0';  // end of archive
  std::string temp;
  const int fd = CreateTemp(archive, temp);
  if (fd < 0) return kUnlhaArchiveNotWritten;
  const bool written = WriteAll(fd, out) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written || std::rename(temp.c_str(), archive.c_str()) != 0) {
    ::unlink(temp.c_str());
    return kUnlhaArchiveNotWritten;
  }
  return 0;
}

int Extract(const std::string& archive, std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  std::string bytes;
  if (!ReadWhole(archive, bytes)) return kUnlhaSourceUnreadable;
  std::vector<Entry> entries;
  if (const int rc = ParseArchive(bytes, entries); rc != 0) return rc;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return kUnlhaWriteError;

  std::vector<std::pair<std::string, std::string>> done;  // temp, final
  auto discard = [&] {
    for (const auto& d : done) ::unlink(d.first.c_str());
  };
  for (const Entry& e : entries) {
    const std::string target = (fs::path(folder) / e.name).string();
    std::string temp;
    const int fd = CreateTemp(target, temp);
    if (fd < 0) {
      discard();
      return kUnlhaWriteError;
    }
    done.emplace_back(temp, target);
    bool writeFailed = false;
    const bool ok = Unpack(e, [&](std::string_view piece) {
      if (!WriteAll(fd, piece)) writeFailed = true;
      return !writeFailed;
    });
    ::close(fd);
    if (!ok) {
      discard();
      return writeFailed ? kUnlhaWriteError : kUnlhaDamaged;
    }
  }
  for (const auto& d : done) {
    if (std::rename(d.first.c_str(), d.second.c_str()) != 0) {
      discard();
      return kUnlhaWriteError;
    }
  }
  return 0;
}

// The command and its arguments: words, or texts in double quotes.
std::vector<std::string> SplitCommandLine(const char* line) {
  std::vector<std::string> words;
  const std::string text = line != nullptr ? line : "";
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i >= text.size()) break;
    std::string word;
    if (text[i] == '"') {
      const std::size_t end = text.find('"', i + 1);
      if (end == std::string::npos) return {};
      word = text.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') word += text[i++];
    }
    words.push_back(word);
  }
  return words;
}

void Report(char* output, std::int32_t size, int rc) {
  if (output == nullptr || size <= 0) return;
  static const char* const texts[] = {"ok", "bad command line", "source unreadable", "archive not written",
                                      "archive damaged", "unsafe entry refused", "write error"};
  std::snprintf(output, static_cast<std::size_t>(size), "%s", rc >= 0 && rc <= 6 ? texts[rc] : "error");
}

}  // namespace

int Unlha(void* /*window*/, const char* commandLine, char* output, std::int32_t outputSize) {
  const std::vector<std::string> words = SplitCommandLine(commandLine);
  int rc = kUnlhaBadCommand;
  try {
    if (words.size() >= 3 && (words[0] == "a" || words[0] == "A")) {
      rc = Pack(words[1], std::vector<std::string>(words.begin() + 2, words.end()));
    } else if (words.size() == 3 && (words[0] == "e" || words[0] == "E")) {
      rc = Extract(words[1], words[2]);
    }
  } catch (const std::exception&) {
    rc = kUnlhaWriteError;  // out of memory and the like: nothing half-written stays behind
  }
  Report(output, outputSize, rc);
  return rc;
}

bool UnlhaCheckArchive(const char* path, std::int32_t mode) {
  try {
    std::string bytes;
    std::vector<Entry> entries;
    if (path == nullptr || !ReadWhole(path, bytes) || ParseArchive(bytes, entries) != 0) return false;
    if (mode != 2) return true;
    for (const Entry& e : entries)
      if (!Unpack(e, [](std::string_view) { return true; })) return false;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

TArchiverEntries LoadArchiver() {
  TArchiverEntries entries;
  entries.Unlha = &::Unlha;
  entries.UnlhaCheckArchive = &::UnlhaCheckArchive;
  return entries;
}
