#pragma once
// The channel to the program that started us. A calling program hands over an integer caller
// id in place of a window; the id names a Unix datagram socket in the runtime folder,
// "<RuntimeDir()>/rendo-caller-<id>.sock", which the caller binds before it starts us.
//
// Each request is one datagram of ASCII text: a kind word and three decimal integers,
// separated by single blanks and ended by a line feed:
//   "DISABLE 0 0 0\n"  "FOREGROUND 0 0 0\n"  "ENABLE 0 0 0\n"  "POST <message> <wparam> <lparam>\n"
//
// Like posting to a window, sending never blocks and never fails loudly: a caller id of 0
// (started stand-alone), a socket that does not exist or a caller that went away are ignored.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class CallerRequest { Disable, Foreground, Enable, Post };

struct CallerMessage {
  CallerRequest kind = CallerRequest::Post;
  int64_t message = 0;
  int64_t wparam = 0;
  int64_t lparam = 0;
  bool operator==(const CallerMessage&) const = default;
};

// The socket path of a caller id (empty when the runtime folder is not usable).
std::string CallerSocketPath(int64_t callerId);

std::string FormatCallerMessage(const CallerMessage& message);
// Reads one datagram; nullopt when it is not in the format above.
std::optional<CallerMessage> ParseCallerMessage(std::string_view datagram);

// Each returns true when the datagram was handed to the caller's socket.
bool DisableCaller(int64_t callerId);
bool ForegroundCaller(int64_t callerId);
bool EnableCaller(int64_t callerId);
bool PostToCaller(int64_t callerId, int64_t message, int64_t wparam, int64_t lparam);

// The receiving end: binds the caller id's socket (replacing a stale one left by a caller that
// died) and hands out the requests in the order they were sent. Used by the test caller and
// the demo's caller. Throws std::system_error when the socket cannot be bound, among others
// when a live listener already has the id.
class CallerListener {
 public:
  explicit CallerListener(int64_t callerId);
  ~CallerListener();  // closes and removes the socket
  CallerListener(const CallerListener&) = delete;
  CallerListener& operator=(const CallerListener&) = delete;

  // The next request, waiting at most `timeout`; nullopt when none came. Datagrams that are
  // not in the format are skipped.
  std::optional<CallerMessage> Receive(std::chrono::milliseconds timeout);
  // The socket, for a caller that waits in its own event loop (readable = a request is there).
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};
