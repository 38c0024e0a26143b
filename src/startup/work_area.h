// All run-time state of the stub: one zero-filled allocation made at start-up, in the parts that
// the subsystems own.
#pragma once

#include "archive/archive_pass.h"
#include "setup/setup_state.h"
#include "ui/main_dialog.h"

struct WorkArea {
  PassArea pass;  // the run's texts and files, the CRC, the decoder, the member headers
  SetupState setup;
  DialogState dialog;
};
