// Decoding members: code tables, window flushes, CRC, progress, and every stop.
#include "base/messages.h"
#include "core_test.h"
#include "decode/progress.h"
#include "lzh_block_writer.h"
#include "lzh_encoder/lzh_encoder.h"

// CRC-16/ARC a bit at a time, from its definition: the measure of the table-driven one.
static uint16_t ReferenceCrc16(std::span<const uint8_t> bytes, uint16_t crc = 0) {
  for (uint8_t byte : bytes)
    for (int bit = 0; bit < 8; ++bit, byte >>= 1)
      crc = (crc ^ byte) & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1;
  return crc;
}

struct DecoderTest : CoreTest {
  // A member of 200000 bytes, its header claiming packedSize bytes, must stop and take its file.
  void ExpectStop(const std::vector<uint8_t>& data, uint32_t packedSize = UINT32_MAX) {
    EXPECT_THROW(DecodeToFile('5', data, 200000, packedSize), ProcessEnded);
    EXPECT_FALSE(std::filesystem::exists(outPath_));
  }
};

// The window goes out when full and at the end, reporting the whole percent; reads stop at the
// member's end. Rows: blocks of 65536 symbols; a read wrapping from 65529 to 0 across the flush and
// the farthest lh4 match, never encoded; codes under both lookup tables, and a last match that runs
// 255 past the size and is written whole; a zero run of 3 in the code-length code; no data at all.
TEST_F(DecoderTest, DecodesWhatTheWriterWrote) {
  const std::string k100 = "Extract... 100%";
  const char* const deep =
      "B20008 L20000 M249,16385 M250,8191 M251,2049 M252,1025 M253,513 M254,257 M255,9 M256,1";
  const std::tuple<char, std::string, std::vector<std::string>, uint32_t> cases[] = {
      {'5', "B0 L65536 B0 L65536", {"Extract... 50%", k100}, 0},
      {'4', "B0 L65530 M20,100 L5 B18 L15 M30,40 M5,0 M10,8191", {"Extract... 99%", k100}, 0},
      {'7', deep, {k100}, 255},
      {'6', "Z300 L300", {k100}, 0},
      {'5', "", {}, 0},
  };
  for (const auto& [method, words, progress, cut] : cases) {
    LzhBlockWriter writer(method);
    writer.Write(words.c_str());
    hooks().itemTexts.clear(), hooks().pumpCount = 0;
    const auto out = DecodeToFile(method, writer.bytes(), uint32_t(writer.expected().size()) - cut);
    EXPECT_EQ(out, writer.expected()) << words;
    EXPECT_EQ(std::tuple(area_->crc.crc, ItemTexts(kProgressItem), hooks().pumpCount,
                         platform::Seek(run().program.file, 0, platform::kSeekCur)),
              std::tuple(ReferenceCrc16(out), progress, int(progress.size()),
                         int32_t(writer.bytes().size())))
        << words;
  }
}

// Where the reader goes byte by byte: the bit order (A5 3C), a member of one byte, one of 16385
// whose second load comes exactly when the lookahead reaches its last byte, leaving the file at the
// next member. Every bit of the member is taken; one more is taken from nothing.
TEST_F(DecoderTest, TheReaderTakesTheBitsInOrderLoadingAtTheLastMoment) {
  std::vector<uint8_t> twoLoads(16385);
  for (size_t i = 0; i < twoLoads.size(); ++i) twoLoads[i] = uint8_t(i * 167 + i / 251);
  std::vector<uint32_t> sixteens(8192, 16);
  sixteens.push_back(8);
  const std::pair<std::vector<uint8_t>, std::vector<uint32_t>> cases[] = {
      {{0xA5, 0x3C}, {3, 7, 6}}, {{0xA5}, {1, 7}}, {twoLoads, sixteens}};
  for (const auto& [bytes, takes] : cases) {
    std::vector<uint8_t> file = bytes;
    file.insert(file.end(), {'N', 'E', 'X', 'T'});
    const platform::FileHandle in = platform::OpenForRead(WriteFile("program.exe", file).c_str());
    BitReader reader = StartBitReader(in, area_->decoder, uint32_t(bytes.size()));
    size_t taken = 0;
    for (const uint32_t n : takes) {
      uint32_t expected = 0;
      for (uint32_t i = 0; i < n; ++i, ++taken)
        expected = expected << 1 | (bytes[taken / 8] >> (7 - taken % 8) & 1);
      ASSERT_EQ(TakeBits(reader, n), expected) << taken;
      const size_t looked = std::min((taken + kLookAheadBits + 7) / 8, bytes.size());
      ASSERT_EQ(size_t(platform::Seek(in, 0, platform::kSeekCur)),
                std::min((looked + kInBufSize - 1) / kInBufSize * kInBufSize, bytes.size()))
          << taken;
    }
    EXPECT_FALSE(TookBitsPastTheEnd(reader));
    TakeBits(reader, 1);
    EXPECT_TRUE(TookBitsPastTheEnd(reader));
    platform::CloseRead(in);
  }
}

