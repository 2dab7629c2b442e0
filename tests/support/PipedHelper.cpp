#include "support/PipedHelper.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

void PipedHelper::Start(const std::vector<std::string>& argv, const std::string& stderrFile) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("PipedHelper: no pipe");
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    throw std::runtime_error("PipedHelper: no pipe");
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    dup2(in[0], 0);
    dup2(out[1], 1);
    const int err = stderrFile.empty() ? out[1] : open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err >= 0) dup2(err, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  output_ = out[0];
  if (pid_ < 0) {
    close(output_);
    close(input_);
    output_ = input_ = -1;
    throw std::runtime_error("PipedHelper: fork failed");
  }
}

std::string PipedHelper::ReadUntil(const std::string& marker, std::chrono::seconds limit) {
  std::string said;
  if (output_ < 0) return said;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (said.find(marker) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{output_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buf[512];
    const ssize_t n = read(output_, buf, sizeof buf);
    if (n <= 0) break;
    said.append(buf, static_cast<size_t>(n));
  }
  close(output_);
  output_ = -1;
  return said;
}

void PipedHelper::Stop(std::chrono::seconds grace) {
  if (output_ >= 0) close(output_);
  output_ = -1;
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ <= 0) return;
  const auto deadline = std::chrono::steady_clock::now() + grace;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    poll(nullptr, 0, 20);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}
