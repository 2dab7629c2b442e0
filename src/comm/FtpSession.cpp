#include "comm/FtpSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A path or name that would end an FTP command line early.
bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

// The URL path of a remote path: "/" -> "%2F" for the server root, each segment escaped.
std::string UrlPath(const std::string& path) {
  std::string rel = path;
  std::string out = "/";
  if (!rel.empty() && rel[0] == '/') {
    out += "%2F";
    rel.erase(0, 1);
  } else if (rel.rfind("./", 0) == 0) {
    rel.erase(0, 2);
  }
  return out + PercentEncode(rel, "/");
}

std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}
std::size_t ReadFromFile(char* data, std::size_t size, std::size_t count, void* file) {
  return std::fread(data, size, count, static_cast<std::FILE*>(file));
}
std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

}  // namespace

TFtpSession::TFtpSession(const TCommConfig& config, std::string host, std::string user, std::string password)
    : config_(config), host_(std::move(host)), user_(std::move(user)), password_(std::move(password)),
      easy_(NewCurlEasy()) {}

TFtpSession::~TFtpSession() = default;

bool TFtpSession::Prepare(const std::string& path) {
  lastError_.clear();
  if (!easy_) easy_ = NewCurlEasy();
  if (!easy_) {
    lastError_ = "libcurl unavailable";
    return false;
  }
  if (HasLineBreak(path) || HasLineBreak(user_) || HasLineBreak(password_)) {
    lastError_ = "line break in an FTP path or credential";
    return false;
  }
  CURL* h = easy_.get();
  // Reset keeps the logged-in connection in the handle's cache.
  curl_easy_reset(h);
  const std::string url = "ftp://" + host_ + ":" + std::to_string(config_.FtpPort) + UrlPath(path);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
  curl_easy_setopt(h, CURLOPT_USERNAME, user_.c_str());
  curl_easy_setopt(h, CURLOPT_PASSWORD, password_.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
  curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, config_.ConnectTimeoutMs);
  const long readSeconds = std::max(1L, config_.ReadTimeoutMs / 1000);
  curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, readSeconds);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, readSeconds);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Discard);
  return true;
}

bool TFtpSession::Finish(CURLcode rc) {
  if (rc == CURLE_OK) return true;
  lastError_ = curl_easy_strerror(rc);
  return false;
}

std::int64_t TFtpSession::Size(const std::string& path) {
  if (!Prepare(path)) return -1;
  CURL* h = easy_.get();
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  if (!Finish(curl_easy_perform(h))) return -1;
  curl_off_t length = -1;
  if (curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
  return length < 0 ? -1 : static_cast<std::int64_t>(length);
}

bool TFtpSession::Command(const std::string& first, const std::string& second) {
  if (HasLineBreak(first) || HasLineBreak(second)) {
    lastError_ = "line break in an FTP path";
    return false;
  }
  if (!Prepare("")) return false;  // the login folder: the commands carry their paths
  CURL* h = easy_.get();
  Slist quote(curl_slist_append(nullptr, first.c_str()));
  if (!second.empty()) curl_slist_append(quote.get(), second.c_str());
  curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  return Finish(curl_easy_perform(h));
}

bool TFtpSession::Rename(const std::string& from, const std::string& to) {
  return Command("RNFR " + from, "RNTO " + to);
}

bool TFtpSession::Delete(const std::string& path) { return Command("DELE " + path, ""); }

bool TFtpSession::Store(const std::string& localFile, const std::string& remotePath) {
  if (!Prepare(remotePath)) return false;
  File in(std::fopen(localFile.c_str(), "rb"));
  std::error_code ec;
  const auto size = std::filesystem::file_size(localFile, ec);
  if (!in || ec) {
    lastError_ = "local file unreadable";
    return false;
  }
  CURL* h = easy_.get();
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_READFUNCTION, ReadFromFile);
  curl_easy_setopt(h, CURLOPT_READDATA, in.get());
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  return Finish(curl_easy_perform(h));
}

bool TFtpSession::Retrieve(const std::string& remotePath, const std::string& localFile) {
  if (!Prepare(remotePath)) return false;
  std::string temp = localFile + ".partXXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    lastError_ = "local file not creatable";
    return false;
  }
  File out(fdopen(fd, "wb"));
  if (!out) {
    ::close(fd);
    ::unlink(temp.c_str());
    lastError_ = "local file not creatable";
    return false;
  }
  CURL* h = easy_.get();
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToFile);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, out.get());
  bool ok = Finish(curl_easy_perform(h));
  if (std::fflush(out.get()) != 0 || std::ferror(out.get())) {
    if (ok) lastError_ = "local write failed";
    ok = false;
  }
  out.reset();
  if (ok && std::rename(temp.c_str(), localFile.c_str()) != 0) {
    lastError_ = "local file not creatable";
    ok = false;
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

void TFtpSession::Close() { easy_.reset(); }

bool TFtpSession::Login() {
  if (!Prepare("")) return false;
  CURL* h = easy_.get();
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  if (!Finish(curl_easy_perform(h))) return false;
  char* entry = nullptr;
  if (curl_easy_getinfo(h, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry) entryPath_ = entry;
  return true;
}

bool TFtpSession::CanEnter(const std::string& folder) {
  // Back to the login folder at once: every other operation names its path from there.
  if (entryPath_.empty() && !Login()) return false;
  return Command("CWD " + folder, "CWD " + entryPath_);
}
