#include "lzh_encoder/chain_match_finder.h"

#include <algorithm>

#include "lzh_encoder/lzh_items.h"

namespace {

constexpr uint32_t kChainedBytes = 4;

}  // namespace

ChainMatchFinder::ChainMatchFinder(uint32_t maxDistance)
    : MatchFinder(maxDistance),
      heads_(new uint32_t[size_t{1} << kHashBits]),
      previous_(new uint32_t[maxDistance]) {}

void ChainMatchFinder::Reset(std::span<const uint8_t> data) {
  MatchFinder::Reset(data);
  std::fill_n(heads_.get(), size_t{1} << kHashBits, 0u);
}

uint32_t ChainMatchFinder::Insert(uint32_t position) {
  const uint32_t biased = position + kBias;
  uint32_t& head = heads_[HashOf4(data_ + position)];
  const uint32_t newest = head;
  head = biased;
  previous_[biased & (maxDistance_ - 1)] = newest;
  return newest;
}

uint32_t ChainMatchFinder::Find(uint32_t position, uint32_t niceLength, uint32_t depth,
                                Match* out) {
  const uint32_t limit = LimitAt(position);
  if (limit < kChainedBytes) return 0;
  PrefetchNextHeads(position, heads_.get(), false);
  uint32_t found = 0;
  uint32_t best = kChainedBytes - 1;
  niceLength = std::min(niceLength, limit);
  const uint8_t* const current = data_ + position;
  const uint32_t biased = position + kBias;
  const uint32_t first = Load32(current);
  // The ring holds one reach of positions: the entry of a candidate exactly at the reach is
  // already the current position's, so a link that leads forward ends the chain.
  for (uint32_t candidate = Insert(position), older; depth-- > 0 && InReach(biased, candidate);
       candidate = older) {
    older = previous_[candidate & (maxDistance_ - 1)];
    if (older >= candidate) older = 0;
    const uint8_t* const earlier = data_ + (candidate - kBias);
    // Only a candidate that agrees on the byte that would make it longer can beat the best.
    if (earlier[best] != current[best] || Load32(earlier) != first) continue;
    const uint32_t length = ExtendMatch(earlier, current, kChainedBytes, limit);
    if (length <= best) continue;
    best = length;
    out[found++] = {length, biased - candidate - 1};
    if (length >= niceLength) break;
  }
  return found;
}

void ChainMatchFinder::Skip(uint32_t position, uint32_t, uint32_t) {
  if (LimitAt(position) >= kChainedBytes) Insert(position);
}
