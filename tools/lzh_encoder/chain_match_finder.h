// Earlier positions in chains, one per hash of their first four bytes, newest first: adding a
// position costs two stores, so the positions inside a match are cheap to pass over, and a
// search walks the chain as far as its depth allows. Matches start at four bytes: looking for
// three-byte ones too costs the fast levels an eighth of their time and gains them next to
// nothing, as such a match rarely costs fewer bits than its literals.
#pragma once

#include "lzh_encoder/match_finder.h"

class ChainMatchFinder : public MatchFinder {
 public:
  explicit ChainMatchFinder(uint32_t maxDistance);
  void Reset(std::span<const uint8_t> data) override;
  uint32_t Find(uint32_t position, uint32_t niceLength, uint32_t depth, Match* out) override;
  void Skip(uint32_t position, uint32_t niceLength, uint32_t depth) override;

 private:
  // Links position into its chain; returns the position that was newest before it.
  uint32_t Insert(uint32_t position);

  std::unique_ptr<uint32_t[]> heads_;
  std::unique_ptr<uint32_t[]> previous_;  // per ring entry, the next older position of its chain
};
