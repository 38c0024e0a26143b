#include "lzh_encoder/lzh_encoder.h"

#include <algorithm>
#include <cassert>
#include <deque>
#include <future>
#include <memory>

#include "lzh_encoder/block_splitter.h"
#include "lzh_encoder/chain_match_finder.h"
#include "lzh_encoder/lazy_parser.h"
#include "lzh_encoder/optimal_parser.h"
#include "lzh_encoder/tree_match_finder.h"

namespace {

// How much a parser takes at a time; the optimal parser holds every match of a stretch.
constexpr uint32_t kStretchBytes = 65536;

// A member is parsed in segments of this size, each on a thread of its own, so that one large
// file keeps every core busy; where segments fall does not depend on the threads, so neither
// does the output. Each segment starts its costs afresh, which a segment this long hardly feels.
constexpr uint32_t kSegmentBytes = 1u << 22;

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

// The items of the segment of data from start to end, parsed as if the bytes before it within
// reach had been parsed too: its finder has seen them, so no match is lost at its start, and none
// runs past its end.
std::vector<Item> ParseSegment(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                               const Method& method, const LevelSettings& settings,
                               const EncoderProgress& progress) {
  const uint32_t reach = 1u << method.reachBits;
  const std::unique_ptr<MatchFinder> finder = MakeFinder(settings, reach);
  finder->Reset(data.first(end));
  for (uint32_t position = start > reach ? start - reach : 0; position < start; ++position) {
    finder->Skip(position, settings.parser.niceLength, settings.parser.depth);
  }
  const std::unique_ptr<Parser> parser = MakeParser(settings, *finder, method);
  CostModel model =
      InitialCostModel(method, data.subspan(start, std::min(kStretchBytes, end - start)));
  std::vector<Item> items, stretchItems;
  bool incompressible = false;
  for (uint32_t position = start; position < end;) {
    stretchItems.clear();
    const uint32_t stretch = incompressible ? kLiteralStretchBytes : kStretchBytes;
    const uint32_t stop = position + std::min(stretch, end - position);
    uint32_t reached = stop;
    if (incompressible) {
      incompressible = !SendAsLiterals(data, position, stop, method, *finder, stretchItems);
    } else {
      reached = parser->Parse(data, position, stop, model, stretchItems);
      incompressible = LooksIncompressible(stretchItems, model, reached - position);
    }
    items.insert(items.end(), stretchItems.begin(), stretchItems.end());
    if (progress) progress(reached - position);
    position = reached;
  }
  return items;
}

}  // namespace

std::vector<uint8_t> EncodeLzh(std::span<const uint8_t> data, const Method& method, int level,
                               const EncoderProgress& progress, unsigned threads) {
  assert(data.size() <= kMaxEncoderInput);
  assert(level >= kMinLevel && level <= kMaxLevel);
  BitWriter bits;
  if (data.empty()) return bits.Finish();
  const LevelSettings& settings = kLevels[level - kMinLevel];
  BlockSplitter splitter(bits, method);
  // Segments are parsed on up to `threads` threads at once and taken in order; what a segment
  // throws (progress may) comes out when its turn comes, and the futures still running are
  // waited for as they go.
  std::deque<std::future<std::vector<Item>>> parsing;
  const auto size = static_cast<uint32_t>(data.size());
  for (uint32_t next = 0; next < size || !parsing.empty();) {
    while (next < size && parsing.size() < std::max(threads, 1u)) {
      const uint32_t end = next + std::min(kSegmentBytes, size - next);
      parsing.push_back(std::async(threads > 1 ? std::launch::async : std::launch::deferred,
                                   ParseSegment, data, next, end, std::cref(method),
                                   std::cref(settings), std::cref(progress)));
      next = end;
    }
    splitter.Add(parsing.front().get());
    parsing.pop_front();
  }
  splitter.Finish();
  return bits.Finish();
}
