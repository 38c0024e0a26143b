// The compressed data of one member as a stream of bits, most significant bit of each byte
// first, followed by zero bits without end. Bytes come from the program file in loads of at most
// 16384 bytes into inBuf, and a load is made only at the moment the stream's 16-bit lookahead
// reaches into it, so that the file never moves past the member's data and the loads fall
// exactly where a reader holding just 16 bits ahead would make them.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "decode/decode_status.h"
#include "decode/decoder_state.h"
#include "platform/platform.h"

// A register-wide cache of the next stream bits; between the decoder's steps it always holds at
// least the 16 bits that the lookups may look at.
using BitCache = std::conditional_t<(sizeof(void*) >= 8), uint64_t, uint32_t>;
inline constexpr uint32_t kCacheBits = sizeof(BitCache) * 8;
inline constexpr uint32_t kLookAheadBits = 16;

struct BitReader {
  BitCache cache;       // next stream bits from the top; below `count` zeros or later bits
  uint32_t count;       // valid bits at the top of cache
  const uint8_t* next;  // bytes loaded into inBuf and not yet moved into cache, up to `end`
  const uint8_t* end;
  uint32_t unloaded;  // member bytes still in the file
  uint32_t zeros;     // bits added past the member's end; more than count means some were taken
  platform::FileHandle file;
  uint8_t* inBuf;
  // The first failure met, kept with the reader so that the decoding loop can test it in a
  // register; once set, the stream goes on as zeros and nothing more is read.
  DecodeStatus status;
};

// A reader at the start of a member's data of packedSize bytes in file, its lookahead filled.
// Decoding may look ahead past the member's end but never take a bit from there: an encoder
// flushes its last bits into the member's last byte, so a member that needs more is cut short.
BitReader StartBitReader(platform::FileHandle file, DecoderState& state, uint32_t packedSize);

// Records a failure unless an earlier one is already there: the first is the one to tell.
inline void FailReader(BitReader& reader, DecodeStatus status) {
  if (reader.status == kDecodeDone) reader.status = status;
}

// Whether bits have been taken from past the member's end, not merely looked at: zeros beyond
// those still in the cache have left it.
inline bool TookBitsPastTheEnd(const BitReader& reader) {
  return reader.zeros > reader.count;
}

// Moves bytes into the cache, loading the next part of the member from the file when the
// lookahead needs it. Callers hand it a copy, so that their own reader never has its address
// taken and can stay in registers while bytes are stored into the window.
void FillBitCacheSlowly(BitReader& reader);

inline BitCache LoadBigEndian(const uint8_t* bytes) {
  BitCache word;
  std::memcpy(&word, bytes, sizeof word);
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if constexpr (sizeof word == 8)
    return __builtin_bswap64(word);
  else
    return __builtin_bswap32(word);
#else
  BitCache value = 0;
  for (uint32_t i = 0; i < sizeof word; ++i) value = value << 8 | bytes[i];
  return value;
#endif
}

// Called when the lookahead has run short, so the cache has room for a word's worth of bytes.
inline void FillBitCache(BitReader& reader) {
  if (reader.end - reader.next >= static_cast<intptr_t>(sizeof(BitCache))) {
    // One unaligned word tops the cache up to kCacheBits - 8 or more; the part of the last
    // byte that did not fit is taken again, whole, by the next fill.
    reader.cache |= LoadBigEndian(reader.next) >> reader.count;
    reader.next += (kCacheBits - 1 - reader.count) >> 3;
    reader.count |= kCacheBits - 8;
  } else {
    BitReader filled = reader;
    FillBitCacheSlowly(filled);
    reader = filled;
  }
}

// The next n stream bits (1 to 16) without consuming them.
inline uint32_t PeekBits(const BitReader& reader, uint32_t n) {
  return static_cast<uint32_t>(reader.cache >> (kCacheBits - n));
}

// Consumes n bits (at most 16 beyond the lookahead, which is all a well-formed code needs).
inline void ShiftInBits(BitReader& reader, uint32_t n) {
  reader.cache <<= n;
  reader.count -= n;
  if (reader.count < kLookAheadBits) FillBitCache(reader);
}

inline uint32_t TakeBits(BitReader& reader, uint32_t n) {
  const uint32_t value = PeekBits(reader, n);
  ShiftInBits(reader, n);
  return value;
}
