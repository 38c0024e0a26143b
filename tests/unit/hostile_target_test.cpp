// The host tool on archives from strangers and target folders that hold traps: nothing is written
// outside the target or through a link, nothing partial is left, nothing earlier is lost, and
// nothing hangs (an alarm ends a test that would).
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "core_test.h"
#include "ombrix/extract_command.h"

namespace {

namespace fs = std::filesystem;
using platform_double::Fault;

class HostileTargetTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ::alarm(60);
  }
  void TearDown() override {
    ::alarm(0);
    CoreTest::TearDown();
  }
  std::string Text(const std::string& path) const {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
  }
  // a.lzh holds x.txt, d/y.txt and z.txt; the target t holds z.txt of 2001, outside/v is outside.
  void Arrange(const std::vector<Member>& members = {}) {
    fs::remove_all("t"), fs::remove_all("outside"), fs::create_directories("t");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};  // 2001, older than the members
    ::utimensat(AT_FDCWD, WriteFile("outside/v", Bytes("outside")).c_str(), old, 0);
    if (members.empty()) {
      Archive({TextMember("", "x.txt"), TextMember("d" + kSep, "y.txt"), TextMember("", "z.txt")});
    } else {
      Archive(members);
    }
    ::utimensat(AT_FDCWD, WriteFile("t/z.txt", Bytes("earlier")).c_str(), old, 0);
  }
  void Archive(const std::vector<Member>& members) { WriteFile("a.lzh", BuildArchive(members)); }
  // What nobody may find afterwards: outside/v changed, or a temporary file anywhere.
  void ExpectNothingSprung() {
    EXPECT_EQ(Text("outside/v"), "outside");
    for (const auto& entry : fs::recursive_directory_iterator("."))
      EXPECT_EQ(entry.path().filename().string().find("ombrix-"), std::string::npos) << entry;
  }
};

struct Row {
  const char* what;
  std::function<void()> arrange;  // after Arrange()
  std::string command;
  int status;
  std::string out, err;        // a part of standard output and of standard error
  std::function<bool()> held;  // what must hold afterwards
};

