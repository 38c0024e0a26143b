// The scan pass over the reserved members: which member is the notice, what the check value
// covers, and how the walk goes on after the notice is declined.
#include "archive/archive_pass.h"
#include "archive_fixture.h"
#include "startup/messages.h"

namespace {

const std::string kSep(1, static_cast<char>(kDirSeparator));

Member File(const std::string& dirName, const std::string& fileName, const std::string& text) {
  return StoredFileMember(dirName, fileName, TextBytes(text), 1700000000, kAttrArchive);
}

Member Notice(const std::string& text = "Read me first.") {
  return File("", "!", text);
}

Member Script(const std::string& text = "$WindowTitle=From the script\r\n") {
  return File("", "$", text);
}

Member Corrupt() {
  Member member = File("", "corrupt", "x");
  member.editAfterCrc = [](auto& h) { h[kTimeStampOffset] ^= 1; };
  return member;
}

constexpr uint32_t kQuestionStyle =
    platform::kBoxTaskModal | platform::kBoxIconQuestion | platform::kBoxYesNo;

class ArchiveScanTest : public ArchiveTest {
 protected:
  void AnswerNo() {
    hooks().answerBox = [](const auto&) { return platform::kAnswerNo; };
  }
};

TEST_F(ArchiveScanTest, OnlyTheNoticeAtTheTopIsShown) {
  UseMembers({File("x" + kSep, "!", "a file"), Notice(), File("y" + kSep, "!", "another")});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);
  ASSERT_EQ(hooks().boxes.size(), 1u);
  EXPECT_EQ(hooks().boxes[0].style, kQuestionStyle);
  EXPECT_EQ(hooks().boxes[0].caption, kTestCaption);
  EXPECT_EQ(hooks().boxes[0].owner, nullptr);
}

TEST_F(ArchiveScanTest, CheckValueCoversTheReservedMembers) {
  const std::vector<Member> members = {Notice(), Script(), File("", "a", "data")};
  UseMembers(members, {.checkValue = true});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);

  std::vector<uint8_t> archive = BuildArchive(members, {.checkValue = true});
  PutU16(archive, 0, CheckValueOf(std::span(members).subspan(2)));
  UseArchive(archive, kFlagCheckValue);
  hooks().boxes.clear();
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  EXPECT_EQ(BoxTexts().back(), ErrorText(kTamperedData));
}

TEST_F(ArchiveScanTest, AfterNoTheHeadersAreStillChecked) {
  AnswerNo();
  UseMembers({Notice(), File("", "a", "data"), Corrupt()});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  ASSERT_EQ(hooks().boxes.size(), 2u);
  EXPECT_EQ(hooks().boxes[1].text, ErrorText(kBadHeader));
}

TEST_F(ArchiveScanTest, AfterNoALaterScriptEndsTheWalkWithoutTheCheckValueTest) {
  AnswerNo();
  std::vector<Member> members = {Notice(), File("", "a", "data"), Script(), Corrupt()};
  std::vector<uint8_t> archive = BuildArchive(members, {.checkValue = true});
  archive[0] ^= 0xFF;
  UseArchive(archive, kFlagCheckValue);
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  EXPECT_EQ(hooks().boxes.size(), 1u);
}

TEST_F(ArchiveScanTest, TheNoticeIsShownWithItsText) {
  UseMembers({Notice("Please read.")});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Please read."});
}

TEST_F(ArchiveScanTest, AfterNoALaterScriptIsDecodedButNotParsed) {
  AnswerNo();
  UseMembers({Notice(), Script("$WindowTitle=From the script\r\n")});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  EXPECT_EQ(std::string(work->script), "$WindowTitle=From the script\r\n");
  EXPECT_EQ(std::string(work->settings.windowTitle), kTestCaption);
}

TEST_F(ArchiveScanTest, TheScriptIsParsedAsItIsMet) {
  UseMembers({Script("$WindowTitle=From the script\r\n"), Notice()});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);
  ASSERT_EQ(hooks().boxes.size(), 1u);
  EXPECT_EQ(hooks().boxes[0].caption, "From the script");
}

}  // namespace
