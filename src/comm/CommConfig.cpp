#include "comm/CommConfig.h"

#include <charconv>

#include "data/z5AppInfo.h"
#include "data/uAccFunction.h"
#include "platform/SystemInfo.h"

namespace {

bool ParsePort(std::string_view text, int& port) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > 65535) return false;
  port = value;
  return true;
}

// "host" or "host:port"; a port that is not a number keeps the default.
void SplitHostPort(const std::string& text, std::string& host, int& port) {
  const auto colon = text.rfind(':');
  if (colon != std::string::npos && ParsePort(std::string_view(text).substr(colon + 1), port)) {
    host = text.substr(0, colon);
  } else {
    host = text;
  }
}

}  // namespace

TCommConfig CommConfigFrom(const std::function<std::string(const std::string& key)>& value) {
  TCommConfig config;
  SplitHostPort(TrimZenkaku(value("RelayServer")), config.RelayHost, config.RelayPort);
  SplitHostPort(TrimZenkaku(value("WebVelkoranServer")), config.CloudHost, config.CloudPort);
  ParsePort(TrimZenkaku(value("RelayFtpPort")), config.FtpPort);
  config.CaFile = TrimZenkaku(value("CaFile"));
  config.InstallationId = TrimZenkaku(value("InstallationId"));
  // Every request names the installation; without a configured one, the computer's name.
  if (config.InstallationId.empty()) config.InstallationId = sysinfo::ComputerName();
  return config;
}

TCommConfig LoadCommConfig() {
  return CommConfigFrom([](const std::string& key) {
    bool present = false;
    std::string text;
    ReadAppInfoValue("Application", key, present, text);
    return text;
  });
}
