#pragma once
// The script builders of the system-database upgrade steps. Each writes its step's script in
// the frame of z5DbUpdateScript.h, has isql run it and returns the step result code.
#include <cstdint>

#include "upgrade/z5DbUpdateList.h"

int32_t ExecSystemDbUpdate031();
int32_t ExecSystemDbUpdate032();
int32_t ExecSystemDbUpdate033();
int32_t ExecSystemDbUpdate101();
int32_t ExecSystemDbUpdate300();
int32_t ExecSystemDbUpdate305();
int32_t ExecSystemDbUpdate307();
int32_t ExecSystemDbUpdate400();
int32_t ExecSystemDbUpdate402();
int32_t ExecSystemDbUpdate500();
int32_t ExecSystemDbUpdate700();
int32_t ExecSystemDbUpdate704();
int32_t ExecSystemDbUpdate800();
int32_t ExecSystemDbUpdate802();
int32_t ExecSystemDbUpdate904();

// The conversions that the steps 7.0.0, 8.0.2 and 9.0.4 do through the data module.
namespace sysupdate {
// The office details of SYSTEMINI row 10: lines ended by CR alone, marked converted (RESERVE3
// 1). Only a row whose RESERVE1 is 1 is rewritten.
void ConvertSystemIniAddress();
// JOBCONTROL2 rows (level, program id, option) for the old page-and-slot rights of JOBCONTROL.
void ConvertJobControl2();
// Eight per-operator dictionary settings from the two of SYSDEF and the two input settings.
void ConvertDicAutoSettings();
// The four settings of one side (description or partner): dictionary, association, automatic,
// no input, from the SYSDEF value (0 none, 1 dictionary, 2 association) and the input setting.
struct TDicSide {
  int32_t Dictionary = 0, Association = 0, Automatic = 0, NoInput = 0;
};
TDicSide DicSettings(int32_t autoKind, int32_t inputKind);
// Runs a conversion in one transaction of the system database: committed when it ends, rolled
// back when it raises (then 19). The connection is closed afterwards in every case.
int32_t RunPostStep(void (*conversion)());
}  // namespace sysupdate

// Sets the builders of the system steps built so far into the list's entries (by version);
// the other entries keep an empty RunProc.
void InstallSystemDbUpdateBuilders(TArrayDbUpdateListRec& systemList);
