#pragma once
// The database error. Every failure of the database layer raises it: errors of the engine
// carry the engine's status code, SQL code and message; failures found by the layer itself
// (no connection, no active transaction, an unknown field) carry code 0.
#include <initializer_list>
#include <stdexcept>
#include <algorithm>
#include <string>
#include <vector>

class EIBError : public std::runtime_error {
 public:
  EIBError(int ibErrorCode, int sqlCode, const std::string& message)
      : std::runtime_error(message), IBErrorCode(ibErrorCode), SQLCode(sqlCode), Message(message) {}
  // A failure found by the layer itself.
  explicit EIBError(const std::string& message) : EIBError(0, 0, message) {}

  int IBErrorCode;      // Firebird status code of the first error (335544344 = I/O error ...)
  int SQLCode;          // SQL code of the status (-901 ...)
  std::string Message;  // the engine's message text, UTF-8, lines separated by "\n"
  // Every status code of the engine's error in order, IBErrorCode first (the later ones say
  // more, e.g. why an I/O error happened); empty for failures found by the layer itself.
  std::vector<int> StatusCodes;

  bool HasStatusCode(int code) const {
    return std::find(StatusCodes.begin(), StatusCodes.end(), code) != StatusCodes.end();
  }
};

namespace ibdb {

// The error the engine gives for the status codes, in order (the message is the client
// library's wording for them).
EIBError ErrorFromCodes(std::initializer_list<long> codes);

// Status codes this layer raises itself.
constexpr int kTransliterationFailed = 335544565;  // "Cannot transliterate character between character sets"
constexpr int kIoError = 335544344;
constexpr int kLockConflict = 335544345;
constexpr int kNetworkError = 335544721;
// After kIoError: the file is held by an engine of another configuration (another program).
constexpr int kAlreadyOpened = 335545107;

}  // namespace ibdb
