#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "decode/member_decoder.h"
#include "decode_fixture.h"
#include "lzh_block_writer.h"
#include "ombrix/data_crc.h"

namespace {

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

void PutLiterals(LzhBlockWriter& writer, const std::vector<uint8_t>& bytes) {
  for (uint8_t byte : bytes) writer.Literal(byte);
}

// Literals in blocks of up to 65536 symbols.
void PutLiteralBlocks(LzhBlockWriter& writer, const std::vector<uint8_t>& bytes) {
  for (size_t start = 0; start < bytes.size(); start += 65536) {
    const size_t count = std::min<size_t>(65536, bytes.size() - start);
    writer.StartBlock(static_cast<uint16_t>(count), EveryoneCodes(writer.positionCount()));
    for (size_t i = start; i < start + count; ++i) writer.Literal(bytes[i]);
  }
}

}  // namespace

using MemberDecodeTest = DecodeTest;

struct KnownVector {
  const char* name;
  std::vector<uint8_t> data;
  uint32_t size;
  std::string output;
};

class KnownVectorTest : public DecodeTest, public ::testing::WithParamInterface<KnownVector> {};

TEST_P(KnownVectorTest, DecodesAndTakesEveryByte) {
  const KnownVector& v = GetParam();
  UseMember('5', v.data, v.size);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(std::string(output.begin(), output.end()), v.output);
  EXPECT_EQ(work->crc, Crc16(output));
  EXPECT_EQ(work->compLeft, 0u);
  EXPECT_EQ(hooks().readSizes, std::vector<uint32_t>{static_cast<uint32_t>(v.data.size())});
  EXPECT_EQ(FollowingBytes(), kNextHeader);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, KnownVectorTest,
    ::testing::Values(
        // Three constant codes: the one symbol costs no bits.
        KnownVector{"ConstantCodes", {0x00, 0x01, 0x00, 0x00, 0x04, 0x10, 0x00}, 1, "A"},
        // A literal and a match of 3 at position 0, one bit each.
        KnownVector{"LiteralAndMatch",
                    {0x00, 0x02, 0x20, 0x04, 0x30, 0x10, 0xB6, 0x55, 0x40, 0x10},
                    4,
                    "AAAA"}),
    [](const auto& test) { return std::string(test.param.name); });

struct MethodCase {
  char method;
  uint32_t position;
};

class MethodTest : public DecodeTest, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(MethodTest, MatchesReachAsFarAsTheMethodAllows) {
  LzhBlockWriter writer(GetParam().method);
  const bool wide = GetParam().method >= '6';
  writer.StartBlock(0, EveryoneCodes(wide ? 17 : 14));
  PutLiterals(writer, RandomBytes(65536, 1));
  writer.StartBlock(2, EveryoneCodes(wide ? 17 : 14));
  writer.Match(10, GetParam().position);
  writer.Literal('!');
  UseMember(GetParam().method, writer.bits().Bytes(),
            static_cast<uint32_t>(writer.expected().size()));
  EXPECT_EQ(DecodeToFile(), writer.expected());
  EXPECT_EQ(work->np, wide ? 17 : 14);
  EXPECT_EQ(work->pBit, wide ? 5 : 4);
}

INSTANTIATE_TEST_SUITE_P(Methods, MethodTest,
                         ::testing::Values(MethodCase{'4', 8191}, MethodCase{'5', 4097},
                                           MethodCase{'6', 65535}, MethodCase{'7', 32768}));

TEST_F(MemberDecodeTest, MatchesCrossTheFlushAndTheWindowsEnd) {
  LzhBlockWriter writer('5');
  writer.StartBlock(0, EveryoneCodes(14));
  PutLiterals(writer, RandomBytes(65530, 2));
  writer.Match(20, 100);  // written across the flush at 65536
  PutLiterals(writer, RandomBytes(5, 3));
  writer.StartBlock(17, EveryoneCodes(14));
  PutLiterals(writer, RandomBytes(15, 4));
  writer.Match(30, 40);  // read from 65529 on, wrapping to 0
  writer.Match(5, 0);
  UseMember('5', writer.bits().Bytes(), static_cast<uint32_t>(writer.expected().size()));
  EXPECT_EQ(DecodeToFile(), writer.expected());
  EXPECT_EQ(ProgressTexts(), (std::vector<std::string>{"Extract... 99%", "Extract... 100%"}));
}

TEST_F(MemberDecodeTest, AMatchThatFillsTheWindowExactlyIsFlushedAtOnce) {
  LzhBlockWriter writer('5');
  writer.StartBlock(0, EveryoneCodes(14));
  PutLiterals(writer, RandomBytes(65526, 8));
  writer.Match(10, 3);
  PutLiterals(writer, RandomBytes(4, 9));
  UseMember('5', writer.bits().Bytes(), 65540);
  EXPECT_EQ(DecodeToFile(), writer.expected());
  EXPECT_EQ(ProgressTexts(), (std::vector<std::string>{"Extract... 100%", "Extract... 100%"}));
}

