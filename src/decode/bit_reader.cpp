#include "decode/bit_reader.h"

BitReader StartBitReader(platform::FileHandle file, DecoderState& state, uint32_t packedSize) {
  // Every member starts on a fresh load, so nothing of inBuf is taken over.
  BitReader reader{};
  reader.unloaded = packedSize;
  reader.file = file;
  reader.inBuf = state.inBuf;
  FillBitCache(reader);
  return reader;
}

// Loads the next part of the member: as much as inBuf holds, never more than the member has. A
// failed load leaves the member without further bytes, so the stream runs on into zeros.
static void LoadInput(BitReader& reader) {
  const uint32_t size = reader.unloaded < kInBufSize ? reader.unloaded : kInBufSize;
  const int32_t got = platform::Read(reader.file, reader.inBuf, size);
  reader.next = reader.inBuf;
  reader.end = reader.inBuf + size;
  reader.unloaded -= size;
  if (got != static_cast<int32_t>(size)) {
    FailReader(reader, got == -1 ? kDecodeReadFailed : kDecodeCutShort);
    reader.end = reader.next;
    reader.unloaded = 0;
  }
}

void FillBitCacheSlowly(BitReader& reader) {
  while (reader.count <= kCacheBits - 8) {
    if (reader.next == reader.end) {
      if (reader.unloaded != 0 && reader.count < kLookAheadBits) LoadInput(reader);
      if (reader.next == reader.end) {
        // Past the member's end the stream is zeros; they are added in whole bytes so that the
        // cache stays aligned with the bytes it came from.
        if (reader.unloaded != 0) break;
        if (TookBitsPastTheEnd(reader)) FailReader(reader, kDecodeCutShort);
        const uint32_t added = (kCacheBits - reader.count) & ~7u;
        reader.count += added;
        reader.zeros += added;
        break;
      }
    }
    reader.cache |= static_cast<BitCache>(*reader.next++) << (kCacheBits - 8 - reader.count);
    reader.count += 8;
  }
}
