#pragma once
// A Firebird server on loopback for client/server tests.
//
// The server runs from a private Firebird root in a temporary folder (built as the program's own
// engine root is, see platform/db/FbEnvironment.h): its own firebird.conf
// (a free private port, bound to 127.0.0.1), databases.conf, plugins.conf, intl/, a security
// database of its own holding the user GKFMCB (password mirsol, administrator rights), and its
// own lock folder. The installed configuration is never touched. Connect with
// Host() + ":" + path; the destructor stops the server.
//
// UDR modules (our own server-side routines) are copied into the root's udr/ folder before the
// server starts; procedures declared with EXTERNAL NAME 'module!entry' find them there.
// WithFileRoutines() is a server with our file routines (build/librendoudr.so); they act only
// inside the folders AllowFileRoots() names (the server's data folder until then).
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

class FirebirdServer {
 public:
  static constexpr const char* kUser = "GKFMCB";
  static constexpr const char* kPassword = "mirsol";

  explicit FirebirdServer(const std::vector<std::filesystem::path>& udrModules = {});
  ~FirebirdServer();
  FirebirdServer(const FirebirdServer&) = delete;
  FirebirdServer& operator=(const FirebirdServer&) = delete;

  // A server with the file routines of librendoudr.so, allowed to act in DataDir().
  static std::vector<std::filesystem::path> FileRoutines();
  // Names the folders the file routines may act in (rendoudr.conf beside the module; read by
  // the module on every call).
  void AllowFileRoots(const std::vector<std::filesystem::path>& roots);

  // "localhost/PORT": the host part of a database name ("localhost/PORT:/path/db.fdb") and
  // the server name of a service.
  std::string Host() const;
  int Port() const { return port_; }
  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path UdrDir() const { return root_ / "udr"; }
  // A folder for the databases of a test.
  std::filesystem::path DataDir() const { return root_ / "data"; }
  // The connection parameters of the test user.
  static std::vector<std::string> UserParams();
  // Declares our file routines (schema/<script>: system_udr.sql or fileman_udr.sql) in the
  // server database `file`, once the module is in the server's UDR folder; nothing when they
  // are declared already.
  void DeclareFileRoutines(const std::filesystem::path& file, const std::string& script) const;
  // Stops the server now (a server that goes away under its clients); the destructor does it
  // otherwise.
  void Stop();

 private:
  void Layout(const std::vector<std::filesystem::path>& udrModules);
  // The lines the server adds to the installed firebird.conf (port 0: no network settings yet).
  std::vector<std::string> ConfLines(int port) const;
  void WriteConf(int port);
  void CreateUser();
  bool StartOn(int port);

  TempDir dir_;
  std::filesystem::path root_;
  int port_ = 0;
  pid_t pid_ = -1;
};
