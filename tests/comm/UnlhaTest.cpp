#include <gtest/gtest.h>

#include <filesystem>

#include "comm/FileCipher.h"
#include "comm/LhaCodec.h"
#include "comm/Unlha.h"
#include "comm/CommTestFiles.h"
#include "platform/Process.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using commtest::Names;

namespace {

int Lha(const std::string& command) { return Unlha(nullptr, command.c_str(), nullptr, 0); }
std::string Q(const fs::path& p) { return "\"" + p.string() + "\""; }

// lhasa's own test of the archive: every entry's CRC, by an implementation that is not ours.
ProcessResult LhaTest(const fs::path& archive) {
  ProcessOptions o;
  o.argv = {"lha", "t", archive.string()};
  o.timeout = std::chrono::seconds(60);
  return RunProcess(o);
}

// Offsets in the level-2 headers we write: the header-CRC extension first, then the name.
constexpr std::size_t kHeaderCrcAt = 27;
constexpr std::size_t kNameAt = 26 + 5 + 1;

// Re-seals a header changed by a test, so that only the change itself is wrong.
void Reseal(std::string& archive, std::size_t headerAt) {
  const std::size_t size = static_cast<unsigned char>(archive[headerAt]) | (static_cast<unsigned char>(archive[headerAt + 1]) << 8);
  archive[headerAt + kHeaderCrcAt] = archive[headerAt + kHeaderCrcAt + 1] = '\0';
  const std::uint16_t crc = lha::Crc16(std::string_view(archive).substr(headerAt, size));
  archive[headerAt + kHeaderCrcAt] = static_cast<char>(crc & 0xFF);
  archive[headerAt + kHeaderCrcAt + 1] = static_cast<char>(crc >> 8);
}

}  // namespace

