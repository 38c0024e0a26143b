// The quick parse: the longest match at each position, unless the next position has a longer
// one, in which case a literal goes first.
#pragma once

#include "lzh_encoder/chain_match_finder.h"
#include "lzh_encoder/parser.h"

class LazyParser : public Parser {
 public:
  // Searches chains, called directly: most of this parse's time goes into them.
  LazyParser(ChainMatchFinder& finder, const Method& method, ParserSettings settings)
      : Parser(finder, method, settings), chains_(finder) {}
  uint32_t Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                 const CostModel& model, std::vector<Item>& out) override;

 private:
  // The longest match at position longer than shortest, which is searched only before end, so
  // that the next stretch finds it not yet in the finder.
  Match Longest(uint32_t position, uint32_t end, uint32_t shortest = kMinMatch - 1);

  ChainMatchFinder& chains_;
  Match found_[kMaxMatchesPerSearch];
};
