#pragma once
// The loopback relay (TLS), FTP and cloud (HTTPS) servers of the communication tests
// (support/comm_servers.py under Debian's interpreter). A fresh test CA, a server certificate
// for localhost/127.0.0.1 signed by it, and a second certificate from a CA nobody trusts are
// made with the openssl command into the server's private folder; nothing is committed.
//
// The servers' state (relay.json, cloud.json, faults.json) is read on every request, so a test
// seeds or breaks them by writing those files; journal.jsonl records every request.
#include <filesystem>
#include <string>
#include <vector>

#include "comm/CommConfig.h"
#include "support/PipedHelper.h"
#include "support/TempDir.h"

class CommServers {
 public:
  CommServers();   // throws std::runtime_error when the servers do not come up
  ~CommServers();
  CommServers(const CommServers&) = delete;
  CommServers& operator=(const CommServers&) = delete;

  int RelayPort() const { return relayPort_; }
  int UntrustedRelayPort() const { return untrustedPort_; }
  int FtpPort() const { return ftpPort_; }
  int CloudPort() const { return cloudPort_; }
  // The test CA's certificate (PEM), to be given to the program as its CA file.
  std::string CaFile() const;
  // The state folder; the relay FTP root is StateDir()/ftp/relay ("01".."10").
  const std::filesystem::path& StateDir() const { return state_; }

  // Writes a state file (relay.json, cloud.json, faults.json) atomically.
  void WriteState(const std::string& name, const std::string& json) const;
  // Removes faults.json.
  void ClearFaults() const;
  // The journal's lines so far (one JSON object each).
  std::vector<std::string> Journal() const;
  void ClearJournal() const;

 private:
  void Stop();

  TempDir dir_;
  std::filesystem::path state_;
  PipedHelper server_;
  int relayPort_ = 0, untrustedPort_ = 0, ftpPort_ = 0, cloudPort_ = 0;
};

// The channels pointed at these servers, trusting the test CA, with short time-outs.
inline TCommConfig LoopbackCommConfig(const CommServers& servers) {
  TCommConfig config;
  config.RelayHost = "localhost";
  config.RelayPort = servers.RelayPort();
  config.CloudHost = "localhost";
  config.CloudPort = servers.CloudPort();
  config.FtpPort = servers.FtpPort();
  config.CaFile = servers.CaFile();
  config.ConnectTimeoutMs = 5000;
  config.ReadTimeoutMs = 5000;
  return config;
}
