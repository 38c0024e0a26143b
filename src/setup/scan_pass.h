// The pass before the dialog: every header checked, the check value verified, the notice shown
// with its question and the setup script's first reading.
#pragma once

#include "archive/archive_pass.h"
#include "setup/setup_state.h"

// true when the scan found nothing wrong and the notice, if any, was accepted; false otherwise
// (the reason has been shown).
bool RunScanPass(PassArea& area, SetupState& setup);
