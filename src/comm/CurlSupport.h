#pragma once
// What every libcurl user here shares: one global initialisation, an owned easy handle, and the
// TLS settings that no caller may weaken.
#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

#include "comm/CommConfig.h"

struct CurlEasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// A fresh easy handle (libcurl initialised once per process); null when libcurl cannot give one.
CurlEasy NewCurlEasy();

// TLS 1.2 or later, peer chain and host name verified against the configured CA file or the
// system's store; finite connect time-out; no signals; nothing printed.
void SetVerifiedTls(CURL* h, const TCommConfig& config);

// `bytes` with every byte outside the unreserved characters of a URL (ASCII letters, digits,
// "-", ".", "_", "~") and outside `alsoKeep` written as "%XX" (upper-case hex).
std::string PercentEncode(std::string_view bytes, std::string_view alsoKeep = {});
