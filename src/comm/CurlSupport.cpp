#include "comm/CurlSupport.h"

#include <mutex>

CurlEasy NewCurlEasy() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return CurlEasy(curl_easy_init());
}

void SetVerifiedTls(CURL* h, const TCommConfig& config) {
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_VERBOSE, 0L);
  curl_easy_setopt(h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!config.CaFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, config.CaFile.c_str());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, config.ConnectTimeoutMs);
}
