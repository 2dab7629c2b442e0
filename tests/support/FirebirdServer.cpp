#include "support/FirebirdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "fixtures/FixtureDb.h"
#include "platform/db/FbEnvironment.h"
#include "platform/db/IBDatabase.h"
#include "platform/db/IBSQL.h"
#include "platform/db/IBScript.h"
#include "support/BuiltPrograms.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const kServer = "/usr/sbin/firebird";
const char* const kIsql = "/usr/bin/isql-fb";

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("FirebirdServer: cannot read " + p.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("FirebirdServer: cannot write " + p.string());
}

int FreePort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  socklen_t len = sizeof a;
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    if (s >= 0) close(s);
    throw std::runtime_error("FirebirdServer: no free port");
  }
  close(s);
  return ntohs(a.sin_port);
}

bool PortAnswers(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(s);
  return ok;
}

// The environment of this process without Firebird settings, plus `extra`. The server and its
// tools convert file names with their character type, as every Firebird process does: they run
// in a UTF-8 one, as a server set up for Japanese folder names must.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string v = *e;
    if (v.rfind("FIREBIRD", 0) == 0 || v.rfind("ISC_", 0) == 0) continue;
    if (v.rfind("LC_ALL=", 0) == 0 || v.rfind("LC_CTYPE=", 0) == 0) continue;
    env.push_back(v);
  }
  env.push_back("LC_CTYPE=C.UTF-8");
  env.insert(env.end(), extra.begin(), extra.end());
  return env;
}

// Starts a program with its output in `log`; the child dies with this process.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env,
            const fs::path& log) {
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  std::string logName = log.string();
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("FirebirdServer: fork failed");
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    int fd = open(logName.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
      close(fd);
    }
    int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

FirebirdServer::FirebirdServer(const std::vector<fs::path>& udrModules) {
  Layout(udrModules);
  CreateUser();
  for (int attempt = 0; attempt < 3; ++attempt)
    if (StartOn(FreePort())) return;
  throw std::runtime_error("FirebirdServer: the server did not start; see " + (root_ / "server.log").string() + ":\n" +
                           ReadFile(root_ / "server.log"));
}

FirebirdServer::~FirebirdServer() { Stop(); }

std::vector<fs::path> FirebirdServer::FileRoutines() { return {BuiltProgram("../librendoudr.so")}; }

void FirebirdServer::AllowFileRoots(const std::vector<fs::path>& roots) {
  std::string text = "# Folders the file routines may act in.\n";
  for (const fs::path& r : roots) text += "root = " + r.string() + "\n";
  const fs::path conf = UdrDir() / "rendoudr.conf";
  const fs::path tmp = UdrDir() / "rendoudr.conf.tmp";
  WriteFile(tmp, text);
  fs::rename(tmp, conf);
}

std::string FirebirdServer::Host() const { return "localhost/" + std::to_string(port_); }

std::vector<std::string> FirebirdServer::UserParams() {
  return {std::string("user_name=") + kUser, std::string("password=") + kPassword, "lc_ctype=SJIS_0208"};
}

void FirebirdServer::Layout(const std::vector<fs::path>& udrModules) {
  // Firebird resolves its root literally: a path through a symlink breaks the intl module.
  fs::create_directories(dir_.Path() / "firebird");
  root_ = fs::canonical(dir_.Path() / "firebird");
  // The server's own security database is named before anything runs from the root, so that
  // nothing reaches the installed one.
  fbenv::RootLayout layout;
  layout.root = root_.string();
  layout.confLines = ConfLines(0);
  layout.databasesLines = {"security.db = " + (root_ / "security3.fdb").string()};
  for (const fs::path& m : udrModules) layout.udrModules.push_back(m.string());
  fbenv::BuildRoot(layout);
  fs::create_directories(DataDir());
  if (!udrModules.empty()) AllowFileRoots({DataDir()});
}

void FirebirdServer::CreateUser() {
  // A security database of our own, made by the embedded engine of this root, so nothing of
  // the installed one is read or written. The private SecurityDatabase must be configured
  // first: otherwise the user would land in the installed one. The password goes through a
  // script file, never a command line; the file goes afterwards.
  WriteConf(0);
  const fs::path security = root_ / "security3.fdb";
  fs::path script = root_ / "users.sql";
  WriteFile(script, "CREATE DATABASE '" + security.string() + "';\n" +
                        "CREATE USER " + kUser + " PASSWORD '" + kPassword +
                        "' GRANT ADMIN ROLE USING PLUGIN Srp;\n"
                        "GRANT CREATE DATABASE TO USER " + kUser + ";\n"
                        // Administrator rights for the service manager (attached databases).
                        "CREATE GLOBAL MAPPING TEST_ADMIN USING PLUGIN Srp FROM USER " + kUser +
                        " TO ROLE RDB$ADMIN;\n"
                        "COMMIT;\n");
  std::vector<std::string> env = ChildEnvironment(
      {"FIREBIRD=" + root_.string(), "FIREBIRD_LOCK=" + (root_ / "lock").string(), "ISC_USER=SYSDBA"});
  fs::path log = root_ / "isql.log";
  pid_t pid = Spawn(kIsql, {"isql-fb", "-q", "-b", "-i", script.string()}, env, log);
  int status = 0;
  waitpid(pid, &status, 0);
  fs::remove(script);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !fs::exists(security))
    throw std::runtime_error("FirebirdServer: creating the user failed:\n" + ReadFile(log));
}

std::vector<std::string> FirebirdServer::ConfLines(int port) const {
  std::vector<std::string> lines = {"SecurityDatabase = " + (root_ / "security3.fdb").string()};
  if (port > 0) {
    lines.push_back("RemoteServicePort = " + std::to_string(port));
    lines.push_back("RemoteBindAddress = 127.0.0.1");
    lines.push_back("IpcName = FIREBIRD_TEST_" + std::to_string(port));
  }
  return lines;
}

void FirebirdServer::WriteConf(int port) { fbenv::WriteConf(root_.string(), ConfLines(port)); }

bool FirebirdServer::StartOn(int port) {
  WriteConf(port);
  std::vector<std::string> env =
      ChildEnvironment({"FIREBIRD=" + root_.string(), "FIREBIRD_LOCK=" + (root_ / "lock").string()});
  pid_ = Spawn(kServer, {"firebird"}, env, root_ / "server.log");
  port_ = port;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    if (PortAnswers(port)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  Stop();
  return false;
}

void FirebirdServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

void FirebirdServer::DeclareFileRoutines(const std::filesystem::path& file, const std::string& script) const {
  TIBDatabase db;
  db.DatabaseName = Host() + ":" + file.string();
  db.Params = UserParams();
  db.Open();
  TIBTransaction tr;
  tr.SetDefaultDatabase(&db);
  tr.StartTransaction();
  TIBSQL probe;
  probe.SetDatabase(&db);
  probe.SetTransaction(&tr);
  probe.SQL = "SELECT (SELECT COUNT(*) FROM RDB$PROCEDURES WHERE RDB$PROCEDURE_NAME = 'FILEOPERATION') + "
              "(SELECT COUNT(*) FROM RDB$FUNCTIONS WHERE RDB$FUNCTION_NAME = 'SP_FILETOBLOB') FROM RDB$DATABASE";
  probe.ExecQuery();
  const bool declared = probe.Fields(0).AsInteger() > 0;
  probe.Close();
  tr.Commit();
  if (!declared) {
    TIBScript runner;
    runner.Database = &db;
    runner.Script = TempDir::Read(fixtures::SchemaDir() / script);
    runner.ExecuteScript();
  }
  db.Close();
}
