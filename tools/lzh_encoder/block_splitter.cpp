#include "lzh_encoder/block_splitter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "lzh_encoder/block_writer.h"

namespace {

constexpr uint32_t kChunkItems = 4096;
constexpr uint32_t kMaxChunksPerBlock = kMaxBlockItems / kChunkItems;
// Enough held items that the cuts near the start no longer depend on what follows.
constexpr size_t kHeldItemsBeforeWriting = 16 * kMaxBlockItems;
// The alphabet of the estimate: literal/length symbols, then position slots.
constexpr uint32_t kEstimateSymbols = kLiteralSymbols + kMaxPositionSlots;

// n log2 n for every count a block can hold: the entropy of a histogram is
// N log2 N - sum(n log2 n), in bits.
const std::vector<double>& CountLogTable() {
  static const std::vector<double> table = [] {
    std::vector<double> values(kMaxBlockItems + 1, 0.0);
    for (uint32_t n = 2; n <= kMaxBlockItems; ++n) values[n] = n * std::log2(n);
    return values;
  }();
  return table;
}

// What a block's code lengths cost to send, roughly, by the symbols it uses.
double HeaderBitsEstimate(uint32_t symbolsUsed, uint32_t slotsUsed) {
  return 40.0 + 4.5 * symbolsUsed + 4.0 * slotsUsed;
}

struct SymbolCount {
  uint16_t symbol;  // below kLiteralSymbols a literal/length symbol, from there a slot
  uint16_t count;
};

// The items of one chunk as the counts of the symbols they use.
std::vector<SymbolCount> CountChunk(std::span<const Item> items, std::vector<uint32_t>& dense) {
  std::vector<SymbolCount> counts;
  auto add = [&](uint32_t symbol) {
    if (dense[symbol]++ == 0) counts.push_back({static_cast<uint16_t>(symbol), 0});
  };
  for (const Item item : items) {
    add(ItemSymbol(item));
    if (IsMatch(item)) add(kLiteralSymbols + PositionSlot(MatchPosition(item)));
  }
  for (SymbolCount& entry : counts) {
    entry.count = static_cast<uint16_t>(dense[entry.symbol]);
    dense[entry.symbol] = 0;
  }
  return counts;
}

// The estimated size of a growing block: its symbols' entropy and its header.
class BlockEstimate {
 public:
  BlockEstimate() : counts_(kEstimateSymbols, 0) {}

  void Add(const std::vector<SymbolCount>& chunk) {
    const std::vector<double>& nLogN = CountLogTable();
    for (const SymbolCount& entry : chunk) {
      uint32_t& count = counts_[entry.symbol];
      const bool slot = entry.symbol >= kLiteralSymbols;
      if (count == 0) {
        touched_.push_back(entry.symbol);
        ++(slot ? slotsUsed_ : symbolsUsed_);
      }
      (slot ? slotNLogN_ : symbolNLogN_) += nLogN[count + entry.count] - nLogN[count];
      (slot ? slots_ : symbols_) += entry.count;
      count += entry.count;
    }
  }

  double Bits() const {
    const std::vector<double>& nLogN = CountLogTable();
    return nLogN[symbols_] - symbolNLogN_ + nLogN[slots_] - slotNLogN_ +
           HeaderBitsEstimate(symbolsUsed_, slotsUsed_);
  }

  void Clear() {
    for (const uint16_t symbol : touched_) counts_[symbol] = 0;
    touched_.clear();
    symbolNLogN_ = slotNLogN_ = 0;
    symbols_ = slots_ = symbolsUsed_ = slotsUsed_ = 0;
  }

 private:
  std::vector<uint32_t> counts_;
  std::vector<uint16_t> touched_;
  double symbolNLogN_ = 0;
  double slotNLogN_ = 0;
  uint32_t symbols_ = 0;
  uint32_t slots_ = 0;
  uint32_t symbolsUsed_ = 0;
  uint32_t slotsUsed_ = 0;
};

// The chunk boundaries at which blocks start, the first 0, for the cheapest cut of the chunks.
std::vector<size_t> ChooseCuts(const std::vector<std::vector<SymbolCount>>& chunks) {
  const size_t count = chunks.size();
  std::vector<double> best(count + 1, std::numeric_limits<double>::infinity());
  std::vector<size_t> from(count + 1, 0);
  best[0] = 0;
  BlockEstimate estimate;
  for (size_t end = 1; end <= count; ++end) {
    estimate.Clear();
    const size_t earliest = end > kMaxChunksPerBlock ? end - kMaxChunksPerBlock : 0;
    for (size_t begin = end; begin-- > earliest;) {
      estimate.Add(chunks[begin]);
      const double bits = best[begin] + estimate.Bits();
      if (bits < best[end]) {
        best[end] = bits;
        from[end] = begin;
      }
    }
  }
  std::vector<size_t> starts;
  for (size_t end = count; end > 0; end = from[end]) starts.push_back(from[end]);
  std::reverse(starts.begin(), starts.end());
  return starts;
}

// What CountItems would find in the items of the given chunks, from their counts.
ItemCounts CountsOfChunks(std::span<const std::vector<SymbolCount>> chunks,
                          uint32_t positionSlots) {
  ItemCounts counts{std::vector<uint32_t>(kLiteralSymbols, 0),
                    std::vector<uint32_t>(positionSlots, 0)};
  for (const std::vector<SymbolCount>& chunk : chunks) {
    for (const SymbolCount& entry : chunk) {
      if (entry.symbol < kLiteralSymbols) {
        counts.symbols[entry.symbol] += entry.count;
      } else {
        counts.slots[entry.symbol - kLiteralSymbols] += entry.count;
      }
    }
  }
  return counts;
}

}  // namespace

void BlockSplitter::Add(std::span<const Item> items) {
  held_.insert(held_.end(), items.begin(), items.end());
  if (held_.size() >= kHeldItemsBeforeWriting) WriteBlocks(true);
}

void BlockSplitter::Finish() {
  if (!held_.empty()) WriteBlocks(false);
}

void BlockSplitter::WriteBlocks(bool keepLast) {
  std::vector<std::vector<SymbolCount>> chunks;
  std::vector<uint32_t> dense(kEstimateSymbols, 0);
  for (size_t at = 0; at < held_.size(); at += kChunkItems) {
    const size_t length = std::min<size_t>(kChunkItems, held_.size() - at);
    chunks.push_back(CountChunk(std::span(held_).subspan(at, length), dense));
  }
  std::vector<size_t> starts = ChooseCuts(chunks);
  const size_t written = keepLast ? starts.size() - 1 : starts.size();
  starts.push_back(chunks.size());
  for (size_t block = 0; block < written; ++block) {
    const size_t firstChunk = starts[block];
    const size_t chunkCount = starts[block + 1] - firstChunk;
    const size_t begin = firstChunk * kChunkItems;
    const size_t end = std::min((firstChunk + chunkCount) * kChunkItems, held_.size());
    // The chunks' counts spare the block writer a second pass over the items.
    ItemCounts counts =
        CountsOfChunks(std::span(chunks).subspan(firstChunk, chunkCount), method_.positionSlots);
    WriteBlock(bits_, std::span(held_).subspan(begin, end - begin), std::move(counts), method_);
  }
  held_.erase(held_.begin(), held_.begin() + static_cast<ptrdiff_t>(std::min(
                                                 starts[written] * kChunkItems, held_.size())));
}
