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

// Whether later, after a literal that costs literalCost, costs fewer bits per byte covered than
// current.
bool CheaperPerByte(const Match& later, uint32_t literalCost, const Match& current,
                    const CostModel& model) {
  if (later.length + 1 <= current.length) return false;
  const uint64_t laterCost = literalCost + model.Match(later.length, later.position);
  const uint64_t currentCost = model.Match(current.length, current.position);
  return laterCost * current.length < currentCost * (later.length + 1);
}

}  // namespace

Match LazyParser::Longest(uint32_t position, uint32_t end, uint32_t shortest) {
  if (position >= end) return {0, 0};
  const uint32_t count =
      chains_.FindLonger(position, shortest, settings_.niceLength, settings_.depth, found_);
  return count == 0 ? Match{0, 0} : found_[count - 1];
}

uint32_t LazyParser::Parse(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                           const CostModel& model, std::vector<Item>& out) {
  uint32_t position = start;
  Match current = Longest(position, end);
  while (position < end) {
    if (!WorthTaking(current, data.data() + position, model)) {
      out.push_back(LiteralItem(data[position]));
      current = Longest(++position, end);
      continue;
    }
    // The positions before searched are in the chains.
    uint32_t searched = position + 1;
    if (current.length < settings_.niceLength) {
      // The next position may hold a match that covers more bytes per bit, after a literal; only
      // one longer than what is left of the current match can.
      const Match later = Longest(position + 1, end, current.length - 1);
      if (position + 1 < end) searched = position + 2;
      if (CheaperPerByte(later, model.Literal(data[position]), current, model)) {
        // It becomes the current one, to be weighed against the one after it.
        out.push_back(LiteralItem(data[position++]));
        current = later;
        continue;
      }
    }
    out.push_back(MatchItem(current.length, current.position));
    position += current.length;
    chains_.SkipTo(searched, position, 0, 0);
    current = Longest(position, end);
  }
  return position;
}
