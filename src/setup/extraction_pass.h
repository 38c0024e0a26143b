// The pass that OK starts: every ordinary member written under the extraction directory.
#pragma once

#include "archive/archive_pass.h"

// Returns 1 when nothing failed, 0 otherwise (the failure has been shown, owned by dialog).
int RunExtractionPass(PassArea& area, platform::Window dialog);
