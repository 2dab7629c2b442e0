#include "platform/CallerChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>
#include <thread>

#include "platform/NamedLock.h"

namespace {

constexpr std::string_view kKindWords[] = {"DISABLE", "FOREGROUND", "ENABLE", "POST"};

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool Send(int64_t callerId, const CallerMessage& message) {
  if (callerId == 0) return false;
  sockaddr_un addr;
  if (!FillAddress(CallerSocketPath(callerId), addr)) return false;
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const std::string text = FormatCallerMessage(message);
  bool sent = false;
  // A caller that is slow to read may have a full queue for a moment; the final POST carries
  // the result, so give it a short while instead of dropping it, but never hang on a caller
  // that stopped reading.
  for (int attempt = 0; attempt < 200; ++attempt) {
    const ssize_t n = sendto(fd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    if (n == static_cast<ssize_t>(text.size())) {
      sent = true;
      break;
    }
    if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) break;
    if (errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  close(fd);
  return sent;
}

std::optional<int64_t> ReadInteger(std::string_view& rest) {
  if (rest.empty() || rest.front() != ' ') return std::nullopt;
  rest.remove_prefix(1);
  int64_t value = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (ec != std::errc() || end == rest.data()) return std::nullopt;
  rest.remove_prefix(static_cast<size_t>(end - rest.data()));
  return value;
}

}  // namespace

std::string CallerSocketPath(int64_t callerId) {
  const std::string dir = RuntimeDir();
  if (dir.empty()) return {};
  return dir + "/rendo-caller-" + std::to_string(callerId) + ".sock";
}

std::string FormatCallerMessage(const CallerMessage& message) {
  std::string text(kKindWords[static_cast<int>(message.kind)]);
  for (int64_t v : {message.message, message.wparam, message.lparam}) text += ' ' + std::to_string(v);
  return text + '\n';
}

std::optional<CallerMessage> ParseCallerMessage(std::string_view datagram) {
  if (!datagram.empty() && datagram.back() == '\n') datagram.remove_suffix(1);
  const size_t blank = datagram.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  CallerMessage out;
  const std::string_view word = datagram.substr(0, blank);
  bool known = false;
  for (int k = 0; k < 4; ++k) {
    if (word == kKindWords[k]) {
      out.kind = static_cast<CallerRequest>(k);
      known = true;
    }
  }
  if (!known) return std::nullopt;
  std::string_view rest = datagram.substr(blank);
  const auto m = ReadInteger(rest), w = ReadInteger(rest), l = ReadInteger(rest);
  if (!m || !w || !l || !rest.empty()) return std::nullopt;
  out.message = *m;
  out.wparam = *w;
  out.lparam = *l;
  return out;
}

bool DisableCaller(int64_t callerId) { return Send(callerId, {CallerRequest::Disable}); }
bool ForegroundCaller(int64_t callerId) { return Send(callerId, {CallerRequest::Foreground}); }
bool EnableCaller(int64_t callerId) { return Send(callerId, {CallerRequest::Enable}); }
bool PostToCaller(int64_t callerId, int64_t message, int64_t wparam, int64_t lparam) {
  return Send(callerId, {CallerRequest::Post, message, wparam, lparam});
}

CallerListener::CallerListener(int64_t callerId) : path_(CallerSocketPath(callerId)) {
  sockaddr_un addr;
  if (!FillAddress(path_, addr))
    throw std::system_error(ENAMETOOLONG, std::generic_category(), "caller socket path");
  fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "caller socket");
  auto bindIt = [&] { return bind(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0; };
  bool bound = bindIt();
  int err = errno;
  if (!bound && err == EADDRINUSE) {
    // A socket file whose listener died refuses connections; a live one accepts them.
    const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool stale = probe >= 0 &&
                       connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 &&
                       errno == ECONNREFUSED;
    if (probe >= 0) close(probe);
    if (stale && unlink(path_.c_str()) == 0) {
      bound = bindIt();
      err = errno;
    }
  }
  if (!bound) {
    close(fd_);
    fd_ = -1;
    throw std::system_error(err, std::generic_category(), "bind " + path_);
  }
}

CallerListener::~CallerListener() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(path_.c_str());
  }
}

std::optional<CallerMessage> CallerListener::Receive(std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    char buf[256];
    const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT | MSG_TRUNC);
    if (n >= 0) {
      if (static_cast<size_t>(n) > sizeof buf) continue;  // too long to be ours
      if (auto message = ParseCallerMessage(std::string_view(buf, static_cast<size_t>(n))))
        return message;
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return std::nullopt;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    poll(&p, 1, static_cast<int>(left.count()));
  }
}
