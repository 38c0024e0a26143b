// The three prefix codes at the head of every block: their code lengths as sent in the stream,
// the direct lookup tables built from them, and the lookup that decodes one symbol.
#pragma once

#include <cstdint>

#include "decode/bit_reader.h"

inline constexpr uint32_t kCodeLengthSymbols = 19;
inline constexpr uint32_t kSmallTableBits = 8;
inline constexpr uint32_t kLiteralTableBits = 12;
inline constexpr uint32_t kMaxCodeLength = 16;
inline constexpr uint32_t kNoZeroRun = 0xFFFF;

// A table entry holds in its low bits the length of a code that it decodes completely, and
// above them its symbol, or the tree node under which the longer codes of its prefix continue,
// so that a short code costs one lookup. A tree node's entry has length 0, and so has every entry
// of a constant code. The length sits at the bottom so that it can be the cache's shift count as
// it is.
inline constexpr uint32_t kEntrySymbolShift = 6;
inline constexpr uint32_t kEntryLengthMask = (1u << kEntrySymbolShift) - 1;

inline uint16_t MakeEntry(uint32_t symbol, uint32_t length) {
  return static_cast<uint16_t>(symbol << kEntrySymbolShift | length);
}

// The readers below record "bad table" in the reader's status for streams no encoder writes and
// then leave the tables as they were, so that nothing is ever written outside them.

// Reads a small code's lengths (the code-length code: 19, 5, 3; the position code:
// positionSlots, slotCountWidth, kNoZeroRun) into smallLengths and builds smallTable.
void ReadSmallLengths(BitReader& reader, DecoderState& state, uint32_t symbolCount,
                      uint32_t countWidth, uint32_t zeroRunIndex);

// Reads the 510 literal/length code lengths through the code-length code into literalLengths
// and builds literalTable.
void ReadLiteralLengths(BitReader& reader, DecoderState& state);

// Builds the direct table of tableBits index bits, and the tree nodes below it, for the
// canonical code of the given lengths. false, with the table untouched, when they do not form
// one.
bool BuildDecodeTable(DecoderState& state, uint32_t symbolCount, const uint8_t* lengths,
                      uint32_t tableBits, uint16_t* table);

// Follows the tree from node by the lookahead bits below a table's index bits; the first bit
// tested is mask. Takes values, not the reader, so that the caller's reader can stay in
// registers. symbolCount when the walk goes round in a circle.
uint32_t WalkTree(const DecoderState& state, uint32_t node, uint32_t symbolCount,
                  uint32_t lookahead, uint32_t mask);

// Decodes one symbol of a code and consumes its bits; symbol 0 after a failure.
inline uint32_t LookUpSymbol(BitReader& reader, const DecoderState& state, const uint16_t* table,
                             uint32_t tableBits, uint32_t symbolCount, const uint8_t* lengths) {
  const uint32_t entry = table[PeekBits(reader, tableBits)];
  uint32_t symbol = entry >> kEntrySymbolShift;
  uint32_t length = entry & kEntryLengthMask;
  if (symbol >= symbolCount) {
    symbol = WalkTree(state, symbol, symbolCount, PeekBits(reader, kLookAheadBits),
                      1u << (kMaxCodeLength - 1 - tableBits));
    if (symbol == symbolCount) {
      FailReader(reader, kDecodeBadTable);
      symbol = 0;
    }
    length = lengths[symbol];
  }
  ShiftInBits(reader, length);
  return symbol;
}
