// The host tool's command lines: what pack writes is what the stub reads, what the stub could not
// use is refused, and failures come in the stub's words, with the stub's clean-up.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>

#include "core_test.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kTime = 1700000000;  // 2023-11-14T22:13:20Z

class ToolCommandsTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    for (const char* name : {"tree/a.txt", "tree/ro.txt", "tree/sub/b.bin", "top/!",
                             "top/back\\slash", "notice.txt"}) {
      WriteFile(name, Bytes(name));
    }
    WriteFile("top/" + std::string(200, 'd') + "/" + std::string(59, 'f'), {});
    WriteFile("stub.exe", Bytes("MZ" + std::string(1998, 'S')));
    WriteFile("small.exe", Bytes("MZ" + std::string(1000, 0)));
    WriteFile("kept.exe", Bytes("earlier"));
    fs::create_directories("tree/sub/deep");
    fs::create_directory_symlink(fs::absolute("tree"), "tree/ring");
    ::chmod("tree/ro.txt", 0444);
    const timespec times[2] = {{kTime, 0}, {kTime, 0}};
    ::utimensat(AT_FDCWD, "tree/ro.txt", times, 0);
  }

  // Runs a command line: its status, its output and what follows "ombrix: " on standard error,
  // each exact, or with a leading '~' a part.
  void Check(const std::string& line, int status, const std::string& out,
             const std::string& err = "") {
    const ToolRun result = RunTool(line);
    const auto matches = [](const std::string& text, const std::string& expected) {
      return expected.starts_with('~') ? text.find(expected.substr(1)) != std::string::npos
                                       : text == expected;
    };
    EXPECT_EQ(result.status, status) << line;
    EXPECT_TRUE(matches(result.out, out)) << line << " wrote:\n" << result.out;
    EXPECT_TRUE(matches(result.err, err.empty() || err[0] == '~' ? err : "ombrix: " + err))
        << line << ": " << result.err;
  }
};

TEST_F(ToolCommandsTest, PackWritesWhatTheStubReadsOrRefusesAndKeepsTheEarlierFile) {
  const std::string title(40, 'T'), dir = "C:\\" + std::string(252, 'd');
  Check("pack --stub=stub.exe -o full.exe --window-title=" + title +
            " --install-title=Where --dir=" + dir +
            " --command=go --auto-start --overwrite --check-value --no-date-compare --flags=0x30"
            " --keep-attributes --notice=notice.txt --script=tree/a.txt tree/ro.txt tree/sub",
        0, "");
  Check("info full.exe", 0,
        "~archive offset   2000 (0x7d0)\nwindow title     \"" + title +
            "\"\ninstall title    \"Where\"\n" + "directory        \"" + dir +
            "\"\ncommand          \"go\"\nflags            0x3f auto-start " +
            "overwrite check-value no-date-compare 0x30\nkeep attributes  yes\nmethod");
  Check("info full.exe", 0, "~2023-11-14T22:13:20Z  R---A  W     ro.txt\n");
  Check("test full.exe", 0, "!: OK\n$: OK\nro.txt: OK\nsub/: OK\nsub/b.bin: OK\nsub/deep/: OK\n");
  std::vector<uint8_t> stub = ReadFileBytes("stub.exe"), full = ReadFileBytes("full.exe");
  std::copy_n(full.begin() + kSettingsOffset, kSettingsSize, stub.begin() + kSettingsOffset);
  EXPECT_TRUE(std::equal(stub.begin(), stub.end(), full.begin()));  // the stub stays as it was
  // The flag byte alone asks for a check value.
  Check("pack --stub stub.exe -o flags.exe --flags 4 tree/sub/b.bin tree/a.txt", 0, "");
  Check("test flags.exe", 0, "b.bin: OK\na.txt: OK\n");

  const std::string d200(200, 'd');
  Check("pack -o kept.exe --plain top/!", 1, "", "~\"!\"");
  Check("pack -o kept.exe --plain top/back\\slash", 1, "", "~\"back\\slash\"");
  Check("pack -o kept.exe --plain --base=. top/" + d200, 1, "",
        "~\"top/" + d200 + "/" + std::string(59, 'f'));
  Check("pack -o kept.exe --plain tree/a.txt tree/a.txt", 1, "", "~\"a.txt\"");
  Check("pack -o kept.exe --plain --base=tree/sub tree/a.txt", 1, "", "~\"tree/a.txt\"");
  Check("pack -o kept.exe --plain tree", 1, "", "~/tree/ring\"");
  Check("pack -o kept.exe --plain missing", 1, "", "~/missing\"");
  Check("pack -o kept.exe --stub=small.exe", 1, "", "~\"small.exe\"");
  Check("pack -o kept.exe --stub=kept.exe", 1, "", "~\"kept.exe\"");
  Check("pack -o kept.exe --stub=stub.exe --window-title=T" + title, 1, "", "~window title");
  Check("pack -o kept.exe --stub=stub.exe --command=" + std::string(256, 'c'), 1, "", "~command");
  for (const auto& entry : fs::directory_iterator("."))
    EXPECT_FALSE(entry.path().string().starts_with("./kept.exe."));
  EXPECT_EQ(ReadFileBytes("kept.exe"), Bytes("earlier"));
}

