// Finds earlier occurrences of the bytes at each position of a member, within the method's
// reach. Two ways of keeping the earlier positions share this interface: chains, quick to add
// to, for the lazy parser, and binary trees, quick to search deeply, for the optimal one.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>

#include "lzh_encoder/lzh_items.h"

struct Match {
  uint32_t length;
  uint32_t position;  // distance back less one
};

// The most matches one search reports: one per length it improves on, from 3 to 256.
inline constexpr uint32_t kMaxMatchesPerSearch = 254;

class MatchFinder {
 public:
  explicit MatchFinder(uint32_t maxDistance);
  virtual ~MatchFinder() = default;
  MatchFinder(const MatchFinder&) = delete;
  MatchFinder& operator=(const MatchFinder&) = delete;

  // Starts over on a new member's bytes, which must stay in place while they are searched.
  virtual void Reset(std::span<const uint8_t> data);

  // Adds position and writes to out the matches that start there, each longer than the one
  // before; returns how many. The search looks at no more than depth earlier positions with the
  // same first bytes and stops at a match of niceLength bytes. Positions must come in
  // increasing order, none left out unless Skip takes it.
  virtual uint32_t Find(uint32_t position, uint32_t niceLength, uint32_t depth, Match* out) = 0;
  // Adds position without reporting matches.
  virtual void Skip(uint32_t position, uint32_t niceLength, uint32_t depth) = 0;
  // Skip for every position from from up to to.
  virtual void SkipTo(uint32_t from, uint32_t to, uint32_t niceLength, uint32_t depth) {
    for (uint32_t position = from; position < to; ++position) Skip(position, niceLength, depth);
  }

  // A quick look instead of a search: how far the bytes at position agree with those at the
  // latest earlier position within reach that began with the same three bytes. Leaves position
  // out of what Find searches.
  uint32_t RepeatLength(uint32_t position);

 protected:
  // Positions are stored biased, so that 0 can mean "none" and always lies out of reach. The
  // bias is a multiple of every ring of positions, so that a biased position indexes a ring as
  // the plain one does.
  static constexpr uint32_t kBias = 1u << 18;
  // The tables of heads grow with the input up to these: a small member clears and touches no
  // more of them than its bytes need.
  static constexpr uint32_t kMinHashBits = 10;
  static constexpr uint32_t kMaxHashBits = 16;
  static constexpr uint32_t kMaxShortHashBits = 15;

  static uint32_t Load32(const uint8_t* bytes) {
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
  }
  uint32_t HashOf4(const uint8_t* bytes) const {
    return (Load32(bytes) * 0x9E3779B1u) >> (32 - hashBits_);
  }
  // The low six bytes of a word.
  uint32_t HashOf6(uint64_t word) const {
    return static_cast<uint32_t>(((word << 16) * 0x9E3779B97F4A7C15u) >> (64 - hashBits_));
  }
  uint32_t HashOf3(const uint8_t* bytes) const {
    const uint32_t word = bytes[0] | bytes[1] << 8 | bytes[2] << 16;
    return (word * 0x9E3779B1u) >> (32 - shortHashBits_);
  }
  // How far two byte strings agree, from start up to limit, reading no byte at or past limit.
  static uint32_t ExtendMatch(const uint8_t* a, const uint8_t* b, uint32_t start, uint32_t limit) {
    uint32_t length = start;
    while (length + 8 <= limit) {
      uint64_t wordA;
      uint64_t wordB;
      std::memcpy(&wordA, a + length, 8);
      std::memcpy(&wordB, b + length, 8);
      if (const uint64_t differ = wordA ^ wordB; differ != 0) {
        return length + static_cast<uint32_t>(std::countr_zero(differ)) / 8;
      }
      length += 8;
    }
    while (length < limit && a[length] == b[length]) ++length;
    return length;
  }

  // The longest match a search at position may report: up to 256 bytes, never past the end.
  uint32_t LimitAt(uint32_t position) const {
    return size_ - position < kMaxMatch ? size_ - position : kMaxMatch;
  }
  bool InReach(uint32_t biasedPosition, uint32_t biasedCandidate) const {
    return biasedPosition - biasedCandidate <= maxDistance_;
  }
  // Three-byte matches come from the latest position with the same three bytes, which position
  // now becomes; that earlier one, when it is within reach and starts alike, goes to out.
  uint32_t FindShortMatch(uint32_t position, Match* out) {
    const uint8_t* const current = data_ + position;
    const uint32_t biased = position + kBias;
    const uint32_t latest = std::exchange(LatestSlot(current), biased);
    if (!InReach(biased, latest)) return 0;
    const uint8_t* const earlier = data_ + (latest - kBias);
    if (earlier[0] != current[0] || earlier[1] != current[1] || earlier[2] != current[2]) return 0;
    *out = {kMinMatch, biased - latest - 1};
    return 1;
  }
  // Where the latest position that began with these three bytes is kept.
  uint32_t& LatestSlot(const uint8_t* bytes) { return latest_[HashOf3(bytes)]; }
  // Starts fetching the heads that the search after the one at position will read, with the
  // latest position of its three bytes when it looks for three-byte matches.
  void PrefetchNextHeads(uint32_t position, const uint32_t* heads, bool shortMatches) const {
    if (size_ - position <= 4) return;
    __builtin_prefetch(&heads[HashOf4(data_ + position + 1)]);
    if (shortMatches) __builtin_prefetch(&latest_[HashOf3(data_ + position + 1)]);
  }

  const uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
  uint32_t hashBits_ = kMinHashBits;  // of the heads of four or more bytes
  uint32_t shortHashBits_ = kMinHashBits;
  const uint32_t maxDistance_;
  // Twice the reach: a position's ring entry stays its own as long as it can be matched.
  const uint32_t ringMask_;

 private:
  std::unique_ptr<uint32_t[]> latest_;
};
