#pragma once
// The cloud analysis upload: writes the open company's data as a MySQL script, packs it into a
// password-protected zip, asks the cloud service for an FTP account, uploads the archive into the
// data set's numbered folder and reports the upload. One object serves one upload.
//
// UploadDump returns a three-digit status: "000" success, 8xx failures of the upload's own
// steps, 0xx and 9xx codes of the service (the empty text when the service's reply has none).
// StatusText gives the status's Japanese text ("原因不明のエラー発生" for anything unknown).
#include <memory>
#include <string>

class TFtpWebDbSqlDump {
 public:
  TFtpWebDbSqlDump();
  ~TFtpWebDbSqlDump();
  TFtpWebDbSqlDump(const TFtpWebDbSqlDump&) = delete;
  TFtpWebDbSqlDump& operator=(const TFtpWebDbSqlDump&) = delete;

  std::string UploadDump(const std::string& commId, int folderNo);
  static std::string StatusText(const std::string& status);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
