#pragma once
// Reporting of failures to the user: the database error reporter with its log, and the
// message boxes that the reporter and other modules share.
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "platform/db/IBError.h"

// One modal box of the given kind with an OK button: the message, and when the detail is not
// empty a blank line, the heading "[詳細情報]" and the detail below it. Nothing is shown when
// both texts are empty.
void ShowErrorDetail(const std::string& message, const std::string& detail, uis::MsgKind kind);

// One modal box of the given kind with an OK button, showing the parts of the message between
// its commas one per line. Used for messages that carry paths or lists.
void ShowMessageLines(const std::string& message, uis::MsgKind kind);

// Reports a database error: two lines to ErrFbAccess.log (appended) and ErrFbAccess.txt
// (rewritten) in SystemDef.LogDir, then the message with a detail block naming the error code.
//   - context: "Class.Method" of the failed operation (written to the log only);
//   - message: what the user is told; empty shows nothing (unless the program must end);
//   - reconnect: a lost network connection (335544721) may be repaired by reconnecting both
//     databases; the connect operations themselves pass false.
// The engine's internal consistency error (335544333), and a reconnect that fails, end the
// program: the message is shown, the program-end hook runs (without one the UI is asked to
// quit), and every later report is silent.
// The log folder is created when missing; when the log still cannot be written the user is
// told all the same. Never throws.
void ReportDbError(const EIBError& error, const std::string& context, const std::string& message, bool reconnect);

// Appends each line followed by CR LF (Shift-JIS) to the file, creating it when missing.
// False when the file cannot be written.
bool AppendLinesToLog(const std::string& path, const std::vector<std::string>& lines);

// Reports a failed operation, whatever failed: a database error through ReportDbError, any
// other error as the message with the error's text as the detail (ShowErrorDetail, kind Error).
void ReportFailure(const std::exception& error, const std::string& context, const std::string& message,
                   bool reconnect = true);

// Installed by the application: ends the program after a fatal database error. Without it the
// reporter asks the UI to quit (uis::Ui().RequestQuit()).
extern std::function<void()> ProgramEndHook;

// True once the reporter has decided that the program ends.
bool DbErrorTerminating();
// Clears that decision. Only tests do this; the program never goes back.
void ResetDbErrorTerminating();
