// Earlier positions in chains, one per hash of their first six bytes, newest first, beside the
// latest position of each three- and four-byte start. A search spends its depth on candidates
// that already agree on six bytes, so it reaches far back for the long matches, while the short
// ones that machine code is full of come from the nearest position that starts alike, the
// cheapest to send. Adding a position costs a few stores, so the positions inside a match are
// cheap to pass over.
#pragma once

#include "lzh_encoder/match_finder.h"

class ChainMatchFinder final : public MatchFinder {
 public:
  explicit ChainMatchFinder(uint32_t maxDistance);
  void Reset(std::span<const uint8_t> data) override;
  uint32_t Find(uint32_t position, uint32_t niceLength, uint32_t depth, Match* out) override {
    return FindLonger(position, kMinMatch - 1, niceLength, depth, out);
  }
  // Find, reporting only matches longer than shortest bytes.
  uint32_t FindLonger(uint32_t position, uint32_t shortest, uint32_t niceLength, uint32_t depth,
                      Match* out);
  void Skip(uint32_t position, uint32_t niceLength, uint32_t depth) override;
  void SkipTo(uint32_t from, uint32_t to, uint32_t niceLength, uint32_t depth) override;

 private:
  std::unique_ptr<uint32_t[]> heads_;
  std::unique_ptr<uint32_t[]> previous_;  // per ring entry, the next older position of its chain
  std::unique_ptr<uint32_t[]> latest4_;   // per hash of four bytes, the latest position
};
