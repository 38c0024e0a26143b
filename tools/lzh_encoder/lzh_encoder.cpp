#include "lzh_encoder/lzh_encoder.h"

#include <algorithm>
#include <cassert>
#include <memory>

#include "lzh_encoder/block_splitter.h"
#include "lzh_encoder/chain_match_finder.h"
#include "lzh_encoder/lazy_parser.h"
#include "lzh_encoder/optimal_parser.h"
#include "lzh_encoder/tree_match_finder.h"

namespace {

// How much a parser takes at a time; the optimal parser holds every match of a stretch.
constexpr uint32_t kStretchBytes = 65536;

// A stretch whose items cost nearly as much as its bytes is taken to be incompressible, as the
// compressed media inside a package are. The stretches after it go out as literals, with only a
// quick look for repeats, until one repeats or its literals alone would compress.
constexpr double kIncompressibleShare = 0.98;
constexpr uint32_t kRepeatLength = 16;
// Small, so that little compressible data following incompressible goes out as literals.
constexpr uint32_t kLiteralStretchBytes = 4096;

struct LevelSettings {
  bool optimal;  // otherwise lazy
  bool trees;    // otherwise chains
  ParserSettings parser;
};

// Measured on text, tables and machine code: each level is smaller than the one before, at a
// price in time.
constexpr LevelSettings kLevels[kMaxLevel] = {
    {false, false, {16, 4, 0, 1}}, {false, false, {32, 8, 0, 2}}, {false, false, {64, 24, 0, 2}},
    {true, false, {32, 8, 1, 0}},  {true, false, {64, 16, 1, 0}}, {true, true, {32, 8, 1, 0}},
    {true, true, {64, 16, 2, 0}},  {true, true, {128, 48, 3, 0}}, {true, true, {192, 128, 3, 0}},
};

std::unique_ptr<MatchFinder> MakeFinder(const LevelSettings& settings, uint32_t maxDistance) {
  if (settings.trees) return std::make_unique<TreeMatchFinder>(maxDistance);
  return std::make_unique<ChainMatchFinder>(maxDistance);
}

std::unique_ptr<Parser> MakeParser(const LevelSettings& settings, MatchFinder& finder,
                                   const Method& method) {
  if (settings.optimal) return std::make_unique<OptimalParser>(finder, method, settings.parser);
  return std::make_unique<LazyParser>(finder, method, settings.parser);
}

bool LooksIncompressible(std::span<const Item> items, const CostModel& model, uint32_t bytes) {
  return static_cast<double>(ItemsCost(items, model)) >=
         kIncompressibleShare * 8 * kCostScale * bytes;
}

// Appends the bytes from start to end as literals; says whether they are worth parsing again.
bool SendAsLiterals(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                    const Method& method, MatchFinder& finder, std::vector<Item>& out) {
  bool repeats = false;
  for (uint32_t position = start; position < end; ++position) {
    out.push_back(LiteralItem(data[position]));
    repeats |= finder.RepeatLength(position) >= kRepeatLength;
  }
  return repeats || !LooksIncompressible(out, CostModelOf(out, method), end - start);
}

}  // namespace

std::vector<uint8_t> EncodeLzh(std::span<const uint8_t> data, const Method& method, int level,
                               const EncoderProgress& progress) {
  assert(data.size() <= kMaxEncoderInput);
  assert(level >= kMinLevel && level <= kMaxLevel);
  BitWriter bits;
  if (data.empty()) return bits.Finish();
  const LevelSettings& settings = kLevels[level - kMinLevel];
  const std::unique_ptr<MatchFinder> finder = MakeFinder(settings, 1u << method.reachBits);
  finder->Reset(data);
  const std::unique_ptr<Parser> parser = MakeParser(settings, *finder, method);
  BlockSplitter splitter(bits, method);
  CostModel model =
      InitialCostModel(method, data.first(std::min<size_t>(data.size(), kStretchBytes)));
  std::vector<Item> items;
  bool incompressible = false;
  const auto size = static_cast<uint32_t>(data.size());
  for (uint32_t position = 0; position < size;) {
    items.clear();
    const uint32_t stretch = incompressible ? kLiteralStretchBytes : kStretchBytes;
    const uint32_t end = position + std::min(stretch, size - position);
    uint32_t reached = end;
    if (incompressible) {
      incompressible = !SendAsLiterals(data, position, end, method, *finder, items);
    } else {
      reached = parser->Parse(data, position, end, model, items);
      incompressible = LooksIncompressible(items, model, reached - position);
    }
    splitter.Add(items);
    if (progress) progress(reached - position);
    position = reached;
  }
  splitter.Finish();
  return bits.Finish();
}
