#include "lzh_encoder/match_finder.h"

#include <algorithm>

MatchFinder::MatchFinder(uint32_t maxDistance)
    : maxDistance_(maxDistance), ringMask_(2 * maxDistance - 1) {
  static_assert(std::endian::native == std::endian::little);
}

void MatchFinder::Reset(std::span<const uint8_t> data) {
  data_ = data.data();
  size_ = static_cast<uint32_t>(data.size());
  hashBits_ = std::clamp<uint32_t>(std::bit_width(size_), kMinHashBits, kMaxHashBits);
  shortHashBits_ = std::min(hashBits_, kMaxShortHashBits);
  latest_ = std::make_unique<uint32_t[]>(size_t{1} << shortHashBits_);
}

uint32_t MatchFinder::RepeatLength(uint32_t position) {
  const uint32_t limit = LimitAt(position);
  Match match;
  if (limit < kMinMatch || FindShortMatch(position, &match) == 0) return 0;
  const uint8_t* const current = data_ + position;
  return ExtendMatch(current - match.position - 1, current, kMinMatch, limit);
}
