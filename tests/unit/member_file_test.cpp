// A member's time in DOS form, and what becomes of a file already at its path.
#include "archive/member_file.h"

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

class MemberFileTest : public CoreTest {
 protected:
  // options: 'd' dates compared, 's' overwrite silently; existing at the member's path: '-'
  // nothing, '=' a file as old, '>' a newer one, '0' one of 1970 (no DOS time). The result of the
  // open, the boxes' messages, what the file then holds.
  std::string Outcome(const std::string& options, char existing) {
    std::filesystem::remove(outPath_);
    const time_t when = existing == '0' ? 1000 : kStamp + (existing == '=' ? 1 : 2);
    if (existing != '-') SetFileTime(WriteFile("member.out", Bytes("old")), when);
    hooks().boxes.clear();
    run().options = {false, false, options.find('d') != options.npos,
                     options.find('s') != options.npos};
    static const char* const kResults[] = {"failed", "create", "skip", "cancel"};
    const OpenResult opened = OpenMemberFile(run(), UnixToDosTime(kStamp));
    if (opened == kOpenCreated)
      WriteOutput(run().output.file, "new", 3), CloseOutput(run().output.file);
    for (const auto& box : hooks().boxes) EXPECT_EQ(box.owner, run().dialogWindow);
    const std::vector<uint8_t> content = ReadFileBytes(outPath_);
    return kResults[opened] + BoxMessages(outPath_) + " " +
           std::string(content.begin(), content.end());
  }
};

TEST_F(MemberFileTest, TimeStampsBecomeDosTimes) {
  const std::pair<uint32_t, uint32_t> stamps[] = {
      {951825600, Dos(2000, 2, 29, 12, 0, 0)},
      {4107542400, Dos(2100, 3, 1, 0, 0, 0)},  // 2100 is no leap year
      {315532799, Dos(1980, 1, 1, 0, 0, 0)},   // DOS has nothing earlier
  };
  for (const auto& [seconds, dos] : stamps) {
    EXPECT_EQ(UnixToDosTime(seconds), dos) << seconds;
    EXPECT_EQ(DosToUnixTime(dos), std::max(seconds, kDosFirstSecond) / 2 * 2) << seconds;
  }
  const std::string tz99 = std::string(98, 'X') + "1", tz100 = "X" + tz99;
  const std::pair<const char*, int> zones[] = {
      {"EST5EDT", -5}, {"NST+3:30", -3}, {nullptr, 0}, {tz99.c_str(), -1}, {tz100.c_str(), 0}};
  for (const auto& [zone, hours] : zones) {
    hooks().environment.erase("TZ");
    if (zone) hooks().environment["TZ"] = zone;
    EXPECT_EQ(AdjustForTimeZone(kStamp), uint32_t(kStamp + hours * 3600)) << zone;
  }
}

// The boxes answered Yes; kept attributes over a read-only file, each answer and a member failing
// its CRC run in the stub end to end, and in the tool's extraction onto hostile targets.
TEST_F(MemberFileTest, AnExistingFileIsKeptReplacedOrAskedAbout) {
  CopyText(run().output.path, kOutPathCapacity, outPath_.c_str());
  run().dialogWindow = this;
  // clang-format off
  const std::tuple<const char*, char, std::string> cases[] = {
      {"d", '=', "skip old"}, {"ds", '>', "skip old"}, {"d", '0', "create; Overwrite? new"},
      {"", '>', "create; Overwrite? new"}, {"s", '>', "create new"}, {"", '-', "create new"}};
  // clang-format on
  for (const auto& [options, existing, outcome] : cases)
    EXPECT_EQ(Outcome(options, existing), outcome) << options << existing;
}

}  // namespace
