// The encoder's prefix codes: a block whose codes are not complete or run past 16 bits is refused
// by the decoder, and a code should cost no more than the limit forces.
#include "lzh_encoder/huffman_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace {

std::vector<uint32_t> Fibonacci(size_t count) {
  std::vector<uint32_t> values{1, 1};
  while (values.size() < count) values.push_back(values.end()[-1] + values.end()[-2]);
  return values;
}

// The cheapest code within limit bits, by trying every number of leaves at every depth: an
// oracle that shares nothing with package-merge.
uint64_t OptimalLimitedCost(std::vector<uint32_t> weights, uint32_t limit) {
  std::erase(weights, 0u);
  std::sort(weights.rbegin(), weights.rend());
  std::map<std::vector<size_t>, uint64_t> memo;
  std::function<uint64_t(size_t, size_t, size_t)> best = [&](size_t next, size_t depth,
                                                             size_t nodes) -> uint64_t {
    if (next == weights.size()) return 0;
    nodes = std::min(nodes, weights.size() - next);
    if (depth > limit || nodes == 0) return UINT64_MAX / 2;
    const std::vector<size_t> key{next, depth, nodes};
    if (memo.count(key)) return memo[key];
    uint64_t result = UINT64_MAX / 2;
    uint64_t cost = 0;  // of the leaves placed at this depth
    for (size_t leaves = 0;; ++leaves) {
      result = std::min(result, cost + best(next + leaves, depth + 1, 2 * (nodes - leaves)));
      if (leaves == nodes) break;
      cost += uint64_t{weights[next + leaves]} * depth;
    }
    return memo[key] = result;
  };
  return best(0, 1, 2);
}

TEST(HuffmanCodeTest, CompleteCodesWithinTheLimitAtTheLeastCost) {
  const struct {
    std::vector<uint32_t> frequencies;
    uint32_t limit;
  } cases[] = {
      {{5, 0, 0, 9}, 16},                  // two symbols among unused ones
      {Fibonacci(14), 6},                  // a 13-bit Huffman code cut to 6
      {Fibonacci(19), 5},                  // the code-length code's 19 symbols in 5 bits
      {Fibonacci(30), 16},                 // 29 bits cut to 16
      {std::vector<uint32_t>(510, 7), 16}  // every literal/length symbol alike
  };
  for (const auto& [frequencies, limit] : cases) {
    SCOPED_TRACE(frequencies.size());
    std::vector<uint8_t> lengths(frequencies.size());
    BuildCodeLengths(frequencies, limit, lengths);
    uint64_t kraft = 0;  // in units of 2^-limit: a complete code fills 2^limit
    uint64_t cost = 0;
    for (size_t i = 0; i < lengths.size(); ++i) {
      EXPECT_EQ(lengths[i] == 0, frequencies[i] == 0);
      EXPECT_LE(lengths[i], limit);
      if (lengths[i] != 0) kraft += uint64_t{1} << (limit - lengths[i]);
      cost += uint64_t{frequencies[i]} * lengths[i];
    }
    EXPECT_EQ(kraft, uint64_t{1} << limit);
    if (frequencies.size() < 20) {
      EXPECT_EQ(cost, OptimalLimitedCost(frequencies, limit));
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
  for (size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] != 0) order.push_back({lengths[i], i});
  }
  std::sort(order.begin(), order.end());
  uint32_t start = 0;  // where the next code's interval begins, in 16-bit units
  for (const auto& [length, symbol] : order) {
    EXPECT_EQ(uint32_t{codes[symbol]} << (16 - length), start) << "symbol " << symbol;
    start += 1u << (16 - length);
  }
  EXPECT_EQ(start, 1u << 16);
}

}  // namespace