TEST_F(MemberDecodeTest, ABlockSizeOfZeroRunsFor65536Symbols) {
  LzhBlockWriter writer('5');
  writer.StartBlock(0, EveryoneCodes(14));
  PutLiterals(writer, RandomBytes(65536, 4));
  LzhCodes second = EveryoneCodes(14);
  std::swap(second.literal[0], second.literal['Z']);  // a block header read early would show
  writer.StartBlock(1, second);
  writer.Literal('Z');
  UseMember('5', writer.bits().Bytes(), 65537);
  EXPECT_EQ(DecodeToFile(), writer.expected());
}

// The window goes to the file whenever it is full and once at the end, each time with a
// progress report; a size of exactly 65536 needs no final flush.
struct FlushCase {
  uint32_t size;
  std::vector<std::string> progress;
};

class FlushTest : public DecodeTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(FlushTest, FlushesFullWindowsAndTheRest) {
  LzhBlockWriter writer('5');
  PutLiteralBlocks(writer, RandomBytes(GetParam().size, 5));
  UseMember('5', writer.bits().Bytes(), GetParam().size);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(output, writer.expected());
  EXPECT_EQ(work->crc, Crc16(output));
  EXPECT_EQ(ProgressTexts(), GetParam().progress);
  EXPECT_EQ(hooks().pumpCount, static_cast<int>(GetParam().progress.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FlushTest,
    ::testing::Values(FlushCase{65535, {"Extract... 100%"}}, FlushCase{65536, {"Extract... 100%"}},
                      FlushCase{65537, {"Extract... 100%", "Extract... 100%"}},
                      FlushCase{140000, {"Extract... 46%", "Extract... 93%", "Extract... 100%"}}));

// What is read of a member's data, for compressed sizes at the edges of the input buffer.
struct ReadCase {
  const char* name;
  std::vector<uint8_t> data;
  uint32_t size;
  std::vector<uint8_t> output;
  std::vector<uint32_t> reads;
};

class CompressedSizeTest : public DecodeTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(CompressedSizeTest, ReadsTheSmallerOfTheRestAndTheBuffer) {
  UseMember('5', GetParam().data, GetParam().size);
  EXPECT_EQ(DecodeToFile(), GetParam().output);
  EXPECT_EQ(hooks().readSizes, GetParam().reads);
  EXPECT_EQ(FollowingBytes(), kNextHeader);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, CompressedSizeTest,
    ::testing::Values(ReadCase{"NothingAtAll", {}, 0, {}, {}},
                      // All zero bits: a block of 65536 symbols of constant codes, literal 0.
                      ReadCase{"NoDataButAnUnpackedSize", {}, 5, {0, 0, 0, 0, 0}, {}},
                      ReadCase{"OneByteAndNoOutput", {0x00}, 0, {}, {1}},
                      ReadCase{"PrimingLoadsThreeBytes", {0x00, 0x00, 0x00}, 0, {}, {3}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(MemberDecodeTest, ALastMatchPastTheSizeIsWrittenWhole) {
  LzhBlockWriter writer('5');
  writer.StartBlock(2, EveryoneCodes(14));
  writer.Literal('a');
  writer.Match(10, 0);
  UseMember('5', writer.bits().Bytes(), 5);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(output, std::vector<uint8_t>(11, 'a'));
  EXPECT_EQ(work->crc, Crc16(output));
}

TEST_F(MemberDecodeTest, ABlockWhoseLiteralLengthsAreAllZeroReusesTheLastTableForNoBits) {
  LzhBlockWriter writer('5');
  const LzhCodes codes = EveryoneCodes(14);
  writer.StartBlock(1, codes);
  writer.Literal('Q');
  writer.PutBlockSize(3);
  writer.bits().Put(0, 5);  // a constant code-length code: symbol 0 for no bits
  writer.bits().Put(0, 5);
  writer.bits().Put(3, 9);  // three literal lengths, all 0
  writer.PutPositionCode(codes.position);
  writer.Literal('R');  // by the first block's code, which the table still holds
  UseMember('5', writer.bits().Bytes(), 4);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(std::string(output.begin(), output.end()), "QRRR");
}

TEST_F(MemberDecodeTest, AStoredMemberIsCopiedByItsUnpackedSize) {
  const std::vector<uint8_t> data = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};
  UseMember('0', data, 6);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(output, std::vector<uint8_t>(data.begin(), data.begin() + 6));
  EXPECT_EQ(work->crc, Crc16(output));
  EXPECT_EQ(FollowingBytes(), (std::vector<uint8_t>{'6', '7', '8', '9', 'N'}));
}

TEST_F(MemberDecodeTest, AStoredMemberOf200000BytesGoesInFourChunksWithTheirProgress) {
  const std::vector<uint8_t> data = RandomBytes(200000, 7);
  UseMember('0', data, 200000);
  EXPECT_EQ(DecodeToFile(), data);
  EXPECT_EQ(hooks().readSizes, (std::vector<uint32_t>{65536, 65536, 65536, 3392}));
  EXPECT_EQ(ProgressTexts(), (std::vector<std::string>{"Extract... 0%", "Extract... 32%",
                                                       "Extract... 65%", "Extract... 98%"}));
  EXPECT_EQ(FollowingBytes(), kNextHeader);
}
