// The encoder: its prefix codes, and every method at every level against the stub's decoder, which
// must give back exactly the bytes the encoder was given.
#include "core_test.h"
#include "lzh_encoder/huffman_code.h"
#include "lzh_encoder/lzh_encoder.h"

namespace {

// The decoder refuses a code that is not complete or runs past 16 bits; a code should cost no more
// than its limit forces, the least found by trying every number of leaves at every depth.
TEST(HuffmanCodeTest, CompleteCodesWithinTheLimitAtTheLeastCost) {
  std::vector<uint32_t> fibonacci{1, 1};
  while (fibonacci.size() < 30) fibonacci.push_back(fibonacci.end()[-1] + fibonacci.end()[-2]);
  const std::tuple<std::vector<uint32_t>, uint32_t, uint64_t> cases[] = {
      {{fibonacci.begin(), fibonacci.begin() + 14}, 6, 2599},  // a 13-bit Huffman code cut to 6
      {fibonacci, 16, 0},  // 29 bits cut to 16; 0: the least cost is not known
  };
  for (const auto& [frequencies, limit, leastCost] : cases) {
    SCOPED_TRACE(frequencies.size());
    std::vector<uint8_t> lengths(frequencies.size());
    BuildCodeLengths(frequencies, limit, lengths);
    uint64_t kraft = 0, cost = 0;  // kraft in units of 2^-limit: a complete code fills 2^limit
    for (size_t i = 0; i < lengths.size(); ++i) {
      EXPECT_EQ(lengths[i] == 0, frequencies[i] == 0);
      EXPECT_LE(lengths[i], limit);
      kraft += lengths[i] == 0 ? 0 : uint64_t{1} << (limit - lengths[i]);
      cost += uint64_t{frequencies[i]} * lengths[i];
    }
    EXPECT_EQ(kraft, uint64_t{1} << limit);
    EXPECT_TRUE(leastCost == 0 || cost == leastCost) << cost;
  }
}

using EncoderRoundTripTest = CoreTest;

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& byte : bytes) byte = uint8_t((seed = seed * 1103515245u + 12345u) >> 23);
  return bytes;
}

// Words at random: matches of every length and distance. Runs of 1 to 700 bytes: distance 1 and
// the longest length. Noise: literals, and the encoder's escape into them. A block repeated at the
// method's reach, then once more just beyond it, where no match may reach.
std::vector<std::pair<std::string, std::vector<uint8_t>>> Inputs(const Method& method) {
  static const char* const kWords[] = {"the ", "member ",          "window ",   "of ",  "setup ",
                                       "a ",   "Program Manager ", "extracts ", "\r\n", "stub, "};
  std::string text;
  for (const uint8_t pick : Noise(6000, 1)) text += kWords[pick % std::size(kWords)];
  std::vector<uint8_t> runs;
  for (const uint8_t length : Noise(300, 2))
    runs.insert(runs.end(), length * 700u / 255 + 1, length & 7);
  const std::vector<uint8_t> block = Noise(1u << method.reachBits, 3);
  std::vector<uint8_t> reach = block;
  for (const auto& part : {block, std::vector<uint8_t>{0x55}, block})
    reach.insert(reach.end(), part.begin(), part.end());
  return {{"text", Bytes(text)}, {"runs", runs}, {"noise", Noise(20000, 4)}, {"reach", reach}};
}

TEST_F(EncoderRoundTripTest, EveryMethodAtEveryLevelGivesBackItsInput) {
  for (const char letter : {'5', '6', '7'}) {
    const Method& method = *FindMethod(letter);
    for (const auto& [name, input] : Inputs(method)) {
      for (int level = kMinLevel; level <= kMaxLevel; ++level) {
        SCOPED_TRACE(std::string("-lh") + letter + "- level " + std::to_string(level) + " " + name);
        const std::vector<uint8_t> packed = EncodeLzh(input, method, level, {});
        ASSERT_EQ(DecodeToFile(letter, packed, uint32_t(input.size())), input);
      }
    }
  }
}

}  // namespace
