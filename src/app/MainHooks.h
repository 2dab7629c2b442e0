#pragma once
// The program's side of the framework hooks: what the shared framework (data module, data
// selection and the other framework dialogs) calls back into the host program for.
//
//   MenuHook            NullMenuHook (data/uAccRecordHooks.h): every answer 0
//   RunSyoriModuleProc  RunSyoriModule (selection/z5Kidou.h): starts a registered module
//                       by its program id
//   DataCheckHook       VerifyDataFolder: validates a company database, marks it broken
//
// The main form installs them first thing when it is created and clears them when it is
// destroyed. All three run on the main thread.
#include <cstdint>
#include <functional>
#include <string>

// Validates the company database of DataFolder on Host (this computer for "" and
// "127.0.0.1"). Result 1: sound. Result 0: broken; SystemDef.DataCheckFailed is set, the user
// is told unless Quiet, the data-list row is marked broken and the data set's settings file
// gets status 10.
void VerifyDataFolder(const std::string& Host, const std::string& DataFolder, int32_t Quiet, int32_t& Result);

// How a database file is checked: true when sound. Replaceable for tests; the default runs
// the engine's validation service (on Host, or in process for an empty host).
using TValidateDataFile = std::function<bool(const std::string& Host, const std::string& DatabaseFile)>;
void SetValidateDataFile(TValidateDataFile validate);
bool ValidateDataFile(const std::string& Host, const std::string& DatabaseFile);

// Installs the three hooks (main form creation) and clears them (its destruction).
void InstallFrameworkHooks();
void ClearFrameworkHooks();
