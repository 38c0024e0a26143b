// The encoder against the stub's decoder: every method at every level must give back exactly the
// bytes it was given.
#include "core_test.h"
#include "lzh_encoder/lzh_encoder.h"

namespace {

using EncoderRoundTripTest = CoreTest;

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& byte : bytes) byte = uint8_t((seed = seed * 1103515245u + 12345u) >> 23);
  return bytes;
}

std::vector<uint8_t> Joined(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> joined;
  for (const std::vector<uint8_t>& part : parts)
    joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// Text of words drawn at random: matches of every length and distance. Runs of 1 to 700 bytes:
// matches at distance 1 and of the longest length. Noise: literals only, and the encoder's
// escape into them. A block repeated at the method's reach, then once more just beyond it, where
// no match may reach.
std::vector<std::pair<std::string, std::vector<uint8_t>>> Inputs(const Method& method) {
  static const char* const kWords[] = {"the ", "member ",          "window ",   "of ",  "setup ",
                                       "a ",   "Program Manager ", "extracts ", "\r\n", "stub, "};
  std::string text;
  for (const uint8_t pick : Noise(6000, 1)) text += kWords[pick % std::size(kWords)];
  std::vector<uint8_t> runs;
  for (const uint8_t length : Noise(300, 2))
    runs.insert(runs.end(), length * 700u / 255 + 1, length & 7);
  const std::vector<uint8_t> block = Noise(1u << method.reachBits, 3);
  return {{"text", Bytes(text)},
          {"runs", runs},
          {"noise", Noise(20000, 4)},
          {"reach", Joined({block, block, {0x55}, block})}};
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
