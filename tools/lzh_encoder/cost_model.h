// What each symbol is expected to cost, as the parsers weigh a literal against a match: the bits
// its code would take, judged by how often it occurred among recently parsed items.
#pragma once

#include <cstdint>
#include <span>

#include "decode/methods.h"
#include "lzh_encoder/lzh_items.h"

// Costs are in sixteenths of a bit, so that symbols whose codes would differ by a fraction of a
// bit on average still weigh differently.
inline constexpr uint32_t kCostScale = 16;

struct CostModel {
  uint32_t symbol[kLiteralSymbols];
  uint32_t slot[kMaxPositionSlots];  // the slot's code and its extra bits

  uint32_t Literal(uint8_t byte) const { return symbol[byte]; }
  uint32_t Match(uint32_t length, uint32_t position) const {
    return symbol[LengthSymbol(length)] + slot[PositionSlot(position)];
  }
};

// Guesses for the start of a member, from the bytes it starts with.
CostModel InitialCostModel(const Method& method, std::span<const uint8_t> bytes);

// The costs by how often the items use each symbol; one they do not use costs more than their
// rarest one. cost, when given, receives what the items cost by those costs, in bits times
// kCostScale: counted from the same tally, so that judging a stretch costs no second pass.
CostModel CostModelOf(std::span<const Item> items, const Method& method, uint64_t* cost = nullptr);
