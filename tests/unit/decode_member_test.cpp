#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

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

// Random literals in blocks of up to 65536 symbols.
std::function<void(LzhBlockWriter&)> LiteralBlocks(size_t size) {
  return [size](LzhBlockWriter& writer) {
    const std::vector<uint8_t> bytes = RandomBytes(size, 5);
    for (size_t start = 0; start < bytes.size(); start += 65536) {
      const size_t count = std::min<size_t>(65536, bytes.size() - start);
      writer.StartBlock(static_cast<uint16_t>(count), EveryoneCodes(writer.positionCount()));
      for (size_t i = start; i < start + count; ++i) writer.Literal(bytes[i]);
    }
  };
}

// A full window of literals, then a match from as far back as the method reaches.
std::function<void(LzhBlockWriter&)> FarMatch(uint32_t position) {
  return [position](LzhBlockWriter& writer) {
    writer.StartBlock(0, EveryoneCodes(writer.positionCount()));
    PutLiterals(writer, RandomBytes(65536, 1));
    writer.StartBlock(2, EveryoneCodes(writer.positionCount()));
    writer.Match(10, position);
    writer.Literal('!');
  };
}

}  // namespace

// What is read of a member's data, for hand-made streams and sizes at the edges of the input
// buffer: nothing past the member, so that the next header follows.
struct ReadCase {
  const char* name;
  char method;
  std::vector<uint8_t> data;
  uint32_t size;
  std::string output;
  std::vector<uint32_t> reads;
  std::vector<uint8_t> following = kNextHeader;
};

class MemberReadTest : public DecodeTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(MemberReadTest, DecodesAndTakesJustTheMembersBytes) {
  const ReadCase& c = GetParam();
  UseMember(c.method, c.data, c.size);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(std::string(output.begin(), output.end()), c.output);
  EXPECT_EQ(work->crc, Crc16(output));
  EXPECT_EQ(hooks().readSizes, c.reads);
  EXPECT_EQ(FollowingBytes(), c.following);
}

INSTANTIATE_TEST_SUITE_P(
    Members, MemberReadTest,
    ::testing::Values(
        // Three constant codes: the one symbol costs no bits.
        ReadCase{"ConstantCodes", '5', {0x00, 0x01, 0x00, 0x00, 0x04, 0x10, 0x00}, 1, "A", {7}},
        // A literal and a match of 3 at position 0, one bit each.
        ReadCase{"LiteralAndMatch",
                 '5',
                 {0x00, 0x02, 0x20, 0x04, 0x30, 0x10, 0xB6, 0x55, 0x40, 0x10},
                 4,
                 "AAAA",
                 {10}},
        ReadCase{"NothingAtAll", '5', {}, 0, "", {}},
        // All zero bits: a block of 65536 symbols of constant codes, literal 0.
        ReadCase{"NoDataButAnUnpackedSize", '5', {}, 5, std::string(5, '\0'), {}},
        ReadCase{"OneByteAndNoOutput", '5', {0x00}, 0, "", {1}},
        ReadCase{"PrimingLoadsThreeBytes", '5', {0x00, 0x00, 0x00}, 0, "", {3}},
        ReadCase{"StoredIsCopiedByItsUnpackedSize",
                 '0',
                 Bytes("0123456789"),
                 6,
                 "012345",
                 {6},
                 Bytes("6789N")}),
    [](const auto& test) { return std::string(test.param.name); });

// Streams made by the block writer, with the window flushed whenever it is full and once at the
// end, each time with a progress report; a size of exactly 65536 needs no final flush.
struct StreamCase {
  const char* name;
  char method;
  std::function<void(LzhBlockWriter&)> write;
  std::vector<std::string> progress;
  uint32_t size = 0;  // 0: all that the stream expands to
};

class MemberStreamTest : public DecodeTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(MemberStreamTest, DecodesWhatTheWriterWrote) {
  const StreamCase& c = GetParam();
  LzhBlockWriter writer(c.method);
  c.write(writer);
  const auto size = c.size != 0 ? c.size : static_cast<uint32_t>(writer.expected().size());
  UseMember(c.method, writer.bits().Bytes(), size);
  const std::vector<uint8_t> output = DecodeToFile();
  EXPECT_EQ(output, writer.expected());
  EXPECT_EQ(work->crc, Crc16(output));
  EXPECT_EQ(ProgressTexts(), c.progress);
  EXPECT_EQ(hooks().pumpCount, static_cast<int>(c.progress.size()));
}

