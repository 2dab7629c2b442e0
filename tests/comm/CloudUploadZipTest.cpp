#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <map>
#include <string>

#include "comm/CommTestFiles.h"
#include "comm/uAccZip.h"
#include "platform/Process.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOptions = "-D -P Qnemra5170 -q -j";

std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

// Every entry of the archive read with the password; false when any entry cannot be read.
bool ReadAll(const fs::path& archive, const char* password, std::map<std::string, std::string>& entries) {
  entries.clear();
  int error = 0;
  zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &error);
  if (!z) return false;
  bool ok = true;
  const zip_int64_t n = zip_get_num_entries(z, 0);
  for (zip_int64_t i = 0; i < n && ok; ++i) {
    zip_stat_t st;
    zip_stat_index(z, i, 0, &st);
    zip_file_t* f = password ? zip_fopen_index_encrypted(z, i, 0, password) : zip_fopen_index(z, i, 0);
    if (!f) {
      ok = false;
      break;
    }
    std::string data(st.size, '\0');
    ok = zip_fread(f, data.data(), data.size()) == static_cast<zip_int64_t>(data.size());
    char extra;
    ok = ok && zip_fread(f, &extra, 1) == 0;  // the CRC is checked at the end of the entry
    zip_fclose(f);
    entries[st.name] = data;
  }
  zip_discard(z);
  return ok;
}

}  // namespace

TEST(CloudUploadZip, EncryptedEntriesUnderBareNamesReplacingAnOldArchive) {
  TempDir dir;
  const std::string script = commtest::MixedBytes(300000);
  const fs::path sql = dir.Write("Sql Work/qvacc.sql", script);
  const fs::path note = dir.Write("other/note.txt", "");
  const fs::path archive = dir.Path() / "Sql Work/qvacc.zip";
  dir.Write("Sql Work/qvacc.zip", "an older archive");

  ASSERT_EQ(ZipFiles(kOptions, Quoted(archive), Quoted(sql) + " " + Quoted(note)), 0);

  std::map<std::string, std::string> entries;
  ASSERT_TRUE(ReadAll(archive, "Qnemra5170", entries));
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries["qvacc.sql"] == script);
  EXPECT_EQ(entries.count("note.txt"), 1u);
  EXPECT_FALSE(ReadAll(archive, "qnemra5170", entries));  // a wrong password reads nothing
  EXPECT_FALSE(ReadAll(archive, nullptr, entries));
  EXPECT_LT(fs::file_size(archive), script.size());        // packed, not only stored
  EXPECT_EQ(fs::status(archive).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  // An independent reader opens it the same way.
  if (fs::exists("/usr/bin/unzip")) {
    ProcessOptions o;
    o.argv = {"/usr/bin/unzip", "-P", "Qnemra5170", "-p", archive.string(), "qvacc.sql"};
    o.timeout = std::chrono::seconds(60);
    const ProcessResult r = RunProcess(o);
    EXPECT_TRUE(r.Ok() && r.out == script) << r.err;
    o.argv = {"/usr/bin/unzip", "-P", "wrong", "-p", archive.string(), "qvacc.sql"};
    EXPECT_FALSE(RunProcess(o).Ok());
  }
}

TEST(CloudUploadZip, RefusedCommandLinesWriteNoArchive) {
  TempDir dir;
  const fs::path file = dir.Write("in/a.sql", "SELECT 1;");
  const fs::path archive = dir.Path() / "out.zip";
  // A command line that is not understood touches nothing; an understood one removes the old
  // archive before anything can fail.
  const struct {
    std::string options, files;
    std::int32_t result;
    bool oldArchiveKept;
  } cases[] = {
      {"-D -P \"\" -j", Quoted(file), kZipBadCommand, true},         // empty password
      {"-D -r -j", Quoted(file), kZipBadCommand, true},               // an option we do not know
      {"-D -P pw -j", "\"" + file.string(), kZipBadCommand, true},    // quote not closed
      {"-D -P pw -j", Quoted(file) + std::string(kZipCommandLineMax, ' '), kZipBadCommand, true},
      {"-D -P pw -j", "", kZipNothingToDo, true},
      {"-D -P pw", Quoted(dir.Path() / "in/../in/a.sql"), kZipBadCommand, false},             // would climb out of the archive
      {"-D -P pw -j", Quoted(dir.Path() / "in/missing.sql"), kZipFileUnreadable, false},
      {"-D -P pw -j", Quoted(dir.Path() / "in"), kZipFileUnreadable, false},
  };
  for (const auto& c : cases) {
    dir.Write("out.zip", "an older archive");
    const std::string what = c.options + " " + c.files.substr(0, 80);
    EXPECT_EQ(ZipFiles(c.options, Quoted(archive), c.files), c.result) << what;
    EXPECT_EQ(fs::exists(archive), c.oldArchiveKept) << what;
  }
}
