// The pass before the dialog: every header checked, the check value verified, the notice shown
// with its question and the setup script's first reading.
#pragma once

#include "archive/archive_pass.h"
#include "setup/setup_state.h"

// 1 when the scan found nothing wrong and the notice, if any, was accepted; 0 otherwise (the
// reason has been shown).
int RunScanPass(PassArea& area, SetupState& setup);
