// The quick parse: the longest match at each position, unless the next position has a longer
// one, in which case a literal goes first.
#pragma once

#include "lzh_encoder/parser.h"

class LazyParser : public Parser {
 public:
  using Parser::Parser;
  uint32_t Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end, CostModel& model,
                 std::vector<Item>& out) override;

 private:
  // The longest match at position, which is searched only before end, so that the next stretch
  // finds it not yet in the finder.
  Match Longest(uint32_t position, uint32_t end);

  Match found_[kMaxMatchesPerSearch];
};
