// Writing a member: its time in DOS form, and what becomes of a file already at its path.
#include "archive/member_file.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

#include "archive/dos_time.h"
#include "base/text.h"
#include "core_test.h"

namespace {

using namespace platform;

constexpr uint32_t Dos(uint32_t y, uint32_t mo, uint32_t d, uint32_t h, uint32_t mi, uint32_t s) {
  return (y - 1980) << 25 | mo << 21 | d << 16 | h << 11 | mi << 5 | s / 2;
}

constexpr uint32_t kStamp = 1700000000;  // even: the second after it has the same DOS time

struct OverwriteCase {
  int dateCompare, overwriteSilently, keepAttributes;
  // At the member's path: '-' nothing, '<' an older file, '=' one as old, '>' a newer one, 'r' an
  // older read-only one, '0' one of 1970 (no DOS time), 'u' a socket, which not even root opens.
  char existing;
  int answer, attributes, badCrc;  // the user's answer, the member's attributes and CRC verdict
  std::string outcome;
};

class MemberFileTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    area_->header.header = static_cast<uint8_t*>(AllocZeroed(sizeof(MemberHeader)));
    CopyText(run().output.path, kOutPathCapacity, outPath_.c_str());
    CopyText(run().settings.windowTitle, sizeof run().settings.windowTitle, "Setup");
    run().dialogWindow = this;
  }

  // The result of the open, the boxes' messages, and what the file then holds.
  std::string Outcome(const OverwriteCase& c) {
    std::filesystem::remove(outPath_);
    if (c.existing == 'u') {
      sockaddr_un address{AF_UNIX, {}};
      CopyText(address.sun_path, sizeof address.sun_path, outPath_.c_str());
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), ::close(fd);
    } else if (c.existing != '-') {
      WriteFile("member.out", Bytes("old"));
      time_t time = c.existing == '=' ? kStamp + 1 : c.existing == '>' ? kStamp + 2 : kStamp - 2;
      if (c.existing == '0') time = 1000;
      const timespec times[2] = {{time, 0}, {time, 0}};
      ::utimensat(AT_FDCWD, outPath_.c_str(), times, 0);
      if (c.existing == 'r') SetAttributes(outPath_.c_str(), 0x21);
    }
    hooks().boxes.clear(), run().failed = 0;
    hooks().answerBox = [&c](const auto&) { return c.answer; };
    run().options = {false, false, c.dateCompare != 0, c.overwriteSilently != 0};
    run().settings.keepAttributes = uint8_t(c.keepAttributes);
    area_->header.attributes = uint16_t(c.attributes);
    area_->crc.crc = uint16_t(c.badCrc);  // the header's data CRC is 0
    static const char* const kResults[] = {"failed", "create", "skip", "cancel"};
    const OpenResult opened = OpenMemberFile(run(), UnixToDosTime(kStamp));
    std::string outcome = kResults[opened];
    if (opened == kOpenCreated) {
      if (FileAttributes(outPath_.c_str()) == 0x21) outcome += " still-read-only";
      WriteOutput(run().output.file, "new", 3);
      const bool finished =
          FinishMemberFile(run(), area_->crc, area_->header, UnixToDosTime(kStamp));
      EXPECT_EQ(run().failed, !finished);
    }
    const std::string subject = "\"" + outPath_ + "\" ";
    for (const auto& box : hooks().boxes) {
      EXPECT_TRUE(box.owner == run().dialogWindow && box.caption == "Setup");
      outcome += " " + (box.text.starts_with(subject) ? box.text.substr(subject.size()) : box.text);
    }
    const std::vector<uint8_t> content = ReadFileBytes(outPath_);
    outcome += content.empty() ? " -" : " " + std::string(content.begin(), content.end());
    return outcome + (FileAttributes(outPath_.c_str()) == 0x21 ? " read-only" : "");
  }
};

TEST_F(MemberFileTest, TimeStampsBecomeDosTimes) {
  const std::pair<uint32_t, uint32_t> stamps[] = {
      {951825600, Dos(2000, 2, 29, 12, 0, 0)},
      {899285459, Dos(1998, 7, 1, 9, 30, 58)},
      {4107542400, Dos(2100, 3, 1, 0, 0, 0)},  // 2100 is no leap year
      {315532799, Dos(1980, 1, 1, 0, 0, 0)},   // DOS has nothing earlier
  };
  for (const auto& [seconds, dos] : stamps) {
    EXPECT_EQ(UnixToDosTime(seconds), dos) << seconds;
    EXPECT_EQ(DosToUnixTime(dos), std::max(seconds, kDosFirstSecond) / 2 * 2) << seconds;
  }

  const std::string tz99 = std::string(98, 'X') + "1", tz100 = "X" + tz99;
  // clang-format off
  const std::pair<const char*, int> zones[] = {
      {"EST5EDT", -5}, {"JST-9", 9}, {"NST+3:30", -3}, {"GMT", 0}, {nullptr, 0},
      {tz99.c_str(), -1}, {tz100.c_str(), 0}};
  // clang-format on
  for (const auto& [zone, hours] : zones) {
    hooks().environment.erase("TZ");
    if (zone) hooks().environment["TZ"] = zone;
    EXPECT_EQ(AdjustForTimeZone(kStamp), uint32_t(kStamp + hours * 3600)) << zone;
  }
}

TEST_F(MemberFileTest, AnExistingFileIsKeptReplacedOrAskedAbout) {
  const OverwriteCase cases[] = {
      // dateCompare, overwriteSilently, keepAttributes, existing, answer, attributes, bad CRC
      {1, 0, 0, '<', kAnswerYes, 0x20, 0, "create Overwrite? new"},
      {1, 1, 0, '<', kAnswerNo, 0x20, 0, "create new"},
      {1, 0, 0, '=', kAnswerYes, 0x20, 0, "skip old"},
      {1, 1, 0, '>', kAnswerYes, 0x20, 0, "skip old"},
      {1, 1, 0, 'u', kAnswerYes, 0x20, 0, "skip -"},
      {1, 0, 0, '0', kAnswerYes, 0x20, 0, "create Overwrite? new"},
      {0, 1, 0, '>', kAnswerNo, 0x20, 0, "create new"},
      {0, 0, 0, '>', kAnswerNo, 0x20, 0, "skip Overwrite? old"},
      {0, 0, 0, '<', kAnswerCancel, 0x20, 0, "cancel Overwrite? old"},
      {0, 0, 0, '-', kAnswerNo, 0x20, 0, "create new"},
      {0, 1, 1, 'r', kAnswerYes, 0x21, 0, "create new read-only"},
      {0, 1, 0, '<', kAnswerYes, 0x21, 0, "create new"},
      {0, 1, 1, '-', kAnswerYes, 0x21, 1, "create CRC ERROR -"},
  };
  for (const OverwriteCase& c : cases) {
    EXPECT_EQ(Outcome(c), c.outcome) << c.dateCompare << c.overwriteSilently << c.existing;
  }
  EXPECT_EQ(hooks().deletedFiles, std::vector<std::string>{outPath_});
}

}  // namespace
