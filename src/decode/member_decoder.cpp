#include "decode/member_decoder.h"

#include "base/build_profile.h"
#include "decode/code_tables.h"
#include "decode/match_copy.h"

inline constexpr uint32_t kWindowMask = kWindowSize - 1;
inline constexpr uint32_t kLiteralLimit = 256;
inline constexpr uint32_t kMinMatch = 3;

// Reads the three codes of a block; stops at the first failure, which the reader keeps.
static void ReadBlockHeader(BitReader& reader, DecoderState& state, uint32_t& blockLeft,
                            const Method& method) {
  blockLeft = TakeBits(reader, 16);
  ReadSmallLengths(reader, state, kCodeLengthSymbols, 5, 3);
  if (reader.status != kDecodeDone) return;
  ReadLiteralLengths(reader, state);
  if (reader.status != kDecodeDone) return;
  ReadSmallLengths(reader, state, method.positionSlots, method.slotCountWidth, kNoZeroRun);
}

// blockLeft counts the current block's symbols still to come; a block size of 0 means 65536.
static inline uint32_t DecodeSymbol(BitReader& reader, uint32_t& blockLeft, DecoderState& state,
                                    const Method& method) {
  if (blockLeft == 0) {
    // Copies go out by reference, so that the loop's own reader and count can stay in registers.
    BitReader afterHeader = reader;
    uint32_t blockSize;
    ReadBlockHeader(afterHeader, state, blockSize, method);
    reader = afterHeader;
    blockLeft = blockSize == 0 ? 65536 : blockSize;
  }
  --blockLeft;
  return LookUpSymbol(reader, state, state.literalTable, kLiteralTableBits, kLiteralSymbols,
                      state.literalLengths);
}

// Codes 0 and 1 are the positions themselves; a code c above them is 2^(c-1) plus c-1 more
// bits. Worked out without a branch, since which one comes next cannot be foreseen.
static inline uint32_t DecodePosition(BitReader& reader, const DecoderState& state,
                                      const Method& method) {
  const uint32_t code = LookUpSymbol(reader, state, state.smallTable, kSmallTableBits,
                                     method.positionSlots, state.smallLengths);
  const uint32_t extraBits = code - (code != 0);
  const auto extra = static_cast<uint32_t>(reader.cache >> 1 >> (kCacheBits - 1 - extraBits));
  ShiftInBits(reader, extraBits);
  return (1u << extraBits) - (code == 0) + extra;
}

// Hands the first n bytes of the window to the sink and reports done of total bytes.
static DecodeStatus Flush(const OutputSink& sink, const uint8_t* window, uint32_t n, uint32_t done,
                          uint32_t total) {
  const DecodeStatus written = WriteOut(sink, window, n);
  return written != kDecodeDone ? written : ReportProgress(sink, done, total);
}

static DecodeStatus DecodeCompressed(const OutputSink& sink, DecoderState& state,
                                     platform::FileHandle archive, const MemberData& member) {
  BitReader reader = StartBitReader(archive, state, member.packedSize);
  const Method& method = member.method;
  uint8_t* const window = state.window;
  const uint32_t origSize = member.unpackedSize;
  uint32_t blockLeft = 0;
  // The bytes produced so far are flushed + fill: kept apart, a literal costs one comparison
  // against the end of what the window may still take.
  uint32_t flushed = 0;
  uint32_t fill = 0;
  while (flushed + fill < origSize) {
    const uint32_t rest = origSize - flushed;
    const uint32_t stop = rest < kWindowSize ? rest : kWindowSize;
    while (fill < stop && reader.status == kDecodeDone) {
      const uint32_t symbol = DecodeSymbol(reader, blockLeft, state, method);
      if (symbol < kLiteralLimit) {
        window[fill++] = static_cast<uint8_t>(symbol);
        continue;
      }
      const uint32_t length = symbol - kLiteralLimit + kMinMatch;
      const uint32_t source = (fill - DecodePosition(reader, state, method) - 1) & kWindowMask;
      if (kFastPaths && fill + length < kWindowSize && source + length <= kWindowSize) {
        CopyMatch(window, fill, source, length);
        fill += length;
        continue;
      }
      if (reader.status != kDecodeDone) break;
      // A match that reaches the window's end or wraps goes byte by byte, flushing on the way;
      // it counts whole from the start, even when it runs past the member's size.
      const uint32_t done = flushed + fill + length;
      for (uint32_t j = 0; j < length; ++j) {
        window[fill] = window[(source + j) & kWindowMask];
        if (++fill == kWindowSize) {
          const DecodeStatus status = Flush(sink, window, kWindowSize, done, origSize);
          if (status != kDecodeDone) return status;
          flushed += kWindowSize;
          fill = 0;
        }
      }
      break;
    }
    if (reader.status != kDecodeDone) return reader.status;
    if (fill == kWindowSize) {
      const DecodeStatus status = Flush(sink, window, kWindowSize, flushed + kWindowSize, origSize);
      if (status != kDecodeDone) return status;
      flushed += kWindowSize;
      fill = 0;
    }
  }
  // A member of no bytes still loads its first data, which may fail.
  if (TookBitsPastTheEnd(reader)) FailReader(reader, kDecodeCutShort);
  if (reader.status != kDecodeDone) return reader.status;
  return fill == 0 ? kDecodeDone : Flush(sink, window, fill, flushed + fill, origSize);
}

static DecodeStatus CopyStored(const OutputSink& sink, DecoderState& state,
                               platform::FileHandle archive, uint32_t size) {
  // The program file's positions are signed 32-bit numbers, so it cannot hold 2^31 bytes of
  // data after a header: such a size can only end short, and says so at once.
  if (size > INT32_MAX) return kDecodeCutShort;
  for (uint32_t copied = 0; copied < size;) {
    const uint32_t chunk = size - copied < kWindowSize ? size - copied : kWindowSize;
    const int32_t got = platform::Read(archive, state.window, chunk);
    if (got != static_cast<int32_t>(chunk)) return got == -1 ? kDecodeReadFailed : kDecodeCutShort;
    // Each chunk is reported as it begins.
    const DecodeStatus status = Flush(sink, state.window, chunk, copied, size);
    if (status != kDecodeDone) return status;
    copied += chunk;
  }
  return kDecodeDone;
}

DecodeStatus DecodeMemberData(const OutputSink& sink, DecoderState& state,
                              platform::FileHandle archive, const MemberData& member) {
  sink.crc.crc = 0;
  switch (member.method.kind) {
    case MethodKind::kStored:
      return CopyStored(sink, state, archive, member.unpackedSize);
    case MethodKind::kCompressed:
      return DecodeCompressed(sink, state, archive, member);
    case MethodKind::kDirectory:
      break;
    case MethodKind::kOlder:
      if constexpr (kOlderMethods) {
        return static_cast<const OlderMethod&>(member.method).decode(sink, state, archive, member);
      }
      break;
  }
  return kDecodeDone;
}
