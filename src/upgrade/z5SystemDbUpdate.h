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

// Sets the builders of the system steps built so far into the list's entries (by version);
// the other entries keep an empty RunProc.
void InstallSystemDbUpdateBuilders(TArrayDbUpdateListRec& systemList);
