#pragma once
// The program's side of the framework hooks: what the shared framework (data module, data
// selection and the other framework dialogs) calls back into the host program for.
//
//   MenuHook            NullMenuHook (data/uAccRecordHooks.h): every answer 0
//   RunSyoriModuleProc  RunSyoriModule: starts a registered module by its program id
//   DataCheckHook       VerifyDataFolder: validates a company database, marks it broken
//
// The main form installs them first thing when it is created and clears them when it is
// destroyed. All three run on the main thread.
#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The module interface through which a framework form is started by program id: the starter
// hands it name=value parameter lines, then runs it. The form frees itself when it closes.
class ISyoriKidou {
 public:
  virtual ~ISyoriKidou() = default;
  // Runs the module; its result goes to the starter unchanged.
  virtual int32_t Execute(bool Modal) = 0;
  virtual void SetParams(const std::vector<std::string>& Params) = 0;
};

// Creates the form of a module with the application as owner.
using TSyoriFormClass = std::function<QObject*()>;

// Registers a form class under a program id. A lookup ignores letter case and finds the first
// registration of an id.
void RegisterSyoriClass(const TSyoriFormClass& formClass, const std::string& programId);
// Removes every registration (tests).
void ClearSyoriClasses();

// A new form of the class registered under the id; null when the id is not registered.
QObject* CreateSyoriForm(const std::string& ProgramId);

// Runs the module of the program id. Mode 1 is modal, any other value modeless. Params holds
// name=value lines separated by CR (CR LF and LF are taken too); the line "FormStyle=2" (modal)
// or "FormStyle=0" is appended. Gives the module's Execute result, or -1 when nothing ran: an
// empty id, a start already under way (the hourglass cursor shows), or an id without a form
// that implements the module interface (an error box tells so).
int32_t RunSyoriModule(const std::string& ProgramId, int32_t Mode, const std::string& Params);

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
