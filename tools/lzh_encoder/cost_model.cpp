#include "lzh_encoder/cost_model.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A symbol seen n times out of total costs log2(total / n) bits, at least one, as its code would
// be; one not seen at all costs more than the rarest could.
constexpr double kUnseenExtraBits = 1.5;

void CostsOfCounts(std::span<const uint32_t> counts, std::span<uint32_t> costs) {
  uint64_t total = 0;
  for (const uint32_t count : counts) total += count;
  for (size_t symbol = 0; symbol < counts.size(); ++symbol) {
    const double bits = counts[symbol] == 0
                            ? std::log2(static_cast<double>(total) + 1) + kUnseenExtraBits
                            : std::max(1.0, std::log2(static_cast<double>(total) / counts[symbol]));
    costs[symbol] = static_cast<uint32_t>(std::lround(bits * kCostScale));
  }
}

CostModel ModelOfCounts(std::span<const uint32_t> symbolCounts,
                        std::span<const uint32_t> slotCounts) {
  CostModel model{};
  CostsOfCounts(symbolCounts, model.symbol);
  CostsOfCounts(slotCounts, std::span(model.slot).first(slotCounts.size()));
  for (uint32_t slot = 0; slot < slotCounts.size(); ++slot) {
    model.slot[slot] += SlotExtraBits(slot) * kCostScale;
  }
  return model;
}

}  // namespace

CostModel InitialCostModel(const Method& method, std::span<const uint8_t> bytes) {
  // Literals as often as their bytes occur, about half the items; a length the rarer the longer
  // it is; every slot alike.
  std::vector<uint32_t> symbolCounts(kLiteralSymbols, 0);
  for (const uint8_t byte : bytes) symbolCounts[byte] += 2;
  for (uint32_t length = kMinMatch; length <= kMaxMatch; ++length) {
    symbolCounts[LengthSymbol(length)] =
        static_cast<uint32_t>(bytes.size() / (length * length)) + 1;
  }
  const std::vector<uint32_t> slotCounts(method.positionSlots, 1);
  return ModelOfCounts(symbolCounts, slotCounts);
}

CostModel CostModelOf(std::span<const Item> items, const Method& method, uint64_t* cost) {
  const ItemCounts counts = CountItems(items, method.positionSlots);
  const CostModel model = ModelOfCounts(counts.symbols, counts.slots);
  if (cost != nullptr) {
    *cost = 0;
    for (uint32_t symbol = 0; symbol < kLiteralSymbols; ++symbol) {
      *cost += uint64_t{counts.symbols[symbol]} * model.symbol[symbol];
    }
    for (uint32_t slot = 0; slot < counts.slots.size(); ++slot) {
      *cost += uint64_t{counts.slots[slot]} * model.slot[slot];
    }
  }
  return model;
}
