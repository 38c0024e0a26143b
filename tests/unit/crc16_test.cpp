#include "base/crc16.h"

#include <vector>

#include "core_test.h"
#include "reference_crc.h"

// Every length from 0 to 1100 at every alignment, from 0 and from a running value, so that the
// 4-lane path (256 bytes and up), the 8-byte steps and the byte tail all meet the definition.
TEST(Crc16Test, MatchesTheBitAtATimeDefinition) {
  ASSERT_EQ(ReferenceCrc16(Bytes("123456789")), 0xBB3D);
  std::vector<uint8_t> buffer(1108);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 167 + i / 251);
  CrcState state{};
  BuildCrcTable(state, kCrcPolynomial);
  for (const uint16_t start : {uint16_t{0}, uint16_t{0x5A3C}}) {
    for (size_t offset = 0; offset < 8; ++offset) {
      for (int32_t length = 0; length <= 1100; ++length) {
        state.crc = start;
        ASSERT_EQ(UpdateCrc(state, buffer.data() + offset, length),
                  ReferenceCrc16({buffer.data() + offset, size_t(length)}, start))
            << start << " " << offset << "+" << length;
      }
    }
  }
  EXPECT_EQ(UpdateCrc(state, buffer.data(), -5), state.crc);
}
