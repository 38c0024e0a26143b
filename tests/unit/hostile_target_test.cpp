// The host tool on archives from strangers and folders holding traps: nothing written outside or
// through a link, nothing partial left, nothing earlier lost, no hang (an alarm ends a hung test).
#include <sys/mount.h>
#include <sys/sysmacros.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "core_test.h"
#include "ombrix/extract_command.h"

namespace {

namespace fs = std::filesystem;

constexpr time_t k2001 = 1000000000;  // older than the members

class HostileTargetTest : public CoreTest {
 protected:
  void SetUp() override { CoreTest::SetUp(), ::alarm(60); }
  void TearDown() override { ::alarm(0), CoreTest::TearDown(); }
  std::string Text(const std::string& path) const {
    return (std::stringstream() << std::ifstream(path).rdbuf()).str();
  }
  // a.lzh holds the members; the target t holds an earlier z.txt; outside/v lies outside it.
  void Arrange(const std::vector<Member>& members) {
    fs::remove_all("t"), fs::remove_all("outside");
    SetFileTime(WriteFile("outside/v", Bytes("outside")), k2001);
    SetFileTime(WriteFile("t/z.txt", Bytes("earlier")), k2001);
    WriteFile("a.lzh", BuildArchive(members));
  }
  // Whatever happened, outside/v is as it was and no temporary file is left anywhere.
  void ExpectNothingSprung() const {
    EXPECT_EQ(Text("outside/v"), "outside");
    for (const auto& entry : fs::recursive_directory_iterator("."))
      EXPECT_EQ(entry.path().filename().string().find("ombrix-"), std::string::npos) << entry;
  }
};

struct Row {
  const char* what;
  std::vector<Member> members;  // none: the default three
  std::function<void()> arrange;
  std::string command, out, err;  // CheckCommand's
  int status;
  std::function<bool()> held = {};
};

TEST_F(HostileTargetTest, NothingOutsideNothingPartialNothingEarlierLost) {
  const std::string extract = "extract -d t a.lzh", n255(255, 'n'), z = "t/z.txt: replaced\n",
                    both = "t/x.txt: replaced\n" + z;
  const auto earlier = [this] { return Text("t/z.txt") == "earlier"; };
  const auto xWritten = [this] { return !fs::is_symlink("t/x.txt") && Text("t/x.txt") == "data"; };
  Member bad = TextMember("", "z.txt", "new"), x = TextMember("", "x.txt");
  const std::vector<Member> three = {x, TextMember("d" + kSep, "y.txt"), TextMember("", "z.txt")};
  const auto unmarked = [&] { WriteFile("a.lzh", BuildArchive(three, {.endMark = false})); };
  bad.dataCrc ^= 1;
  // clang-format off
  const Row rows[] = {
      {"a link at a member's place is replaced", {},
       [] { fs::create_symlink("../outside/v", "t/x.txt"); }, extract, both, "", 0, xWritten},
      {"a hard link there is replaced", {}, [] { fs::create_hard_link("outside/v", "t/x.txt"); },
       extract, both, "", 0, xWritten},
      {"a link at a member's directory is not followed; the rest is written", {},
       [] { fs::create_symlink("../outside", "t/d"); }, extract, z,
       "~\"t/d/y.txt\" Open ERROR: \"t/d\" is a symbolic link", 1, xWritten},
      {"a FIFO at a member's place is left alone", {}, [] { ::mkfifo("t/x.txt", 0644); }, extract,
       z, "~\"t/x.txt\" Open ERROR: it is a FIFO", 1, [] { return fs::is_fifo("t/x.txt"); }},
      {"a directory at a member's place is left, and said to be", {},
       [] { fs::create_directory("t/x.txt"); }, extract,
       "t/x.txt: not written, a directory has that name\n" + z, "", 0},
      {"an archive without its end mark fails the test", {}, unmarked, "test a.lzh", "~z.txt: OK",
       "\"a.lzh\" has no end mark: the file may be cut short\n", 1},
      {"unless that is accepted", {}, unmarked, "test --accept-missing-end-mark a.lzh",
       "~z.txt: OK", "~no end mark", 0},
      {"a newer file is kept, and said to be", {}, [] { SetFileTime("t/z.txt", 2000000000); },
       extract, "t/z.txt: kept, as new as the member\n", "", 0, earlier},
      {"a member failing its CRC keeps the earlier file; the rest is written", {bad, x}, {},
       extract, "", "\"t/z.txt\" CRC ERROR\n", 1, [&] { return earlier() && xWritten(); }},
      {"names cut to the same 255 bytes would meet: neither is written",
       {TextMember("", n255 + "a"), TextMember("", n255 + "b")}, {}, extract, "",
       "~longer than 255 bytes", 1, [&] { return !fs::exists("t/" + n255); }},
      {"two members on one path: the first stays", {x, TextMember("", "x.txt", "2")}, {},
       extract, "", "~an earlier member of this archive", 1, xWritten},
      {"an empty directory is a usage error", {}, {}, "extract -d  a.lzh", "", "~is empty", 2},
      {"test reports every bad member", {bad, x, bad}, {}, "test a.lzh", "x.txt: OK\n",
       "\"z.txt\" CRC ERROR\nombrix: \"z.txt\" CRC ERROR\n", 1},
      {"a control byte in a name is shown escaped", {TextMember("", "\x1b[2J")}, {},
       "info a.lzh", "~  \\x1b[2J\n", "", 0},
      {"an archive that is a FIFO", {}, [] { ::mkfifo("f", 0644); }, "info f", "",
       "\"f\" is a FIFO, not a regular file\n", 1},
      {"a stub that is a directory", {}, {}, "pack -o o.exe --stub t t", "",
       "\"t\" is a directory, not a regular file\n", 1, [] { return !fs::exists("o.exe"); }},
      {"pack onto one of its inputs", {}, {}, "pack --plain -o t/z.txt t/z.txt", "",
       "~among what is packed", 1, earlier},
      {"pack into a folder it packs", {}, {}, "pack --plain -o t/o.lzh t", "",
       "~among what is packed", 1, [] { return !fs::exists("t/o.lzh"); }},
      {"pack onto a link", {}, [] { fs::create_symlink("outside/v", "l"); }, "pack --plain -o l t",
       "", "~\"l\" is a symbolic link", 1, [] { return fs::is_symlink("l"); }},
      {"pack onto a device", {}, {}, "pack --plain -o /dev/null t", "", "~a character device", 1},
      {"pack of a file too large for a member, refused before it is read", {},
       [] { fs::resize_file("t/z.txt", uint64_t{5} << 30); }, "pack --plain -o o.lzh t", "",
       "~larger than a member can hold", 1, [] { return !fs::exists("o.lzh"); }},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Arrange(row.members.empty() ? three : row.members);
    if (row.arrange) row.arrange();
    CheckCommand(row.command, row.status, row.out, row.err);
    EXPECT_TRUE(!row.held || row.held());
    ExpectNothingSprung();
  }
}

// A large member over an earlier file, failing half-way, interrupted at several points, and where
// root can mount a tmpfs, on a full disk or meeting a device: the earlier file stays byte for byte,
// a signal still ends the tool, a rerun gives the member.
TEST_F(HostileTargetTest, AFailingOrInterruptedMemberLeavesTheEarlierFile) {
  const std::string big(300000, 'b');
  Arrange({TextMember("", "z.txt", big)});
  hooks().callsBeforeFailure = {{platform_double::Fault::kWrite, 2}}, hooks().failHalfway = true;
  CheckCommand("extract -d t a.lzh", 1, "", "~\"t/z.txt\" Write ERROR");
  hooks().callsBeforeFailure.clear();
  for (const auto& [signal, pump] : {std::pair{SIGINT, 1}, {SIGTERM, 3}, {SIGHUP, 4}}) {
    EXPECT_EQ(Text("t/z.txt"), "earlier");
    ExpectNothingSprung();
    hooks().pumpCount = 0;
    hooks().onPump = [this, signal, pump] {
      if (hooks().pumpCount == pump) std::raise(signal);
    };
    EXPECT_EXIT(ExtractArchive("a.lzh", "t"), testing::KilledBySignal(signal), "") << signal;
  }
  hooks().onPump = nullptr;
  CheckCommand("extract -d t a.lzh", 0, "t/z.txt: replaced\n");
  EXPECT_EQ(Text("t/z.txt"), big);
  if (::mount("tmpfs", "t", "tmpfs", 0, "size=128k") != 0) GTEST_SKIP() << "cannot mount a tmpfs";
  SetFileTime(WriteFile("t/z.txt", Bytes("earlier")), k2001);  // on a disk of 128 KiB
  CheckCommand("extract -d t a.lzh", 1, "", "~\"t/z.txt\" Write ERROR: No space left on device");
  EXPECT_EQ(Text("t/z.txt"), "earlier");
  ExpectNothingSprung();
  fs::remove("t/z.txt");
  EXPECT_EQ(::mknod("t/z.txt", S_IFCHR | 0644, makedev(1, 3)), 0);
  CheckCommand("extract -d t a.lzh", 1, "", "~\"t/z.txt\" Open ERROR: it is a character device");
  EXPECT_TRUE(fs::is_character_file("t/z.txt"));
  ::umount2("t", MNT_DETACH);
}

}  // namespace
