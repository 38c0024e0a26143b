// The decoder's part of the work area: input buffer, code tables and window of the member being
// decoded.
#pragma once

#include <cstdint>

inline constexpr uint32_t kWindowSize = 65536;
inline constexpr uint32_t kInBufSize = 16384;
inline constexpr uint32_t kTreeNodes = 1019;
inline constexpr uint32_t kLiteralSymbols = 510;

struct DecoderState {
  uint16_t treeLeft[kTreeNodes];
  uint16_t treeRight[kTreeNodes];
  uint16_t literalTable[4096];
  uint16_t smallTable[256];
  uint8_t window[kWindowSize];
  uint8_t literalLengths[kLiteralSymbols];
  uint8_t smallLengths[128];
  uint8_t inBuf[kInBufSize];
};
