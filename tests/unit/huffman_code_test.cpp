// The encoder's prefix codes: every block's codes must be complete and at most 16 bits long, or
// the decoder refuses the block, and should cost no more than the limit forces.
#include "lzh_encoder/huffman_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

namespace {

std::vector<uint32_t> Fibonacci(size_t count) {
  std::vector<uint32_t> values{1, 1};
  while (values.size() < count)
    values.push_back(values[values.size() - 1] + values[values.size() - 2]);
  values.resize(count);
  return values;
}

uint64_t Cost(const std::vector<uint32_t>& frequencies, const std::vector<uint8_t>& lengths) {
  uint64_t cost = 0;
  for (size_t i = 0; i < frequencies.size(); ++i) cost += uint64_t{frequencies[i]} * lengths[i];
  return cost;
}

// The cheapest code within limit bits, by trying every number of leaves at every depth: an
// oracle that shares nothing with package-merge.
uint64_t OptimalLimitedCost(std::vector<uint32_t> weights, uint32_t limit) {
  std::sort(weights.rbegin(), weights.rend());
  std::map<std::tuple<size_t, uint32_t, size_t>, uint64_t> memo;
  std::function<uint64_t(size_t, uint32_t, size_t)> best = [&](size_t next, uint32_t depth,
                                                               size_t nodes) -> uint64_t {
    if (next == weights.size()) return 0;
    if (depth > limit || nodes == 0) return UINT64_MAX / 2;
    nodes = std::min(nodes, weights.size() - next);
    const auto key = std::make_tuple(next, depth, nodes);
    if (const auto found = memo.find(key); found != memo.end()) return found->second;
    uint64_t result = UINT64_MAX / 2;
    uint64_t leafCost = 0;
    for (size_t leaves = 0; leaves <= nodes; ++leaves) {
      if (leaves > 0) leafCost += uint64_t{weights[next + leaves - 1]} * depth;
      result = std::min(result, leafCost + best(next + leaves, depth + 1, 2 * (nodes - leaves)));
    }
    return memo[key] = result;
  };
  return best(0, 1, 2);
}

TEST(HuffmanCodeTest, CompleteCodesWithinTheLimitAtTheLeastCost) {
  struct Case {
    const char* name;
    std::vector<uint32_t> frequencies;
    uint32_t limit;
  };
  std::vector<uint32_t> flat(510, 7);
  const Case cases[] = {
      {"two symbols among unused ones", {5, 0, 0, 9}, 16},
      {"deep Huffman code cut to the limit", Fibonacci(14), 6},
      {"code lengths of 29 bits cut to 16", Fibonacci(30), 16},
      {"every literal/length symbol alike", flat, 16},
      {"the code-length code's 19 symbols in 5 bits", Fibonacci(19), 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> lengths(c.frequencies.size());
    BuildCodeLengths(c.frequencies, c.limit, lengths);
    uint64_t kraft = 0;  // in units of 2^-limit: a complete code fills 2^limit
    for (size_t i = 0; i < lengths.size(); ++i) {
      EXPECT_EQ(lengths[i] == 0, c.frequencies[i] == 0);
      EXPECT_LE(lengths[i], c.limit);
      if (lengths[i] != 0) kraft += uint64_t{1} << (c.limit - lengths[i]);
    }
    EXPECT_EQ(kraft, uint64_t{1} << c.limit);
    if (c.frequencies.size() <= 19) {
      std::vector<uint32_t> used;
      for (uint32_t f : c.frequencies)
        if (f != 0) used.push_back(f);
      EXPECT_EQ(Cost(c.frequencies, lengths), OptimalLimitedCost(used, c.limit));
    }
  }
}

TEST(HuffmanCodeTest, LoneSymbolCostsNothing) {
  std::vector<uint8_t> lengths(3, 9);
  BuildCodeLengths(std::vector<uint32_t>{0, 4, 0}, 16, lengths);
  EXPECT_EQ(lengths, (std::vector<uint8_t>{0, 0, 0}));
}

TEST(HuffmanCodeTest, CanonicalCodesTileTheCodeSpaceShortestFirstInSymbolOrder) {
  const std::vector<uint8_t> lengths{3, 0,  2,  3,  16, 2,  4, 16, 15, 3,
                                     5, 14, 13, 12, 11, 10, 9, 8,  7,  6};
  std::vector<uint16_t> codes(lengths.size());
  AssignCanonicalCodes(lengths, codes);
  std::vector<std::pair<uint8_t, size_t>> order;
  for (size_t i = 0; i < lengths.size(); ++i)
    if (lengths[i] != 0) order.push_back({lengths[i], i});
  std::sort(order.begin(), order.end());
  uint32_t start = 0;  // where the next code's interval must begin, in 16-bit units
  for (const auto& [length, symbol] : order) {
    EXPECT_EQ(uint32_t{codes[symbol]} << (16 - length), start) << "symbol " << symbol;
    start += 1u << (16 - length);
  }
  EXPECT_EQ(start, 1u << 16);
}

}  // namespace
