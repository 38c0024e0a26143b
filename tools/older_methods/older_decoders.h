// The decoders of the older methods, each reading a member's data from archive, which stands at
// its start, into the sink; each stops at its first failure and says which.
#pragma once

#include "decode/member_decoder.h"

DecodeStatus DecodeLh1(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member);
DecodeStatus DecodeLz5(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member);
DecodeStatus DecodeLzs(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member);
DecodeStatus DecodePm2(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member);

DecodeStatus DecodePm1(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member);
