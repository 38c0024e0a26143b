#include <algorithm>
#include <vector>

#include "decode/bit_reader.h"
#include "decode_fixture.h"

class BitReaderTest : public DecodeTest {
 protected:
  // A reader at the start of a member made of bytes, as the decoder starts one.
  BitReader StartOn(const std::vector<uint8_t>& bytes) {
    UseMember('5', bytes, 0);
    work->inPos = 0xFFFFFFFF;
    work->compLeft = static_cast<uint32_t>(bytes.size());
    return StartBitReader();
  }
};

TEST_F(BitReaderTest, FieldsAreReadMostSignificantBitFirst) {
  BitReader reader = StartOn({0xA5, 0x3C});
  EXPECT_EQ(TakeBits(reader, 3), 5u);
  EXPECT_EQ(TakeBits(reader, 5), 5u);
  EXPECT_EQ(TakeBits(reader, 4), 3u);
}

// The file is loaded in parts of at most 16384 bytes, each when the 16-bit lookahead first
// reaches into it, and never past the member's end: after c bits have been consumed the reader
// has loaded just the parts that hold the member's first c + 16 bits.
struct LoadCase {
  size_t memberSize;
  std::vector<uint32_t> steps;  // bit counts taken in turn, over and over
};

class BitReaderLoadTest : public BitReaderTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(BitReaderLoadTest, LoadsFallWhereTheLookaheadNeedsThem) {
  const LoadCase& c = GetParam();
  std::vector<uint8_t> member(c.memberSize);
  for (size_t i = 0; i < member.size(); ++i) member[i] = static_cast<uint8_t>(i * 7 + 3);
  auto expectedLoads = [&](size_t consumed) {
    const size_t needed = std::min(c.memberSize, (consumed + 16 + 7) / 8);
    std::vector<uint32_t> loads;
    for (size_t loaded = 0; loaded < needed; loaded += 16384) {
      loads.push_back(static_cast<uint32_t>(std::min<size_t>(16384, c.memberSize - loaded)));
    }
    return loads;
  };
  BitReader reader = StartOn(member);
  size_t consumed = 0;
  for (size_t i = 0; consumed < c.memberSize * 8 + 64; ++i) {
    const uint32_t n = c.steps[i % c.steps.size()];
    const size_t at = consumed;
    uint32_t expected = 0;
    for (uint32_t bit = 0; bit < n; ++bit, ++consumed) {
      const size_t byte = consumed / 8;
      const uint32_t value = byte < member.size() ? member[byte] >> (7 - consumed % 8) & 1 : 0;
      expected = expected << 1 | value;
    }
    ASSERT_EQ(TakeBits(reader, n), expected) << "at bit " << at;
    ASSERT_EQ(hooks().readSizes, expectedLoads(consumed)) << "after bit " << consumed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Loads, BitReaderLoadTest,
    ::testing::Values(LoadCase{0, {16}}, LoadCase{1, {1}}, LoadCase{3, {5}}, LoadCase{16384, {16}},
                      LoadCase{16385, {16}}, LoadCase{16385, {8, 16}}, LoadCase{16385, {1}},
                      LoadCase{16385, {16, 2}}, LoadCase{40000, {3, 16, 9, 12, 5, 1, 16, 7}},
                      LoadCase{40000, {13, 16, 2, 11}}, LoadCase{40000, {3, 13, 2}}));

// The work area's form of the reader is that of one holding exactly 16 bits ahead: bitBuf has
// the next 16 bits, subBitBuf the rest of the last byte taken at its top, and compLeft and inPos
// count the bytes taken so far, whole, up to the member's end.
struct RestingCase {
  std::vector<uint8_t> member;
  std::vector<uint32_t> steps;
};

class RestingFormTest : public BitReaderTest, public ::testing::WithParamInterface<RestingCase> {};

TEST_P(RestingFormTest, IsThatOfAReaderSixteenBitsAhead) {
  const std::vector<uint8_t>& member = GetParam().member;
  BitReader reader = StartOn(member);
  uint32_t consumed = 0;
  for (uint32_t n : GetParam().steps) {
    TakeBits(reader, n);
    consumed += n;
  }
  StoreBitReader(reader);
  auto bits = [&](uint32_t from, uint32_t count) {
    uint32_t value = 0;
    for (uint32_t bit = from; bit < from + count; ++bit) {
      const uint32_t byte = bit / 8;
      value = value << 1 | (byte < member.size() ? member[byte] >> (7 - bit % 8) & 1 : 0);
    }
    return value;
  };
  const uint32_t taken = (consumed + 16 + 7) / 8;
  const uint32_t bitCount = taken * 8 - consumed - 16;
  const auto size = static_cast<uint32_t>(member.size());
  EXPECT_EQ(work->bitBuf, bits(consumed, 16));
  EXPECT_EQ(work->bitCount, bitCount);
  EXPECT_EQ(work->subBitBuf, bits(consumed + 16, bitCount) << (8 - bitCount) & 0xFF);
  EXPECT_EQ(work->compLeft, size > taken ? size - taken : 0);
  EXPECT_EQ(work->inPos, std::min(taken, size));
}

INSTANTIATE_TEST_SUITE_P(
    Positions, RestingFormTest,
    ::testing::Values(RestingCase{{0xA5, 0x3C, 0x81, 0x7E}, {3}},
                      RestingCase{{1, 2, 3, 4, 5, 6, 7, 8, 9}, {13, 13, 13, 5}},
                      RestingCase{{1, 2, 3, 4, 5, 6, 7, 8, 9}, {13, 13, 13, 5, 16, 16, 3}},
                      RestingCase{{0xA5}, {3}}, RestingCase{{0xA5}, {8, 16, 16, 5}}));
