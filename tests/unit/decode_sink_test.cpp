#include <string>
#include <vector>

#include "archive/member_header.h"
#include "decode/progress.h"
#include "decode_fixture.h"
#include "lzh_block_writer.h"
#include "startup/messages.h"

namespace {

std::vector<uint8_t> Compressed(const std::string& text) {
  LzhBlockWriter writer('5');
  writer.StartBlock(static_cast<uint16_t>(text.size()), EveryoneCodes(14));
  for (char c : text) writer.Literal(static_cast<uint8_t>(c));
  return writer.bits().Bytes();
}

// 200000 bytes from a handful of symbols: 256 literals, then matches of 256 copying them.
std::vector<uint8_t> CompressedLongMember() {
  LzhBlockWriter writer('5');
  writer.StartBlock(0, EveryoneCodes(14));
  for (int i = 0; i < 256; ++i) writer.Literal(static_cast<uint8_t>(i * 13));
  while (writer.expected().size() < 200000) writer.Match(256, 255);
  return writer.bits().Bytes();
}

}  // namespace

// The two text sinks of the scan: each flush or stored chunk replaces the text, which ends at a
// zero byte and is cut to the buffer's capacity.
struct TextSinkCase {
  const char* name;
  uint8_t kind;
  char method;
  std::vector<uint8_t> data;
  uint32_t size;
  std::string text;
};

class TextSinkTest : public DecodeTest, public ::testing::WithParamInterface<TextSinkCase> {};

TEST_P(TextSinkTest, HoldsTheTextOfTheLastPieceAndLeavesTheCrcAlone) {
  const TextSinkCase& c = GetParam();
  UseMember(c.method, c.data, c.size);
  DecodeToMemory(c.kind);
  EXPECT_EQ(std::string(c.kind == kSinkNotice ? work->scratch : work->script), c.text);
  EXPECT_EQ(work->crc, 0);
  EXPECT_EQ(hooks().pumpCount, 0);
  EXPECT_TRUE(hooks().itemTexts.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sinks, TextSinkTest,
    ::testing::Values(TextSinkCase{"LongNotice", kSinkNotice, '0', Bytes(std::string(2000, 'n')),
                                   2000, std::string(1023, 'n')},
                      TextSinkCase{
                          "NoticeWithAZeroByte", kSinkNotice, '0', {'H', 'i', 0, 'x'}, 4, "Hi"},
                      TextSinkCase{"LongScript", kSinkScript, '0', Bytes(std::string(5000, 's')),
                                   5000, std::string(4095, 's')},
                      TextSinkCase{"NoticeOfTwoChunks", kSinkNotice, '0',
                                   Bytes(std::string(65536, 'a') + std::string(2000, 'b')), 67536,
                                   std::string(1023, 'b')},
                      TextSinkCase{"CompressedScript", kSinkScript, '5', Compressed("$Command=go"),
                                   11, "$Command=go"}),
    [](const auto& test) { return std::string(test.param.name); });

struct ProgressCase {
  uint32_t done;
  uint32_t total;
  const char* text;
};

class ProgressTest : public DecodeTest, public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(ProgressTest, ShowsTheWholePercentInTheProgressLine) {
  ReportProgress(GetParam().done, GetParam().total);
  EXPECT_EQ(ProgressTexts(), std::vector<std::string>{GetParam().text});
  EXPECT_EQ(hooks().pumpCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProgressTest,
    ::testing::Values(ProgressCase{0, 0, "Extract... 0%"}, ProgressCase{5, 0, "Extract... 0%"},
                      ProgressCase{0, 50, "Extract... 100%"},
                      ProgressCase{65536, 200000, "Extract... 32%"},
                      ProgressCase{199, 200, "Extract... 99%"},
                      ProgressCase{300, 200, "Extract... 100%"},
                      ProgressCase{0xFFFFFFFF, 0xFFFFFFFF, "Extract... 100%"}));

using DecodeFailureTest = DecodeTest;

TEST_F(DecodeFailureTest, CancelEndsTheProcessAtTheNextProgressReport) {
  UseMember('5', CompressedLongMember(), 200000);
  hooks().onPump = [this] {
    if (hooks().pumpCount == 2) work->cancelRequested = 1;
  };
  EXPECT_PROCESS_ENDS(DecodeToFile(), 1);
  EXPECT_EQ(ProgressTexts().size(), 2u);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_FALSE(OutputExists());
}

TEST_F(DecodeFailureTest, AFailedWriteIsAWriteErrorAboutTheOutput) {
  UseMember('5', CompressedLongMember(), 200000);
  hooks().writeBytesBeforeFailure = 70000;  // the second flush fails
  EXPECT_PROCESS_ENDS(DecodeToFile(), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(kWriteError, outPath_)});
  EXPECT_EQ(ProgressTexts().size(), 1u);
  EXPECT_FALSE(OutputExists());
}

struct ShortFileCase {
  const char* name;
  char method;
  size_t fileBytes;  // how much of the member the program file holds
};

class ShortFileTest : public DecodeTest, public ::testing::WithParamInterface<ShortFileCase> {};

TEST_P(ShortFileTest, AProgramFileThatEndsInsideTheMemberIsAReadError) {
  const std::vector<uint8_t> member =
      GetParam().method == '0' ? Bytes(std::string(200000, 's')) : CompressedLongMember();
  UseMember(GetParam().method,
            std::vector<uint8_t>(member.begin(), member.begin() + GetParam().fileBytes), 200000);
  CurrentHeader().packedSize = static_cast<uint32_t>(member.size());
  EXPECT_PROCESS_ENDS(DecodeToFile(), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(kReadError)});
  EXPECT_FALSE(OutputExists());
  EXPECT_EQ(hooks().deletedFiles, std::vector<std::string>{outPath_});
}

INSTANTIATE_TEST_SUITE_P(Files, ShortFileTest,
                         ::testing::Values(ShortFileCase{"CompressedAtFirstLoad", '5', 100},
                                           ShortFileCase{"StoredInTheSecondChunk", '0', 70000}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(DecodeFailureTest, AStoredMemberOf2GiBOrMoreIsAReadErrorBeforeAnyRead) {
  UseMember('0', {}, 0x80000000u);
  EXPECT_PROCESS_ENDS(DecodeToFile(), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(kReadError)});
  EXPECT_TRUE(hooks().readSizes.empty());
  EXPECT_FALSE(OutputExists());
}