// Codes that cannot be built are a "Bad table": fields after the block size, from stage 1 on a
// complete code-length code (symbol s < 13 is the 4 bits of s), from stage 2 on the literals'.
TEST_F(DecoderTest, CodesThatCannotBeBuiltAreABadTable) {
  const std::pair<int, std::vector<std::pair<uint32_t, uint32_t>>> cases[] = {
      {0, {{1, 5}, {1, 3}}},                                               // a lone 1-bit code
      {0, {{3, 5}, {1, 3}, {1, 3}, {7, 3}, {0b11111111110, 11}, {0, 2}}},  // a length of 17
      {2, {{4, 4}, {1, 3}, {1, 3}, {1, 3}, {1, 3}}},                       // over-full
      {1, {{511, 9}, {3, 4}, {2, 4}, {488, 9}, {3, 4}, {3, 4}}},  // complete, and entry 510
      {1, {{510, 9}, {2, 4}, {480, 9}, {1, 4}, {8, 4}}},  // 500 zeros, then 11 past entry 509
      {1, {{0, 9}, {510, 9}}},  // constant symbols that the codes do not have
      {2, {{0, 4}, {14, 4}}},
  };
  for (const auto& [stage, fields] : cases) {
    LzhBlockWriter writer('5');
    writer.StartBlock(1, stage);
    for (const auto& [value, width] : fields) writer.Put(value, width);
    ExpectStop(writer.bytes());
  }
  EXPECT_EQ(BoxTexts(), std::vector<std::string>(std::size(cases), ErrorText(kBadTable)));
}

// Every length to 1100 at every alignment, each from another running value: the 4-lane path (256
// bytes and up), the 8-byte steps and the byte tail all meet the definition.
TEST(Crc16Test, MatchesTheBitAtATimeDefinition) {
  ASSERT_EQ(ReferenceCrc16(Bytes("123456789")), 0xBB3D);
  std::vector<uint8_t> buffer(1108);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 167 + i / 251);
  CrcState state{};
  BuildCrcTable(state, kCrcPolynomial);
  for (size_t offset = 0; offset < 8; ++offset)
    for (int32_t length = 0; length <= 1100; ++length) {
      const std::span<const uint8_t> bytes(buffer.data() + offset, size_t(length));
      const uint16_t start = state.crc = uint16_t(length * 40503 + offset);
      ASSERT_EQ(UpdateCrc(state, bytes.data(), length), ReferenceCrc16(bytes, start))
          << offset << "+" << length;
    }
}

// Cancel stops at a report; a failed write shows Write ERROR (the dialog's), data cut short
// Unexpeted EOF.
TEST_F(DecoderTest, CancelAndFailedWritesAndReadsStop) {
  const std::vector<uint8_t> member =
      EncodeLzh(std::vector<uint8_t>(200000, 'x'), *FindMethod('5'), kMinLevel, {});
  hooks().onPump = [this] { run().cancelRequested = hooks().pumpCount == 2; };
  ExpectStop(member);
  EXPECT_EQ(ItemTexts(kProgressItem).size() + BoxTexts().size(), 2u);  // no box
  hooks().onPump = nullptr, run().cancelRequested = 0, run().dialogWindow = &hooks();
  hooks().callsBeforeFailure = {{platform_double::Fault::kWrite, 1}}, hooks().failHalfway = true;
  ExpectStop(member);
  EXPECT_EQ(hooks().boxes.at(0).owner, &hooks());
  ExpectStop({member.begin(), member.begin() + member.size() / 2}, uint32_t(member.size()));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{ErrorText(kWriteError, outPath_),
                                                  ErrorText(kUnexpectedEof)}));
}
