#include "decode/bit_reader.h"

#include "startup/error_report.h"
#include "startup/work_area.h"

BitReader StartBitReader() {
  // Every member starts on a fresh load, so nothing of inBuf is taken over.
  BitReader reader{};
  reader.unloaded = work->compLeft;
  FillBitCache(reader);
  return reader;
}

void StoreBitReader(BitReader reader) {
  // The resting form holds 16 bits in bitBuf and the rest of the last byte taken in subBitBuf;
  // whole bytes the cache took beyond that go back to inBuf.
  const uint32_t realBits = reader.count > reader.zeroBits ? reader.count - reader.zeroBits : 0;
  const uint32_t returned = realBits > kLookAheadBits ? (realBits - kLookAheadBits) >> 3 : 0;
  const uint32_t bitCount = (reader.count - kLookAheadBits) & 7;
  const BitCache rest = reader.cache << kLookAheadBits;
  work->bitBuf = static_cast<uint16_t>(reader.cache >> (kCacheBits - kLookAheadBits));
  work->bitCount = static_cast<uint8_t>(bitCount);
  work->subBitBuf = static_cast<uint8_t>((rest >> (kCacheBits - 8)) & (0xFF00u >> bitCount));
  work->compLeft = reader.unloaded + static_cast<uint32_t>(reader.end - reader.next) + returned;
  if (reader.end != nullptr) {
    work->inPos = static_cast<uint32_t>(reader.next - work->inBuf) - returned;
  }
}

// Loads the next part of the member: as much as inBuf holds, never more than the member has.
static void LoadInput(BitReader& reader) {
  const uint32_t size = reader.unloaded < kInBufSize ? reader.unloaded : kInBufSize;
  if (platform::Read(work->archiveFile, work->inBuf, size) != static_cast<int32_t>(size)) {
    FailRead();
    FatalStop(1);
  }
  reader.next = work->inBuf;
  reader.end = work->inBuf + size;
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
