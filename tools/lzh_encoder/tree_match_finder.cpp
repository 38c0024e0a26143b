#include "lzh_encoder/tree_match_finder.h"

#include <algorithm>

#include "lzh_encoder/lzh_items.h"

TreeMatchFinder::TreeMatchFinder(uint32_t maxDistance)
    : MatchFinder(maxDistance), children_(new uint32_t[2 * (size_t{ringMask_} + 1)]) {}

void TreeMatchFinder::Reset(std::span<const uint8_t> data) {
  MatchFinder::Reset(data);
  heads_ = std::make_unique<uint32_t[]>(size_t{1} << hashBits_);
}

template <bool kReport>
uint32_t TreeMatchFinder::Search(uint32_t position, uint32_t niceLength, uint32_t depth,
                                 Match* out) {
  const uint32_t limit = LimitAt(position);
  if (limit < kMinMatch) return 0;
  PrefetchNextHeads(position, heads_.get(), true);
  Match shortMatch;
  uint32_t found = FindShortMatch(position, kReport ? out : &shortMatch);
  if (limit < 4) return found;
  uint32_t best = found == 0 ? kMinMatch - 1 : kMinMatch;
  niceLength = std::min(niceLength, limit);
  const uint8_t* const current = data_ + position;
  const uint32_t biased = position + kBias;
  uint32_t& head = heads_[HashOf4(current)];
  uint32_t candidate = head;
  head = biased;

  // The new node becomes the root; the old tree is split into what sorts below it and what
  // sorts above, each side hung where the last node taken for it left room.
  uint32_t* smallerSlot = &children_[2 * (biased & ringMask_)];
  uint32_t* largerSlot = smallerSlot + 1;
  // Every node below the smaller side's last agrees with the current bytes for smallerLength
  // bytes, and likewise above; the lesser of the two is known to match.
  uint32_t smallerLength = 0;
  uint32_t largerLength = 0;
  for (;;) {
    if (!InReach(biased, candidate) || depth-- == 0) {
      *smallerSlot = 0;
      *largerSlot = 0;
      return found;
    }
    const uint8_t* const earlier = data_ + (candidate - kBias);
    uint32_t* const pair = &children_[2 * (candidate & ringMask_)];
    uint32_t length = std::min(smallerLength, largerLength);
    if (earlier[length] == current[length]) {
      length = ExtendMatch(earlier, current, length + 1, limit);
      if (kReport && length > best) {
        best = length;
        out[found++] = {length, biased - candidate - 1};
      }
      if (length >= niceLength) {
        // As good as the search needs: the candidate's subtrees become the new node's, and the
        // candidate itself leaves the tree.
        *smallerSlot = pair[0];
        *largerSlot = pair[1];
        return found;
      }
    }
    if (earlier[length] < current[length]) {
      *smallerSlot = candidate;
      smallerSlot = &pair[1];
      candidate = *smallerSlot;
      smallerLength = length;
    } else {
      *largerSlot = candidate;
      largerSlot = &pair[0];
      candidate = *largerSlot;
      largerLength = length;
    }
  }
}

uint32_t TreeMatchFinder::Find(uint32_t position, uint32_t niceLength, uint32_t depth, Match* out) {
  return Search<true>(position, niceLength, depth, out);
}

void TreeMatchFinder::Skip(uint32_t position, uint32_t niceLength, uint32_t depth) {
  Search<false>(position, niceLength, depth, nullptr);
}
