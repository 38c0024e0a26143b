// The encoder's prefix codes: a block whose codes are not complete or run past 16 bits is refused
// by the decoder, and a code should cost no more than the limit forces.
#include "lzh_encoder/huffman_code.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> Fibonacci(size_t count) {
  std::vector<uint32_t> values{1, 1};
  while (values.size() < count) values.push_back(values.end()[-1] + values.end()[-2]);
  return values;
}

// The least costs (in bits) were found by trying every number of leaves at every depth.
TEST(HuffmanCodeTest, CompleteCodesWithinTheLimitAtTheLeastCost) {
  const struct {
    std::vector<uint32_t> frequencies;
    uint32_t limit;
    uint64_t leastCost;  // 0: not known
  } cases[] = {
      {{5, 0, 0, 9}, 16, 14},                 // two symbols among unused ones
      {Fibonacci(14), 6, 2599},               // a 13-bit Huffman code cut to 6
      {Fibonacci(19), 5, 33820},              // the code-length code's 19 symbols in 5 bits
      {Fibonacci(30), 16, 0},                 // 29 bits cut to 16
      {std::vector<uint32_t>(510, 7), 16, 0}  // every literal/length symbol alike
  };
  for (const auto& [frequencies, limit, leastCost] : cases) {
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
    EXPECT_TRUE(leastCost == 0 || cost == leastCost) << cost;
  }
}

}  // namespace
