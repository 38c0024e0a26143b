// Decoding one member's data into the sink chosen by outFile and sinkKind.
#pragma once

#include <cstdint>

#include "decode/bit_reader.h"

// Sets np and pBit for the method letter ('4' to '7'), starts the bit reader at the member's
// data and leaves blockLeft at 0, so that the first symbol reads a block header.
BitReader PrepareDecoder(char method);

// Decodes the current -lh4- to -lh7- member. Returns only when the member is complete.
void DecodeMember();

// Copies size bytes of a stored member from the archive file.
void CopyStored(int32_t size);

// Resets the CRC and the input buffer, then copies, decodes or (for a directory) does nothing,
// by the current header's method.
void DecodeMemberData();
