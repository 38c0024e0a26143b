// Where decoded bytes go: the member's file, with the CRC taken over exactly what was written and
// the progress line kept up to date, or one of the two texts the scan reads from memory.
#pragma once

#include <cstdint>

#include "base/crc16.h"
#include "decode/decode_status.h"
#include "platform/platform.h"

struct OutputSink {
  platform::FileHandle file;  // kNoFile: the bytes replace text
  char* text;
  uint32_t textCapacity;
  CrcState& crc;
  platform::Window dialog;      // where the progress line is
  const bool* cancelRequested;  // set by the dialog's Cancel while messages are let through
};

// Writes n bytes to the sink's file and folds them into the CRC; with no file the bytes replace
// the text, which ends at a zero byte. kDecodeWriteFailed when the file did not take them all.
DecodeStatus WriteOut(const OutputSink& sink, const uint8_t* bytes, uint32_t n);

// After done of total bytes have gone to a file: shows "Extract... N%", lets pending messages
// through, and says kDecodeCancelled when Cancel was pressed meanwhile. Texts have no progress.
DecodeStatus ReportProgress(const OutputSink& sink, uint32_t done, uint32_t total);
