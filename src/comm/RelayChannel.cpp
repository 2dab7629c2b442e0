// The relay request over TLS: libcurl makes and verifies the connection only; the request bytes
// and the raw reply pass through unchanged, so that the server reads exactly our lines and we
// read its lines by number.
#include <poll.h>

#include <cerrno>

#include "comm/CurlSupport.h"
#include "comm/RelayProtocol.h"

namespace {

// No reply of the protocol comes near this; a server sending more is not the relay server.
constexpr std::size_t kMaxReplyBytes = 256 * 1024;

bool WaitFor(curl_socket_t sock, short events, long timeoutMs) {
  pollfd p{sock, events, 0};
  int rc;
  do {
    rc = poll(&p, 1, static_cast<int>(timeoutMs));
  } while (rc < 0 && errno == EINTR);
  return rc > 0;
}

}  // namespace

bool RelayExchange(const TCommConfig& config, const std::string& request, std::string& reply) {
  reply.clear();
  if (config.RelayHost.empty()) return false;
  CurlEasy easy = NewCurlEasy();
  if (!easy) return false;
  CURL* h = easy.get();
  const std::string url = "https://" + config.RelayHost + ":" + std::to_string(config.RelayPort) + "/";
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
  SetVerifiedTls(h, config);
  if (curl_easy_perform(h) != CURLE_OK) return false;

  curl_socket_t sock = CURL_SOCKET_BAD;
  if (curl_easy_getinfo(h, CURLINFO_ACTIVESOCKET, &sock) != CURLE_OK || sock == CURL_SOCKET_BAD) return false;

  std::size_t offset = 0;
  while (offset < request.size()) {
    std::size_t sent = 0;
    const CURLcode rc = curl_easy_send(h, request.data() + offset, request.size() - offset, &sent);
    if (rc == CURLE_AGAIN) {
      if (!WaitFor(sock, POLLOUT, config.ReadTimeoutMs)) return false;
      continue;
    }
    if (rc != CURLE_OK) return false;
    offset += sent;
  }

  char buf[8192];
  for (;;) {
    std::size_t got = 0;
    const CURLcode rc = curl_easy_recv(h, buf, sizeof buf, &got);
    if (rc == CURLE_AGAIN) {
      if (!WaitFor(sock, POLLIN, config.ReadTimeoutMs)) return false;  // the server went silent
      continue;
    }
    if (rc != CURLE_OK) {
      // A server that closes without ending TLS properly: its complete lines are the reply (a
      // cut last line is dropped), and the reader refuses it when lines are missing.
      const auto lastLf = reply.rfind('\n');
      if (lastLf == std::string::npos) return false;
      reply.resize(lastLf + 1);
      return true;
    }
    if (got == 0) return true;  // the server closed the connection: the reply is complete
    reply.append(buf, got);
    if (reply.size() > kMaxReplyBytes) return false;
  }
}
