#include "support/ForeignHolder.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/db/FbEnvironment.h"
#include "support/BuiltPrograms.h"

ForeignHolder::ForeignHolder(const std::filesystem::path& database) {
  fbenv::RootLayout layout;  // no settings of ours: the installed, exclusive server mode
  layout.root = (dir_.Path() / "firebird").string();
  const std::string root = fbenv::BuildRoot(layout);

  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("ForeignHolder: no pipe");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::runtime_error("ForeignHolder: no pipe");
  }
  const std::string file = database.string();
  const std::string helper = BuiltProgram("db_hold").string();
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(out[1], 2);
    execl(helper.c_str(), "db_hold", root.c_str(), file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  if (pid_ < 0) {
    close(out[0]);
    close(input_);
    throw std::runtime_error("ForeignHolder: fork failed");
  }

  // Everything it says until "held", or until it ends.
  std::string said;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (said.find("held\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[512];
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n <= 0) break;
    said.append(buf, static_cast<size_t>(n));
  }
  close(out[0]);
  if (said.find("held\n") == std::string::npos) {
    close(input_);
    input_ = -1;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    throw std::runtime_error("ForeignHolder: the helper did not hold " + file + ": " + said);
  }
}

ForeignHolder::~ForeignHolder() {
  if (input_ >= 0) close(input_);
  if (pid_ <= 0) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
    poll(nullptr, 0, 20);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}
