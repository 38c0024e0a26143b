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
    : MatchFinder(maxDistance), previous_(new uint32_t[maxDistance]) {}

void ChainMatchFinder::Reset(std::span<const uint8_t> data) {
  MatchFinder::Reset(data);
  heads_ = std::make_unique<uint32_t[]>(size_t{1} << hashBits_);
  latest4_ = std::make_unique<uint32_t[]>(size_t{1} << hashBits_);
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
  if (limit < kWideLoad) {
    // Too near the end for the wide loads: only the nearest three-byte start.
    if (Match nearest; limit >= kMinMatch && FindShortMatch(position, &nearest) != 0) {
      consider(biased - nearest.position - 1, kMinMatch);
    }
    return found;
  }
  // The three heads are independent: all are read before any is written.
  const uint64_t first = Load64(current);
  uint32_t& latest3 = LatestSlot(current);
  uint32_t& latest4 = latest4_[HashOf4(current)];
  uint32_t& head = heads_[HashOf6(first)];
  const uint32_t candidate3 = latest3;
  const uint32_t candidate4 = latest4;
  uint32_t candidate = head;
  latest3 = latest4 = head = biased;
  const uint32_t ringMask = maxDistance_ - 1;
  previous_[biased & ringMask] = candidate;
  // Positions below lowest are out of reach, and so is 0, which means none.
  const uint32_t lowest = biased - maxDistance_;
  if (candidate3 >= lowest && ((Load32(data_ + (candidate3 - kBias)) ^ first) & 0xFFFFFF) == 0) {
    consider(candidate3, kMinMatch);
  }
  if (candidate4 >= lowest &&
      Load32(data_ + (candidate4 - kBias)) == static_cast<uint32_t>(first)) {
    consider(candidate4, 4);
  }
  niceLength = std::min(niceLength, limit);
  // The ring holds one reach of positions: the entry of a candidate exactly at the reach is
  // already the current position's, so a link that leads forward ends the chain.
  while (best < niceLength && depth-- > 0 && candidate >= lowest) {
    const uint32_t older = previous_[candidate & ringMask];
    if (((Load64(data_ + (candidate - kBias)) ^ first) & kChainedMask) == 0) {
      consider(candidate, kChainedBytes);
    }
    if (older >= candidate) break;
    candidate = older;
  }
  return found;
}

void ChainMatchFinder::Skip(uint32_t position, uint32_t, uint32_t) {
  SkipTo(position, position + 1, 0, 0);
}

void ChainMatchFinder::SkipTo(uint32_t from, uint32_t to, uint32_t, uint32_t) {
  // Where the wide loads would run past the end, only the three-byte starts are kept.
  const uint32_t wideEnd = size_ >= kWideLoad ? std::min(to, size_ - kWideLoad + 1) : 0;
  const uint32_t ringMask = maxDistance_ - 1;
  uint32_t position = from;
  for (; position < wideEnd; ++position) {
    const uint8_t* const current = data_ + position;
    const uint32_t biased = position + kBias;
    LatestSlot(current) = biased;
    latest4_[HashOf4(current)] = biased;
    previous_[biased & ringMask] = std::exchange(heads_[HashOf6(Load64(current))], biased);
  }
  for (; position < to && size_ - position >= kMinMatch; ++position) {
    LatestSlot(data_ + position) = position + kBias;
  }
}
