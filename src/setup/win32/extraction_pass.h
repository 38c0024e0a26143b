// The pass that OK starts: every ordinary member written under the extraction directory, then the
// setup actions and the command.
#pragma once

#include <windows.h>

#include "archive/archive_pass.h"
#include "setup/setup_state.h"

// Returns 1 when nothing failed, 0 otherwise (the failure has been shown, owned by dialog). The
// setup actions run after a failed walk too; the command only after a good one.
bool RunExtractionPass(PassArea& area, SetupState& setup, HWND dialog);
