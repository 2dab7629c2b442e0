#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/Process.h"
#include "support/TempDir.h"

namespace {

using namespace std::chrono_literals;

ProcessResult Shell(const std::string& script, ProcessOptions options = {}) {
  options.argv = {"/bin/sh", "-c", script};
  return RunProcess(options);
}

TEST(Process, CapturesBothStreamsAndTheExitCode) {
  const auto r = Shell("echo out; echo err >&2; printf 'more'; exit 3");
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_EQ(r.out, "out\nmore");
  EXPECT_EQ(r.err, "err\n");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.signal, 0);
  EXPECT_FALSE(r.Ok());
  EXPECT_TRUE(Shell("exit 0").Ok());

  // More than a pipe holds, so the child only finishes while we read.
  const auto big = Shell("head -c 300000 /dev/zero");
  EXPECT_TRUE(big.Ok());
  EXPECT_EQ(big.out.size(), 300000u);
}

TEST(Process, PassesArgumentsEnvironmentAndFolderAsGiven) {
  TempDir dir;
  setenv("RENDO_PROCESS_TEST", "inherited", 1);
  setenv("RENDO_PROCESS_KEEP", "kept", 1);
  ProcessOptions options;
  // No shell on our side: blanks, quotes and "$" reach the program untouched.
  options.argv = {"printf", "[%s]", "a b", "\"q\" 'x'", "$HOME", ""};
  auto r = RunProcess(options);
  EXPECT_EQ(r.out, "[a b][\"q\" 'x'][$HOME][]");

  options = {};
  options.env = {{"ISC_USER", "SYSDBA"}, {"ISC_PASSWORD", "p w;$x"}, {"RENDO_PROCESS_TEST", "over"}};
  options.workDir = dir.Str();
  r = Shell("printf '%s|%s|%s|%s|%s' \"$ISC_USER\" \"$ISC_PASSWORD\" \"$RENDO_PROCESS_TEST\" "
            "\"$RENDO_PROCESS_KEEP\" \"$(pwd -P)\"",
            options);
  EXPECT_EQ(r.out, "SYSDBA|p w;$x|over|kept|" + std::filesystem::canonical(dir.Path()).string());
  unsetenv("RENDO_PROCESS_TEST");
  unsetenv("RENDO_PROCESS_KEEP");
}

TEST(Process, WritesOutputToAFile) {
  TempDir dir;
  const std::string log = dir.Write("gbak.log", "old content that must go");
  ProcessOptions options;
  options.stdoutFile = log;
  options.stderrFile = log;
  const auto r = Shell("echo one; echo two >&2; echo three", options);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(TempDir::Read(log), "one\ntwo\nthree\n");
}

TEST(Process, TimeOutKillsTheChildWhileTheCallerKeepsWorking) {
  ProcessOptions options;
  options.timeout = 300ms;
  int calls = 0;
  options.whileWaiting = [&] { ++calls; };
  const auto r = Shell("echo started; sleep 30", options);
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.signal, SIGKILL);
  EXPECT_EQ(r.out, "started\n");
  EXPECT_GT(calls, 3);
  EXPECT_FALSE(r.Ok());
}

TEST(Process, ReportsAProgramThatCannotStart) {
  for (const char* program : {"/nonexistent/gbak", "rendo-no-such-program"}) {
    ProcessOptions options;
    options.argv = {program, "-b"};
    const auto r = RunProcess(options);
    EXPECT_FALSE(r.started) << program;
    EXPECT_NE(r.error.find(std::strerror(ENOENT)), std::string::npos) << r.error;
  }
  ProcessOptions options;
  options.argv = {"/bin/true"};
  options.workDir = "/nonexistent-folder";
  EXPECT_FALSE(RunProcess(options).started);
}

TEST(Process, LeavesNoZombieAndNoDescriptorBehind) {
  // A descriptor of ours without close-on-exec, as a careless library would leave one.
  const int leaked = open("/dev/null", O_RDONLY);
  ASSERT_GE(leaked, 3);
  const auto r = Shell("ls /proc/$$/fd");
  EXPECT_EQ(r.out, "0\n1\n2\n");
  close(leaked);

  // The caller's wait ends with an exception: the child is killed and reaped all the same.
  ProcessOptions options;
  options.whileWaiting = [] { throw std::runtime_error("cancelled"); };
  EXPECT_THROW(Shell("sleep 30", options), std::runtime_error);
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
