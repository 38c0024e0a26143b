#include "archive/crc16.h"

#include "test_support.h"

using Crc16Test = CoreTest;

TEST_F(Crc16Test, CheckValueOfTheStandardString) {
  BuildCrcTable(kCrcPolynomial);
  work->crc = 0;
  EXPECT_EQ(UpdateCrc(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xBB3D);
}

TEST_F(Crc16Test, RunsOnFromTheCurrentValueAndIgnoresEmptyCounts) {
  BuildCrcTable(kCrcPolynomial);
  const auto* text = reinterpret_cast<const uint8_t*>("123456789");
  work->crc = 0;
  UpdateCrc(text, 4);
  EXPECT_EQ(UpdateCrc(text, 0), UpdateCrc(text, -5));
  EXPECT_EQ(UpdateCrc(text + 4, 5), 0xBB3D);
}
