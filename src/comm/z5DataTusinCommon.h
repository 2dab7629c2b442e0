#pragma once
// Small pieces the module's chains share: the message calls in the module's button sets and
// the name of an exception's class for the chains' error box.
#include <exception>
#include <string>

#include "platform/UiServices.h"

namespace commmsg {

// A message with one button (はい: Buttons::Yes; OK: Buttons::Ok).
void Say(uis::MsgKind kind, const std::string& text, uis::Buttons buttons);
// A yes/no question; true for yes.
bool Ask(const std::string& text);
// The class name of the exception, as the error box names it ("ECipherError").
std::string ExceptionClassName(const std::exception& e);
// Deletes a local file when it is there; false when it stays.
bool RemoveIfPresent(const std::string& path);
// True when a local file (a path that may carry a drive letter) is there.
bool LocalExists(const std::string& path);
// A relay folder's number as its name on the server ("03").
std::string TwoDigits(int n);

}  // namespace commmsg

// True when an FTP operation failed because the server could not be reached or refused the
// login (libcurl's text of the failure, as TFtpSession::LastError gives it).
bool IsFtpConnectFailure(const std::string& error);
// The display form of a completion reply's time "yyyymmddhhnn" ("yyyy/mm/dd hh:nn", or the
// era date and "hh:nn" with the era-display setting).
std::string CommTimeDisplay(const std::string& wire);
