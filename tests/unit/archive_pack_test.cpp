// `ombrix pack` and `ombrix info` against the core: what the packer writes must be what the
// stub reads, and info must walk it with the stub's verdicts.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "archive/archive_pass.h"
#include "archive_fixture.h"
#include "ombrix/commands.h"
#include "ombrix/info_command.h"
#include "ombrix/pack_command.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "startup/messages.h"
#include "startup/settings_block.h"
#include "startup/text.h"

namespace {

namespace fs = std::filesystem;

constexpr time_t kFileTime = 1700000000;  // 2023-11-14T22:13:20Z

void SetTime(const fs::path& path) {
  const timespec times[2] = {{kFileTime, 0}, {kFileTime, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class PackTest : public ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    tree_ = TempPath("tree");
    Put("tree/a.txt", "alpha");
    Put("tree/ro.txt", "read only");
    ::chmod((tree_ / "ro.txt").c_str(), 0444);
    Put("tree/sub/b.bin", std::string(5000, '\x7F'));
    fs::create_directories(tree_ / "sub" / "deep");
    for (const auto& entry : fs::recursive_directory_iterator(tree_)) SetTime(entry.path());
    SetTime(tree_);
    stub_ = std::vector<uint8_t>(2000, 0x90);
    stub_[0] = 'M';
    stub_[1] = 'Z';
    stubPath_ = WriteFile("stub.exe", stub_);
    outPath_ = TempPath("out.exe");
  }

  void Put(const std::string& name, const std::string& text) {
    fs::create_directories(fs::path(TempPath(name)).parent_path());
    WriteFile(name, Bytes(text));
  }

  // Runs the tool's command line; its exit status.
  int RunTool(std::vector<std::string> args) {
    CLI::App app;
    app.require_subcommand(1);
    int status = 0;
    AddCommands(app, status);
    args.insert(args.begin(), "ombrix");
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
      app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& error) {
      return app.exit(error);
    }
    return status;
  }

  // Reads the packed file as the stub does at start-up.
  void LoadPacked() {
    CopyText(work->modulePath, kPathCapacity, outPath_.c_str());
    ReadSettingsBlock();
  }

  PackOptions PlainOptions() {
    PackOptions options;
    options.plain = true;
    options.outPath = outPath_;
    options.paths = {tree_.string()};
    return options;
  }

  std::string Info() {
    std::ostringstream out;
    infoStatus_ = ShowArchiveInfo(outPath_, out);
    return out.str();
  }

  fs::path tree_;
  std::vector<uint8_t> stub_;
  std::string stubPath_;
  std::string outPath_;
  int infoStatus_ = -1;
};

TEST_F(PackTest, CommandLineReachesTheSettingsBlockAndTheStubReadsTheArchive) {
  const std::string title(40, 'T');
  const std::string dir = "C:\\" + std::string(252, 'd');
  Put("notice.txt", "Read me.");
  Put("script.txt", "$Command=setup.exe\r\n");
  ASSERT_EQ(RunTool({"pack", "--stub=" + stubPath_, "-o", outPath_, "--window-title=" + title,
                     "--install-title=Where to", "--dir=" + dir, "--command=setup.exe /q",
                     "--auto-start", "--overwrite", "--check-value", "--no-date-compare",
                     "--flags=0x30", "--keep-attributes", "--notice=" + TempPath("notice.txt"),
                     "--script=" + TempPath("script.txt"), tree_.string()}),
            0);

  const std::vector<uint8_t> packed = ReadFileBytes(outPath_);
  EXPECT_TRUE(std::equal(stub_.begin(), stub_.begin() + kSettingsOffset, packed.begin()));
  EXPECT_TRUE(std::equal(stub_.begin() + kSettingsOffset + kSettingsSize, stub_.end(),
                         packed.begin() + kSettingsOffset + kSettingsSize));
  LoadPacked();
  const SettingsBlock& settings = work->settings;
  EXPECT_EQ(uint32_t{settings.archiveOffset}, stub_.size());
  EXPECT_EQ(settings.windowTitle, title);
  EXPECT_EQ(settings.installTitle, std::string("Where to"));
  EXPECT_EQ(settings.installDir, dir);
  EXPECT_EQ(settings.command, std::string("setup.exe /q"));
  EXPECT_EQ(settings.flags, 0x3F);
  EXPECT_EQ(settings.keepAttributes, 1);

  EXPECT_EQ(Walk(), (std::vector<WalkedMember>{{"!", '0', 0x20},
                                               {"$", '0', 0x20},
                                               {"tree/", 'd', 0x10},
                                               {"tree/a.txt", '0', 0x20},
                                               {"tree/ro.txt", '0', 0x21},
                                               {"tree/sub/", 'd', 0x10},
                                               {"tree/sub/b.bin", '0', 0x20},
                                               {"tree/sub/deep/", 'd', 0x10}}));
  EXPECT_EQ(RunArchivePass(nullptr, kScanMode), 1);
}

TEST_F(PackTest, NamesFollowTheBase) {
  struct Case {
    std::optional<std::string> base;
    std::vector<std::string> paths;
    std::vector<std::string> names;
  };
  const std::string tree = tree_.string();
  const Case cases[] = {
      {tree, {tree + "/sub"}, {"sub/", "sub/b.bin", "sub/deep/"}},
      {tree, {tree + "/"}, {"a.txt", "ro.txt", "sub/", "sub/b.bin", "sub/deep/"}},
      {std::nullopt, {tree + "/sub/b.bin", tree + "/a.txt"}, {"b.bin", "a.txt"}},
      {TempPath(""), {tree + "/sub/../a.txt"}, {"tree/a.txt"}},
  };
  for (const Case& c : cases) {
    PackOptions options = PlainOptions();
    options.base = c.base;
    options.paths = c.paths;
    Pack(options);
    UseArchive(ReadFileBytes(outPath_));
    std::vector<std::string> names;
    for (const WalkedMember& member : Walk()) names.push_back(member.path);
    EXPECT_EQ(names, c.names) << c.paths[0];
  }
}

TEST_F(PackTest, RefusesWhatTheStubCouldNotUse) {
  Put("top/!", "x");
  Put("top/back\\slash", "x");
  const std::string longPath = "top/" + std::string(200, 'd') + "/" + std::string(59, 'f');
  Put(longPath, "x");
  fs::create_directory_symlink(tree_, tree_ / "sub" / "loop");
  Put("small.exe", "MZ" + std::string(1000, '\0'));
  Put("pe.exe", std::string(2000, 'P'));
  const std::string top = TempPath("top");
  const std::string tree = tree_.string();
  const auto stub = [](PackOptions& o, const std::string& path) {
    o.plain = false;
    o.stubPath = path;
  };

  struct Case {
    std::function<void(PackOptions&)> change;
    std::string message;
  };
  const Case cases[] = {
      {[&](auto& o) { o.paths = {top + "/!"}; }, FormatMessage(kNameReserved, "!")},
      {[&](auto& o) { o.paths = {top + "/back\\slash"}; },
       FormatMessage(kNameHasSeparator, "back\\slash")},
      {[&](auto& o) {
         o.base = TempPath("");
         o.paths = {top + "/" + std::string(200, 'd')};
       },
       FormatMessage(kNameTooLong, longPath.c_str(), size_t{259})},
      {[&](auto& o) {
         o.paths = {tree + "/a.txt", tree + "/a.txt"};
       },
       FormatMessage(kDuplicateName, "a.txt")},
      {[&](auto& o) {
         o.base = tree + "/sub";
         o.paths = {tree + "/a.txt"};
       },
       FormatMessage(kOutsideBase, (tree + "/a.txt").c_str(), (tree + "/sub").c_str())},
      {[&](auto& o) { o.paths = {tree}; },
       FormatMessage(kDirectoryLoop, (tree + "/sub/loop").c_str())},
      {[&](auto& o) { o.paths = {TempPath("missing")}; },
       FormatMessage(kNotFound, TempPath("missing").c_str())},
      {[&](auto& o) {
         stub(o, TempPath("small.exe"));
         o.paths = {};
       },
       FormatMessage(kStubTooSmall, TempPath("small.exe").c_str(), size_t{1002})},
      {[&](auto& o) { stub(o, TempPath("pe.exe")); },
       FormatMessage(kNotAStub, TempPath("pe.exe").c_str())},
      {[&](auto& o) {
         stub(o, stubPath_);
         o.settings.windowTitle = std::string(41, 'T');
       },
       FormatMessage(kTextTooLong, kWindowTitleField, size_t{40})},
      {[&](auto& o) {
         stub(o, stubPath_);
         o.settings.command = std::string(256, 'c');
       },
       FormatMessage(kTextTooLong, kCommandField, size_t{255})},
  };
  Put("out.exe", "earlier");
  const auto before = std::distance(fs::directory_iterator(tempDir_), {});
  for (const Case& c : cases) {
    PackOptions options = PlainOptions();
    c.change(options);
    try {
      Pack(options);
      ADD_FAILURE() << "packed: " << c.message;
    } catch (const ToolError& error) {
      EXPECT_EQ(error.what(), c.message);
    }
    EXPECT_EQ(ReadFileBytes(outPath_), Bytes("earlier")) << c.message;
    EXPECT_EQ(std::distance(fs::directory_iterator(tempDir_), {}), before) << c.message;
  }
}

// The flag byte alone asks for a check value too, and the stub would then take the first two bytes
// of the archive for one.
TEST_F(PackTest, CheckValueAskedForThroughTheRawFlagsIsWritten) {
  ASSERT_EQ(RunTool({"pack", "--stub", stubPath_, "-o", outPath_, "--flags", "4",
                     tree_.string() + "/a.txt"}),
            0);
  EXPECT_NE(Info().find("(matches)"), std::string::npos);
  EXPECT_EQ(infoStatus_, 0);
}

TEST_F(PackTest, InfoListsSettingsMembersAndTheCheckValue) {
  ASSERT_EQ(RunTool({"pack", "--stub", stubPath_, "-o", outPath_, "--window-title", "Demo",
                     "--check-value", "--overwrite", "--flags", "0x80", tree_.string() + "/ro.txt",
                     tree_.string() + "/sub"}),
            0);
  const std::string info = Info();
  EXPECT_EQ(infoStatus_, 0);
  for (const char* line :
       {"archive offset   2000 (0x7d0)\n", "window title     \"Demo\"\n",
        "flags            0x86 overwrite check-value 0x80\n", "keep attributes  no\n",
        "-lh0-          9          9  0xbbd3  2023-11-14T22:13:20Z  R---A  W     ro.txt\n",
        "-lhd-          0          0  0x0000  2023-11-14T22:13:20Z  ---D-  W     sub/\n",
        "check value      0x"}) {
    EXPECT_NE(info.find(line), std::string::npos) << line << "\nin:\n" << info;
  }
  EXPECT_NE(info.find("(matches)"), std::string::npos) << info;
  EXPECT_TRUE(hooks().boxes.empty());
}

TEST_F(PackTest, InfoFailsWithTheStubsWords) {
  ASSERT_EQ(RunTool({"pack", "--stub", stubPath_, "-o", outPath_, "--check-value",
                     tree_.string() + "/a.txt", tree_.string() + "/ro.txt"}),
            0);
  std::vector<uint8_t> packed = ReadFileBytes(outPath_);
  packed[stub_.size()] ^= 1;  // the check value
  WriteFile("out.exe", packed);
  const std::string tampered = Info();
  EXPECT_EQ(infoStatus_, 1);
  EXPECT_NE(tampered.find("ro.txt\n"), std::string::npos);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"\"" + outPath_ + "\" " + kTamperedData});

  packed[stub_.size()] ^= 1;
  packed[stub_.size() + 2 + kTimeStampOffset] ^= 1;  // inside the first header
  WriteFile("out.exe", packed);
  hooks().boxes.clear();
  const std::string bad = Info();
  EXPECT_EQ(infoStatus_, 1);
  EXPECT_EQ(bad.find("a.txt"), std::string::npos);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"\"" + outPath_ + "\" " + kBadHeader});
}

TEST_F(PackTest, PlainArchiveHasNoSettingsAndIsWalkedFromItsStart) {
  Pack(PlainOptions());
  const std::vector<uint8_t> packed = ReadFileBytes(outPath_);
  ASSERT_GT(packed.size(), 2u);
  EXPECT_EQ(packed[kMethodOffset], '-');
  const std::string info = Info();
  EXPECT_EQ(infoStatus_, 0);
  EXPECT_EQ(info.find("archive offset"), std::string::npos);
  EXPECT_NE(info.find("tree/sub/b.bin\n"), std::string::npos);
  EXPECT_EQ(packed.back(), 0);
}

TEST_F(PackTest, CommandLineMistakes) {
  EXPECT_EQ(RunTool({"pack", "-o", outPath_, tree_.string()}), 1);  // no stub
  EXPECT_NE(RunTool({"pack", "--plain", "--stub", stubPath_, "-o", outPath_}), 0);
  EXPECT_NE(RunTool({"pack", "--stub", stubPath_, "-o", outPath_, "--flags", "256"}), 0);
  EXPECT_FALSE(fs::exists(outPath_));
}

}  // namespace
