#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/NamedLock.h"
#include "support/TempDir.h"

namespace {

// Runs `body` in a forked child and returns its exit code (the child never returns to gtest).
int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

class NamedLockTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("RENDO_RUNTIME_DIR", dir.Str().c_str(), 1); }
  void TearDown() override { unsetenv("RENDO_RUNTIME_DIR"); }
  TempDir dir;
};

TEST_F(NamedLockTest, AnotherProcessCannotTakeAHeldLock) {
  NamedLock mine("SORAVIN_RENDO");
  EXPECT_FALSE(NamedLock::Exists("SORAVIN_RENDO"));
  ASSERT_TRUE(mine.TryTake());
  EXPECT_TRUE(NamedLock::Exists("SORAVIN_RENDO"));

  // 0: refused and seen as existing; 1: taken in spite of our lock.
  const auto tryInChild = [] {
    NamedLock other("SORAVIN_RENDO");
    if (other.TryTake()) return 1;
    return NamedLock::Exists("SORAVIN_RENDO") ? 0 : 2;
  };
  EXPECT_EQ(InChild(tryInChild), 0);
  NamedLock sameProcess("SORAVIN_RENDO");
  EXPECT_FALSE(sameProcess.TryTake());
  EXPECT_FALSE(NamedLock::Exists("LOMATRA000"));  // other names are independent

  mine.Release();
  EXPECT_FALSE(NamedLock::Exists("SORAVIN_RENDO"));
  EXPECT_EQ(InChild(tryInChild), 1);
  EXPECT_FALSE(NamedLock::Exists("SORAVIN_RENDO"));  // the child ended without releasing
  EXPECT_TRUE(mine.TryTake());
}

TEST_F(NamedLockTest, EndOfTheHoldingProcessReleases) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    NamedLock lock("LOMATRA_TOOLS");
    const char ok = lock.TryTake() ? 'y' : 'n';
    if (write(ready[1], &ok, 1) != 1) _exit(1);
    pause();  // killed by the test
    _exit(0);
  }
  close(ready[1]);
  char got = 0;
  ASSERT_EQ(read(ready[0], &got, 1), 1);
  close(ready[0]);
  ASSERT_EQ(got, 'y');

  EXPECT_TRUE(NamedLock::Exists("LOMATRA_TOOLS"));
  NamedLock mine("LOMATRA_TOOLS");
  EXPECT_FALSE(mine.TryTake());

  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_FALSE(NamedLock::Exists("LOMATRA_TOOLS"));
  EXPECT_TRUE(mine.TryTake());  // the file the dead holder left behind is reused
}

TEST_F(NamedLockTest, LooksWithoutLeavingFilesAndEncodesAwkwardNames) {
  EXPECT_FALSE(NamedLock::Exists("LOMATRA000"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

  const std::string awkward = "Global\\a/b:c*%ä";
  const std::string path = NamedLock::PathFor(awkward);
  EXPECT_EQ(std::filesystem::path(path).parent_path(), dir.Path());
  EXPECT_EQ(std::filesystem::path(path).filename(), "rendo-mutex-Global%5Ca%2Fb%3Ac%2A%25%C3%A4");
  EXPECT_NE(NamedLock::PathFor("abc"), NamedLock::PathFor("ABC"));  // names are case-sensitive
  EXPECT_LT(std::filesystem::path(NamedLock::PathFor(std::string(300, '/'))).filename().string().size(), 255u);

  NamedLock lock(awkward);
  ASSERT_TRUE(lock.TryTake());
  EXPECT_TRUE(NamedLock::Exists(awkward));
  lock.Release();
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));  // a release removes the file
}

}  // namespace
