// Where decoded bytes go: the member's file, with the CRC taken over exactly what was written,
// or one of the two texts the scan reads from memory.
#pragma once

#include <cstdint>

#include "base/crc16.h"
#include "base/run_context.h"
#include "decode/decoder_state.h"

struct OutputSink {
  RunContext& run;  // outFile, and the notice (scratch) and script texts
  CrcState& crc;
  uint8_t kind;  // the text to replace when there is no file
};

// Writes n bytes to the file handle and folds them into the CRC; with no file (kNoFile) the bytes
// replace the notice or script text that the sink's kind names. A failed write stops the process
// with "Write ERROR".
void WriteOut(const OutputSink& sink, const uint8_t* bytes, uint32_t n,
              platform::FileHandle handle);

// Hands the first n bytes of the window to the sink's output file or text.
void FlushWindow(const OutputSink& sink, const uint8_t* window, uint32_t n);
