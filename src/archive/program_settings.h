// The program file's settings block, made safe to read, and the switches that follow from its
// flags, as the stub and the host tool both take them.
#pragma once

#include <cstdint>

#include "base/run_context.h"

// Reads the block from the program file named by program.path, then applies the default caption
// and commandLineDir, when the command line named a directory (null otherwise).
void ReadSettingsBlock(RunContext& run, const char* commandLineDir);

// An option as the command line gave it, before it is resolved against the settings flags.
enum OptionState : int { kOptionNotGiven = 0, kOptionOn = 1, kOptionOff = 2 };

// The final switches, from the options and the settings flags.
bool ResolveAutoStart(OptionState given, uint8_t flags);
bool ResolveDateCompare(OptionState noDateCompare, uint8_t flags);
