#include "lzh_encoder/lazy_parser.h"

namespace {

// Beyond this length a match always beats its bytes as literals.
constexpr uint32_t kAlwaysWorthLength = 8;

// A short match far back can cost more than its bytes sent as literals.
bool WorthTaking(const Match& match, const uint8_t* bytes, const CostModel& model) {
  if (match.length < kMinMatch) return false;
  if (match.length > kAlwaysWorthLength) return true;
  uint32_t literals = 0;
  for (uint32_t i = 0; i < match.length; ++i) literals += model.Literal(bytes[i]);
  return model.Match(match.length, match.position) < literals;
}

// Whether later, after literalCost worth of literals, costs fewer bits per byte covered than
// current.
bool CheaperPerByte(const Match& later, uint32_t skipped, uint32_t literalCost,
                    const Match& current, const CostModel& model) {
  if (later.length + skipped <= current.length) return false;
  const uint64_t laterCost = literalCost + model.Match(later.length, later.position);
  const uint64_t currentCost = model.Match(current.length, current.position);
  return laterCost * current.length < currentCost * (later.length + skipped);
}

}  // namespace

Match LazyParser::Longest(uint32_t position, uint32_t end) {
  if (position >= end) return {0, 0};
  const uint32_t count = finder_.Find(position, settings_.niceLength, settings_.depth, found_);
  return count == 0 ? Match{0, 0} : found_[count - 1];
}

uint32_t LazyParser::Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                           CostModel& model, std::vector<Item>& out) {
  const size_t first = out.size();
  uint32_t position = start;
  Match current = Longest(position, end);
  while (position < end) {
    if (!WorthTaking(current, data.data() + position, model)) {
      out.push_back(LiteralItem(data[position]));
      current = Longest(++position, end);
      continue;
    }
    // The positions before searched have been searched.
    uint32_t searched = position + 1;
    uint32_t literals = 0;
    if (current.length < settings_.niceLength) {
      uint32_t literalCost = 0;
      for (uint32_t ahead = 1; ahead <= settings_.lookAhead && ahead < current.length; ++ahead) {
        literalCost += model.Literal(data[position + ahead - 1]);
        const Match later = Longest(position + ahead, end);
        searched = position + ahead + 1;
        if (CheaperPerByte(later, ahead, literalCost, current, model)) {
          literals = ahead;
          current = later;
          break;
        }
      }
    }
    if (literals > 0) {
      // The later match becomes the current one, to be weighed against those after it.
      for (; literals > 0; --literals) out.push_back(LiteralItem(data[position++]));
      continue;
    }
    out.push_back(MatchItem(current.length, current.position));
    position += current.length;
    SkipTo(searched, position);
    current = Longest(position, end);
  }
  model = CostModelOf(std::span(out).subspan(first), method_);
  return position;
}
