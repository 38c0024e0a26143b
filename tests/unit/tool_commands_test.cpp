// The host tool's command lines: what pack writes is what the stub reads, what the stub could not
// use is refused, and failures come in the stub's words, with the stub's clean-up.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "core_test.h"
#include "ombrix/extract_command.h"
#include "ombrix/packer.h"

namespace {

namespace fs = std::filesystem;
using platform::posix::Fault;

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

int LowestFreeDescriptor() {
  const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  return ::close(probe), probe;
}

// Per member a.txt, d/b.txt (compressed) and c.txt (read-only): '+' written whole with its time
// and attributes, '-' never made, 'x' deleted by the program, 'T' without its time, 'A' without
// its attributes; then the status and each message.
// clang-format off
const std::pair<Fault, std::vector<std::string>> kExtractFaults[] = {
    {Fault::kCreate, {"--- 1; Open ERROR x/a.txt", "+-- 1; Open ERROR x/d/b.txt",
                      "++- 1; Open ERROR x/c.txt"}},
    {Fault::kWrite, {"x-- 1; Write ERROR x/a.txt", "+x- 1; Write ERROR x/d/b.txt",
                     "++x 1; Write ERROR x/c.txt"}},
    {Fault::kRead, {"--- 0", "--- 0", "--- 1; Bad header", "--- 0", "--- 1; Bad header",
                    "x-- 1; Read ERROR", "+-- 0", "+-- 1; Bad header", "+x- 1; Read ERROR", "++- 0",
                    "++- 1; Bad header", "++x 1; Read ERROR", "+++ 0"}},
    {Fault::kSeek, {"--- 1; Read ERROR", "--- 1; Read ERROR", "--- 1; Read ERROR",
                    "--- 1; Read ERROR"}},
    {Fault::kClose, {"x-- 1; Close ERROR x/a.txt", "+x- 1; Close ERROR x/d/b.txt",
                     "++x 1; Close ERROR x/c.txt"}},
    {Fault::kSetTime, {"TTT 0", "+TT 0", "++T 0"}},
    {Fault::kSetAttributes, {"++A 0", "++A 0", "++A 0"}},
    {Fault::kMakeDirectory, {"--- 1; Open ERROR x/a.txt", "+-- 1; Open ERROR x/d/b.txt",
                             "+-- 1; Open ERROR x/d/b.txt", "+++ 0"}},
};
// clang-format on

// The tool's extraction with each operation failing from each of its calls on, as a failing disk
// goes on failing; reads and writes also come back with half of what was asked, then nothing.
TEST_F(ToolCommandsTest, EveryFaultOfAnExtractionAtEveryPointAndOfAPack) {
  const std::vector<std::pair<std::string, std::string>> files = {
      {"a.txt", "alpha"}, {"d/b.txt", std::string(300, 'b')}, {"c.txt", "gamma"}};
  const timespec times[2] = {{kTime, 0}, {kTime, 0}};  // in DOS's 2-second grain
  for (const auto& [name, bytes] : files) {
    ::utimensat(AT_FDCWD, WriteFile("m/" + name, Bytes(bytes)).c_str(), times, 0);
  }
  ::chmod("m/c.txt", 0444);
  Check(
      "pack --stub=stub.exe -o prog.exe --keep-attributes --script=notice.txt --base=m m/a.txt "
      "m/d/b.txt m/c.txt --level=1",
      0, "");
  const auto outcome = [&] {
    fs::remove_all("x");
    hooks().boxes.clear(), hooks().deletedFiles.clear(), hooks().calls.clear();
    hooks().readSizes.clear();
    const int freeBefore = LowestFreeDescriptor();
    const int status = RunToolCommand([] { return ExtractArchive("prog.exe", "x"); });
    EXPECT_EQ(LowestFreeDescriptor(), freeBefore) << "a file left open";
    std::string state;
    for (const auto& [name, bytes] : files) {
      const std::string path = "x/" + name;
      struct stat info {
      }, source{};
      ::stat(("m/" + name).c_str(), &source);
      if (::stat(path.c_str(), &info) != 0) {
        state +=
            std::count(hooks().deletedFiles.begin(), hooks().deletedFiles.end(), path) ? 'x' : '-';
      } else {
        state += ReadFileBytes(path) != Bytes(bytes)         ? '?'
                 : info.st_mtime != source.st_mtime          ? 'T'
                 : (info.st_mode ^ source.st_mode) & S_IWUSR ? 'A'
                                                             : '+';
      }
    }
    return state + " " + std::to_string(status) + BoxMessages("prog.exe");
  };
  ASSERT_EQ(outcome(), "+++ 0");
  const std::map<Fault, int> points = hooks().calls;
  const std::vector<uint32_t> reads = hooks().readSizes;
  for (const auto& [fault, expected] : kExtractFaults) {
    EXPECT_EQ(expected.size(), size_t(points.at(fault))) << int(fault) << ": not every point";
    const bool sized = fault == Fault::kRead || fault == Fault::kWrite;
    for (int shortened = 0; shortened <= sized; ++shortened) {
      for (uint32_t k = 0, before = 0; k < expected.size(); ++k) {
        const uint32_t size = !shortened              ? 0
                              : fault == Fault::kRead ? reads[k]
                                                      : uint32_t(files[k].second.size());
        hooks().callsBeforeFailure = {};
        hooks().readBytesBeforeFailure = hooks().writeBytesBeforeFailure = -1;
        if (!shortened) hooks().callsBeforeFailure[fault] = k;
        if (shortened) {
          (fault == Fault::kRead ? hooks().readBytesBeforeFailure
                                 : hooks().writeBytesBeforeFailure) = before + size / 2;
        }
        EXPECT_EQ(outcome(), expected[k])
            << int(fault) << " at call " << k << (shortened ? " short" : "");
        before += size;
      }
    }
  }

  // A pack that cannot write its output, cut by a file size limit in the stub, the settings, the
  // members or the end mark, or sent into a missing directory or over a directory, or whose
  // check walk cannot read what it wrote, leaves nothing of it and the earlier file as it was.
  PackOptions options;  // as prog.exe was packed, with a check value besides
  options.stubPath = "stub.exe", options.settings.keepAttributes = true, options.base = "m";
  options.scriptPath = "notice.txt", options.paths = {"m/a.txt", "m/d/b.txt", "m/c.txt"};
  options.checkValue = true, options.compression.level = 1;
  const auto size = rlim_t(fs::file_size("prog.exe") + 2);
  const auto entries = [] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(".")) names.push_back(entry.path());
    return std::sort(names.begin(), names.end()), names;
  };
  const std::vector<std::string> before = entries();
  const auto pack = [&](const std::string& out, rlim_t limit) {
    options.outPath = out;
    rlimit unlimited{}, cut{};
    ::getrlimit(RLIMIT_FSIZE, &unlimited);
    cut = {limit, unlimited.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &cut);
    std::string error;
    try {
      Pack(options);
    } catch (const ToolError& failure) {
      error = failure.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(entries(), before) << out << " " << limit;
    return error;
  };
  hooks().callsBeforeFailure = {{Fault::kRead, 2}};
  EXPECT_EQ(pack("kept.exe", RLIM_INFINITY),
            "\"kept.exe\" was not written: the stub's walk "
            "refuses what was packed");
  hooks().callsBeforeFailure = {};
  for (const rlim_t limit : {rlim_t{0}, rlim_t{600}, rlim_t{1200}, size - 60, size - 1}) {
    EXPECT_EQ(pack("kept.exe", limit), "cannot write \"kept.exe\"") << limit;
  }
  EXPECT_EQ(pack("missing/out.exe", RLIM_INFINITY), "cannot write \"missing/out.exe\"");
  EXPECT_EQ(pack("m", RLIM_INFINITY), "cannot write \"m\"");
  EXPECT_EQ(ReadFileBytes("kept.exe"), Bytes("earlier"));
  EXPECT_EQ(pack("kept.exe", size), "");
  EXPECT_EQ(fs::file_size("kept.exe"), size);
}

}  // namespace
