// Earlier positions in binary trees, one per hash of their first four bytes, ordered by the bytes
// that follow them. Each new position becomes the root of its tree and the nodes its search
// passes are hung on either side of it, so that one descent both finds the longest matches and
// inserts; a deep search stays cheap because it only follows bytes that agree.
#pragma once

#include "lzh_encoder/match_finder.h"

class TreeMatchFinder : public MatchFinder {
 public:
  explicit TreeMatchFinder(uint32_t maxDistance);
  void Reset(std::span<const uint8_t> data) override;
  uint32_t Find(uint32_t position, uint32_t niceLength, uint32_t depth, Match* out) override;
  void Skip(uint32_t position, uint32_t niceLength, uint32_t depth) override;

 private:
  template <bool kReport>
  uint32_t Search(uint32_t position, uint32_t niceLength, uint32_t depth, Match* out);

  std::unique_ptr<uint32_t[]> heads_;
  std::unique_ptr<uint32_t[]> children_;  // two per ring entry: smaller, then larger
};
