#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileReplace.h"
#include "support/ReplaceWatch.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using filereplace::Result;
using filereplace::Stage;
using filereplace::Step;

namespace {

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `f` in a forked child and hands its result back: for limits that must not touch this process.
Result InChild(const std::function<Result()>& f) {
  int p[2];
  if (pipe(p) != 0) return {-1, Step::None};
  const pid_t pid = fork();
  if (pid == 0) {
    close(p[0]);
    const Result r = f();
    _exit(write(p[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r) ? 0 : 1);
  }
  close(p[1]);
  Result r{-1, Step::None};
  if (pid < 0 || read(p[0], &r, sizeof r) != static_cast<ssize_t>(sizeof r)) r = {-1, Step::None};
  close(p[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return r;
}

}  // namespace

TEST(FileReplace, ReplacesWholeKeepsPermissionsAndTakesAnyValidName) {
  TempDir dir;
  const std::string target = dir.Write("data.bin", "old content, longer than the new");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_TRUE(filereplace::Replace(target, "new"));
  EXPECT_EQ(TempDir::Read(target), "new");
  EXPECT_EQ(ModeOf(target), 0640u);

  filereplace::Options readOnly;
  readOnly.mode = 0444;
  ASSERT_TRUE(filereplace::Replace(target, "given mode", readOnly));
  ASSERT_TRUE(filereplace::Replace(target, "read-only target"));  // the target's mode is no obstacle
  EXPECT_EQ(TempDir::Read(target), "read-only target");
  EXPECT_EQ(ModeOf(target), 0444u);

  // A new file gets 0666 less the umask.
  const std::string fresh = dir.Str() + "/fresh.txt";
  const mode_t mask = umask(027);
  const bool created = static_cast<bool>(filereplace::Replace(fresh, ""));
  umask(mask);
  ASSERT_TRUE(created);
  EXPECT_EQ(TempDir::Read(fresh), "");
  EXPECT_EQ(ModeOf(fresh), 0640u);

  // The temporary name does not grow with the target's: the longest names can be written.
  for (const std::size_t length : {250u, 255u}) {
    const std::string name(length, 'n');
    ASSERT_TRUE(filereplace::Replace(dir.Str() + "/" + name, "long")) << length;
    EXPECT_EQ(TempDir::Read(dir.Path() / name), "long");
  }
  EXPECT_EQ(Names(dir.Path()).size(), 4u) << "no temporary file is left";
}

TEST(FileReplace, AFailedReplacementLeavesTheTargetUntouchedAndNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.Write("data.bin", "old");
  ASSERT_EQ(chmod(target.c_str(), 0604), 0);
  fs::create_directory(dir.Path() / "taken");
  const std::vector<std::string> before = Names(dir.Path());

  struct Case {
    const char* what;
    std::string target;
    std::function<Result(const std::string&)> run;
    Step step;
    int error;
  };
  const Case cases[] = {
      {"the content fails half way", target,
       [](const std::string& t) {
         return filereplace::Replace(t, [](filereplace::Sink& out) {
           out.Write("partial");
           return EIO;
         });
       },
       Step::Write, EIO},
      {"the content throws", target,
       [](const std::string& t) {
         try {
           filereplace::Replace(t, [](filereplace::Sink& out) -> int {
             out.Write("partial");
             throw std::runtime_error("no more data");
           });
         } catch (const std::runtime_error&) {
           return Result{ECANCELED, Step::Write};  // passed on
         }
         return Result{};
       },
       Step::Write, ECANCELED},
      {"the disk takes no more", target,
       [](const std::string& t) {
         return InChild([&] {
           const rlimit limit{16, 16};
           setrlimit(RLIMIT_FSIZE, &limit);
           signal(SIGXFSZ, SIG_IGN);
           return filereplace::Replace(t, std::string(4096, 'x'));
         });
       },
       Step::Write, EFBIG},
      {"a folder stands under the name", dir.Str() + "/taken",
       [](const std::string& t) { return filereplace::Replace(t, "x"); }, Step::Replace, EISDIR},
      {"the name is too long", dir.Str() + "/" + std::string(256, 'n'),
       [](const std::string& t) { return filereplace::Replace(t, "x"); }, Step::Replace, ENAMETOOLONG},
      {"the folder is missing", dir.Str() + "/missing/x.bin",
       [](const std::string& t) { return filereplace::Replace(t, "x"); }, Step::Create, ENOENT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result r = c.run(c.target);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.step, c.step);
    EXPECT_EQ(TempDir::Read(target), "old");
    EXPECT_EQ(ModeOf(target), 0604u);
    EXPECT_EQ(Names(dir.Path()), before);
  }
}

TEST(FileReplace, AWriterKilledAnywhereLeavesOneWholeFileAndTheNextWriteClearsUp) {
  struct Case {
    Stage stage;
    bool replaced;
  };
  const Case cases[] = {
      {Stage::TempCreated, false}, {Stage::PartWritten, false}, {Stage::Synced, false}, {Stage::Renamed, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stage));
    TempDir dir;
    const std::string target = dir.Write("settings.ini", "the old file, whole");
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    ASSERT_EQ(RunKilledAt(c.stage, [&] { filereplace::Replace(target, "the new file, whole"); }), ChildEnd::Killed);
    EXPECT_EQ(TempDir::Read(target), c.replaced ? "the new file, whole" : "the old file, whole");
    EXPECT_EQ(TemporaryFiles(dir.Path()).size(), c.replaced ? 0u : 1u);

    // Another target's write leaves the leftover; the next write of this one removes it.
    ASSERT_TRUE(filereplace::Replace(dir.Str() + "/other.ini", "other"));
    EXPECT_EQ(TemporaryFiles(dir.Path()).size(), c.replaced ? 0u : 1u);
    ASSERT_TRUE(filereplace::Replace(target, "next"));
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"other.ini", "settings.ini"}));
    EXPECT_EQ(ModeOf(target), 0600u);
  }
}

TEST(FileReplace, TwoWritersAtOnceLeaveEachOthersTemporaryFileAlone) {
  TempDir dir;
  const std::string target = dir.Write("shared.ini", "old");
  int reached[2], release[2];
  ASSERT_EQ(pipe(reached), 0);
  ASSERT_EQ(pipe(release), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The child stops half way through its write until the parent lets it go on.
    filereplace::SetStageHook([&](Stage stage, const std::string&) {
      char c = 'r';
      if (stage == Stage::PartWritten && write(reached[1], &c, 1) == 1) (void)!read(release[0], &c, 1);
    });
    _exit(filereplace::Replace(target, "from the child") ? 0 : 1);
  }
  char c = 0;
  ASSERT_EQ(read(reached[0], &c, 1), 1);
  ASSERT_EQ(TemporaryFiles(dir.Path()).size(), 1u);

  ASSERT_TRUE(filereplace::Replace(target, "from the parent"));
  EXPECT_EQ(TempDir::Read(target), "from the parent");
  EXPECT_EQ(TemporaryFiles(dir.Path()).size(), 1u) << "the live writer's file is not taken for a leftover";

  ASSERT_EQ(write(release[1], "g", 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(TempDir::Read(target), "from the child");
  EXPECT_TRUE(TemporaryFiles(dir.Path()).empty());
  for (int fd : {reached[0], reached[1], release[0], release[1]}) close(fd);
}
