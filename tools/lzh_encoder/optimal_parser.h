// The thorough parse: every match the finder reports at every position of a stretch is kept,
// and the cheapest path of literals and matches through the stretch is found by dynamic
// programming over the costs of the model, then found again with the costs of that path.
#pragma once

#include "lzh_encoder/parser.h"

class OptimalParser : public Parser {
 public:
  using Parser::Parser;
  uint32_t Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                 const CostModel& model, std::vector<Item>& out) override;

 private:
  // Fills matches_ and matchStarts_ for the positions from start up to end or past it to the end
  // of a long match; returns where they stop.
  uint32_t CollectMatches(uint32_t start, uint32_t end);
  // The cheapest items for the stretch by model's costs, into path_.
  void FindCheapestPath(const uint8_t* bytes, uint32_t length, const CostModel& model);

  std::vector<Match> matches_;
  std::vector<uint32_t> matchStarts_;  // per position, where its matches begin; one more at the end
  std::vector<uint32_t> costToEnd_;
  std::vector<Item> choices_;  // per position, the match to take there, or 0 for a literal
  std::vector<Item> path_;
  bool guessedCosts_ = true;
};
