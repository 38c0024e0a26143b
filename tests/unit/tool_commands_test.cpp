// The host tool: pack writes what the stub reads or refuses; failures in the stub's words.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "core_test.h"
#include "ombrix/extract_command.h"
#include "ombrix/tool_messages.h"

namespace {

namespace fs = std::filesystem;
using platform_double::Fault;

constexpr uint32_t kTime = 1700000000;

class ToolCommandsTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    for (const char* name :
         {"tree/a.txt", "tree/ro.txt", "tree/sub/b.bin", "top/!", "top/back\\slash", "notice.txt"})
      WriteFile(name, Bytes(name));
    WriteFile("stub.exe", Bytes("MZ" + std::string(1998, 'S')));
    WriteFile("small.exe", Bytes("MZ" + std::string(1000, 0)));
    WriteFile("kept.exe", Bytes("earlier"));
    fs::create_directories("tree/sub/deep");
    fs::create_directory_symlink(fs::absolute("tree"), "tree/ring");
  }
};

TEST_F(ToolCommandsTest, PackWritesWhatTheStubReadsOrRefusesAndKeepsTheEarlierFile) {
  const std::string title(40, 'T'), dir = "C:\\" + std::string(252, 'd');
  CheckCommand(
      "pack --stub=stub.exe -o full.exe --window-title=" + title +
          " --install-title=Where --dir=" + dir +
          " --command=go --auto-start --overwrite --check-value --no-date-compare --flags=0x30"
          " --keep-attributes --notice=notice.txt --script=tree/a.txt tree/ro.txt tree/sub",
      0, "");
  CheckCommand("info full.exe", 0,
               "~archive offset   2000 (0x7d0)\nwindow title     \"" + title +
                   "\"\ninstall title    \"Where\"\n" + "directory        \"" + dir +
                   "\"\ncommand          \"go\"\nflags            0x3f auto-start " +
                   "overwrite check-value no-date-compare 0x30\nkeep attributes  yes\nmethod");
  CheckCommand("test full.exe", 0,
               "!: OK\n$: OK\nro.txt: OK\nsub/: OK\nsub/b.bin: OK\nsub/deep/: OK\n");
  // The flag byte alone asks for a check value.
  const std::string flags = "pack --stub stub.exe --flags 4 tree/sub/b.bin tree/a.txt -o ";
  hooks().calls.clear();
  CheckCommand(flags + "flags.exe", 0, "");
  const int writes = hooks().calls[Fault::kWrite];
  CheckCommand("test flags.exe", 0, "b.bin: OK\na.txt: OK\n");

  // Refused, also when it cannot write a part of its output, read it back or put it in place.
  const auto refused = [this](const std::string& words, const std::string& named) {
    CheckCommand("pack -o kept.exe " + words, 1, "", "~" + named);
  };
  refused("--plain top/!", "\"!\""), refused("--plain top/back\\slash", "\"back\\slash\"");
  refused("--plain tree/a.txt tree/a.txt", "\"a.txt\""), refused("--plain tree", "/tree/ring\"");
  refused("--plain --base=tree/sub tree/a.txt", "\"tree/a.txt\""), refused("--plain x", "/x\"");
  refused("--stub=small.exe tree/a.txt", "\"small.exe\"");
  refused("--stub=kept.exe tree/a.txt", "\"kept.exe\"");
  refused("--stub=stub.exe tree/a.txt --window-title=T" + title, "window title");
  refused("--stub=stub.exe tree/a.txt --command=" + std::string(256, 'c'), "command");
  for (int k = 0; k < writes; ++k) {
    hooks().callsBeforeFailure = {{Fault::kWrite, k}};
    CheckCommand(flags + "kept.exe", 1, "", "cannot write \"kept.exe\": Input/output error\n");
  }
  hooks().callsBeforeFailure = {{Fault::kRead, 2}};
  CheckCommand(flags + "kept.exe", 1, "", "~" + FormatMessage(kOutputRejected, "kept.exe"));
  hooks().callsBeforeFailure = {};
  CheckCommand(flags + "missing/out.exe", 1, "",
               "cannot write \"missing/out.exe\": No such file or directory\n");
  for (const auto& entry : fs::directory_iterator("."))
    EXPECT_FALSE(entry.path().string().starts_with("./kept.exe."));
  EXPECT_EQ(ReadFileBytes("kept.exe"), Bytes("earlier"));
}

// The reserved members stay in the archive, the rest land where the stub would put them, and a
// name that leads up out of the target is a bad header, as in the stub's walk.
TEST_F(ToolCommandsTest, ExtractionKeepsToTheTarget) {
  WriteFile("names.lzh",
            BuildArchive(std::vector<Member>{
                TextMember("", "!"), TextMember("", "$"), TextMember(kSep + "r" + kSep, "rooted"),
                TextMember("C:" + kSep, "drive"), TextMember("", "after"),
                TextMember("in" + kSep + ".." + kSep + ".." + kSep, "up")}));
  CheckCommand("extract -d n names.lzh", 1, "", "\"names.lzh\" Bad header\n");
  for (const char* file : {"n/r/rooted", "n/drive", "n/after"})
    EXPECT_TRUE(fs::exists(file)) << file;
  for (const char* file : {"n/!", "n/$", "up"}) EXPECT_FALSE(fs::exists(file)) << file;
}

