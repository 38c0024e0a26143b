// -lz5- and -lzs-: the two methods of the older LZ archiver whose archives carry the .lzs suffix.
// Neither has any entropy code: literals and matches come as they are, and a match names its
// source by its place in a ring of the method's size rather than by distance, the ring starting
// a maximal match length before its end.
#include <cstring>

#include "decode/bit_reader.h"
#include "older_methods/member_end.h"
#include "older_methods/older_decoders.h"
#include "older_methods/window_output.h"

namespace {

// The distance back of ring place `place` from the byte about to be produced, where the first
// byte sits at `start` in a ring of `size` places (a power of 2). A place equal to the next
// byte's names the oldest byte, a full ring back.
uint32_t DistanceOf(uint32_t place, uint32_t start, uint32_t size, const WindowOutput& out) {
  const uint32_t next = start + out.Produced();
  return ((next - place - 1) & (size - 1)) + 1;
}

constexpr uint32_t kLz5Ring = 4096;
constexpr uint32_t kLz5Start = kLz5Ring - 18;
constexpr uint32_t kLz5MinMatch = 3;

// The ring -lz5- starts from, so that even a member's first bytes can be matches: runs of 13 of
// each byte value, the values rising and then falling, 128 zeros and spaces up to the first
// byte's place; the places from there to the ring's end hold zeros.
void PresetLz5Ring(WindowOutput& out) {
  // Laid out as the window takes it: from a full ring back to the byte just before the first.
  uint8_t ring[kLz5Ring];
  std::memset(ring, 0, kLz5Ring - kLz5Start);
  std::memset(ring + kLz5Ring - kLz5Start, ' ', kLz5Start);
  uint8_t* at = ring + (kLz5Ring - kLz5Start);
  for (uint32_t value = 0; value < 256; ++value, at += 13)
    std::memset(at, static_cast<int>(value), 13);
  for (uint32_t value = 0; value < 256; ++value) *at++ = static_cast<uint8_t>(value);
  for (uint32_t value = 0; value < 256; ++value) *at++ = static_cast<uint8_t>(255 - value);
  std::memset(at, 0, 128);
  out.Preset(ring, kLz5Ring);
}

constexpr uint32_t kLzsRing = 2048;
constexpr uint32_t kLzsStart = kLzsRing - 17;
constexpr uint32_t kLzsMinMatch = 2;

}  // namespace

// Byte-oriented: a flag byte rules the next eight items from its lowest bit up, a set bit for a
// literal byte, a clear one for a match of two bytes: the place's low 8 bits, then its high 4
// bits above the length less 3.
DecodeStatus DecodeLz5(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member) {
  WindowOutput out(sink, state, member.unpackedSize);
  PresetLz5Ring(out);
  BitReader reader = StartBitReader(archive, state, member.packedSize);
  uint32_t flags = 1;  // the flag bits still to use above a marker bit; just the marker: none
  while (!out.Finished() && reader.status == kDecodeDone) {
    if (flags == 1) flags = TakeBits(reader, 8) | 0x100;
    const bool literal = (flags & 1) != 0;
    flags >>= 1;
    if (literal) {
      out.Put(static_cast<uint8_t>(TakeBits(reader, 8)));
      continue;
    }
    const uint32_t low = TakeBits(reader, 8);
    const uint32_t high = TakeBits(reader, 8);
    const uint32_t place = (high & 0xf0) << 4 | low;
    out.Copy(DistanceOf(place, kLz5Start, kLz5Ring, out), (high & 0x0f) + kLz5MinMatch);
  }
  return EndMember(reader, out, archive);
}

// A bit stream: a set bit and a literal byte, or a clear bit, an 11-bit place and a 4-bit length
// less 2. Either fits in one 16-bit look.
DecodeStatus DecodeLzs(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member) {
  WindowOutput out(sink, state, member.unpackedSize);
  out.PresetSpaces(kLzsRing);
  BitReader reader = StartBitReader(archive, state, member.packedSize);
  while (!out.Finished() && reader.status == kDecodeDone) {
    const uint32_t bits = PeekBits(reader, 16);
    if ((bits & 0x8000) != 0) {
      ShiftInBits(reader, 9);
      out.Put(static_cast<uint8_t>(bits >> 7));
      continue;
    }
    ShiftInBits(reader, 16);
    const uint32_t place = bits >> 4 & (kLzsRing - 1);
    out.Copy(DistanceOf(place, kLzsStart, kLzsRing, out), (bits & 15) + kLzsMinMatch);
  }
  return EndMember(reader, out, archive);
}
