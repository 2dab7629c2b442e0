#include "support/CommServers.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Process.h"

namespace fs = std::filesystem;

namespace {

fs::path ServerScript() {
  if (const char* src = std::getenv("RENDO_SOURCE_DIR"); src && *src) {
    fs::path script = fs::path(src) / "tests/support/comm_servers.py";
    if (fs::exists(script)) return script;
  }
  return fs::path(__FILE__).parent_path() / "comm_servers.py";
}

void Openssl(const fs::path& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "openssl");
  ProcessOptions o;
  o.argv = std::move(args);
  o.workDir = dir.string();
  o.timeout = std::chrono::seconds(60);
  const ProcessResult r = RunProcess(o);
  if (!r.Ok()) throw std::runtime_error("CommServers: openssl failed: " + r.err);
}

// A CA (name.ca.pem) and a server certificate for localhost and 127.0.0.1 signed by it.
void MakeCertificates(const fs::path& dir, const std::string& name) {
  const std::vector<std::string> ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
  auto with = [&](std::vector<std::string> a, const std::vector<std::string>& more) {
    a.insert(a.end(), more.begin(), more.end());
    return a;
  };
  Openssl(dir, with({"req", "-x509", "-days", "3", "-subj", "/CN=" + name + " test CA", "-keyout", name + ".ca.key",
                     "-out", name + ".ca.pem", "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                     "keyUsage=critical,keyCertSign,cRLSign"},
                    ec));
  Openssl(dir, with({"req", "-subj", "/CN=localhost", "-keyout", name + ".key", "-out", name + ".csr"}, ec));
  std::ofstream(dir / (name + ".ext"))
      << "subjectAltName=DNS:localhost,IP:127.0.0.1\nbasicConstraints=CA:FALSE\n"
         "keyUsage=critical,digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n";
  Openssl(dir, {"x509", "-req", "-days", "2", "-in", name + ".csr", "-CA", name + ".ca.pem", "-CAkey", name + ".ca.key",
                "-CAcreateserial", "-extfile", name + ".ext", "-out", name + ".pem"});
}

int PortOf(const std::string& ready, const std::string& key) {
  const auto at = ready.find(" " + key + "=");
  if (at == std::string::npos) return 0;
  return std::atoi(ready.c_str() + at + key.size() + 2);
}

}  // namespace

CommServers::CommServers() {
  const fs::path certs = dir_.Path() / "certs";
  state_ = dir_.Path() / "state";
  fs::create_directories(certs);
  fs::create_directories(state_);
  fs::permissions(certs, fs::perms::owner_all, fs::perm_options::replace);
  MakeCertificates(certs, "trusted");
  MakeCertificates(certs, "untrusted");

  const std::string errFile = (state_ / "server.log").string();
  server_.Start({RENDO_PYTHON3, ServerScript().string(), "--state", state_.string(),
                 "--cert", (certs / "trusted.pem").string(), "--key", (certs / "trusted.key").string(),
                 "--untrusted-cert", (certs / "untrusted.pem").string(),
                 "--untrusted-key", (certs / "untrusted.key").string()},
                errFile);
  const std::string said = server_.ReadUntil("\n", std::chrono::seconds(30));
  if (said.rfind("READY ", 0) == 0) {
    relayPort_ = PortOf(said, "relay");
    untrustedPort_ = PortOf(said, "untrusted");
    ftpPort_ = PortOf(said, "ftp");
    cloudPort_ = PortOf(said, "cloud");
  }
  if (relayPort_ == 0 || untrustedPort_ == 0 || ftpPort_ == 0 || cloudPort_ == 0) {
    std::ifstream log(errFile);
    std::stringstream err;
    err << log.rdbuf();
    Stop();
    throw std::runtime_error("CommServers: the servers did not start: " + said + err.str());
  }
}

CommServers::~CommServers() { Stop(); }

// The server ends when its input closes.
void CommServers::Stop() { server_.Stop(std::chrono::seconds(5)); }

std::string CommServers::CaFile() const { return (dir_.Path() / "certs" / "trusted.ca.pem").string(); }

void CommServers::WriteState(const std::string& name, const std::string& json) const {
  const fs::path tmp = state_ / (name + ".writing");
  std::ofstream(tmp, std::ios::binary) << json;
  fs::rename(tmp, state_ / name);
}

void CommServers::ClearFaults() const { fs::remove(state_ / "faults.json"); }

std::vector<std::string> CommServers::Journal() const {
  std::vector<std::string> lines;
  std::ifstream in(state_ / "journal.jsonl");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void CommServers::ClearJournal() const { fs::remove(state_ / "journal.jsonl"); }
