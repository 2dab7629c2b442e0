#pragma once
// Runs an outside program (gbak, isql) and waits for it. The arguments go straight to the
// program, never through a shell, so file names need no quoting; secrets go in the
// environment, never in the arguments, where every local user could read them.
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct ProcessOptions {
  // argv[0] is the program: a path, or a bare name looked up in our PATH.
  std::vector<std::string> argv;
  // Added to the environment we pass on, replacing a variable of the same name.
  std::map<std::string, std::string> env;
  // The child's working folder; empty = ours.
  std::string workDir;
  // When set, the stream goes to that file (created or truncated) instead of being captured.
  // The same path for both gives one file with both streams in the order written.
  std::string stdoutFile;
  std::string stderrFile;
  // The child is killed (SIGKILL) when it runs longer; zero = no limit.
  std::chrono::milliseconds timeout{0};
  // Called about every `waitStep` while the child runs, e.g. to keep the GUI responsive.
  // An exception from it kills the child and passes on.
  std::function<void()> whileWaiting;
  std::chrono::milliseconds waitStep{10};
};

struct ProcessResult {
  bool started = false;   // false: the program could not be started; `error` says why
  std::string error;
  int exitCode = -1;      // the exit status when the child ended normally
  int signal = 0;         // the signal that ended it, 0 when it exited normally
  bool timedOut = false;  // killed because the time-out passed
  std::string out;        // captured standard output (empty when it went to a file)
  std::string err;        // captured standard error

  // Ran to its end on its own and reported success.
  bool Ok() const { return started && !timedOut && signal == 0 && exitCode == 0; }
};

// Starts the program with standard input from /dev/null and no file descriptor of ours but
// the three streams, and waits until it has ended and is reaped.
ProcessResult RunProcess(const ProcessOptions& options);
