// The scan pass over the reserved members: which member is the notice, what the check value
// covers, and how the walk goes on after the notice is declined.
#include "archive/archive_pass.h"
#include "archive_fixture.h"
#include "startup/messages.h"

namespace {

Member Notice(const std::string& text = "Read me first.") {
  return TextMember("", "!", text);
}

Member Script(const std::string& text = "$WindowTitle=From the script\r\n") {
  return TextMember("", "$", text);
}

Member Corrupt() {
  Member member = TextMember("", "corrupt");
  member.editAfterCrc = [](auto& h) { h[kTimeStampOffset] ^= 1; };
  return member;
}

class ArchiveScanTest : public ArchiveTest {
 protected:
  void AnswerNo() {
    hooks().answerBox = [](const auto&) { return platform::kAnswerNo; };
  }
};

TEST_F(ArchiveScanTest, OnlyTheNoticeAtTheTopIsShownAsAQuestion) {
  UseMembers({TextMember("x" + kSep, "!"), Notice("Please read."), TextMember("y" + kSep, "!")});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Please read."});
  EXPECT_EQ(hooks().boxes[0].style,
            platform::kBoxTaskModal | platform::kBoxIconQuestion | platform::kBoxYesNo);
  EXPECT_EQ(hooks().boxes[0].caption, kTestCaption);
  EXPECT_EQ(hooks().boxes[0].owner, nullptr);
}

TEST_F(ArchiveScanTest, CheckValueCoversTheReservedMembers) {
  const std::vector<Member> members = {Notice(), Script(), TextMember("", "a")};
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
  UseMembers({Notice(), TextMember("", "a"), Corrupt()});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  ASSERT_EQ(hooks().boxes.size(), 2u);
  EXPECT_EQ(hooks().boxes[1].text, ErrorText(kBadHeader));
}

TEST_F(ArchiveScanTest, AfterNoALaterScriptEndsTheWalkWithoutTheCheckValueTest) {
  AnswerNo();
  std::vector<uint8_t> archive =
      BuildArchive(std::vector<Member>{Notice(), TextMember("", "a"), Script(), Corrupt()},
                   {.checkValue = true});
  archive[0] ^= 0xFF;
  UseArchive(archive, kFlagCheckValue);
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  EXPECT_EQ(hooks().boxes.size(), 1u);
  EXPECT_EQ(std::string(work->script), "$WindowTitle=From the script\r\n");
  EXPECT_EQ(std::string(work->settings.windowTitle), kTestCaption);
}

TEST_F(ArchiveScanTest, TheScriptIsParsedAsItIsMet) {
  UseMembers({Script(), Notice()});
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);
  ASSERT_EQ(hooks().boxes.size(), 1u);
  EXPECT_EQ(hooks().boxes[0].caption, "From the script");
}

}  // namespace