TEST_F(ToolCommandsTest, FailuresComeInTheStubsWordsWithItsCleanUp) {
  Member badCrc = TextMember("", "bad.txt");
  badCrc.dataCrc ^= 1;
  const auto archive = [this](const char* name, std::vector<Member> members) {
    WriteFile(name, BuildArchive(members));
  };
  archive("crc.lzh", {TextMember("", "good.txt", "g"), badCrc, TextMember("", "after.txt")});
  archive("cut.lzh",
          {TextMember("", "first.txt", "1"), TextMember("", "cut.txt", std::string(70000, 'c'))});
  fs::resize_file("cut.lzh", fs::file_size("cut.lzh") - 3);
  archive("reserved.lzh", {TextMember("", "!"), TextMember("", "$"),
                           TextMember(ToStoredDirName("d"), "abc", "abc")});
  std::vector<Member> names = {
      TextMember(kSep + "r" + kSep, "rooted", "r"), TextMember("C:" + kSep, "drive", "d"),
      TextMember("in" + kSep + ".." + kSep + ".." + kSep, "up"), TextMember("", "after", "a")};
  for (const char* macro : {"%WinDir%", "%SystemDir%", "%WORK%", "%ProgramFiles%", "%WinRoot%"})
    names.push_back(TextMember(macro + kSep, macro));
  archive("names.lzh", names);
  Check("test crc.lzh", 1, "good.txt: OK\n", "\"bad.txt\" CRC ERROR\n");
  Check("test cut.lzh", 1, "first.txt: OK\n", "\"cut.lzh\" Read ERROR\n");
  Check("extract -d r reserved.lzh", 0, "");
  Check("extract -d c crc.lzh", 1, "", "\"c/bad.txt\" CRC ERROR\n");
  Check("extract -d x cut.lzh", 1, "", "\"cut.lzh\" Read ERROR\n");
  Check("extract -d n names.lzh", 1, "", "~\"in/../../up\"");
  for (const char* file :
       {"r/d/abc", "c/good.txt", "x/first.txt", "n/r/rooted", "n/drive", "n/after",
        "n/WINDOWS/%WinDir%", "n/WINDOWS/SYSTEM/%SystemDir%", "n/WINDOWS/TEMP/%WORK%",
        "n/Program Files/%ProgramFiles%", "n/%WinRoot%"}) {
    EXPECT_TRUE(fs::exists(file)) << file;
  }
  for (const char* file : {"r/!", "r/$", "c/bad.txt", "x/cut.txt", "up"})
    EXPECT_FALSE(fs::exists(file)) << file;
  struct stat info {};
  EXPECT_EQ(::stat("r/d/abc", &info) == 0 ? info.st_mtime : 0, kTime);
}

}  // namespace
