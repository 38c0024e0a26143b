// Start-up's reading of the settings block from the program file.
#pragma once

#include "base/run_context.h"

// Reads the block from the program file named by modulePath, then applies the default caption
// and commandLineDir, when the command line named a directory (null otherwise).
void ReadSettingsBlock(RunContext& run, const char* commandLineDir);
