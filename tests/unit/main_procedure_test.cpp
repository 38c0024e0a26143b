#include "startup/main_procedure.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "startup/messages.h"
#include "test_support.h"

namespace {

// What the dialog would see: the settings and switches after the scan.
struct DialogView {
  bool shown = false;
  std::string windowTitle;
  std::string installDir;
  int autoStart = -1;
  int dateCompare = -1;
  int overwriteSilently = -1;
  bool operator==(const DialogView&) const = default;
};

class MainProcedureTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    // RunProgram allocates its own work area.
    platform::Release(work);
    work = nullptr;
    hooks().currentDirectory = "C:\\Current";
    hooks().mainDialog = [this] {
      view_.shown = true;
      view_.windowTitle = work->settings.windowTitle;
      view_.installDir = work->settings.installDir;
      view_.autoStart = program.autoStart;
      view_.dateCompare = program.dateCompare;
      view_.overwriteSilently = program.overwriteSilently;
      return 1;
    };
  }

  // A program file whose archive area holds only the end mark.
  std::string ProgramFile(const SettingsBlock& settings, size_t imageSize = 2048) {
    std::vector<uint8_t> bytes(imageSize, 0);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    std::memcpy(bytes.data() + kSettingsOffset, &settings, sizeof settings);
    bytes.push_back(0);
    hooks().moduleFileName = WriteFile("prog.exe", bytes);
    return hooks().moduleFileName;
  }

  static SettingsBlock Block(const char* title, const char* dir, uint8_t flags) {
    SettingsBlock block{};
    block.archiveOffset = 2048;
    std::strcpy(block.windowTitle, title);
    std::strcpy(block.installDir, dir);
    block.flags = flags;
    return block;
  }

  DialogView view_;
};

struct DialogCase {
  const char* title;
  const char* dir;
  uint8_t flags;
  const char* tail;
  DialogView view;
};

const DialogCase kDialogCases[] = {
    {"Viewer Setup",
     "C:\\Viewer",
     kFlagAutoStart | kFlagOverwrite | 0x30,
     "-n- -c",
     {true, "Viewer Setup", "C:\\Viewer", 0, 0, 1}},
    {"", "", 0, "", {true, kDefaultCaption, "C:\\Current", 0, 1, 0}},
    {"",
     "C:\\FromBlock",
     0,
     "-n \"D:\\From Line\"",
     {true, kDefaultCaption, "D:\\From Line", 1, 1, 0}},
};

TEST_F(MainProcedureTest, SettingsOptionsAndDefaultsReachTheDialog) {
  for (const DialogCase& c : kDialogCases) {
    view_ = {};
    ProgramFile(Block(c.title, c.dir, c.flags));
    EXPECT_EQ(RunProgram(nullptr, c.tail), 1);
    EXPECT_EQ(view_, c.view) << c.tail;
    EXPECT_EQ(work, nullptr) << "work area not released";
  }
}

TEST_F(MainProcedureTest, ScanFailureEndsWithoutDialog) {
  SettingsBlock unpackaged{};
  const std::string path = ProgramFile(unpackaged);
  EXPECT_EQ(RunProgram(nullptr, ""), 0);
  EXPECT_FALSE(view_.shown);
  ASSERT_EQ(hooks().boxes.size(), 1u);
  EXPECT_EQ(hooks().boxes[0].text, "\"" + path + "\" Bad header");
  EXPECT_EQ(hooks().boxes[0].caption, kDefaultCaption);
  EXPECT_EQ(hooks().boxes[0].owner, nullptr);
}

TEST_F(MainProcedureTest, ArchiveOffsetPastTheEnd) {
  SettingsBlock block = Block("T", "", 0);
  block.archiveOffset = 1u << 20;
  ProgramFile(block);
  EXPECT_EQ(RunProgram(nullptr, ""), 0);
  EXPECT_NE(BoxTexts().at(0).find("Unexpeted EOF"), std::string::npos);
  EXPECT_EQ(hooks().boxes[0].caption, "T");
}

TEST_F(MainProcedureTest, ShortFileLeavesTheRestOfTheBlockZero) {
  // The file ends inside the window title: the title is cut there, the flags stay zero.
  SettingsBlock block = Block("Truncated", "", kFlagAutoStart);
  std::vector<uint8_t> bytes(kSettingsOffset, 0);
  bytes.resize(kSettingsOffset + 8);
  std::memcpy(bytes.data() + kSettingsOffset, &block, 8);
  hooks().moduleFileName = WriteFile("short.exe", bytes);
  RunProgram(nullptr, "");
  EXPECT_EQ(work->settings.windowTitle, std::string("Trun"));
  EXPECT_EQ(work->settings.flags, 0);
}

TEST_F(MainProcedureTest, NoMemoryForTheWorkArea) {
  hooks().allocationsBeforeFailure = 0;
  EXPECT_EQ(RunProgram(nullptr, ""), 0);
  ASSERT_EQ(hooks().boxes.size(), 1u);
  EXPECT_EQ(hooks().boxes[0].text, "Not enough memory");
  EXPECT_EQ(hooks().boxes[0].caption, kDefaultCaption);
  EXPECT_EQ(hooks().boxes[0].style, platform::kBoxTaskModal | platform::kBoxIconError);
}

}  // namespace
