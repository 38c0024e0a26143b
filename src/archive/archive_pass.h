// The walk over the appended archive, in its two modes.
#pragma once

#include "platform/platform.h"

inline constexpr int kExtractMode = 0;
inline constexpr int kScanMode = 1;

// Returns 1 when nothing failed, 0 otherwise. window is the main dialog in kExtractMode and
// null in kScanMode.
int RunArchivePass(platform::Window window, int mode);

// The pass's opening steps: opens the program file, positions it at the archive, decides long
// names, reads the check value and builds the CRC table. 1 on success; 0 after reporting, with
// nothing left open. Returns longNames through its argument.
int OpenArchive(platform::Window window, int* longNames);

// Folds the current member's data CRC into program.crcXor, as the scan does for every member.
void AccumulateCheckValue();

// The scan's closing test: when nothing has failed and the settings ask for a check value,
// crcXor must equal it; otherwise "Tampered DATA" is reported and failed set.
void VerifyCheckValue();
