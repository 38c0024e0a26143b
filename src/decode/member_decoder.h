// Decoding one member's data into its sink.
#pragma once

#include <cstdint>

#include "decode/decoder_state.h"
#include "decode/methods.h"
#include "decode/output_sink.h"

// What the decoder takes from a member's header.
struct MemberData {
  const Method& method;
  uint32_t packedSize;
  uint32_t unpackedSize;
};

// Decodes a compressed member, the archive file standing at its data. Returns only when the
// member is complete; every failure ends the process.
void DecodeMember(const OutputSink& sink, DecoderState& state, const MemberData& member);

// Copies size bytes of a stored member from the archive file.
void CopyStored(const OutputSink& sink, DecoderState& state, int32_t size);

// Resets the CRC and the input buffer, then copies, decodes or (for a directory) does nothing,
// by the member's method.
void DecodeMemberData(const OutputSink& sink, DecoderState& state, const MemberData& member);
