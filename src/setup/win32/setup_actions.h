// What the setup script asks for once the files are on disk: file classes, program groups, the
// announcement of the changed settings, and the command.
#pragma once

#include <windows.h>

#include "base/run_context.h"
#include "setup/setup_state.h"

// The script's second reading: every "$Class=" line while the Set Class box is checked and every
// "$Group=" line while the Start Menu box is, in script order, one finished before the next; then
// WM_WININICHANGE to every top-level window. An action line whose fields do not fit is skipped.
void RunSetupActions(RunContext& run, SetupState& setup, HWND dialog);

// Starts the command through the shell in the extraction directory, unless it is empty or the
// pass failed.
void LaunchCommand(RunContext& run);
