#pragma once
// One FTP session for the archive transfers: passive mode, binary transfers, one login kept
// for every operation of the session. Paths beginning with "/" are taken from the server's
// root ("/01/qvacc.wen"), others from the login folder ("./01/qvacc.zip"); the session never
// changes folder, so the two kinds mean the same thing in every operation.
//
// The user and password go to the server as they are (a ":" or "@" in the password is fine);
// they are never part of a URL, a message or a log.
#include <cstdint>
#include <string>

#include "comm/CommConfig.h"
#include "comm/CurlSupport.h"

class TFtpSession {
 public:
  // The FTP server `host` on the configured FTP port (config.FtpPort); time-outs from config.
  TFtpSession(const TCommConfig& config, std::string host, std::string user, std::string password);
  ~TFtpSession();
  TFtpSession(const TFtpSession&) = delete;
  TFtpSession& operator=(const TFtpSession&) = delete;

  // Size of the remote file in bytes; -1 when it does not exist or the size cannot be had.
  std::int64_t Size(const std::string& path);
  bool Rename(const std::string& from, const std::string& to);
  bool Delete(const std::string& path);
  // Uploads the local file to the remote path (replacing a file of that name).
  bool Store(const std::string& localFile, const std::string& remotePath);
  // Downloads the remote file; the local file appears only complete (temporary name, renamed).
  bool Retrieve(const std::string& remotePath, const std::string& localFile);
  // Ends the session (QUIT); later operations log in again.
  void Close();
  // Connects and logs in, nothing more; false when the server or the login refuses.
  bool Login();
  // True when the server lets us into the folder; the session stays in its login folder.
  bool CanEnter(const std::string& folder);

  // Why the last operation failed (libcurl's text; never the URL or credentials).
  const std::string& LastError() const { return lastError_; }

 private:
  bool Prepare(const std::string& path);
  bool Finish(CURLcode rc);
  bool Command(const std::string& first, const std::string& second);

  TCommConfig config_;
  std::string host_;
  std::string user_;
  std::string password_;
  CurlEasy easy_;
  std::string lastError_;
  std::string entryPath_;  // the login folder as the server named it
};
