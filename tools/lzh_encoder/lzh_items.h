// The steps of an encoded member: a literal byte, or a match that repeats 3 to 256 earlier bytes,
// each packed in one word so that a block's steps are a compact array that parsers append to and
// the block writer walks.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "decode/decoder_state.h"

inline constexpr uint32_t kMinMatch = 3;
inline constexpr uint32_t kMaxMatch = 256;
// Symbols 0 to 255 are literals; a match of length n is symbol n + 253.
inline constexpr uint32_t kFirstLengthSymbol = 256;
inline constexpr uint32_t kSymbolBits = 9;
inline constexpr uint32_t kSymbolMask = (1u << kSymbolBits) - 1;
inline constexpr uint32_t kMaxPositionSlots = 17;
static_assert(kLiteralSymbols == kFirstLengthSymbol + kMaxMatch - kMinMatch + 1);

using Item = uint32_t;

inline Item LiteralItem(uint8_t byte) {
  return byte;
}

// position is the distance back less one, as the stream stores it.
inline Item MatchItem(uint32_t length, uint32_t position) {
  return (length - kMinMatch + kFirstLengthSymbol) | position << kSymbolBits;
}

inline uint32_t ItemSymbol(Item item) {
  return item & kSymbolMask;
}
inline bool IsMatch(Item item) {
  return ItemSymbol(item) >= kFirstLengthSymbol;
}
inline uint32_t MatchLength(Item item) {
  return ItemSymbol(item) - kFirstLengthSymbol + kMinMatch;
}
inline uint32_t MatchPosition(Item item) {
  return item >> kSymbolBits;
}
inline uint32_t LengthSymbol(uint32_t length) {
  return length - kMinMatch + kFirstLengthSymbol;
}

// Positions 0 and 1 are their own slots; slot c above them covers 2^(c-1) to 2^c - 1 and is
// followed by c - 1 extra bits.
inline uint32_t PositionSlot(uint32_t position) {
  return position < 2 ? position : static_cast<uint32_t>(std::bit_width(position));
}
inline uint32_t SlotExtraBits(uint32_t slot) {
  return slot < 2 ? 0 : slot - 1;
}

// How often each literal/length symbol and each position slot occurs among items.
struct ItemCounts {
  std::vector<uint32_t> symbols;
  std::vector<uint32_t> slots;
};
inline ItemCounts CountItems(std::span<const Item> items, uint32_t positionSlots) {
  ItemCounts counts{std::vector<uint32_t>(kLiteralSymbols, 0),
                    std::vector<uint32_t>(positionSlots, 0)};
  for (const Item item : items) {
    ++counts.symbols[ItemSymbol(item)];
    // Added rather than branched on: literals and matches alternate unpredictably.
    counts.slots[PositionSlot(MatchPosition(item))] += IsMatch(item);
  }
  return counts;
}
