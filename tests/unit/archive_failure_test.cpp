// Every way the archive pass fails before it decodes anything, with the box the user sees, and
// the bounds the header reader keeps on sizes that the format leaves open.
#include <functional>

#include "archive/archive_pass.h"
#include "archive_fixture.h"
#include "startup/messages.h"
#include "startup/text.h"

namespace {

using platform::posix::GetHooks;

Member File(const std::string& fileName = "file.txt") {
  return TextMember("", fileName, "some data");
}

Member Edited(HeaderEdit beforeCrc, HeaderEdit afterCrc = {}) {
  Member member = File();
  member.editBeforeCrc = std::move(beforeCrc);
  member.editAfterCrc = std::move(afterCrc);
  return member;
}

std::vector<uint8_t> Archive(std::vector<Member> members, ArchiveLayout layout = {}) {
  return BuildArchive(members, layout);
}

struct FailureCase {
  std::string name;
  std::vector<uint8_t> archive;
  const char* message;
  // Run after the program file is in place: faults and settings of the case.
  std::function<void(size_t fileSize)> arrange = [](size_t) {};
  bool textAlone = false;  // the message without a subject
};

FailureCase BadHeader(std::string name, std::vector<uint8_t> archive) {
  return {std::move(name), std::move(archive), kBadHeader};
}

// A method with one byte changed and a header CRC that covers the change.
FailureCase BadMethod(size_t index, char byte) {
  return BadHeader(std::string("MethodByte") + std::to_string(index) + "Is" +
                       std::to_string(static_cast<int>(byte)),
                   Archive({Edited([index, byte](auto& h) { h[kMethodOffset + index] = byte; })}));
}

// A header of the given size whose bytes would be a valid start of a header.
FailureCase TooSmall(int size) {
  std::vector<uint8_t> archive = EncodeMemberHeader(File());
  PutU16(archive, kHeaderSizeOffset, static_cast<uint16_t>(size));
  return BadHeader("HeaderSize" + std::to_string(size), archive);
}

FailureCase CheckValueCase(std::string name, std::vector<uint8_t> archive,
                           uint16_t previousCheckValue = 0) {
  return {std::move(name), std::move(archive), kTamperedData, [previousCheckValue](size_t) {
            work->settings.flags |= kFlagCheckValue;
            work->checkValue = previousCheckValue;
          }};
}

std::vector<FailureCase> FailureCases() {
  std::vector<FailureCase> cases = {
      {"ProgramFileCannotBeOpened", Archive({File()}), kOpenError,
       [](size_t) { CopyText(work->modulePath, kPathCapacity, "/nonexistent/program.exe"); }},
      {"SeekToTheArchiveFails", Archive({File()}), kReadError,
       [](size_t) { GetHooks().failSeeks = true; }},
      {"ArchiveOffsetPastTheEnd", Archive({File()}), kUnexpectedEof,
       [](size_t size) { work->settings.archiveOffset = static_cast<uint32_t>(size + 1); }},
      {"NegativeHeaderSize", {0x00, 0x80, 0, 0}, kNotEnoughMemory, [](size_t) {}, true},
      {"HeaderBufferCannotBeAllocated", Archive({File()}), kNotEnoughMemory,
       [](size_t) { GetHooks().allocationsBeforeFailure = 0; }, true},
      BadHeader("HeaderShorterThanItsSize",
                [] {
                  std::vector<uint8_t> archive = Archive({File()}, {.endMark = false});
                  archive.resize(EncodeMemberHeader(File()).size() - 1);
                  return archive;
                }()),
      BadHeader("NoHeaderCrc", Archive({[] {
                  Member member = File();
                  member.withHeaderCrc = false;
                  return member;
                }()})),
      BadHeader("HeaderCrcMismatch",
                Archive({Edited({}, [](auto& h) { h[kTimeStampOffset] ^= 1; })})),
      BadHeader("HeaderCrcCoversTheBytesBehindTheChain", Archive({[] {
                  Member member = File(std::string(217, 'n'));  // padded to 257 bytes
                  member.editAfterCrc = [](auto& h) { h.back() = 1; };
                  return member;
                }()})),
      {"SkipPassesTheEnd",
       Archive({Edited([](auto& h) { PutU32(h, kPackedSizeOffset, 10); })}, {.endMark = false}),
       kUnexpectedEof},
      {"SkipWouldWrapAround",
       Archive({Edited([](auto& h) { PutU32(h, kPackedSizeOffset, 0xFFFFFFF0); })}),
       kUnexpectedEof},
      CheckValueCase("CheckValueDiffers",
                     [] {
                       std::vector<uint8_t> archive = Archive({File()}, {.checkValue = true});
                       archive[0] ^= 1;
                       return archive;
                     }()),
      CheckValueCase("CheckValueLeftOutOfAnEmptyArea", {}, 0x1234),
      CheckValueCase("EndMarkFirstWithANonZeroCheckValue", {0x34, 0x12, 0x00}),
      // The bounds the header reader keeps on what the format leaves open.
      BadHeader("ExtendedHeaderRunsPastTheHeader", Archive({Edited([](auto& h) {
                  PutU16(h, kFirstExtSizeOffset,
                         static_cast<uint16_t>(h.size() - kFixedHeaderSize + 1));
                })})),
      BadHeader("ChainGoesOnPastTheHeader",
                Archive({Edited([](auto& h) { PutU16(h, h.size() - 2, 3); })})),
      BadHeader("HeaderCrcWithoutItsBytes", Archive({[] {
                  Member member = File();
                  member.withHeaderCrc = false;
                  member.extraHeaders = {{kExtHeaderCrc, {}}};
                  return member;
                }()})),
      BadHeader("AttributesWithOneByte", Archive({[] {
                  Member member = File();
                  member.extraHeaders = {{kExtAttributes, {0x01}}};
                  return member;
                }()})),
      BadHeader("MemberPathOver259Bytes",
                Archive({StoredFileMember(std::string(200, 'd') + static_cast<char>(kDirSeparator),
                                          std::string(59, 'f'), {}, 0, kAttrArchive)})),
  };
  for (int size = 1; size <= 25; ++size) cases.push_back(TooSmall(size));
  for (const uint16_t size : {uint16_t{1}, uint16_t{2}}) {
    cases.push_back(
        BadHeader("ExtendedHeaderOfSize" + std::to_string(size),
                  Archive({Edited([size](auto& h) { PutU16(h, kFirstExtSizeOffset, size); })})));
  }
  const std::pair<size_t, char> methodBytes[] = {{3, '1'}, {3, '3'}, {3, '8'}, {3, 'D'},
                                                 {0, '+'}, {1, 'L'}, {2, 'z'}, {4, '_'}};
  for (const auto& [index, byte] : methodBytes) cases.push_back(BadMethod(index, byte));
  return cases;
}

class ArchiveFailureTest : public ArchiveTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ArchiveFailureTest, ScanFailsWithOneErrorBox) {
  const FailureCase& failure = GetParam();
  UseArchive(failure.archive);
  failure.arrange(fileSize_);
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 0);
  EXPECT_TRUE(work->failed);
  ASSERT_EQ(hooks().boxes.size(), 1u);
  const auto& box = hooks().boxes[0];
  EXPECT_EQ(box.text,
            failure.textAlone ? std::string(failure.message) : ErrorText(failure.message));
  EXPECT_EQ(box.caption, kTestCaption);
  EXPECT_EQ(box.style, platform::kBoxTaskModal | platform::kBoxIconError);
  EXPECT_EQ(box.owner, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Rows, ArchiveFailureTest, ::testing::ValuesIn(FailureCases()),
                         [](const auto& test) { return test.param.name; });

struct QuietCase {
  std::string name;
  std::vector<uint8_t> archive;
  uint8_t flags;
};

// Archives without members, or that end early, are not errors.
const QuietCase kQuietCases[] = {
    {"EmptyArea", {}, 0},
    {"EmptyAreaWithACheckValueThatCannotBeRead", {}, kFlagCheckValue},
    {"EndMarkOnly", {0x00, 0x00}, 0},
    {"EndMarkFirstWithAZeroCheckValue", {0x00, 0x00, 0x00}, kFlagCheckValue},
    {"OneStrayByte", {0x01}, 0},
};

class ArchiveQuietTest : public ArchiveTest, public ::testing::WithParamInterface<QuietCase> {};

TEST_P(ArchiveQuietTest, BothModesSucceedWithoutABox) {
  for (const int mode : {kScanMode, kExtractMode}) {
    UseArchive(GetParam().archive, GetParam().flags);
    EXPECT_EQ(RunArchivePass(nullptr, mode), 1) << mode;
    EXPECT_TRUE(hooks().boxes.empty()) << mode;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ArchiveQuietTest, ::testing::ValuesIn(kQuietCases),
                         [](const auto& test) { return test.param.name; });

}  // namespace
