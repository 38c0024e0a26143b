// The main dialog, in which the user confirms the directory and starts the extraction.
#pragma once

#include <cstdint>

#include "archive/archive_pass.h"
#include "setup/setup_state.h"

// The directory chooser's fields: the caption of its boxes, the common dialog's file-name field,
// and the directory chosen.
struct ChooserState {
  const char* caption;
  char fileName[kPathCapacity];
  char directory[kDirCapacity];
};

// The dialog's part of the work area.
struct DialogState {
  bool extracting;  // set when OK starts the pass; never cleared, the dialog ends after it
  ChooserState chooser;
};

// Shows the dialog modally over the program's instance; its result: 1 after the extraction, 0
// when cancelled before it, -1 when the dialog cannot be created.
int RunMainDialog(void* instance, PassArea& area, SetupState& setup, DialogState& dialog);
