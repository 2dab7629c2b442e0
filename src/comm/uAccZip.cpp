#include "comm/uAccZip.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ZipDiscarder {
  void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscarder>;

// The command line split at blanks; double quotes group and are dropped. Nothing on an
// unterminated quote.
std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inWord) words.push_back(word);
  return words;
}

struct ZipCommand {
  std::optional<std::string> password;
  bool junkPaths = false;
  std::string archive;
  std::vector<std::string> files;
};

// Options first, then the archive, then the files (an option word after the archive is a file).
std::int32_t ParseCommand(const std::vector<std::string>& words, ZipCommand& cmd) {
  std::size_t i = 0;
  for (; i < words.size() && words[i].size() > 1 && words[i][0] == '-'; ++i) {
    const std::string& w = words[i];
    if (w == "-P") {
      if (++i >= words.size() || words[i].empty()) return kZipBadCommand;
      cmd.password = words[i];
    } else if (w == "-j") {
      cmd.junkPaths = true;
    } else if (w != "-D" && w != "-q") {
      return kZipBadCommand;
    }
  }
  if (i >= words.size() || words[i].empty()) return kZipBadCommand;
  cmd.archive = words[i++];
  for (; i < words.size(); ++i) cmd.files.push_back(words[i]);
  return cmd.files.empty() ? kZipNothingToDo : 0;
}

// The name an entry is stored under; empty when the path may not become one.
std::string EntryName(const std::string& path, bool junkPaths) {
  if (junkPaths) return fs::path(path).filename().string();
  std::string name = path;
  while (!name.empty() && name[0] == '/') name.erase(0, 1);
  while (name.rfind("./", 0) == 0) name.erase(0, 2);
  for (const auto& part : fs::path(name))
    if (part == "..") return {};
  return name;
}

bool Readable(const std::string& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

}  // namespace

std::int32_t ZipFiles(const std::string& options, const std::string& archive, const std::string& files) {
  const std::string line = options + " " + archive + " " + files;
  if (line.size() > kZipCommandLineMax) return kZipBadCommand;
  const auto words = SplitCommandLine(line);
  if (!words) return kZipBadCommand;
  ZipCommand cmd;
  if (const auto rc = ParseCommand(*words, cmd); rc != 0) return rc;

  // An old archive never survives a new run, even one that fails below.
  std::error_code ec;
  if (fs::is_regular_file(cmd.archive, ec)) fs::remove(cmd.archive, ec);

  if (cmd.password && !zip_encryption_method_supported(ZIP_EM_TRAD_PKWARE, 1)) return kZipNoEncryption;

  std::vector<std::string> names;
  for (const auto& file : cmd.files) {
    if (!Readable(file)) return kZipFileUnreadable;
    const std::string name = EntryName(file, cmd.junkPaths);
    if (name.empty()) return kZipBadCommand;
    names.push_back(name);
  }

  int error = 0;
  ZipHandle zip(zip_open(cmd.archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
  if (!zip) return kZipArchiveNotWritten;
  for (std::size_t i = 0; i < cmd.files.size(); ++i) {
    zip_source_t* source = zip_source_file(zip.get(), cmd.files[i].c_str(), 0, -1);
    if (!source) return kZipFileUnreadable;
    const zip_int64_t index = zip_file_add(zip.get(), names[i].c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) {
      zip_source_free(source);
      return kZipArchiveNotWritten;
    }
    if (cmd.password &&
        zip_file_set_encryption(zip.get(), static_cast<zip_uint64_t>(index), ZIP_EM_TRAD_PKWARE,
                                cmd.password->c_str()) != 0)
      return kZipArchiveNotWritten;
  }
  // libzip writes a temporary file beside the archive and renames it when complete.
  if (zip_close(zip.get()) != 0) return kZipArchiveNotWritten;
  zip.release();
  if (::chmod(cmd.archive.c_str(), S_IRUSR | S_IWUSR) != 0) {
    fs::remove(cmd.archive, ec);
    return kZipArchiveNotWritten;
  }
  return 0;
}
