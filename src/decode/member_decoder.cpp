#include "decode/member_decoder.h"

#include "base/build_profile.h"
#include "base/error_report.h"
#include "decode/code_tables.h"
#include "decode/match_copy.h"
#include "decode/progress.h"

inline constexpr uint32_t kWindowMask = kWindowSize - 1;
inline constexpr uint32_t kLiteralLimit = 256;
inline constexpr uint32_t kMinMatch = 3;

// Sets the position code's shape for the method, starts the bit reader at the member's data and
// leaves blockLeft at 0, so that the first symbol reads a block header.
static BitReader PrepareDecoder(RunContext& run, DecoderState& state, const Method& method) {
  state.positionSlots = method.positionSlots;
  state.slotCountWidth = method.slotCountWidth;
  state.blockLeft = 0;
  return StartBitReader(run, state);
}

static void ReadBlockHeader(BitReader& reader, DecoderState& state) {
  state.blockLeft = static_cast<uint16_t>(TakeBits(reader, 16));
  ReadSmallLengths(reader, state, kCodeLengthSymbols, 5, 3);
  ReadLiteralLengths(reader, state);
  ReadSmallLengths(reader, state, state.positionSlots, state.slotCountWidth, kNoZeroRun);
}

// blockLeft counts the current block's symbols still to come; a block size of 0 means 65536.
static inline uint32_t DecodeSymbol(BitReader& reader, uint32_t& blockLeft, DecoderState& state) {
  if (blockLeft == 0) {
    // A copy goes out by reference, so that the loop's own reader can stay in registers.
    BitReader afterHeader = reader;
    ReadBlockHeader(afterHeader, state);
    reader = afterHeader;
    blockLeft = state.blockLeft == 0 ? 65536 : state.blockLeft;
  }
  --blockLeft;
  return LookUpSymbol(reader, state, state.literalTable, kLiteralTableBits, kLiteralSymbols,
                      state.literalLengths);
}

// Codes 0 and 1 are the positions themselves; a code c above them is 2^(c-1) plus c-1 more
// bits. Worked out without a branch, since which one comes next cannot be foreseen.
static inline uint32_t DecodePosition(BitReader& reader, const DecoderState& state) {
  const uint32_t code = LookUpSymbol(reader, state, state.smallTable, kSmallTableBits,
                                     state.positionSlots, state.smallLengths);
  const uint32_t extraBits = code - (code != 0);
  const auto extra = static_cast<uint32_t>(reader.cache >> 1 >> (kCacheBits - 1 - extraBits));
  ShiftInBits(reader, extraBits);
  return (1u << extraBits) - (code == 0) + extra;
}

// Hands a full window to the sink; a file sink also shows how far the member has come.
static void FlushFullWindow(const OutputSink& sink, const DecoderState& state, uint32_t done) {
  FlushWindow(sink, state.window, kWindowSize);
  if (sink.run.outFile != platform::kNoFile) ReportProgress(sink.run, done, state.origSize);
}

void DecodeMember(const OutputSink& sink, DecoderState& state, const MemberData& member) {
  state.origSize = member.unpackedSize;
  state.compLeft = member.packedSize;
  sink.crc.crc = 0;
  state.windowSize = kWindowSize;
  BitReader reader = PrepareDecoder(sink.run, state, member.method);
  uint8_t* const window = state.window;
  const uint32_t origSize = state.origSize;
  uint32_t blockLeft = 0;
  // The bytes produced so far are flushed + fill: kept apart, a literal costs one comparison
  // against the end of what the window may still take.
  uint32_t flushed = 0;
  uint32_t fill = 0;
  while (flushed + fill < origSize) {
    const uint32_t rest = origSize - flushed;
    const uint32_t stop = rest < kWindowSize ? rest : kWindowSize;
    while (fill < stop) {
      const uint32_t symbol = DecodeSymbol(reader, blockLeft, state);
      if (symbol < kLiteralLimit) {
        window[fill++] = static_cast<uint8_t>(symbol);
        continue;
      }
      const uint32_t length = symbol - kLiteralLimit + kMinMatch;
      const uint32_t source = (fill - DecodePosition(reader, state) - 1) & kWindowMask;
      if (kFastPaths && fill + length < kWindowSize && source + length <= kWindowSize) {
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
          FlushFullWindow(sink, state, done);
          flushed += kWindowSize;
          fill = 0;
        }
      }
      break;
    }
    if (fill == kWindowSize) {
      FlushFullWindow(sink, state, flushed + kWindowSize);
      flushed += kWindowSize;
      fill = 0;
    }
  }
  const uint32_t outCount = flushed + fill;
  if (fill != 0) {
    FlushWindow(sink, window, fill);
    if (sink.run.outFile != platform::kNoFile) ReportProgress(sink.run, outCount, origSize);
  }
  state.outCount = outCount;
  state.windowFill = fill;
  state.blockLeft = static_cast<uint16_t>(blockLeft);
  StoreBitReader(reader, state);
}

void CopyStored(const OutputSink& sink, DecoderState& state, int32_t size) {
  RunContext& run = sink.run;
  sink.crc.crc = 0;
  // The program file's positions are signed 32-bit numbers, so it cannot hold 2^31 bytes of
  // data after a header: such a size can only end in a short read, and says so at once.
  if (size < 0) {
    FailRead(run);
    FatalStop(run, 1);
  }
  int32_t remaining = size;
  while (remaining > 0) {
    const int32_t chunk = remaining < static_cast<int32_t>(kWindowSize)
                              ? remaining
                              : static_cast<int32_t>(kWindowSize);
    if (platform::Read(run.archiveFile, state.window, static_cast<uint32_t>(chunk)) != chunk) {
      FailRead(run);
      FatalStop(run, 1);
    }
    FlushWindow(sink, state.window, static_cast<uint32_t>(chunk));
    if (run.outFile != platform::kNoFile) {
      ReportProgress(run, static_cast<uint32_t>(size - remaining), static_cast<uint32_t>(size));
    }
    remaining -= chunk;
  }
}

void DecodeMemberData(const OutputSink& sink, DecoderState& state, const MemberData& member) {
  sink.crc.crc = 0;
  state.inPos = 0xFFFFFFFF;
  switch (member.method.kind) {
    case MethodKind::kStored:
      CopyStored(sink, state, static_cast<int32_t>(member.unpackedSize));
      break;
    case MethodKind::kCompressed:
      DecodeMember(sink, state, member);
      break;
    case MethodKind::kDirectory:
      break;
  }
}