TEST(CommArchive, RoundTripsEveryKindOfContent) {
  const struct {
    const char* what;
    std::string bytes;
    const char* method;
  } cases[] = {
      {"empty", "", "-lh0-"},
      {"one byte", "x", "-lh0-"},
      {"one repeated byte", std::string(300000, 'a'), "-lh5-"},
      {"incompressible", commtest::RandomBytes(200000), "-lh0-"},
      {"mixed", commtest::MixedBytes(1 << 20), "-lh5-"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string file = dir.Write("in/qvacc.fbk", c.bytes);
    const fs::path archive = dir.Path() / "qvacc.lzh";
    ASSERT_EQ(Lha("a " + Q(archive) + " " + Q(file)), 0) << c.what;
    const std::string packed = TempDir::Read(archive);
    EXPECT_EQ(packed.substr(2, 5), c.method) << c.what;
    EXPECT_TRUE(UnlhaCheckArchive(archive.c_str(), 2)) << c.what;
    const ProcessResult lha = LhaTest(archive);
    EXPECT_TRUE(lha.Ok()) << c.what << ": " << lha.out << lha.err;

    fs::create_directory(dir.Path() / "out");
    ASSERT_EQ(Lha("e " + Q(archive) + " " + Q(dir.Path() / "out/")), 0) << c.what;
    EXPECT_EQ(Names(dir.Path() / "out"), std::vector<std::string>{"qvacc.fbk"}) << c.what;
    EXPECT_TRUE(TempDir::Read(dir.Path() / "out/qvacc.fbk") == c.bytes) << c.what;
  }
}

TEST(CommArchive, FiveMegabytesSurvivePackCheckEncryptDecryptExtract) {
  TempDir dir;
  const std::string original = commtest::MixedBytes(5 << 20, 2025);
  const std::string backup = dir.Write("ComS/qvacc.fbk", original);
  const fs::path archive = dir.Path() / "ComS/qvacc.lzh";
  const fs::path sent = dir.Path() / "ComS/qvacc.wen";
  const std::string key = "K3y#42" "pass:word";

  ASSERT_EQ(Lha("a " + Q(archive) + " " + Q(backup)), 0);
  ASSERT_TRUE(UnlhaCheckArchive(archive.c_str(), 2));
  EXPECT_LT(fs::file_size(archive), original.size());
  const ProcessResult lha = LhaTest(archive);
  EXPECT_TRUE(lha.Ok()) << lha.out << lha.err;
  EncryptFile(archive.string(), sent.string(), key);

  // The receiving side: its own work folder.
  fs::create_directories(dir.Path() / "ComR");
  const fs::path received = dir.Path() / "ComR/qvacc.lzh";
  fs::copy_file(sent, dir.Path() / "ComR/qvacc.wen");
  DecryptFile((dir.Path() / "ComR/qvacc.wen").string(), received.string(), key);
  ASSERT_EQ(Lha("e " + Q(received) + " " + Q(dir.Path() / "ComR/")), 0);
  EXPECT_TRUE(TempDir::Read(dir.Path() / "ComR/qvacc.fbk") == original);
}

TEST(CommArchive, CraftedOrDamagedArchivesLeaveNoOutput) {
  TempDir dir;
  const std::string good = dir.Write("src/good", commtest::MixedBytes(50000));
  const std::string evil = dir.Write("src/evil", commtest::MixedBytes(40000, 3));
  const fs::path pair = dir.Path() / "pair.lzh";
  ASSERT_EQ(Lha("a " + Q(pair) + " " + Q(good) + " " + Q(evil)), 0);
  const std::string base = TempDir::Read(pair);
  const std::size_t first = 0;
  const std::size_t second = base.find("evil") - kNameAt;
  ASSERT_EQ(base.substr(first + kNameAt, 4), "good");

  auto name = [&](std::string n) {
    return [n](std::string& a, std::size_t at) { a.replace(at + kNameAt, 4, n); Reseal(a, at); };
  };
  const struct {
    const char* what;
    std::function<void(std::string&, std::size_t)> change;
    int result;
  } cases[] = {
      {"parent folder", name("../x"), kUnlhaUnsafeEntry},
      {"absolute name", name("/tmp"), kUnlhaUnsafeEntry},
      {"backslash", name("a\\bc"), kUnlhaUnsafeEntry},
      {"link marker", name("x|yz"), kUnlhaUnsafeEntry},
      {"symbolic link", [](std::string& a, std::size_t at) {
         const std::size_t perm = a.find(std::string("\x50\xa4\x81", 3), at);  // mode 0100644
         a[perm + 2] = static_cast<char>(0xA1);                               // 0120644
         Reseal(a, at);
       }, kUnlhaUnsafeEntry},
      {"folder entry", [](std::string& a, std::size_t at) { a.replace(at + 2, 5, "-lhd-"); Reseal(a, at); },
       kUnlhaUnsafeEntry},
      {"damaged data", [](std::string& a, std::size_t at) {
         const std::size_t size = static_cast<unsigned char>(a[at]) | (static_cast<unsigned char>(a[at + 1]) << 8);
         a[at + size + 300] ^= 0x10;
       }, kUnlhaDamaged},
      {"damaged header", [](std::string& a, std::size_t at) { a[at + 16] ^= 1; }, kUnlhaDamaged},
      {"cut short", [](std::string& a, std::size_t) { a.resize(a.size() - 2000); }, kUnlhaDamaged},
      {"cut after an entry", [](std::string& a, std::size_t) { a.pop_back(); }, kUnlhaDamaged},
  };
  for (const auto& c : cases) {
    TempDir work;
    std::string bytes = base;
    c.change(bytes, second);
    const std::string archive = work.Write("in/x.lzh", bytes);
    fs::create_directories(work.Path() / "out/deeper");
    const int rc = Lha("e " + Q(archive) + " " + Q(work.Path() / "out/deeper/"));
    EXPECT_EQ(rc, c.result) << c.what;
    EXPECT_TRUE(Names(work.Path() / "out/deeper").empty()) << c.what;  // not even the good entry
    EXPECT_EQ(Names(work.Path() / "out"), std::vector<std::string>{"deeper"}) << c.what;
    EXPECT_FALSE(UnlhaCheckArchive(archive.c_str(), 2)) << c.what;
  }
  // The untouched pair extracts both.
  fs::create_directory(dir.Path() / "out");
  ASSERT_EQ(Lha("e " + Q(pair) + " " + Q(dir.Path() / "out/")), 0);
  EXPECT_EQ(Names(dir.Path() / "out").size(), 2u);
}

TEST(CommArchive, CommandLinesAndSourcesItRefuses) {
  TempDir dir;
  const std::string file = dir.Write("f.txt", "data");
  char output[64] = "unchanged";
  const struct {
    std::string command;
    int result;
  } cases[] = {
      {"", kUnlhaBadCommand},
      {"x " + Q(dir.Path() / "a.lzh") + " " + Q(file), kUnlhaBadCommand},
      {"a " + Q(dir.Path() / "a.lzh"), kUnlhaBadCommand},
      {"a " + Q(dir.Path() / "a.lzh") + " \"" + file, kUnlhaBadCommand},  // quote not closed
      {"a " + Q(dir.Path() / "a.lzh") + " " + Q(dir.Path() / "missing"), kUnlhaSourceUnreadable},
      {"a " + Q(dir.Path() / "nofolder/a.lzh") + " " + Q(file), kUnlhaArchiveNotWritten},
      {"e " + Q(dir.Path() / "missing.lzh") + " " + Q(dir.Path()), kUnlhaSourceUnreadable},
      {"e " + Q(file) + " " + Q(dir.Path()), kUnlhaDamaged},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Unlha(nullptr, c.command.c_str(), output, sizeof output), c.result) << c.command;
    EXPECT_NE(std::string(output), "unchanged") << c.command;
  }
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"f.txt"});  // no archive, no leftovers
  EXPECT_FALSE(UnlhaCheckArchive(file.c_str(), 2));
  EXPECT_TRUE(LoadArchiver().Loaded());
}
