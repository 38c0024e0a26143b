// The main dialog, in which the user confirms the directory and starts the extraction.
#pragma once

#include "archive/archive_pass.h"
#include "setup/setup_state.h"

// Shows the dialog modally over the program's instance; its result, or -1 when it cannot be
// created.
int RunMainDialog(void* instance, PassArea& area, SetupState& setup);
