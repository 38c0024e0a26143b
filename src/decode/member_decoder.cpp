#include "decode/member_decoder.h"

#include "archive/member_header.h"
#include "decode/code_tables.h"
#include "decode/match_copy.h"
#include "decode/output_sink.h"
#include "decode/progress.h"
#include "startup/error_report.h"
#include "startup/work_area.h"

inline constexpr uint32_t kWindowMask = kWindowSize - 1;
inline constexpr uint32_t kLiteralLimit = 256;
inline constexpr uint32_t kMinMatch = 3;

// Sets np and pBit for the method letter ('4' to '7'), starts the bit reader at the member's
// data and leaves blockLeft at 0, so that the first symbol reads a block header.
static BitReader PrepareDecoder(char method) {
  const bool wide = method == '6' || method == '7';
  work->np = wide ? 17 : 14;
  work->pBit = wide ? 5 : 4;
  work->blockLeft = 0;
  return StartBitReader();
}

static void ReadBlockHeader(BitReader& reader) {
  work->blockLeft = static_cast<uint16_t>(TakeBits(reader, 16));
  ReadSmallLengths(reader, kCodeLengthSymbols, 5, 3);
  ReadLiteralLengths(reader);
  ReadSmallLengths(reader, work->np, work->pBit, kNoZeroRun);
}

// blockLeft counts the current block's symbols still to come; a block size of 0 means 65536.
// The decoder's tables are reached through one local reference to the work area, since a store
// into the window may alias anything reached through `work` itself.
static inline uint32_t DecodeSymbol(BitReader& reader, uint32_t& blockLeft, WorkArea& area) {
  if (blockLeft == 0) {
    // A copy goes out by reference, so that the loop's own reader can stay in registers.
    BitReader afterHeader = reader;
    ReadBlockHeader(afterHeader);
    reader = afterHeader;
    blockLeft = work->blockLeft == 0 ? 65536 : work->blockLeft;
  }
  --blockLeft;
  return LookUpSymbol(reader, area.literalTable, kLiteralTableBits, kLiteralSymbols,
                      area.literalLengths);
}

// Codes 0 and 1 are the positions themselves; a code c above them is 2^(c-1) plus c-1 more
// bits. Worked out without a branch, since which one comes next cannot be foreseen.
static inline uint32_t DecodePosition(BitReader& reader, WorkArea& area) {
  const uint32_t code =
      LookUpSymbol(reader, area.smallTable, kSmallTableBits, area.np, area.smallLengths);
  const uint32_t extraBits = code - (code != 0);
  const auto extra = static_cast<uint32_t>(reader.cache >> 1 >> (kCacheBits - 1 - extraBits));
  ShiftInBits(reader, extraBits);
  return (1u << extraBits) - (code == 0) + extra;
}

// Hands a full window to the sink; a file sink also shows how far the member has come.
static void FlushFullWindow(uint32_t done) {
  FlushWindow(kWindowSize);
  if (work->outFile != platform::kNoFile) ReportProgress(done, work->origSize);
}

void DecodeMember() {
  const MemberHeader& header = CurrentHeader();
  work->origSize = header.unpackedSize;
  work->compLeft = header.packedSize;
  work->crc = 0;
  work->windowSize = kWindowSize;
  BitReader reader = PrepareDecoder(MethodLetter());
  WorkArea& area = *work;
  uint8_t* const window = area.window;
  const uint32_t origSize = area.origSize;
  uint32_t blockLeft = 0;
  // The bytes produced so far are flushed + fill: kept apart, a literal costs one comparison
  // against the end of what the window may still take.
  uint32_t flushed = 0;
  uint32_t fill = 0;
  while (flushed + fill < origSize) {
    const uint32_t rest = origSize - flushed;
    const uint32_t stop = rest < kWindowSize ? rest : kWindowSize;
    while (fill < stop) {
      const uint32_t symbol = DecodeSymbol(reader, blockLeft, area);
      if (symbol < kLiteralLimit) {
        window[fill++] = static_cast<uint8_t>(symbol);
        continue;
      }
      const uint32_t length = symbol - kLiteralLimit + kMinMatch;
      const uint32_t source = (fill - DecodePosition(reader, area) - 1) & kWindowMask;
      if (fill + length < kWindowSize && source + length <= kWindowSize) {
        CopyMatch(window, fill, source, length);
        fill += length;
        continue;
      }
      // A match that reaches the window's end or wraps goes byte by byte, flushing on the way;
      // it counts whole from the start, even when it runs past the member's size.
      const uint32_t done = flushed + fill + length;
      for (uint32_t j = 0; j < length; ++j) {
        window[fill] = window[(source + j) & kWindowMask];
        if (++fill == kWindowSize) {
          FlushFullWindow(done);
          flushed += kWindowSize;
          fill = 0;
        }
      }
      break;
    }
    if (fill == kWindowSize) {
      FlushFullWindow(flushed + kWindowSize);
      flushed += kWindowSize;
      fill = 0;
    }
  }
  const uint32_t outCount = flushed + fill;
  if (fill != 0) {
    FlushWindow(fill);
    if (area.outFile != platform::kNoFile) ReportProgress(outCount, origSize);
  }
  area.outCount = outCount;
  area.windowFill = fill;
  area.blockLeft = static_cast<uint16_t>(blockLeft);
  StoreBitReader(reader);
}

void CopyStored(int32_t size) {
  work->crc = 0;
  // The program file's positions are signed 32-bit numbers, so it cannot hold 2^31 bytes of
  // data after a header: such a size can only end in a short read, and says so at once.
  if (size < 0) {
    FailRead();
    FatalStop(1);
  }
  int32_t remaining = size;
  while (remaining > 0) {
    const int32_t chunk = remaining < static_cast<int32_t>(kWindowSize)
                              ? remaining
                              : static_cast<int32_t>(kWindowSize);
    if (platform::Read(work->archiveFile, work->window, static_cast<uint32_t>(chunk)) != chunk) {
      FailRead();
      FatalStop(1);
    }
    FlushWindow(static_cast<uint32_t>(chunk));
    if (work->outFile != platform::kNoFile) {
      ReportProgress(static_cast<uint32_t>(size - remaining), static_cast<uint32_t>(size));
    }
    remaining -= chunk;
  }
}

void DecodeMemberData() {
  work->crc = 0;
  work->inPos = 0xFFFFFFFF;
  const char method = MethodLetter();
  if (method == '0') {
    CopyStored(static_cast<int32_t>(CurrentHeader().unpackedSize));
  } else if (method != 'd') {
    DecodeMember();
  }
}
