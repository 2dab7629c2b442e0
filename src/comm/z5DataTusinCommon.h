#pragma once
// Small pieces the module's chains share: the message calls in the module's button sets and
// the name of an exception's class for the chains' error box.
#include <exception>
#include <functional>
#include <string>

#include "comm/CommConfig.h"
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

// How an archive's upload into a relay folder ended.
enum class TRelayUpload { Stored, NoConnection, NoFolder, Failed, SizeMismatch };

// Uploads the local file as "qvacc.wen" of relay folder `folderNo` ("/01".."/10"). A file
// already there is moved aside as "qvacc.wenbak" (a stale one deleted first) and stays there
// after a good upload; when the upload fails or the server's size differs from the local
// size, the partial file is deleted and the previous one put back. `afterStore` runs between
// the transfer and the size check (the chains' step pause).
TRelayUpload UploadToRelayFolder(const TCommConfig& config, const std::string& host, const std::string& user,
                                 const std::string& password, const std::string& localFile, int folderNo,
                                 const std::function<void()>& afterStore);
// Shows the chains' message for a failed upload (nothing for Stored).
void SayUploadFailure(TRelayUpload result);
