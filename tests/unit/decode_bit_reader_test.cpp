#include <algorithm>
#include <vector>

#include "decode/bit_reader.h"
#include "decode_fixture.h"

namespace {

// count bits of bytes from bit `from` on, most significant first; zero bits past the end.
uint32_t BitsAt(const std::vector<uint8_t>& bytes, size_t from, uint32_t count) {
  uint32_t value = 0;
  for (size_t bit = from; bit < from + count; ++bit) {
    const size_t byte = bit / 8;
    value = value << 1 | (byte < bytes.size() ? bytes[byte] >> (7 - bit % 8) & 1 : 0);
  }
  return value;
}

// A member of size bytes that no two neighbouring loads could be confused in.
std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> member(size);
  for (size_t i = 0; i < member.size(); ++i) member[i] = static_cast<uint8_t>(i * 7 + 3);
  return member;
}

}  // namespace

// The file is loaded in parts of at most 16384 bytes, each when the 16-bit lookahead first
// reaches into it, and never past the member's end: after c bits have been consumed the reader
// has loaded just the parts that hold the member's first c + 16 bits.
struct LoadCase {
  size_t memberSize;
  std::vector<uint32_t> steps;  // bit counts taken in turn, over and over
};

class BitReaderLoadTest : public DecodeTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(BitReaderLoadTest, LoadsFallWhereTheLookaheadNeedsThem) {
  const LoadCase& c = GetParam();
  const std::vector<uint8_t> member = Pattern(c.memberSize);
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
    ASSERT_EQ(TakeBits(reader, n), BitsAt(member, consumed, n)) << "at bit " << consumed;
    consumed += n;
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
  size_t memberSize;
  std::vector<uint32_t> steps;
};

class RestingFormTest : public DecodeTest, public ::testing::WithParamInterface<RestingCase> {};

TEST_P(RestingFormTest, IsThatOfAReaderSixteenBitsAhead) {
  const std::vector<uint8_t> member = Pattern(GetParam().memberSize);
  BitReader reader = StartOn(member);
  uint32_t consumed = 0;
  for (uint32_t n : GetParam().steps) {
    TakeBits(reader, n);
    consumed += n;
  }
  StoreBitReader(reader);
  const uint32_t taken = (consumed + 16 + 7) / 8;
  const uint32_t bitCount = taken * 8 - consumed - 16;
  const auto size = static_cast<uint32_t>(member.size());
  EXPECT_EQ(work->bitBuf, BitsAt(member, consumed, 16));
  EXPECT_EQ(work->bitCount, bitCount);
  EXPECT_EQ(work->subBitBuf, BitsAt(member, consumed + 16, bitCount) << (8 - bitCount) & 0xFF);
  EXPECT_EQ(work->compLeft, size > taken ? size - taken : 0);
  EXPECT_EQ(work->inPos, std::min(taken, size));
}

INSTANTIATE_TEST_SUITE_P(Positions, RestingFormTest,
                         ::testing::Values(RestingCase{4, {3}}, RestingCase{9, {13, 13, 13, 5}},
                                           RestingCase{9, {13, 13, 13, 5, 16, 16, 3}},
                                           RestingCase{1, {3}}, RestingCase{1, {8, 16, 16, 5}}));
