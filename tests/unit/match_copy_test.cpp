#include "decode/match_copy.h"

#include <gtest/gtest.h>

#include <vector>

// Every distance a word copy treats differently, mid-window and at its end, against the plain
// forward copy; nothing but the match's own bytes may change.
TEST(MatchCopyTest, GivesWhatAByteByByteForwardCopyGives) {
  std::vector<uint8_t> initial(kWindowSize);
  for (size_t i = 0; i < initial.size(); ++i) initial[i] = static_cast<uint8_t>(i * 31 + i / 7);
  for (int distance = -20; distance <= 20; ++distance) {
    for (uint32_t length : {3u, 5u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 100u, 256u}) {
      const uint32_t nearEnd = kWindowSize - length - 1 - (distance < 0 ? -distance : 0);
      for (uint32_t dest : {300u, nearEnd - 15, nearEnd - 14, nearEnd}) {
        const auto source = static_cast<uint32_t>(static_cast<int>(dest) - distance);
        std::vector<uint8_t> expected = initial;
        for (uint32_t i = 0; i < length; ++i) expected[dest + i] = expected[source + i];
        std::vector<uint8_t> actual = initial;
        CopyMatch(actual.data(), dest, source, length);
        ASSERT_EQ(actual, expected)
            << "distance " << distance << ", length " << length << ", at " << dest;
      }
    }
  }
}
