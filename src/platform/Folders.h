#pragma once
// Special folders. Every one can be set by an environment variable, so that tests and the
// demo run against folders of their own; otherwise the XDG folders of the user stand in for
// the Windows shell folders. Results carry no trailing "/" and are not created here.
// An environment variable that is set but empty counts as not set.
//
// | Folder                          | Variable              | Default                                  |
// |---------------------------------|-----------------------|------------------------------------------|
// | common application data         | RENDO_COMMON_APPDATA  | /var/lib/rendo                           |
// | the user's application data     | RENDO_APPDATA         | $XDG_DATA_HOME, else ~/.local/share      |
// | documents                       | RENDO_DOCUMENTS       | $XDG_DOCUMENTS_DIR, else ~/Documents     |
// | desktop                         | RENDO_DESKTOP         | $XDG_DESKTOP_DIR, else ~/Desktop         |
// | temporary files                 | TEMP, TMPDIR          | the first of them naming a folder, else /tmp |
// | system folder                   | RENDO_SYSTEM_DIR      | /usr                                     |
// | configuration root              | RENDO_CONFIG_DIR      | $XDG_CONFIG_HOME/rendo, else ~/.config/rendo |
// | program folder                  | RENDO_PROGRAM_DIR     | the folder of /proc/self/exe             |
// | the database engine's folder    | RENDO_FIREBIRD_DIR    | <runtime folder>/firebird                |
//
// "~" is $HOME, else the home folder of the user's account entry, else "/". The runtime folder
// is RuntimeDir() of NamedLock.h. The engine's folder is the private Firebird root that
// platform/db/FbEnvironment.h describes; "" when there is no runtime folder.
#include <string>

namespace folders {

std::string CommonAppDataDir();
std::string UserAppDataDir();
std::string DocumentsDir();
std::string DesktopDir();
std::string TempDir();
std::string SystemDir();
std::string ConfigDir();
std::string ProgramDir();
std::string EngineDir();
// The program file as it would lie in ProgramDir(): ProgramDir() + "/" + the name of the
// running executable. Start-up passes it where the program's path is asked for, so that
// "the folder of the program path" is ProgramDir() also when RENDO_PROGRAM_DIR moves it.
std::string ProgramFile();

}  // namespace folders
