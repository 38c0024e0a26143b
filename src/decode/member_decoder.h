// Decoding one member's data into the sink chosen by outFile and sinkKind.
#pragma once

#include <cstdint>

// Decodes the current -lh4- to -lh7- member. Returns only when the member is complete.
void DecodeMember();

// Copies size bytes of a stored member from the archive file.
void CopyStored(int32_t size);

// Resets the CRC and the input buffer, then copies, decodes or (for a directory) does nothing,
// by the current header's method.
void DecodeMemberData();
