// The decoder's part of the work area: input buffer and bit reader, code tables, window and
// counters of the member being decoded.
#pragma once

#include <cstdint>

inline constexpr uint32_t kWindowSize = 65536;
inline constexpr uint32_t kInBufSize = 16384;
inline constexpr uint32_t kTreeNodes = 1019;
inline constexpr uint32_t kLiteralSymbols = 510;

// Where decoded bytes go while there is no output file.
enum SinkKind : uint8_t { kSinkFile = 0, kSinkNotice = 1, kSinkScript = 2 };

struct DecoderState {
  uint32_t inPos;
  uint32_t windowSize;
  uint32_t origSize;
  uint32_t compLeft;
  uint32_t outCount;
  uint32_t windowFill;

  uint16_t blockLeft;
  uint16_t treeLeft[kTreeNodes];
  uint16_t treeRight[kTreeNodes];
  uint16_t literalTable[4096];
  uint16_t smallTable[256];
  uint16_t positionSlots;
  uint16_t slotCountWidth;
  uint16_t bitBuf;
  uint8_t subBitBuf;
  uint8_t bitCount;
  uint8_t sinkKind;

  uint8_t window[kWindowSize];
  uint8_t literalLengths[kLiteralSymbols];
  uint8_t smallLengths[128];
  uint8_t inBuf[kInBufSize];
};
