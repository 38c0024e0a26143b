#include "lzh_encoder/optimal_parser.h"

#include <algorithm>

namespace {

constexpr Item kLiteralChoice = 0;

}  // namespace

uint32_t OptimalParser::CollectMatches(uint32_t start, uint32_t end) {
  matchStarts_.resize(end - start + kMaxMatch + 1);
  uint32_t collected = 0;
  uint32_t position = start;
  while (position < end) {
    // The finder writes straight into the list, which only ever grows to the most a stretch
    // has needed.
    if (matches_.size() < collected + kMaxMatchesPerSearch) {
      matches_.resize(2 * (collected + kMaxMatchesPerSearch));
    }
    matchStarts_[position - start] = collected;
    Match* const found = matches_.data() + collected;
    const uint32_t count = finder_.Find(position, settings_.niceLength, settings_.depth, found);
    collected += count;
    const uint32_t longest = count == 0 ? 0 : found[count - 1].length;
    if (longest < settings_.niceLength) {
      ++position;
      continue;
    }
    // Inside a match this long nothing better is likely to start; its positions go into the
    // finder unsearched and offer literals only.
    finder_.SkipTo(position + 1, position + longest, settings_.niceLength, settings_.depth);
    for (uint32_t i = 1; i < longest; ++i) matchStarts_[position + i - start] = collected;
    position += longest;
  }
  matchStarts_[position - start] = collected;
  return position;
}

void OptimalParser::FindCheapestPath(const uint8_t* bytes, uint32_t length,
                                     const CostModel& model) {
  costToEnd_[length] = 0;
  for (uint32_t i = length; i-- > 0;) {
    uint32_t best = model.Literal(bytes[i]) + costToEnd_[i + 1];
    Item choice = kLiteralChoice;
    // Matches come shortest first; each serves the lengths above the one before it.
    uint32_t covered = kMinMatch - 1;
    const uint32_t room = length - i;
    for (uint32_t m = matchStarts_[i]; m < matchStarts_[i + 1] && covered < room; ++m) {
      const Match& match = matches_[m];
      const uint32_t longest = std::min(match.length, room);
      const uint32_t slotCost = model.slot[PositionSlot(match.position)];
      for (uint32_t n = covered + 1; n <= longest; ++n) {
        const uint32_t cost = model.symbol[LengthSymbol(n)] + slotCost + costToEnd_[i + n];
        if (cost < best) {
          best = cost;
          choice = MatchItem(n, match.position);
        }
      }
      covered = longest;
    }
    costToEnd_[i] = best;
    choices_[i] = choice;
  }
  path_.clear();
  for (uint32_t i = 0; i < length;) {
    const Item choice = choices_[i];
    if (choice == kLiteralChoice) {
      path_.push_back(LiteralItem(bytes[i++]));
    } else {
      path_.push_back(choice);
      i += MatchLength(choice);
    }
  }
}

uint32_t OptimalParser::Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                              const CostModel& model, std::vector<Item>& out) {
  const uint32_t stop = CollectMatches(start, end);
  const uint32_t length = stop - start;
  costToEnd_.resize(length + 1);
  choices_.resize(length);
  // The first stretch is parsed with guessed costs, so it gets one pass more.
  const uint32_t passes = settings_.passes + (guessedCosts_ ? 1 : 0);
  guessedCosts_ = false;
  CostModel passModel = model;
  for (uint32_t pass = 0; pass < passes; ++pass) {
    if (pass > 0) passModel = CostModelOf(path_, method_);
    FindCheapestPath(data.data() + start, length, passModel);
  }
  out.insert(out.end(), path_.begin(), path_.end());
  return stop;
}
