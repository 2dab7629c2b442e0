#include "comm/z5WebVelkoranDataDump.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <tuple>
#include <utility>

#include "comm/CurlSupport.h"
#include "comm/FtpSession.h"
#include "comm/uAccZip.h"
#include "comm/z5WebDbSqlDump.h"
#include "data/uAccFunction2Win.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"

namespace fs = std::filesystem;

namespace {

// The size of an archive without entries: anything not larger holds no script.
constexpr std::int64_t kEmptyZipSize = 22;

// The writer the object starts with: the company dump writer, created with the object.
TFtpWebDbSqlDump::TScriptWriter DefaultScriptWriter() {
  auto dump = std::make_shared<TWebDbSqlDump>();
  return {[dump](const std::string& databaseName) {
            dump->DatabaseName = databaseName;
            return dump->WriteDump();
          },
          dump->ScriptPath()};
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Header lines of the last response only: a redirect or an interim reply starts a new list.
std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
  auto* lines = static_cast<std::vector<std::string>*>(user);
  std::string line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.rfind("HTTP/", 0) == 0) lines->clear();
  if (!line.empty()) lines->push_back(std::move(line));
  return size * count;
}

std::size_t DiscardBody(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// A folder for company data: readable by its owner alone when we make it.
bool MakePrivateFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return true;
  if (!fs::create_directories(folder, ec) && !fs::is_directory(folder, ec)) return false;
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
  return !ec;
}

TCommConfig ConfigFromAppInfo() {
  return CommConfigFrom([](const std::string& key) {
    // The record already holds the service's host, or its built-in default.
    if (key == "WebVelkoranServer") return AppInfo.WebVelkoranServer;
    bool present = false;
    std::string text;
    ReadAppInfoValue("Application", key, present, text);
    return text;
  });
}

}  // namespace

std::string CloudDataVersionText(int major, int minor1, int minor2) {
  // The service knows no layout older than the one of 8.0.2, and reads every 8.0 data as 8.0.0.
  if (std::make_tuple(major, minor1, minor2) < std::make_tuple(8, 0, 2)) return "8.0.0";
  return std::to_string(major) + "." + std::to_string(minor1) + ".0";
}

TFtpWebDbSqlDump::TFtpWebDbSqlDump() : TFtpWebDbSqlDump(ConfigFromAppInfo()) {}

TFtpWebDbSqlDump::TFtpWebDbSqlDump(const TCommConfig& config)
    : config_(config), writer_(DefaultScriptWriter()), status_("000") {}

TFtpWebDbSqlDump::~TFtpWebDbSqlDump() = default;

void TFtpWebDbSqlDump::SetScriptWriter(TScriptWriter writer) { writer_ = std::move(writer); }

std::string TFtpWebDbSqlDump::UploadDump(const std::string& commId, int folderNo) {
  fileId_.clear();
  std::copy_if(commId.begin(), commId.end(), std::back_inserter(fileId_), [](char c) { return c != '-'; });
  folderNo_ = folderNo;
  databaseName_ = "velkor_d_" + fileId_ + "_" + std::to_string(folderNo);
  status_ = "000";
  ftpHost_.clear();
  ftpPassword_.clear();
  replyHeaders_.clear();

  bool scriptWritten = false;
  std::unique_ptr<TFtpSession> ftp;
  auto cleanUp = [&] {
    if (ftp) ftp->Close();
    ftp.reset();
    std::error_code ec;
    if (scriptWritten && fs::exists(writer_.ScriptPath, ec)) fs::remove(writer_.ScriptPath, ec);
  };
  try {
    Run(scriptWritten, ftp);
  } catch (...) {
    cleanUp();
    throw;
  }
  cleanUp();
  return status_;
}

