#include "data/uAccRecordHooks.h"

TMenuHook MenuHook;
TActivateHook ActivateHook;
TRunSyoriModuleProc RunSyoriModuleProc;

int32_t NullMenuHook(int32_t, const std::string&) { return 0; }

std::string ShortDateFormat = "yyyy/mm/dd";
