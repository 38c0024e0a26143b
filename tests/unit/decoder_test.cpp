// Decoding members: the code tables, the match copy, the window and its flushes, the CRC and the
// progress report of what goes out, and every way decoding stops, taking the partial file with it.
#include "base/messages.h"
#include "core_test.h"
#include "decode/match_copy.h"
#include "decode/progress.h"
#include "lzh_block_writer.h"
#include "lzh_encoder/lzh_encoder.h"
#include "reference_crc.h"

struct DecoderTest : CoreTest {
  // A member of 200000 bytes, its header claiming packedSize bytes, decoded to the stop.
  void ExpectStop(const std::vector<uint8_t>& data, uint32_t packedSize = UINT32_MAX) {
    EXPECT_THROW(DecodeToFile('5', data, 200000, packedSize), ProcessEnded);
    EXPECT_FALSE(std::filesystem::exists(outPath_));
  }
  int32_t ReadSoFar() { return platform::Seek(run().program.file, 0, platform::kSeekCur); }
};

// Constant codes cost no bits, and a block of literal lengths all 0 keeps the last table; a member
// of no bytes reads none, and none reads past its data, so that the next header follows it.
TEST_F(DecoderTest, TakesJustTheMembersBytes) {
  const std::vector<uint8_t> constant = {0x00, 0x02, 0x00, 0x00, 0x04, 0x30, 0x00, 0x00, 0x10, 0x00,
                                         0x00, 0x44, 0x00, 0x00, 0x01, 0x00, 0x00, 0x60, 0x00};
  EXPECT_EQ(DecodeToFile('5', constant, 4), Bytes("CCDD"));
  EXPECT_EQ(ReadSoFar(), 19);
  EXPECT_EQ(DecodeToFile('5', {}, 5), std::vector<uint8_t>(5, 0));
  EXPECT_EQ(ReadSoFar(), 0);
}

// The window goes out whenever it is full and at the end, each time with a report of the whole
// percent, at most 100; a stored member goes in chunks of the window, each reported as it begins.
TEST_F(DecoderTest, DecodesWhatTheWriterWrote) {
  const std::string k100 = "Extract... 100%";
  const std::string deep =
      "B20008 L20000 M249,16385 M250,8191 M251,2049 M252,1025 M253,513 M254,257 M255,9 M256,1";
  const std::tuple<char, std::string, std::vector<std::string>, uint32_t> cases[] = {
      {'5', "B0 L65536 B0 L65536", {"Extract... 50%", k100}, 0},
      // Across the flush, read wrapping from 65529 to 0; the farthest lh4 match, never encoded.
      {'4', "B0 L65530 M20,100 L5 B18 L15 M30,40 M5,0 M10,8191", {"Extract... 99%", k100}, 0},
      {'7', deep, {k100}, 255},  // codes under both lookup tables; the last match 255 past the size
      {'0', "L200000", {"Extract... 0%", "Extract... 32%", "Extract... 65%", "Extract... 98%"}, 0},
  };
  for (const auto& [method, words, progress, cut] : cases) {
    LzhBlockWriter writer(method);
    writer.Write(words.c_str());
    hooks().itemTexts.clear(), hooks().pumpCount = 0;
    const auto out = DecodeToFile(method, writer.bytes(), uint32_t(writer.expected().size()) - cut);
    EXPECT_EQ(out, writer.expected()) << words;  // a last match is written whole
    EXPECT_EQ(area_->crc.crc, ReferenceCrc16(out)) << words;
    EXPECT_EQ(ItemTexts(kProgressItem), progress) << words;
    EXPECT_EQ(hooks().pumpCount, int(progress.size())) << words;
    EXPECT_EQ(ReadSoFar(), int32_t(writer.bytes().size())) << words;
  }
}

// Codes that cannot be built end the process with "Bad table": after the block size, from stage 1
// on a complete code-length code (symbol s < 13 is the 4 bits of s), from stage 2 on the literals'.
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
        std::vector<uint8_t> expected = initial, actual = initial;
        for (uint32_t i = 0; i < length; ++i) expected[dest + i] = expected[source + i];
        CopyMatch(actual.data(), dest, source, length);
        ASSERT_EQ(actual, expected) << distance << " back, " << length << " at " << dest;
      }
    }
  }
}

// Every length from 0 to 1100 at every alignment, each from another running value, so that the
// 4-lane path (256 bytes and up), the 8-byte steps and the byte tail all meet the definition.
TEST(Crc16Test, MatchesTheBitAtATimeDefinition) {
  ASSERT_EQ(ReferenceCrc16(Bytes("123456789")), 0xBB3D);
  std::vector<uint8_t> buffer(1108);
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<uint8_t>(i * 167 + i / 251);
  CrcState state{};
  BuildCrcTable(state, kCrcPolynomial);
  for (size_t offset = 0; offset < 8; ++offset) {
    for (int32_t length = 0; length <= 1100; ++length) {
      const std::span<const uint8_t> bytes(buffer.data() + offset, size_t(length));
      const uint16_t start = state.crc = uint16_t(length * 40503 + offset);
      ASSERT_EQ(UpdateCrc(state, bytes.data(), length), ReferenceCrc16(bytes, start))
          << offset << "+" << length;
    }
  }
  EXPECT_EQ(UpdateCrc(state, buffer.data(), -5), state.crc);
}

// Cancel stops at a report; failed writes and reads show Write ERROR (the dialog's) and Read ERROR.
TEST_F(DecoderTest, CancelAndFailedWritesAndReadsStop) {
  const std::vector<uint8_t> member =
      EncodeLzh(std::vector<uint8_t>(200000, 'x'), *FindMethod('5'), kMinLevel, {});
  hooks().onPump = [this] { run().cancelRequested = hooks().pumpCount == 2; };
  ExpectStop(member);
  EXPECT_EQ(ItemTexts(kProgressItem).size(), 2u);
  EXPECT_TRUE(BoxTexts().empty());
  hooks().onPump = nullptr, run().cancelRequested = 0;
  hooks().callsBeforeFailure = {{platform_double::Fault::kWrite, 1}};  // the second flush
  hooks().failHalfway = true, run().dialogWindow = &hooks();
  ExpectStop(member);
  EXPECT_EQ(hooks().boxes.at(0).owner, &hooks());
  ExpectStop({member.begin(), member.begin() + member.size() / 2}, uint32_t(member.size()));
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{ErrorText(kWriteError, outPath_), ErrorText(kReadError)}));
}
