// Decoding one member's data into its sink.
#pragma once

#include <cstdint>

#include "decode/decode_status.h"
#include "decode/decoder_state.h"
#include "decode/methods.h"
#include "decode/output_sink.h"

// What the decoder takes from a member's header.
struct MemberData {
  const Method& method;
  uint32_t packedSize;
  uint32_t unpackedSize;
};

// A method of older archivers, named by its own five bytes, which brings its own decoder: the
// host tool reads such members, the stub never meets them.
struct OlderMethod : Method {
  char name[6];
  DecodeStatus (*decode)(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                         const MemberData& member);
};

// Resets the CRC, then copies, decodes or (for a directory) does nothing, by the member's method,
// reading the member's data from archive, which stands at its start. Stops at the first failure
// and says which; nothing decoded after a failure reaches the sink.
DecodeStatus DecodeMemberData(const OutputSink& sink, DecoderState& state,
                              platform::FileHandle archive, const MemberData& member);