void TFtpWebDbSqlDump::Run(bool& scriptWritten, std::unique_ptr<TFtpSession>& ftp) {
  if (fileId_.empty()) {
    status_ = "801";
    return;
  }
  if (folderNo_ < 1 || folderNo_ > 10) {
    status_ = "802";
    return;
  }

  if (!writer_.Write || !writer_.Write(databaseName_)) {
    status_ = "811";
    return;
  }
  scriptWritten = true;
  const std::string script = writer_.ScriptPath;
  if (FileExistsFF(script) <= 0) {
    status_ = "812";
    return;
  }

  const fs::path folder = fs::path(script).parent_path();
  const std::string archiveName = fs::path(script).filename().replace_extension(".zip").string();
  const std::string archive = (folder / archiveName).string();
  std::error_code ec;
  if (fs::exists(archive, ec)) fs::remove(archive, ec);
  try {
    if (!MakePrivateFolder(folder) ||
        ZipFiles(std::string("-D -P ") + kArchivePassword + " -q -j", "\"" + archive + "\"", "\"" + script + "\"") != 0)
      status_ = "813";
  } catch (const std::exception&) {
    status_ = "813";
  }
  if (FileExistsFF(archive) <= kEmptyZipSize) status_ = "814";
  if (status_ != "000") return;

  const std::string base = "https://" + config_.CloudHost +
                           (config_.CloudPort == 443 ? std::string() : ":" + std::to_string(config_.CloudPort)) +
                           "/request.php?";
  if (!Request(base + "pmd=1000&fnm=" + PercentEncode(fileId_))) {
    status_ = "831";
    return;
  }
  ftpHost_ = Header("X-Add");
  ftpPassword_ = Header("X-Pas");
  status_ = Header("X-Status");
  if (status_ != "000") return;

  char dir[8];
  std::snprintf(dir, sizeof dir, "./%02d", folderNo_);
  ftp = std::make_unique<TFtpSession>(config_, ftpHost_, fileId_, ftpPassword_);
  if (!ftp->Login()) {
    status_ = "821";
    return;
  }
  if (!ftp->CanEnter(dir)) {
    status_ = "823";
    return;
  }
  if (!ftp->Store(archive, std::string(dir) + "/" + archiveName)) {
    status_ = "824";
    return;
  }
  // Our session's logout cannot fail visibly: QUIT is sent as the connection closes.
  ftp->Close();
  ftp.reset();

  const std::string version = CloudDataVersionText(AccInf.VerMajor, AccInf.VerMinor1, AccInf.VerMinor2);
  if (!Request(base + "pmd=1100&fnm=" + PercentEncode(fileId_) + "&dno=" + std::to_string(folderNo_) +
               "&dvr=" + version + "&fpa=" + PercentEncode(kArchivePassword))) {
    status_ = "831";
    return;
  }
  status_ = Header("X-Status");
}

bool TFtpWebDbSqlDump::Request(const std::string& url) {
  replyHeaders_.clear();
  CurlEasy easy = NewCurlEasy();
  if (!easy) return false;
  CURL* h = easy.get();
  SetVerifiedTls(h, config_);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(h, CURLOPT_USERAGENT, "Lomatra");
  curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeaderLine);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &replyHeaders_);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, DiscardBody);
  const long readSeconds = std::max(1L, config_.ReadTimeoutMs / 1000);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, readSeconds);
  return curl_easy_perform(h) == CURLE_OK;
}

std::string TFtpWebDbSqlDump::Header(const std::string& name) const {
  for (const auto& line : replyHeaders_) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    if (SameName(Trim(line.substr(0, colon)), name)) return Trim(line.substr(colon + 1));
  }
  return {};
}

std::string TFtpWebDbSqlDump::StatusText(const std::string& status) {
  static const std::pair<const char*, const char*> kTexts[] = {
      {"000", "正常終了"},
      {"001", "「vqzaimu」データ無し"},
      {"002", "「vqzaimu」データより、認証不許可"},
      {"003", "「FtpUsers」データ無し"},
      {"801", "通信IDなし"},
      {"802", "データリスト番号不正"},
      {"811", "SQLDumpファイル作成失敗"},
      {"812", "SQLDumpファイル作成失敗(結果0バイト)"},
      {"813", "SQLDumpファイルZip圧縮失敗"},
      {"814", "SQLDumpファイルZip圧縮失敗(結果0バイト)"},
      {"821", "FTP コネクト失敗"},
      {"822", "FTP ログアウト失敗"},
      {"823", "FTP ディレクトリ移動失敗"},
      {"824", "FTP アップロード失敗"},
      {"825", "FTP ダウンロード失敗"},
      {"831", "HTTP GET失敗"},
      {"900", "ユーザーエージェント不正"},
      {"901", "制御モード不明"},
      {"902", "通信ID不明"},
      {"903", "該当制御コード無し"},
      {"911", "データ管理番号不正"},
      {"912", "データバージョン不正"},
      {"913", "データバージョン内容不正"},
      {"921", "Zipオープン失敗"},
      {"922", "Zip解凍パスワード失敗"},
      {"923", "Zip展開失敗"},
      {"924", "SQLDumpファイル不明"},
  };
  for (const auto& [code, text] : kTexts)
    if (status == code) return text;
  return "原因不明のエラー発生";
}
