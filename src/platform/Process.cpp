#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/db/FbEnvironment.h"

extern char** environ;

namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// Kills and reaps a child that is still running when the wait is left early (an exception from
// the while-waiting callback), so no process and no zombie outlive the call.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Reap(0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  pid_t Pid() const { return pid_; }
  // waitpid with `flags`; true when the child has ended and was reaped.
  bool Reap(int flags) {
    for (;;) {
      const pid_t r = waitpid(pid_, &status_, flags);
      if (r == pid_) {
        pid_ = -1;
        return true;
      }
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) {  // someone else reaped it (ECHILD): it has ended, status unknown
        pid_ = -1;
        status_ = -1;
        return true;
      }
      return false;
    }
  }
  int Status() const { return status_; }

 private:
  pid_t pid_;
  int status_ = 0;
};

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
};

std::vector<std::string> BuildEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry = *e;
    const size_t eq = entry.find('=');
    if (extra.count(entry.substr(0, eq))) continue;
    env.push_back(entry);
  }
  for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (auto& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

// Reads what is there without blocking; false once the writing end is closed.
bool Drain(int fd, std::string& into) {
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

std::string Failure(const std::string& what, int err) { return what + ": " + std::strerror(err); }

}  // namespace

ProcessResult RunProcess(const ProcessOptions& options) {
  ProcessResult result;
  if (options.argv.empty() || options.argv[0].empty()) {
    result.error = "no program given";
    return result;
  }
  const std::string& program = options.argv[0];
  if (!options.workDir.empty()) {
    struct stat st {};
    const int err = stat(options.workDir.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (err != 0) {
      result.error = Failure(options.workDir, err);
      return result;
    }
  }

  // Our ends of the pipes, and the child's ends (or the output files).
  Fd outRead, errRead, outWrite, errWrite;
  auto openTarget = [&](const std::string& file, Fd& read, Fd& write) -> bool {
    if (!file.empty()) {
      write.Reset(open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
      if (!write.Valid()) result.error = Failure(file, errno);
      return write.Valid();
    }
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0) {
      result.error = Failure("pipe", errno);
      return false;
    }
    read.Reset(p[0]);
    write.Reset(p[1]);
    fcntl(read.Get(), F_SETFL, O_NONBLOCK);
    return true;
  };
  if (!openTarget(options.stdoutFile, outRead, outWrite)) return result;
  const bool sharedFile = !options.stdoutFile.empty() && options.stderrFile == options.stdoutFile;
  if (!sharedFile && !openTarget(options.stderrFile, errRead, errWrite)) return result;
  const int childErr = sharedFile ? outWrite.Get() : errWrite.Get();

  SpawnSetup spawn;
  posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&spawn.actions, outWrite.Get(), 1);
  posix_spawn_file_actions_adddup2(&spawn.actions, childErr, 2);
  if (!options.workDir.empty())
    posix_spawn_file_actions_addchdir_np(&spawn.actions, options.workDir.c_str());
  // Descriptors opened by libraries without close-on-exec must not reach the child either.
  posix_spawn_file_actions_addclosefrom_np(&spawn.actions, 3);
  // The child starts with default signal handling and nothing blocked, whatever we ignore
  // (a broken pipe) or block ourselves.
  sigset_t all, none;
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&spawn.attr, &all);
  posix_spawnattr_setsigmask(&spawn.attr, &none);
  posix_spawnattr_setflags(&spawn.attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::vector<std::string> args = options.argv;
  // A child that opens our databases (gbak, isql) must run from the same engine settings and
  // lock folder as we do; they reach it through the environment. A child that does not use
  // the engine is started all the same when they cannot be prepared.
  fbenv::TryPrepare();
  std::vector<std::string> env = BuildEnvironment(options.env);
  std::vector<char*> argp = Pointers(args), envp = Pointers(env);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, program.c_str(), &spawn.actions, &spawn.attr, argp.data(), envp.data());
  if (rc != 0) {
    result.error = Failure(program, rc);
    return result;
  }
  result.started = true;
  Child child(pid);
  // Only the child may hold the writing ends now, so end of file means the child closed them.
  outWrite.Reset();
  errWrite.Reset();

  using Clock = std::chrono::steady_clock;
  const auto step = std::max(options.waitStep, std::chrono::milliseconds(1));
  const auto deadline = Clock::now() + options.timeout;
  auto nextCall = Clock::now() + step;
  bool ended = false;
  while (!ended) {
    auto wait = step;
    if (options.timeout.count() > 0)
      wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()) +
                                std::chrono::milliseconds(1));
    pollfd fds[2];
    nfds_t count = 0;
    for (Fd* f : {&outRead, &errRead})
      if (f->Valid()) fds[count++] = pollfd{f->Get(), POLLIN, 0};
    poll(fds, count, static_cast<int>(std::max<long long>(wait.count(), 0)));
    if (outRead.Valid() && !Drain(outRead.Get(), result.out)) outRead.Reset();
    if (errRead.Valid() && !Drain(errRead.Get(), result.err)) errRead.Reset();

    if (child.Reap(WNOHANG)) {
      ended = true;
    } else if (options.timeout.count() > 0 && Clock::now() >= deadline) {
      kill(child.Pid(), SIGKILL);
      child.Reap(0);
      result.timedOut = true;
      ended = true;
    } else if (options.whileWaiting && Clock::now() >= nextCall) {
      options.whileWaiting();
      nextCall = Clock::now() + step;
    }
  }
  // What the child wrote just before it ended; a grandchild that kept the pipe open is not
  // waited for.
  if (outRead.Valid()) Drain(outRead.Get(), result.out);
  if (errRead.Valid()) Drain(errRead.Get(), result.err);

  const int status = child.Status();
  if (status == -1) {
    result.exitCode = -1;
  } else if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}
