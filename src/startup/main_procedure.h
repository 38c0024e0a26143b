// The program's main procedure: from the process start to the exit code.
#pragma once

#include "startup/work_area.h"

// Shows the main dialog over the work area once the scan has found nothing wrong; its result is
// the program's exit code. The stub's is RunMainDialog; the host has none, so its tests bring one.
using MainDialog = int (*)(void* instance, PassArea& area, SetupState& setup, DialogState& dialog);

// tail is the command line without the program name. Returns the exit code.
int RunProgram(void* instance, const char* tail, MainDialog showDialog);
