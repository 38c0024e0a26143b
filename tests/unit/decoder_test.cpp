// Decoding members: the code tables, the window and its flushes, the text sinks, the progress
// report, and every way decoding stops the process, taking the partial output file with it.
#include "base/messages.h"
#include "core_test.h"
#include "decode/code_tables.h"
#include "decode/member_decoder.h"
#include "decode/progress.h"
#include "lzh_block_writer.h"
#include "reference_crc.h"

namespace {

using Fields = std::vector<std::pair<uint32_t, uint32_t>>;  // {value, width}

class DecoderTest : public CoreTest {
 protected:
  // A member of 200000 bytes whose header claims packedSize bytes, decoded to the stop.
  void ExpectStop(char method, const std::vector<uint8_t>& data, uint32_t packedSize) {
    EXPECT_THROW(DecodeToFile(method, data, 200000, packedSize), ProcessEnded);
    EXPECT_FALSE(std::filesystem::exists(outPath_));
  }
  // 200000 bytes from 256 literals and matches of 256 that copy them.
  static std::vector<uint8_t> LongMember() {
    LzhBlockWriter writer('5');
    writer.Write("B0 L256");
    while (writer.expected().size() < 200000) writer.Match(256, 255);
    return writer.bytes();
  }
};

// Hand-made streams and members at the edges of the input buffer, and what the file holds after
// them: nothing of the member's data is read past its end, so that the next header follows.
TEST_F(DecoderTest, TakesJustTheMembersBytes) {
  const std::vector<uint8_t> constant = {0x00, 0x02, 0x00, 0x00, 0x04, 0x30, 0x00, 0x00, 0x10, 0x00,
                                         0x00, 0x44, 0x00, 0x00, 0x01, 0x00, 0x00, 0x60, 0x00};
  const std::tuple<char, std::vector<uint8_t>, uint32_t, std::string, std::string> cases[] = {
      // A literal and a match of 3 at position 0, one bit each.
      {'5', {0x00, 0x02, 0x20, 0x04, 0x30, 0x10, 0xB6, 0x55, 0x40, 0x10}, 4, "AAAA", "NEXT"},
      // Constant codes cost no bits, and a block of literal lengths all 0 keeps the last table.
      {'5', constant, 4, "CCDD", "NEXT"},
      {'5', {}, 5, std::string(5, '\0'), "NEXT"},
      {'0', Bytes("0123456789"), 6, "012345", "6789NEXT"},
  };
  for (const auto& [method, data, size, output, following] : cases) {
    const std::vector<uint8_t> written = DecodeToFile(method, data, size);
    std::string rest(10, '\0');
    rest.resize(size_t(platform::Read(run().program.file, rest.data(), 10)));
    EXPECT_EQ(std::string(written.begin(), written.end()) + "|" + rest, output + "|" + following);
  }
}

// Streams of the block writer, flushed whenever the window is full and at the end, each time with
// a progress report; a size of exactly 65536 needs no final flush.
TEST_F(DecoderTest, DecodesWhatTheWriterWrote) {
  const std::string k100 = "Extract... 100%";
  const std::string deep =
      "D9008 L9000 M249,8191 M250,4100 M251,2049 M252,1025 M253,513 M254,257 M255,9 M256,1";
  const std::tuple<char, std::string, std::vector<std::string>, uint32_t> cases[] = {
      {'5', "B0 L65536", {k100}, 0},
      {'5', "B0 L65536 B1 L1", {k100, k100}, 0},
      {'5', "B0 L65536 B0 L65536 B8928 L8928", {"Extract... 46%", "Extract... 93%", k100}, 0},
      {'4', "B0 L65536 B2 M10,8191 L1", {k100, k100}, 0},  // the farthest match of each method
      {'5', "B0 L65536 B2 M10,4097 L1", {k100, k100}, 0},
      // Written across the flush at 65536, then read from 65529 on, wrapping to 0.
      {'5', "B0 L65530 M20,100 L5 B17 L15 M30,40 M5,0", {"Extract... 99%", k100}, 0},
      {'5', "B2 L1 M10,0", {k100}, 5},  // the last match, past the size, is written whole
      {'5', deep, {k100}, 0},           // codes of up to 16 bits, under both lookup tables
      {'7', deep, {k100}, 0},
  };
  for (const auto& [method, words, progress, size] : cases) {
    LzhBlockWriter writer(method);
    writer.Write(words.c_str());
    hooks().itemTexts.clear();
    hooks().pumpCount = 0;
    const auto whole = uint32_t(writer.expected().size());
    const std::vector<uint8_t> output = DecodeToFile(method, writer.bytes(), size ? size : whole);
    EXPECT_EQ(output, writer.expected()) << words;
    EXPECT_EQ(area_->crc.crc, ReferenceCrc16(output)) << words;
    EXPECT_EQ(ItemTexts(kProgressItem), progress) << words;
    EXPECT_EQ(hooks().pumpCount, int(progress.size())) << words;
  }
}

// Codes that cannot be built end the process with "Bad table". Each block header starts with its
// size and, from stage 1 on, the complete code-length code, from stage 2 on the literal code.
TEST_F(DecoderTest, CodesThatCannotBeBuiltAreABadTable) {
  Fields tooMany = {{511, 9}, {10, 4}, {10, 4}};  // 510 complete literal lengths and one more
  tooMany.insert(tooMany.end(), 508, {11, 4});
  tooMany.insert(tooMany.end(), {{3, 4}, {0, 4}, {0, 4}});
  const std::tuple<char, int, Fields> cases[] = {
      {'5', 0, {{1, 5}, {1, 3}}},                                               // one 1-bit code
      {'5', 0, {{3, 5}, {1, 3}, {1, 3}, {7, 3}, {0b11111111110, 11}, {0, 2}}},  // a length of 17
      {'5', 2, {{4, 4}, {1, 3}, {1, 3}, {1, 3}, {1, 3}}},                       // over-full
      {'5', 2, {{2, 4}, {1, 3}, {2, 3}}},                                       // incomplete
      {'5', 1, tooMany},
      {'5', 1, {{510, 9}, {2, 4}, {480, 9}, {1, 4}, {8, 4}}},  // 500 zeros, then 11 past entry 509
      {'5', 0, {{0, 5}, {19, 5}}},  // constant symbols that the codes do not have
      {'5', 1, {{0, 9}, {510, 9}}},
      {'5', 2, {{0, 4}, {14, 4}}},
      {'7', 2, {{0, 5}, {17, 5}}},
  };
  for (const auto& [method, stage, fields] : cases) {
    LzhBlockWriter writer(method);
    writer.Put(1, 16);
    if (stage >= 1) writer.PutCodeLengthCode(EveryoneCodes(14).codeLength);
    if (stage >= 2) writer.PutLiteralCode(EveryoneCodes(14).literal);
    for (const auto& [value, width] : fields) writer.Put(value, width);
    writer.Put(0, 32);
    hooks().boxes.clear();
    ExpectStop(method, writer.bytes(), uint32_t(writer.bytes().size()));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(kBadTable)}) << fields.size();
  }
}

