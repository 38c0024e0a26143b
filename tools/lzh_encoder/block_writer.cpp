#include "lzh_encoder/block_writer.h"

#include <cassert>
#include <vector>

#include "decode/code_tables.h"
#include "lzh_encoder/huffman_code.h"

namespace {

// The symbols of the code-length code: a zero, a run of zeros with a short or a long count, or
// a length of 1 to 16.
constexpr uint32_t kOneZero = 0;
constexpr uint32_t kShortZeroRun = 1;  // 3 to 18 zeros, 4 count bits
constexpr uint32_t kLongZeroRun = 2;   // 20 to 531 zeros, 9 count bits
constexpr uint32_t kLengthSymbolBase = 2;
constexpr uint32_t kCodeLengthCountWidth = 5;
constexpr uint32_t kLiteralCountWidth = 9;
// The code-length code's lengths: after the third, two bits say how many of the next three are 0.
constexpr uint32_t kZeroRunIndex = 3;
constexpr uint32_t kMaxZeroRun = 3;

struct CodeLengthStep {
  uint8_t symbol;
  uint8_t extraWidth;
  uint16_t extra;
};

// The literal/length lengths up to the last one in use, as code-length symbols.
std::vector<CodeLengthStep> RunLengthSteps(std::span<const uint8_t> lengths) {
  std::vector<CodeLengthStep> steps;
  for (size_t i = 0; i < lengths.size();) {
    if (lengths[i] != 0) {
      steps.push_back({static_cast<uint8_t>(lengths[i++] + kLengthSymbolBase), 0, 0});
      continue;
    }
    size_t run = 0;
    while (i + run < lengths.size() && lengths[i + run] == 0) ++run;
    i += run;
    if (run == 19) {
      // Neither run symbol says 19.
      steps.push_back({kOneZero, 0, 0});
      run = 18;
    }
    if (run <= 2) {
      for (size_t k = 0; k < run; ++k) steps.push_back({kOneZero, 0, 0});
    } else if (run <= 18) {
      steps.push_back({kShortZeroRun, 4, static_cast<uint16_t>(run - 3)});
    } else {
      steps.push_back({kLongZeroRun, 9, static_cast<uint16_t>(run - 20)});
    }
  }
  return steps;
}

// A length of 0 to 6 is 3 bits; 7 or more is 7 followed by a 1-bit per further step and a 0-bit.
void PutLength(BitWriter& bits, uint32_t length) {
  if (length < 7) {
    bits.Put(length, 3);
    return;
  }
  bits.Put(7, 3);
  const uint32_t ones = length - 7;
  bits.Put(((1u << ones) - 1) << 1, ones + 1);
}

// A code with one symbol or none is sent as a count of 0 and the symbol, and costs nothing per
// use; any other as a count and the lengths up to the last symbol in use.
void PutSmallCode(BitWriter& bits, std::span<const uint8_t> lengths, SymbolUse use,
                  uint32_t countWidth, uint32_t zeroRunIndex) {
  if (use.count < 2) {
    bits.Put(0, countWidth);
    bits.Put(use.last, countWidth);
    return;
  }
  const uint32_t count = use.last + 1;
  bits.Put(count, countWidth);
  for (uint32_t i = 0; i < count;) {
    PutLength(bits, lengths[i++]);
    if (i == zeroRunIndex) {
      uint32_t zeros = 0;
      while (zeros < kMaxZeroRun && i + zeros < count && lengths[i + zeros] == 0) ++zeros;
      bits.Put(zeros, 2);
      i += zeros;
    }
  }
}

// Some readers refuse a code-length or literal/length code sent as a constant, even an unused
// one, so such a code gets a second symbol, and one bit per use, by a count that no item has.
void GiveTwoSymbols(std::vector<uint32_t>& frequencies) {
  for (uint32_t symbol = 0; FindSymbolUse(frequencies).count < 2; ++symbol) {
    if (frequencies[symbol] == 0) frequencies[symbol] = 1;
  }
}

// A prefix code made for given frequencies, ready to put symbols.
struct PrefixCode {
  explicit PrefixCode(std::span<const uint32_t> frequencies)
      : lengths(frequencies.size()), codes(frequencies.size()), use(FindSymbolUse(frequencies)) {
    BuildCodeLengths(frequencies, kMaxCodeLength, lengths);
    AssignCanonicalCodes(lengths, codes);
  }
  void Put(BitWriter& bits, uint32_t symbol) const { bits.Put(codes[symbol], lengths[symbol]); }

  std::vector<uint8_t> lengths;
  std::vector<uint16_t> codes;
  SymbolUse use;
};

void PutLiteralCode(BitWriter& bits, const PrefixCode& literals) {
  const std::vector<CodeLengthStep> steps =
      RunLengthSteps(std::span(literals.lengths).first(literals.use.last + 1));
  std::vector<uint32_t> frequencies(kCodeLengthSymbols, 0);
  for (const CodeLengthStep& step : steps) ++frequencies[step.symbol];
  GiveTwoSymbols(frequencies);
  const PrefixCode codeLengths(frequencies);
  PutSmallCode(bits, codeLengths.lengths, codeLengths.use, kCodeLengthCountWidth, kZeroRunIndex);
  bits.Put(literals.use.last + 1, kLiteralCountWidth);
  for (const CodeLengthStep& step : steps) {
    codeLengths.Put(bits, step.symbol);
    bits.Put(step.extra, step.extraWidth);
  }
}

}  // namespace

void WriteBlock(BitWriter& bits, std::span<const Item> items, ItemCounts counts,
                const Method& method) {
  assert(!items.empty() && items.size() <= kMaxBlockItems);
  GiveTwoSymbols(counts.symbols);
  const PrefixCode literals(counts.symbols);
  const PrefixCode positions(counts.slots);

  bits.Put(static_cast<uint32_t>(items.size()), 16);
  PutLiteralCode(bits, literals);
  PutSmallCode(bits, positions.lengths, positions.use, method.slotCountWidth, kNoZeroRun);
  for (const Item item : items) {
    literals.Put(bits, ItemSymbol(item));
    if (!IsMatch(item)) continue;
    const uint32_t position = MatchPosition(item);
    const uint32_t slot = PositionSlot(position);
    const uint32_t extraBits = SlotExtraBits(slot);
    // The slot's code and the extra bits in one field: at most 16 + 15 bits.
    bits.Put(uint32_t{positions.codes[slot]} << extraBits | (position & ((1u << extraBits) - 1)),
             positions.lengths[slot] + extraBits);
  }
}