TEST_F(HostileTargetTest, NothingOutsideNothingPartialNothingEarlierLost) {
  const std::string kExtract = "extract -d t a.lzh", n255(255, 'n');
  const auto written = [this](const char* path) {
    return [this, path] { return !fs::is_symlink(path) && Text(path) == "data"; };
  };
  const auto mkfifo = [](const char* path) { return [path] { ::mkfifo(path, 0644); }; };
  Member badCrc = TextMember("", "z.txt", "new");
  badCrc.dataCrc ^= 1;
  const Row rows[] = {
      {"a link at a member's place is replaced, not written through",
       [] { fs::create_symlink("../outside/v", "t/x.txt"); }, kExtract, 0, "", "",
       written("t/x.txt")},
      {"a hard link at a member's place is replaced",
       [] { fs::create_hard_link("outside/v", "t/x.txt"); }, kExtract, 0, "", "",
       written("t/x.txt")},
      {"a link at a directory is not followed; the rest is written",
       [] { fs::create_symlink("../outside", "t/d"); }, kExtract, 1, "",
       "\"t/d/y.txt\" Open ERROR: \"t/d\" is a symbolic link",
       [&] { return written("t/x.txt")() && !fs::exists("outside/y.txt"); }},
      {"a FIFO at a member's place is left alone, unopened", mkfifo("t/x.txt"), kExtract, 1, "",
       "\"t/x.txt\" Open ERROR: it is a FIFO", [] { return fs::is_fifo("t/x.txt"); }},
      {"an older file is replaced, and said to be", [] {}, kExtract, 0, "t/z.txt: replaced", "",
       written("t/z.txt")},
      {"a newer file is kept, and said to be", [this] { WriteFile("t/z.txt", Bytes("newer")); },
       kExtract, 0, "t/z.txt: kept, as new as the member", "",
       [this] { return Text("t/z.txt") == "newer"; }},
      {"a member that fails its CRC leaves the earlier file; the rest is written",
       [&] {
         Archive({badCrc, TextMember("", "x.txt")});
       },
       kExtract, 1, "", "\"t/z.txt\" CRC ERROR",
       [&] { return Text("t/z.txt") == "earlier" && written("t/x.txt")(); }},
      {"names cut to the same 255 bytes would meet: both refused",
       [&] {
         Archive({TextMember("", n255 + "a"), TextMember("", n255 + "b")});
       },
       kExtract, 1, "", "longer than 255 bytes", [&] { return !fs::exists("t/" + n255); }},
      {"two members on one path: the first stays",
       [&] {
         Archive({TextMember("", "x.txt"), TextMember("", "x.txt", "second")});
       },
       kExtract, 1, "", "an earlier member of this archive", written("t/x.txt")},
      {"an empty directory option is a usage error", [] {}, "extract -d  a.lzh", 2, "",
       "directory is empty", [] { return !fs::exists("a.lzh/x.txt"); }},
      {"test reports every bad member",
       [&] {
         Archive({badCrc, TextMember("", "x.txt"), badCrc});
       },
       "test a.lzh", 1, "x.txt: OK", "\"z.txt\" CRC ERROR\nombrix: \"z.txt\" CRC ERROR",
       [] { return true; }},
      {"a control byte in a name is shown escaped", [&] { Archive({TextMember("", "\x1b[2Jx")}); },
       "test a.lzh", 0, "\\x1b[2Jx: OK", "", [] { return true; }},
      {"an archive that is a FIFO", mkfifo("f.lzh"), "info f.lzh", 1, "",
       "\"f.lzh\" is a FIFO, not a regular file", [] { return true; }},
      {"a stub that is a directory", [] {}, "pack -o o.exe --stub t t", 1, "",
       "\"t\" is a directory, not a regular file", [] { return !fs::exists("o.exe"); }},
      {"a notice that is a FIFO", mkfifo("n"), "pack -o o.exe --notice n t", 1, "",
       "\"n\" is a FIFO, not a regular file", [] { return !fs::exists("o.exe"); }},
      {"pack onto one of its inputs", [] {}, "pack --plain -o t/z.txt t/z.txt", 1, "",
       "would be among what is packed", [this] { return Text("t/z.txt") == "earlier"; }},
      {"pack into a folder it packs", [] {}, "pack --plain -o t/o.lzh t", 1, "",
       "would be among what is packed", [] { return !fs::exists("t/o.lzh"); }},
      {"pack onto a link", [] { fs::create_symlink("outside/v", "l.lzh"); },
       "pack --plain -o l.lzh t", 1, "", "\"l.lzh\" is a symbolic link",
       [] { return fs::is_symlink("l.lzh"); }},
      {"pack onto a device", [] {}, "pack --plain -o /dev/null t", 1, "",
       "\"/dev/null\" is a character device", [] { return fs::is_character_file("/dev/null"); }},
      {"pack of a file larger than a member, refused before it is read",
       [] { fs::resize_file(fs::path("t/z.txt"), uint64_t{5} << 30); }, "pack --plain -o o.lzh t",
       1, "", "larger than a member can hold", [] { return !fs::exists("o.lzh"); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Arrange();
    row.arrange();
    const ToolRun run = RunTool(row.command);
    EXPECT_EQ(run.status, row.status);
    EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    EXPECT_TRUE(row.held());
    ExpectNothingSprung();
  }
}

// A large member over an earlier file, failing or interrupted at several points: the earlier file
// stays byte for byte, no temporary file is left, a signal still ends the tool, and a rerun gives
// the member.
TEST_F(HostileTargetTest, AFailingOrInterruptedMemberLeavesTheEarlierFile) {
  const std::string big(300000, 'b');
  const auto extract = [] { return RunTool("extract -d t a.lzh"); };
  const auto expectEarlier = [this] {
    EXPECT_EQ(Text("t/z.txt"), "earlier");
    ExpectNothingSprung();
  };
  Arrange({TextMember("", "z.txt", big)});
  hooks().callsBeforeFailure = {{Fault::kWrite, 2}}, hooks().failHalfway = true;
  EXPECT_EQ(extract().status, 1);
  expectEarlier();
  hooks().callsBeforeFailure.clear();
  for (const auto& [signal, pump] : {std::pair{SIGINT, 1}, {SIGTERM, 3}, {SIGHUP, 4}}) {
    hooks().pumpCount = 0;
    hooks().onPump = [this, signal, pump] {
      if (hooks().pumpCount == pump) std::raise(signal);
    };
    EXPECT_EXIT(ExtractArchive("a.lzh", "t"), testing::KilledBySignal(signal), "") << signal;
    expectEarlier();
  }
  hooks().onPump = nullptr;
  EXPECT_EQ(extract().status, 0);
  EXPECT_EQ(Text("t/z.txt"), big);
  fs::remove("t/z.txt");
  if (::mknod("t/z.txt", S_IFCHR | 0644, makedev(1, 3)) != 0) GTEST_SKIP() << "no device node";
  EXPECT_NE(extract().err.find("\"t/z.txt\" Open ERROR: it is a character device"),
            std::string::npos);
  EXPECT_TRUE(fs::is_character_file("t/z.txt"));
}

TEST_F(HostileTargetTest, ADiskThatFillsUpLeavesTheEarlierFile) {
  Arrange({TextMember("", "z.txt", std::string(300000, 'b'))});
  if (::mount("tmpfs", "t", "tmpfs", 0, "size=128k") != 0) GTEST_SKIP() << "cannot mount a tmpfs";
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, WriteFile("t/z.txt", Bytes("earlier")).c_str(), old, 0);
  const ToolRun run = RunTool("extract -d t a.lzh");
  EXPECT_NE(run.err.find("\"t/z.txt\" Write ERROR: No space left on device"), std::string::npos)
      << run.err;
  EXPECT_EQ(Text("t/z.txt"), "earlier");
  ExpectNothingSprung();
  ::umount2("t", MNT_DETACH);
}

}  // namespace
