#pragma once
// Hooks through which the framework dialogs reach the program's main form, and the
// process-wide date format the dialogs set. The main form installs the hooks when it is
// created and clears them when it is destroyed; every caller calls a hook only while it is
// set.
#include <cstdint>
#include <functional>
#include <string>

// Asks the main form about its menu and windows: code 10 gives the number of other process
// windows open, 11 with the text "LomatraMenu" the launcher-menu flag, 4 tells it a dialog
// came up.
using TMenuHook = std::function<int32_t(int32_t code, const std::string& text)>;
// Tells the main form that a dialog was activated.
using TActivateHook = std::function<void(bool flag, int32_t value)>;
// Runs the registered module of a program id (mode 1: modal) with name=value lines joined by
// CR; its result, or -1 when it could not be started.
using TRunSyoriModuleProc =
    std::function<int32_t(const std::string& programId, int32_t mode, const std::string& paramText)>;

extern TMenuHook MenuHook;
extern TActivateHook ActivateHook;
extern TRunSyoriModuleProc RunSyoriModuleProc;

// The menu hook of a program without a launcher menu: every answer is 0, so no other process
// window is ever reported open.
int32_t NullMenuHook(int32_t code, const std::string& text);

// The short date format of the process (a FormatDateTime pattern); creating a framework
// dialog sets it to "YYYY/MM/DD".
extern std::string ShortDateFormat;