const std::vector<std::string> k100 = {"Extract... 100%"};
const std::vector<std::string> k100Twice = {"Extract... 100%", "Extract... 100%"};

INSTANTIATE_TEST_SUITE_P(
    Streams, MemberStreamTest,
    ::testing::Values(StreamCase{"Window65535", '5', LiteralBlocks(65535), k100},
                      StreamCase{"Window65536", '5', LiteralBlocks(65536), k100},
                      StreamCase{"Window65537", '5', LiteralBlocks(65537), k100Twice},
                      StreamCase{"Window140000",
                                 '5',
                                 LiteralBlocks(140000),
                                 {"Extract... 46%", "Extract... 93%", "Extract... 100%"}},
                      StreamCase{"FarthestMatchLh4", '4', FarMatch(8191), k100Twice},
                      StreamCase{"FarthestMatchLh5", '5', FarMatch(4097), k100Twice},
                      StreamCase{"FarthestMatchLh6", '6', FarMatch(65535), k100Twice},
                      StreamCase{"FarthestMatchLh7", '7', FarMatch(32768), k100Twice},
                      StreamCase{"MatchesCrossTheFlushAndTheWindowsEnd",
                                 '5',
                                 [](LzhBlockWriter& w) {
                                   w.StartBlock(0, EveryoneCodes(14));
                                   PutLiterals(w, RandomBytes(65530, 2));
                                   w.Match(20, 100);  // written across the flush at 65536
                                   PutLiterals(w, RandomBytes(5, 3));
                                   w.StartBlock(17, EveryoneCodes(14));
                                   PutLiterals(w, RandomBytes(15, 4));
                                   w.Match(30, 40);  // read from 65529 on, wrapping to 0
                                   w.Match(5, 0);
                                 },
                                 {"Extract... 99%", "Extract... 100%"}},
                      StreamCase{"AMatchThatFillsTheWindowExactlyIsFlushedAtOnce", '5',
                                 [](LzhBlockWriter& w) {
                                   w.StartBlock(0, EveryoneCodes(14));
                                   PutLiterals(w, RandomBytes(65526, 8));
                                   w.Match(10, 3);
                                   PutLiterals(w, RandomBytes(4, 9));
                                 },
                                 k100Twice},
                      StreamCase{"ABlockSizeOfZeroRunsFor65536Symbols", '5',
                                 [](LzhBlockWriter& w) {
                                   w.StartBlock(0, EveryoneCodes(14));
                                   PutLiterals(w, RandomBytes(65536, 4));
                                   LzhCodes second = EveryoneCodes(14);
                                   // a block header read early would show
                                   std::swap(second.literal[0], second.literal['Z']);
                                   w.StartBlock(1, second);
                                   w.Literal('Z');
                                 },
                                 k100Twice},
                      StreamCase{"ALastMatchPastTheSizeIsWrittenWhole", '5',
                                 [](LzhBlockWriter& w) {
                                   w.StartBlock(2, EveryoneCodes(14));
                                   w.Literal('a');
                                   w.Match(10, 0);
                                 },
                                 k100, 5},
                      StreamCase{"ABlockWhoseLiteralLengthsAreAllZeroReusesTheLastTableForNoBits",
                                 '5',
                                 [](LzhBlockWriter& w) {
                                   const LzhCodes codes = EveryoneCodes(14);
                                   w.StartBlock(1, codes);
                                   w.Literal('Q');
                                   w.PutBlockSize(3);
                                   // a constant code-length code (symbol 0 for no bits), three
                                   // literal lengths of 0
                                   w.bits().PutFields({{0, 5}, {0, 5}, {3, 9}});
                                   w.PutPositionCode(codes.position);
                                   // by the first block's code, which the table still holds
                                   for (int i = 0; i < 3; ++i) w.Literal('R');
                                 },
                                 k100}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(DecodeTest, AStoredMemberOf200000BytesGoesInFourChunksWithTheirProgress) {
  const std::vector<uint8_t> data = RandomBytes(200000, 7);
  UseMember('0', data, 200000);
  EXPECT_EQ(DecodeToFile(), data);
  EXPECT_EQ(hooks().readSizes, (std::vector<uint32_t>{65536, 65536, 65536, 3392}));
  EXPECT_EQ(ProgressTexts(), (std::vector<std::string>{"Extract... 0%", "Extract... 32%",
                                                       "Extract... 65%", "Extract... 98%"}));
  EXPECT_EQ(FollowingBytes(), kNextHeader);
}
