// The progress line of the extraction.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The two lines of the main dialog that the extraction writes to while it runs, by their ids in
// the dialog's template.
inline constexpr int kStatusItem = 101;    // the member being extracted
inline constexpr int kProgressItem = 102;  // "Extract... N%"

// The whole percent of done out of total, at most 100; 100 for a total under 100 bytes.
uint32_t ProgressPercent(uint32_t done, uint32_t total);

// Writes "Extract... N%" into the dialog's progress line.
void ShowProgressText(platform::Window dialog, uint32_t percent);
