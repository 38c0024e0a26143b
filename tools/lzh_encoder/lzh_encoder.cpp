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
// A segment held costs its bytes and up to four bytes of items for each, so this many stay well
// within 256 MiB however many cores there are.
constexpr size_t kMaxSegmentsHeld = 8;

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
    {false, false, {16, 4, 0}}, {false, false, {32, 16, 0}}, {false, false, {64, 48, 0}},
    {true, false, {32, 8, 1}},  {true, false, {64, 16, 1}},  {true, false, {64, 32, 1}},
    {true, true, {64, 16, 2}},  {true, true, {128, 48, 3}},  {true, true, {192, 128, 3}},
};

std::unique_ptr<MatchFinder> MakeFinder(const LevelSettings& settings, uint32_t maxDistance) {
  if (settings.trees) return std::make_unique<TreeMatchFinder>(maxDistance);
  return std::make_unique<ChainMatchFinder>(maxDistance);
}

std::unique_ptr<Parser> MakeParser(const LevelSettings& settings, MatchFinder& finder,
                                   const Method& method) {
  if (settings.optimal) return std::make_unique<OptimalParser>(finder, method, settings.parser);
  // The quick levels keep their positions in chains.
  return std::make_unique<LazyParser>(static_cast<ChainMatchFinder&>(finder), method,
                                      settings.parser);
}

// cost is what the items of those bytes cost by the model their counts make.
bool LooksIncompressible(uint64_t cost, uint32_t bytes) {
  return static_cast<double>(cost) >= kIncompressibleShare * 8 * kCostScale * bytes;
}

// Appends the bytes from start to end as literals; says whether they are worth parsing again.
bool SendAsLiterals(std::span<const uint8_t> data, uint32_t start, uint32_t end,
                    const Method& method, MatchFinder& finder, std::vector<Item>& out) {
  const size_t first = out.size();
  bool repeats = false;
  for (uint32_t position = start; position < end; ++position) {
    out.push_back(LiteralItem(data[position]));
    repeats |= finder.RepeatLength(position) >= kRepeatLength;
  }
  uint64_t cost = 0;
  CostModelOf(std::span(out).subspan(first), method, &cost);
  return repeats || !LooksIncompressible(cost, end - start);
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
  finder->SkipTo(start > reach ? start - reach : 0, start, settings.parser.niceLength,
                 settings.parser.depth);
  const std::unique_ptr<Parser> parser = MakeParser(settings, *finder, method);
  CostModel model =
      InitialCostModel(method, data.subspan(start, std::min(kStretchBytes, end - start)));
  // Room for a literal per byte, which only noise needs: pages never written cost nothing.
  std::vector<Item> items;
  items.reserve(end - start);
  bool incompressible = false;
  for (uint32_t position = start; position < end;) {
    const uint32_t stretch = incompressible ? kLiteralStretchBytes : kStretchBytes;
    const uint32_t stop = position + std::min(stretch, end - position);
    uint32_t reached = stop;
    if (incompressible) {
      incompressible = !SendAsLiterals(data, position, stop, method, *finder, items);
    } else {
      const size_t first = items.size();
      reached = parser->Parse(data, position, stop, model, items);
      uint64_t cost = 0;
      model = CostModelOf(std::span(items).subspan(first), method, &cost);
      incompressible = LooksIncompressible(cost, reached - position);
    }
    if (progress) progress(reached - position);
    position = reached;
  }
  return items;
}

}  // namespace

LzhStreamEncoder::LzhStreamEncoder(const Method& method, int level, unsigned threads,
                                   EncoderProgress progress, Output out)
    : method_(method),
      level_(level),
      threads_(std::max(threads, 1u)),
      progress_(std::move(progress)),
      out_(std::move(out)),
      splitter_(bits_, method) {
  assert(level >= kMinLevel && level <= kMaxLevel);
}

LzhStreamEncoder::~LzhStreamEncoder() = default;

void LzhStreamEncoder::Add(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const size_t room = windowBytes_ + kSegmentBytes - gathered_.size();
    const size_t taken = std::min(room, bytes.size());
    gathered_.insert(gathered_.end(), bytes.begin(), bytes.begin() + taken);
    bytes = bytes.subspan(taken);
    if (taken == room) Launch();
  }
}

void LzhStreamEncoder::Launch() {
  const uint32_t reach = 1u << method_.reachBits;
  window_.assign(gathered_.end() - std::min<size_t>(gathered_.size(), reach), gathered_.end());
  const uint32_t start = windowBytes_;
  // The segment owns its bytes and its window, so that the gathering can go on meanwhile.
  parsing_.push_back(std::async(threads_ > 1 ? std::launch::async : std::launch::deferred,
                                [this, start, segment = std::move(gathered_)]() mutable {
                                  std::vector<Item> items = ParseSegment(
                                      segment, start, static_cast<uint32_t>(segment.size()),
                                      method_, kLevels[level_ - kMinLevel], progress_);
                                  return ParsedSegment{std::move(items), std::move(segment)};
                                }));
  // One segment more than there are threads, so that they keep parsing while the oldest is
  // split and written; with one thread a segment is parsed only when it is taken.
  const size_t inFlight = threads_ > 1 ? std::min<size_t>(threads_ + 1, kMaxSegmentsHeld) : 1;
  while (parsing_.size() >= inFlight) TakeOldest();
  // A parsed segment's bytes take the next one, once there is one: fresh pages for every segment
  // cost more than the window copied twice. Only the first segment, which may be all of a small
  // member, grows as it gathers.
  gathered_ = std::exchange(spare_, {});
  gathered_.reserve(reach + kSegmentBytes);
  gathered_.assign(window_.begin(), window_.end());
  windowBytes_ = static_cast<uint32_t>(window_.size());
}

void LzhStreamEncoder::TakeOldest() {
  ParsedSegment parsed = parsing_.front().get();
  parsing_.pop_front();
  splitter_.Add(parsed.items);
  spare_ = std::move(parsed.bytes);
  if (const std::span<const uint8_t> done = bits_.TakeBytes(); !done.empty()) out_(done);
}

void LzhStreamEncoder::Finish() {
  if (gathered_.size() > windowBytes_) Launch();
  while (!parsing_.empty()) TakeOldest();
  splitter_.Finish();
  if (const std::vector<uint8_t> done = bits_.Finish(); !done.empty()) out_(done);
}

std::vector<uint8_t> EncodeLzh(std::span<const uint8_t> data, const Method& method, int level,
                               const EncoderProgress& progress, unsigned threads) {
  assert(data.size() <= kMaxEncoderInput);
  std::vector<uint8_t> packed;
  LzhStreamEncoder encoder(method, level, threads, progress, [&](std::span<const uint8_t> bytes) {
    packed.insert(packed.end(), bytes.begin(), bytes.end());
  });
  encoder.Add(data);
  encoder.Finish();
  return packed;
}
