#pragma once
// The environment the Firebird client library runs in: the program's own engine configuration,
// its lock folder and the character type of file names. Prepare() sets it up once per process;
// the database layer calls it before it first touches the client library, and the process
// runner before it starts a child (gbak, isql), so that children open the same databases with
// the same engine settings and lock folder.
//
// The engine folder, folders::EngineDir() (RENDO_FIREBIRD_DIR, else "firebird" in the per-user
// runtime folder, see Folders.h), holds a private Firebird root:
//
//   firebird.conf    a real copy of the installed one with "ServerMode = Classic" appended:
//                    in that mode every process opens a database file shared and the processes
//                    coordinate through the lock folder, so the program, the export tool, an
//                    upgrade's isql and the accounting program open one company database at once.
//                    (The installed Super mode locks the file to the first process.)
//   databases.conf, plugins.conf
//                    real copies (the UDR folder of plugins.conf points at udr/ below the root);
//                    a root that symlinks them would write through to the installed files
//   intl/            a real copy: the character-set module does not load through a symlink
//   firebird.msg, fbtrace.conf   symlinks to the installed files
//   udr/             server-side routines of our own: the module librendoudr.so, copied from
//                    $RENDO_UDR_MODULE or from beside the running program when it is there, so
//                    that databases can declare and run the file routines in-process too
//   lock/            the lock folder (FIREBIRD_LOCK): the user's own, so that users outside the
//                    `firebird` group run the program (the shared one under /tmp answers
//                    "Permission denied"). Processes under different lock folders must not
//                    open one database at once: the open guard (OpenGuard.h) refuses that
//   source.stamp     what the root was built from; a root whose stamp no longer matches the
//                    installed engine is brought up to date file by file
//
// The runtime folder rather than the configuration root: the engine maps its lock files as
// shared memory, which needs a local file system (a home folder may be on NFS); the copies
// follow the installed engine after every login; and nothing of it is worth keeping. The path
// of the root is made canonical: the engine resolves its root literally, and through a symlink
// the character-set module fails to load.
//
// Measured with the installed client library: it reads FIREBIRD and FIREBIRD_LOCK when it is
// first used (fb_get_master_interface, the first attach), not when it is loaded, so setting
// them in Prepare() is early enough. The client converts database and service file names with
// the process's LC_CTYPE: in the C locale every non-ASCII path fails ("Cannot transliterate
// character between character sets"); the UTF-8 file-name connection parameter alone does not
// help. Prepare() therefore sets a UTF-8 LC_CTYPE (the user's when it is UTF-8, else C.UTF-8),
// and only LC_CTYPE; text columns keep their connection character set. Children such as gbak
// and isql choose their locale from the environment, so LC_CTYPE there names the same one.
#include <string>
#include <vector>

namespace fbenv {

// Once per process: a UTF-8 LC_CTYPE (also in the environment), the engine folder built or
// brought up to date, and FIREBIRD / FIREBIRD_LOCK pointed into it (replacing values from
// outside, which would bring back the installed, exclusive configuration); RENDO_FIREBIRD_DIR
// names it too, so that children of ours use the same lock folder, whatever runtime folder
// their environment names. Throws std::runtime_error when the folder cannot be made; a later
// call tries again. Several processes may prepare the same folder at the same moment: every
// file is written beside its place and renamed into it.
void Prepare();
// Prepare() that reports a failure as false (with the reason in `why`) instead of throwing.
bool TryPrepare(std::string* why = nullptr);

// Where Prepare() takes the module of server-side routines from: $RENDO_UDR_MODULE, else
// librendoudr.so beside the running program; "" when neither file exists.
std::string UdrModuleSource();
// True when the root Prepare() uses holds that module (Prepare() is run first).
bool UdrModuleInstalled();

// The root and the lock folder Prepare() uses (the lock folder is <root>/lock).
std::string RootDir();
std::string LockDir();

// The installed Firebird root (Debian: /usr/lib/<arch>/firebird/3.0), found by its
// firebird.msg and intl/ folder; throws std::runtime_error when there is none.
std::string InstalledRoot();

// A private Firebird root, for the program's engine and for test servers alike.
struct RootLayout {
  std::string root;                      // created when missing; made canonical
  std::vector<std::string> confLines;    // appended to the installed firebird.conf
  // The lines of databases.conf; empty: a copy of the installed one.
  std::vector<std::string> databasesLines;
  std::vector<std::string> udrModules;   // files copied into <root>/udr
};
// Builds the root, or brings an existing one up to date, and returns its canonical path. The
// lock folder <root>/lock is created too. Throws std::runtime_error on failure.
std::string BuildRoot(const RootLayout& layout);
// Rewrites only <root>/firebird.conf: the installed one plus `confLines`.
void WriteConf(const std::string& root, const std::vector<std::string>& confLines);

// True when the current LC_CTYPE's character set is UTF-8.
bool Utf8CharacterType();

}  // namespace fbenv
