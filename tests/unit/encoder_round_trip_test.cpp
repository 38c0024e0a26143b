// The encoder: its prefix codes, and every method at every level through the stub's decoder.
#include "core_test.h"
#include "lzh_encoder/huffman_code.h"
#include "lzh_encoder/lzh_encoder.h"

namespace {

// The decoder refuses a code that is not complete or runs past 16 bits; a code should cost no more
// than its limit forces. Fibonacci frequencies make a 13-bit Huffman code; cut to 6 bits, the least
// cost, found by trying every number of leaves at every depth, is 2599.
TEST(HuffmanCodeTest, CompleteCodesWithinTheLimitAtTheLeastCost) {
  std::vector<uint32_t> frequencies{1, 1};
  while (frequencies.size() < 14)
    frequencies.push_back(frequencies.end()[-1] + frequencies.end()[-2]);
  std::vector<uint8_t> lengths(frequencies.size());
  BuildCodeLengths(frequencies, 6, lengths);
  uint32_t kraft = 0, cost = 0;  // kraft in 64ths: a complete code fills 64
  for (size_t i = 0; i < lengths.size(); ++i) {
    ASSERT_TRUE(lengths[i] >= 1 && lengths[i] <= 6) << i;
    kraft += 1u << (6 - lengths[i]), cost += frequencies[i] * lengths[i];
  }
  EXPECT_EQ(kraft, 64u);
  EXPECT_EQ(cost, 2599u);
}

using EncoderRoundTripTest = CoreTest;

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& byte : bytes) byte = uint8_t((seed = seed * 1103515245u + 12345u) >> 23);
  return bytes;
}

// Words: matches of every length and distance; runs of 1 to 700: distance 1, the longest length;
// noise: literals, the escape into them; a block repeated at the method's reach and just beyond.
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

TEST_F(EncoderRoundTripTest, EveryMethodAtEveryLevelGivesBackItsInputFromItsBytesAlone) {
  for (const char letter : {'5', '6', '7'}) {
    const Method& method = *FindMethod(letter);
    for (const auto& [name, input] : Inputs(method)) {
      for (int level = kMinLevel; level <= kMaxLevel; ++level) {
        SCOPED_TRACE(std::string("-lh") + letter + "- level " + std::to_string(level) + " " + name);
        const std::vector<uint8_t> packed = EncodeLzh(input, method, level, {});
        ASSERT_EQ(DecodeToFile(letter, packed, uint32_t(input.size())), input);
        // The encoder's last byte holds bits the decoder needs: without it the data runs out.
        EXPECT_THROW(
            DecodeToFile(letter, packed, uint32_t(input.size()), uint32_t(packed.size() - 1)),
            ProcessEnded);
      }
    }
  }
}

// A member past one segment is parsed in segments on several threads: its bytes are the same for
// any number of them, and the repeats after the first segment's end find their match before it.
TEST_F(EncoderRoundTripTest, ALargeMemberIsTheSameOnAnyThreadsAndMatchesAcrossItsSegments) {
  std::vector<uint8_t> input = Noise(4u << 20, 5);
  const std::vector<uint8_t> tail(input.end() - 30000, input.end());
  for (int copy = 0; copy < 4; ++copy) input.insert(input.end(), tail.begin(), tail.end());
  const Method& method = *FindMethod('7');
  const std::vector<uint8_t> packed = EncodeLzh(input, method, kMinLevel, {}, 1);
  EXPECT_EQ(EncodeLzh(input, method, kMinLevel, {}, 3), packed);
  EXPECT_LT(packed.size(), (4u << 20) + 30000) << packed.size();
  EXPECT_EQ(DecodeToFile('7', packed, uint32_t(input.size())), input);
}

}  // namespace
