// Turns a stretch of a member's bytes into items. Parsers differ in how hard they look for the
// cheapest items; all take their matches from one finder, which has seen every earlier position.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "decode/methods.h"
#include "lzh_encoder/cost_model.h"
#include "lzh_encoder/lzh_items.h"
#include "lzh_encoder/match_finder.h"

struct ParserSettings {
  uint32_t niceLength;  // a match this long is taken at once
  uint32_t depth;       // earlier positions a search may look at
  uint32_t passes;      // optimal: parses of a stretch, each with the costs of the one before
};

class Parser {
 public:
  Parser(MatchFinder& finder, const Method& method, ParserSettings settings)
      : finder_(finder), method_(method), settings_(settings) {}
  virtual ~Parser() = default;
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Appends to out the items for the bytes from start on, stopping at end or, when the last
  // match runs on, where it ends; returns that position. model holds the costs to parse by.
  virtual uint32_t Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                         const CostModel& model, std::vector<Item>& out) = 0;

 protected:
  MatchFinder& finder_;
  const Method method_;
  const ParserSettings settings_;
};