// The progress line shows the whole percent, at most 100; a stored member is copied in chunks of
// the window, each reported as it begins.
TEST_F(DecoderTest, ProgressShowsTheWholePercent) {
  for (const auto& [done, total] : {std::pair{0u, 0u}, {0u, 50u}, {300u, 200u}})
    ShowProgressText(nullptr, ProgressPercent(done, total));
  const std::vector<uint8_t> data(200000, 's');
  EXPECT_EQ(DecodeToFile('0', data, 200000), data);
  EXPECT_EQ(hooks().readSizes, (std::vector<uint32_t>{65536, 65536, 65536, 3392}));
  EXPECT_EQ(ItemTexts(kProgressItem),
            (std::vector<std::string>{"Extract... 0%", "Extract... 100%", "Extract... 100%",
                                      "Extract... 0%", "Extract... 32%", "Extract... 65%",
                                      "Extract... 98%"}));
}

// Cancel stops at the next progress report; a failed write is a Write ERROR owned by the dialog; a
// member past the file's end is a Read ERROR, for a stored size of 2 GiB before any read.
TEST_F(DecoderTest, CancelAndFailedWritesAndReadsStop) {
  const std::vector<uint8_t> member = LongMember();
  hooks().onPump = [this] { run().cancelRequested = hooks().pumpCount == 2; };
  ExpectStop('5', member, uint32_t(member.size()));
  EXPECT_EQ(ItemTexts(kProgressItem).size(), 2u);
  EXPECT_TRUE(BoxTexts().empty());
  hooks().onPump = nullptr, run().cancelRequested = 0;
  hooks().callsBeforeFailure = {{platform_double::Fault::kWrite, 1}};  // the second flush
  hooks().failHalfway = true;
  run().dialogWindow = &hooks();
  ExpectStop('5', member, uint32_t(member.size()));
  EXPECT_EQ(hooks().boxes.at(0).owner, &hooks());
  ExpectStop('5', {member.begin(), member.begin() + 100}, uint32_t(member.size()));
  hooks().readSizes.clear();
  EXPECT_THROW(DecodeToFile('0', {}, 0x80000000u), ProcessEnded);
  EXPECT_TRUE(hooks().readSizes.empty());
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{ErrorText(kWriteError, outPath_),
                                                  ErrorText(kReadError), ErrorText(kReadError)}));
}

}  // namespace
