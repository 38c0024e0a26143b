// Start-up: the command line against the settings flags, and the main procedure up to the dialog.
#include <cstring>

#include "base/messages.h"
#include "base/settings_block.h"
#include "core_test.h"
#include "startup/command_line.h"
#include "startup/main_procedure.h"
#include "ui/main_dialog.h"

namespace {

std::vector<std::string> shown;  // what each dialog would have shown

// The host has no dialog: this one records what it would show and ends as if cancelled.
int RecordDialog(void*, PassArea& area, SetupState&, DialogState&) {
  const RunContext& run = area.run;
  shown.push_back(std::string(run.settings.windowTitle) + "|" + run.settings.installDir + "|" +
                  std::to_string(run.options.autoStart) + std::to_string(run.options.dateCompare) +
                  std::to_string(run.options.overwriteSilently));
  return 7;
}

using StartupTest = CoreTest;

// Auto-start, date comparison and the directory (255 bytes, without splitting a double-byte
// character) after the tail and the flags.
TEST_F(StartupTest, TailsResolveAgainstTheFlags) {
  const std::string d254(254, 'd');
  // clang-format off
  const std::tuple<std::string, uint8_t, std::string> cases[] = {
      {"", kFlagAutoStart | kFlagNoDateCompare, "10"},
      {"C:\\Setup", 0, "01"}, {"word C:\\Setup", 0, "01 C:\\Setup"},  // the first is no directory
      {"-n\tC:\\Dir -c", 0, "11 C:\\Dir"},  // nothing after the directory counts
      {"\"-c-\" -n", kFlagNoDateCompare, "10"}, {"-N -C", 0, "10"}, {"-nothing -x", 0, "11"},
      {"-n -n- -c -c-", kFlagAutoStart, "01"}, {"-n C:\\\"a b\"\\c", 0, "11 C:\\a b\\c"},
      {"-n \"C:\\a b", 0, "11 C:\\a b"}, {"-n " + d254 + "dd", 0, "11 " + d254 + "d"},
      {"-n " + d254 + "\x95\x5Cz", 0, "11 " + d254},
  };
  // clang-format on
  hooks().isLeadByte = platform_double::ShiftJisLeadByte;
  for (const auto& [tail, flags, expected] : cases) {
    TokenList tokens = TokenizeCommandTail(tail.c_str());
    const CommandOptions options = ReadOptions(tokens);
    FreeTokens(tokens);
    EXPECT_EQ(std::to_string(ResolveAutoStart(options.autoStart, flags)) +
                  std::to_string(ResolveDateCompare(options.noDateCompare, flags)) +
                  (options.dirGiven ? " " + std::string(options.dir) : ""),
              expected)
        << tail;
  }
}

// A failed scan or allocation ends without the dialog; the settings are read as far as they go.
TEST_F(StartupTest, TheMainProcedureShowsTheDialogOnlyAfterASoundScan) {
  const auto program = [this](const char* tail, const SettingsBlock& block, size_t size = 2049) {
    std::vector<uint8_t> bytes(2049, 0);
    bytes[0] = 'M', bytes[1] = 'Z';
    std::memcpy(bytes.data() + kSettingsOffset, &block, sizeof block);
    bytes.resize(size);
    hooks().moduleFileName = WriteFile("prog.exe", bytes), hooks().currentDirectory = "C:\\Current";
    return RunProgram(nullptr, tail, RecordDialog);
  };
  const uint8_t all = kFlagAutoStart | kFlagNoDateCompare | kFlagOverwrite;
  EXPECT_EQ(program("", {2048, {}, {}, {}, {}, {}, all, 0}), 7);
  EXPECT_EQ(program("-n \"D:\\From Line\"", {2048, {}, {}, "C:\\Block", {}, {}, 0, 0}), 7);
  EXPECT_EQ(program("", {1u << 20, "Truncated", {}, {}, {}, {}, 0, 0}, kSettingsOffset + 8), 0);
  hooks().allocationsBeforeFailure = 0;
  EXPECT_EQ(RunProgram(nullptr, "", RecordDialog), 0);
  const std::string caption = kDefaultCaption, path = "\"" + hooks().moduleFileName + "\" ";
  EXPECT_EQ(shown, (std::vector<std::string>{caption + "|C:\\Current|101",
                                             caption + "|D:\\From Line|110"}));
  std::vector<std::string> boxes;
  for (const auto& box : hooks().boxes) boxes.push_back(box.caption + ": " + box.text);
  EXPECT_EQ(boxes, (std::vector<std::string>{"Trun: " + path + kUnexpectedEof,
                                             caption + ": " + kNotEnoughMemory}));
}

}  // namespace
