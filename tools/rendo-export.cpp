// Writes the consumption-tax intermediate file of one company data set without the wizard,
// through the same export the wizard runs, and prints the file's path.
//
//   rendo-export DATA_FOLDER OUTPUT_FILE [START_SLOT [END_SLOT]]
//
// Slots are the period numbers 0..15 of the fiscal year; by default the whole fiscal year.
// The installation is found as the program finds it (AppInfo.ini beside the program, the
// application INI below the common application data; the RENDO_* variables move them).
//
// Exit status:
//   0  the file was written; its path is printed on standard output.
//   1  the export refused or failed; the reason is on standard error, and an earlier file
//      of that name is left as it was. Refusals: an output file that is a database file
//      (.fdb, .gdb, .ib, or a file the program has open) or lies in the system folder or in
//      the data set's folder; a start slot after the fiscal year's last one; a company name
//      the file cannot hold. Failures: the data set cannot be opened, a database error
//      (its message names the export's step and table), the file cannot be written.
//   2  usage: a missing or empty argument, a slot outside 0..15, a start slot after the end
//      slot. Nothing is opened.
// Warnings (such as the accounting product missing from the registry) go to standard error
// and do not change the status.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "data/DataModule.h"
#include "data/uAccRecord.h"
#include "data/z5AppInfo.h"
#include "export/ComDataExp.h"
#include "export/sy26Export.h"
#include "platform/Folders.h"
#include "platform/ini/IniFile.h"

namespace {

bool ParseSlot(const char* text, int32_t& slot) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 0 || v > 15) return false;
  slot = static_cast<int32_t>(v);
  return true;
}

// The local connection of the application INI, as the logon would set it.
void SetLocalConnection() {
  const std::string appData = folders::CommonAppDataDir() + "/" + fw::HomeDir;
  TIniFile ini(appData + "/" + fw::AppName + ".ini");
  ConnectMode = 0;
  SystemDef.HostName = "";
  SystemDef.SysDir = ini.ReadString("LOCAL", "SYSDIR", "");
  SystemDef.DbUser = ini.ReadString("LOCAL", "USER", "GKFMCB");
  SystemDef.DbPassword = ini.ReadString("LOCAL", "PASSWORD", "mirsol");
  SystemDef.LogDir = appData + "/log";
  SystemDef.GroupId = 10000;
}

}  // namespace

int main(int argc, char** argv) {
  const char* const usage = "usage: %s DATA_FOLDER OUTPUT_FILE [START_SLOT [END_SLOT]]  (slots 0..15)\n";
  int32_t start = 0;
  int32_t end = kLastSlotOfYear;
  if (argc < 3 || argc > 5 || argv[1][0] == '\0' || argv[2][0] == '\0' || (argc >= 4 && !ParseSlot(argv[3], start)) ||
      (argc == 5 && !ParseSlot(argv[4], end))) {
    std::fprintf(stderr, usage, argv[0]);
    return 2;
  }
  if (argc == 5 && start > end) {
    std::fprintf(stderr, "rendo-export: 開始期間 %d が終了期間 %d より後です。\n", start, end);
    std::fprintf(stderr, usage, argv[0]);
    return 2;
  }
  try {
    const std::string output = std::filesystem::absolute(argv[2]).string();
    if (LoadAppInfo(folders::ProgramFile(), AppInfo) != 1) {
      std::fprintf(stderr, "rendo-export: AppInfo.ini is missing or unreadable in %s\n", folders::ProgramDir().c_str());
      return 1;
    }
    ApplyAppInfo(0);
    SetLocalConnection();
    CreateDataModule();
    ExportSyohizeiFile(argv[1], start, end, output);
    FreeDataModule();
    std::printf("%s\n", output.c_str());
    return 0;
  } catch (const EDataExportError& e) {
    std::fprintf(stderr, "rendo-export: %s %s\n", e.what(), e.Detail.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "rendo-export: %s\n", e.what());
  }
  FreeDataModule();
  return 1;
}
