#include <gtest/gtest.h>

#include <vector>

#include "decode/match_copy.h"

// Every distance a word copy treats differently (patterns shorter than a word, sources ahead of
// the destination) against the plain byte-by-byte forward copy.
TEST(MatchCopyTest, GivesWhatAByteByByteForwardCopyGives) {
  for (int distance = -20; distance <= 20; ++distance) {
    for (uint32_t length : {3u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 100u, 256u}) {
      std::vector<uint8_t> expected(600);
      for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint8_t>(i * 31 + 7);
      std::vector<uint8_t> actual = expected;
      const size_t dest = 300;
      const size_t source = static_cast<size_t>(static_cast<int>(dest) - distance);
      for (size_t i = 0; i < length; ++i) expected[dest + i] = expected[source + i];
      CopyMatch(actual.data() + dest, actual.data() + source, length);
      ASSERT_EQ(actual, expected) << "distance " << distance << ", length " << length;
    }
  }
}