// Per member a.txt, d/b.txt (compressed) and c.txt (read-only): '+' written whole with its time
// and attributes, '-' never made, 'x' deleted by the program, 'T' without its time, 'A' without
// its attributes; then the status and each message. A member that fails is passed over; a failed
// read of the archive ends the extraction.
// clang-format off
const std::pair<Fault, std::vector<std::string>> kExtractFaults[] = {
    {Fault::kCreate, {"--- 1; Open ERROR x/a.txt; Open ERROR x/d/b.txt; Open ERROR x/c.txt",
                      "+-- 1; Open ERROR x/d/b.txt; Open ERROR x/c.txt", "++- 1; Open ERROR x/c.txt"}},
    {Fault::kWrite, {"xxx 1; Write ERROR x/a.txt; Write ERROR x/d/b.txt; Write ERROR x/c.txt",
                     "+xx 1; Write ERROR x/d/b.txt; Write ERROR x/c.txt", "++x 1; Write ERROR x/c.txt"}},
    {Fault::kRead, {"--- 1; Read ERROR|--- 0", "--- 1; Read ERROR|--- 0", "--- 1; Bad header",
                    "--- 1; Read ERROR|--- 0", "--- 1; Bad header", "x-- 1; Read ERROR|x-- 1; Unexpeted EOF",
                    "+-- 1; Read ERROR|+-- 0", "+-- 1; Bad header", "+x- 1; Read ERROR|+x- 1; Unexpeted EOF",
                    "++- 1; Read ERROR|++- 0", "++- 1; Bad header", "++x 1; Read ERROR|++x 1; Unexpeted EOF",
                    "+++ 1; Read ERROR|+++ 0"}},
    // The last three are where a failing member would be passed over from: no member fails.
    {Fault::kSeek, {"--- 1; Read ERROR", "--- 1; Read ERROR", "--- 1; Read ERROR",
                    "--- 1; Read ERROR", "--- 1; Read ERROR", "+++ 0", "+++ 0", "+++ 0"}},
    {Fault::kClose, {"xxx 1; Close ERROR x/a.txt; Close ERROR x/d/b.txt; Close ERROR x/c.txt",
                     "+xx 1; Close ERROR x/d/b.txt; Close ERROR x/c.txt", "++x 1; Close ERROR x/c.txt"}},
    {Fault::kSetTime, {"TTT 0", "+TT 0", "++T 0"}},
    {Fault::kSetAttributes, {"++A 0", "++A 0", "++A 0"}},
    // The target directory is made before the walk, so only d/ can be missing.
    {Fault::kMakeDirectory, {"+-+ 1; Open ERROR x/d/b.txt", "+-+ 1; Open ERROR x/d/b.txt",
                             "+-+ 1; Open ERROR x/d/b.txt", "+++ 0"}},
};
// clang-format on

// Each operation failing from each of its calls on: reads and writes outright, then halfway.
TEST_F(ToolCommandsTest, EveryFaultOfAnExtractionAtEveryPoint) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"a.txt", "alpha"}, {"d/b.txt", std::string(300, 'b')}, {"c.txt", "gamma"}};
  for (const auto& [name, bytes] : files) SetFileTime(WriteFile("m/" + name, Bytes(bytes)), kTime);
  ::chmod("m/c.txt", 0444);
  CheckCommand(
      "pack --stub=stub.exe -o prog.exe --keep-attributes --script=notice.txt --base=m m/a.txt "
      "m/d/b.txt m/c.txt",
      0, "");
  const auto outcome = [&] {
    fs::remove_all("x");
    hooks().boxes.clear(), hooks().deletedFiles.clear(), hooks().calls.clear();
    const int status = RunToolCommand([] { return ExtractArchive("prog.exe", "x"); });
    std::string state;
    for (const auto& [name, bytes] : files) {
      const std::string path = "x/" + name;
      struct stat got {};
      state += ::stat(path.c_str(), &got) != 0
                   ? (std::ranges::count(hooks().deletedFiles, path) ? 'x' : '-')
               : ReadFileBytes(path) != Bytes(bytes)           ? '?'
               : got.st_mtime != kTime                         ? 'T'
               : !(got.st_mode & S_IWUSR) != (name == "c.txt") ? 'A'
                                                               : '+';
    }
    return state + " " + std::to_string(status) + BoxMessages("prog.exe");
  };
  const int freeAtStart = LowestFreeDescriptor();
  ASSERT_EQ(outcome(), "+++ 0");
  const std::map<Fault, int> points = hooks().calls;
  for (const auto& [fault, expected] : kExtractFaults) {
    EXPECT_EQ(expected.size(), size_t(points.at(fault))) << int(fault) << ": not every point";
    for (int k = 0; k < int(expected.size()) * 2; ++k) {  // the second time halfway, if it can
      hooks().callsBeforeFailure = {{fault, k % int(expected.size())}};
      hooks().failHalfway = k >= int(expected.size());
      // "outright|halfway" where the two differ: a half-read header size is the archive's end.
      const std::string& row = expected[k % expected.size()];
      const size_t bar = row.find('|');  // npos + 1 is 0
      EXPECT_EQ(outcome(), hooks().failHalfway ? row.substr(bar + 1) : row.substr(0, bar))
          << int(fault) << " from call " << k;
    }
  }
  EXPECT_EQ(LowestFreeDescriptor(), freeAtStart) << "a file left open";
}

}  // namespace
