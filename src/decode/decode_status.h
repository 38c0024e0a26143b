// How decoding a member ended. The decoder only says so; what follows is its caller's to decide:
// the stub shows the message and stops, the host tool reports it and goes on.
#pragma once

#include <cstdint>

enum DecodeStatus : uint8_t {
  kDecodeDone,
  kDecodeReadFailed,   // the program file could not be read
  kDecodeCutShort,     // the member's data ends before what it declares is decoded
  kDecodeBadTable,     // the stream holds a code that no encoder writes
  kDecodeWriteFailed,  // the member's file took fewer bytes than it was given
  kDecodeCancelled,    // Cancel was pressed during the member
};
