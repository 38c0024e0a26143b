// Where decoded bytes go: the member's file, with the CRC taken over exactly what was written,
// or one of the two texts the scan pass reads from memory.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Writes n bytes to the file handle and folds them into the CRC; with no file (kNoFile) the
// bytes replace the notice or script text that sinkKind names. A failed write stops the process
// with "Write ERROR".
void WriteOut(const uint8_t* bytes, uint32_t n, platform::FileHandle handle);

// Hands the first n bytes of the window to the sink.
void FlushWindow(uint32_t n);
