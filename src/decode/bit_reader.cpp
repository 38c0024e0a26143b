#include "decode/bit_reader.h"

#include "base/error_report.h"

BitReader StartBitReader(RunContext& run, DecoderState& state) {
  // Every member starts on a fresh load, so nothing of inBuf is taken over.
  BitReader reader{};
  reader.unloaded = state.compLeft;
  reader.run = &run;
  reader.inBuf = state.inBuf;
  FillBitCache(reader);
  return reader;
}

void StoreBitReader(BitReader reader, DecoderState& state) {
  // The resting form holds 16 bits in bitBuf and the rest of the last byte taken in subBitBuf;
  // whole bytes the cache took beyond that go back to inBuf.
  const uint32_t realBits = reader.count > reader.zeroBits ? reader.count - reader.zeroBits : 0;
  const uint32_t returned = realBits > kLookAheadBits ? (realBits - kLookAheadBits) >> 3 : 0;
  const uint32_t bitCount = (reader.count - kLookAheadBits) & 7;
  const BitCache rest = reader.cache << kLookAheadBits;
  state.bitBuf = static_cast<uint16_t>(reader.cache >> (kCacheBits - kLookAheadBits));
  state.bitCount = static_cast<uint8_t>(bitCount);
  state.subBitBuf = static_cast<uint8_t>((rest >> (kCacheBits - 8)) & (0xFF00u >> bitCount));
  state.compLeft = reader.unloaded + static_cast<uint32_t>(reader.end - reader.next) + returned;
  if (reader.end != nullptr) {
    state.inPos = static_cast<uint32_t>(reader.next - reader.inBuf) - returned;
  }
}

// Loads the next part of the member: as much as inBuf holds, never more than the member has.
static void LoadInput(BitReader& reader) {
  const uint32_t size = reader.unloaded < kInBufSize ? reader.unloaded : kInBufSize;
  RunContext& run = *reader.run;
  if (platform::Read(run.archiveFile, reader.inBuf, size) != static_cast<int32_t>(size)) {
    FailRead(run);
    FatalStop(run, 1);
  }
  reader.next = reader.inBuf;
  reader.end = reader.inBuf + size;
  reader.unloaded -= size;
}

static uint8_t NextInputByte(BitReader& reader) {
  if (reader.next == reader.end) LoadInput(reader);
  return *reader.next++;
}

void FillBitCacheSlowly(BitReader& reader) {
  while (reader.count <= kCacheBits - 8) {
    if (reader.next == reader.end) {
      if (reader.unloaded == 0) {
        // Past the member's end the stream is zeros; they are added in whole bytes so that the
        // cache stays aligned with the bytes it came from.
        const uint32_t realBits =
            reader.count > reader.zeroBits ? reader.count - reader.zeroBits : 0;
        reader.count += (kCacheBits - reader.count) & ~7u;
        reader.zeroBits = reader.count - realBits;
        break;
      }
      if (reader.count >= kLookAheadBits) break;
    }
    reader.cache |= static_cast<BitCache>(NextInputByte(reader)) << (kCacheBits - 8 - reader.count);
    reader.count += 8;
  }
}
