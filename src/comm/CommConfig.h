#pragma once
// Where the communication channels go, read from AppInfo.ini section [Application]:
//   RelayServer=host[:port]        relay server (TLS, port 443 by default)
//   RelayFtpPort=port              FTP port of the hosts the relay names (21 by default)
//   WebVelkoranServer=host[:port]  cloud analysis service (HTTPS, port 443 by default)
//   CaFile=path                    certificate authorities to trust instead of the system's
//   InstallationId=text            this installation's identifier on the relay channel (the
//                                  computer's name when not given)
// Certificate verification cannot be switched off: a CaFile only replaces whom we trust.
#include <functional>
#include <string>

struct TCommConfig {
  std::string RelayHost;
  int RelayPort = 443;
  int FtpPort = 21;
  std::string CloudHost;
  int CloudPort = 443;
  std::string CaFile;          // empty: the system's certificate store
  std::string InstallationId;
  // A server that does not answer must not hold the program forever.
  long ConnectTimeoutMs = 30000;
  long ReadTimeoutMs = 60000;  // longest wait for the next bytes of a reply or transfer
};

// The configuration from the given key lookup (key of [Application] -> value, "" when missing).
TCommConfig CommConfigFrom(const std::function<std::string(const std::string& key)>& value);

// The configuration from the AppInfo.ini that start-up loaded.
TCommConfig LoadCommConfig();
