#pragma once
// The cloud analysis upload: writes the open company's data as a MySQL script, packs it into a
// password-protected zip, asks the cloud service for an FTP account, uploads the archive into the
// data set's numbered folder and reports the upload. One object serves one upload.
//
// UploadDump returns a three-digit status: "000" success, 8xx failures of the upload's own
// steps, 0xx and 9xx codes of the service (the empty text when the service's reply has none).
// StatusText gives the status's Japanese text ("原因不明のエラー発生" for anything unknown).
//
// The run, in order; the first status other than "000" ends it:
//   801 no communication ID (the ID less its "-" is empty), 802 folder outside 1..10, both
//       before anything is written;
//   811 the script writer failed (it has told the user), 812 the script is missing or empty;
//   813 the zip failed, 814 the zip is not larger than an empty archive (22 bytes);
//   the account request (pmd=1000): 831 when it fails (no connection, TLS, HTTP status >= 400),
//       else the service's "X-Status" ("" when absent);
//   821 FTP login, 823 the folder "./NN", 824 the store of qvacc.zip;
//   the completion request (pmd=1100): 831 or the service's "X-Status".
// Whatever the outcome, the script is deleted once the writer has written it; the zip stays
// beside it. A script the writer left after failing stays too. When the writer raises (its
// file cannot be opened), the error reaches the caller after that clean-up.
//
// Requests carry the user agent "Lomatra" and go over verified TLS (CurlSupport) with the
// configured time-outs; the communication ID is percent-encoded in them (an "&" or a blank in
// an ID would otherwise change the request). The FTP account the service hands out lives in
// the object only. The service reads `dvr` as the open data set's version "major.minor.0",
// "8.0.0" for anything older than 8.0.2.
//
// Texts are UTF-8; the ID and the paths are passed as they are.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comm/CommConfig.h"

class TFtpSession;

class TFtpWebDbSqlDump {
 public:
  // The cloud host from the application information (WebVelkoranServer), the rest of the
  // channel settings from AppInfo.ini, both read now.
  TFtpWebDbSqlDump();
  explicit TFtpWebDbSqlDump(const TCommConfig& config);
  ~TFtpWebDbSqlDump();
  TFtpWebDbSqlDump(const TFtpWebDbSqlDump&) = delete;
  TFtpWebDbSqlDump& operator=(const TFtpWebDbSqlDump&) = delete;

  std::string UploadDump(const std::string& commId, int folderNo);
  static std::string StatusText(const std::string& status);

  // What writes the script: Write gets the target database name and returns false when it
  // failed (having told the user); it raises only when its file cannot be opened. ScriptPath
  // is the file it writes. The object starts with the company dump writer.
  struct TScriptWriter {
    std::function<bool(const std::string& databaseName)> Write;
    std::string ScriptPath;
  };
  void SetScriptWriter(TScriptWriter writer);

  // The fixed password of the archive; the service gets it as `fpa`.
  static constexpr const char* kArchivePassword = "Qnemra5170";

 private:
  // Steps 801 to the completion request; `scriptWritten` tells the clean-up what to delete.
  void Run(bool& scriptWritten, std::unique_ptr<TFtpSession>& ftp);
  bool Request(const std::string& url);
  std::string Header(const std::string& name) const;

  TCommConfig config_;
  TScriptWriter writer_;
  std::string ftpHost_;
  std::string ftpPassword_;
  std::string status_;
  std::string fileId_;
  int folderNo_ = 0;
  std::string databaseName_;
  std::vector<std::string> replyHeaders_;
};

// The `dvr` text for a data version: "major.minor.0", or "8.0.0" below 8.0.2.
std::string CloudDataVersionText(int major, int minor1, int minor2);
