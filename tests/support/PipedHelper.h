#pragma once
// A helper program the tests talk to through two pipes: it reads our end of its standard
// input (closing it tells the helper to end) and announces on its standard output that it is
// ready. Started with PR_SET_PDEATHSIG, so a crashed test never leaves it behind.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class PipedHelper {
 public:
  PipedHelper() = default;
  ~PipedHelper() { Stop(std::chrono::seconds(5)); }
  PipedHelper(const PipedHelper&) = delete;
  PipedHelper& operator=(const PipedHelper&) = delete;

  // Starts argv[0] (a path) with argv. Standard error goes to `stderrFile` (created, 0600) when
  // given, else to the standard output pipe. Throws std::runtime_error when it cannot start.
  void Start(const std::vector<std::string>& argv, const std::string& stderrFile = {});

  // Everything the helper says until `marker` has appeared, it closes its output or `limit`
  // passes. Reads only once: the output pipe is closed afterwards.
  std::string ReadUntil(const std::string& marker, std::chrono::seconds limit);

  // Closes its input and waits up to `grace` for it to end; kills it after that.
  void Stop(std::chrono::seconds grace);

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
};
