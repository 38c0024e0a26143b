#include "lzh_encoder/chain_match_finder.h"

#include <algorithm>

#include "lzh_encoder/lzh_items.h"

namespace {

constexpr uint32_t kChainedBytes = 6;
constexpr uint64_t kChainedMask = (uint64_t{1} << (8 * kChainedBytes)) - 1;
// The searches load eight bytes at a time.
constexpr uint32_t kWideLoad = 8;

uint64_t Load64(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, 8);
  return word;
}

}  // namespace

ChainMatchFinder::ChainMatchFinder(uint32_t maxDistance)
    : MatchFinder(maxDistance),
      heads_(new uint32_t[size_t{1} << kHashBits]),
      previous_(new uint32_t[maxDistance]),
      latest4_(new uint32_t[size_t{1} << kHashBits]) {}

void ChainMatchFinder::Reset(std::span<const uint8_t> data) {
  MatchFinder::Reset(data);
  std::fill_n(heads_.get(), size_t{1} << kHashBits, 0u);
  std::fill_n(latest4_.get(), size_t{1} << kHashBits, 0u);
}

uint32_t ChainMatchFinder::FindLonger(uint32_t position, uint32_t shortest, uint32_t niceLength,
                                      uint32_t depth, Match* out) {
  const uint32_t limit = LimitAt(position);
  const uint8_t* const current = data_ + position;
  const uint32_t biased = position + kBias;
  uint32_t found = 0;
  uint32_t best = shortest;
  // A candidate is reported when it beats the best so far; the two short starts are extended as
  // far as they agree, as a chain's are.
  auto consider = [&](uint32_t candidate, uint32_t known) {
    const uint8_t* const earlier = data_ + (candidate - kBias);
    if (best >= limit || earlier[best] != current[best]) return;
    const uint32_t length = ExtendMatch(earlier, current, known, limit);
    if (length <= best) return;
    best = length;
    out[found++] = {length, biased - candidate - 1};
  };
  if (limit < kMinMatch) return 0;
  if (Match nearest; FindShortMatch(position, &nearest) != 0) {
    consider(biased - nearest.position - 1, kMinMatch);
  }
  if (limit < kWideLoad) return found;
  const uint64_t first = Load64(current);
  const uint32_t latest4 = std::exchange(latest4_[HashOf4(current)], biased);
  if (InReach(biased, latest4) && Load32(data_ + (latest4 - kBias)) == Load32(current)) {
    consider(latest4, 4);
  }
  uint32_t& head = heads_[HashOf6(first)];
  uint32_t candidate = std::exchange(head, biased);
  previous_[biased & (maxDistance_ - 1)] = candidate;
  niceLength = std::min(niceLength, limit);
  // The ring holds one reach of positions: the entry of a candidate exactly at the reach is
  // already the current position's, so a link that leads forward ends the chain.
  for (uint32_t older; best < niceLength && depth-- > 0 && InReach(biased, candidate);
       candidate = older) {
    older = previous_[candidate & (maxDistance_ - 1)];
    if (older >= candidate) older = 0;
    if (((Load64(data_ + (candidate - kBias)) ^ first) & kChainedMask) == 0) {
      consider(candidate, kChainedBytes);
    }
  }
  return found;
}

void ChainMatchFinder::Skip(uint32_t position, uint32_t, uint32_t) {
  const uint32_t limit = LimitAt(position);
  if (limit < kMinMatch) return;
  ExchangeLatest(position);
  if (limit < kWideLoad) return;
  const uint8_t* const current = data_ + position;
  const uint32_t biased = position + kBias;
  latest4_[HashOf4(current)] = biased;
  previous_[biased & (maxDistance_ - 1)] = std::exchange(heads_[HashOf6(Load64(current))], biased);
}
