// The directive walk over a text of exactly the input's size, and the script's first reading.
#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "fuzz_harness.h"
#include "setup/setup_fields.h"
#include "setup/setup_script.h"
#include "setup/setup_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  platform_double::ResetHooks().codePage932 = (data[0] & kScriptShiftJis) != 0;
  std::vector<char> text(data + 1, data + size);
  text.push_back('\0');
  char line[kLineCapacity];
  const char* cursor = text.data();
  for (const char* before = cursor;; before = cursor) {
    const int code = NextDirective(&cursor, line);
    CheckThat(cursor >= before && cursor <= &text.back(), "the cursor left the script");
    if (code == kNoDirective) break;
    CheckThat(cursor > before && code <= kAskRegist && AllTerminated(line), "a bad directive");
  }
  CheckThat(*cursor == '\0', "the walk stopped before the end");
  static RunContext run, before;
  static SetupState setup, setupBefore;
  run = RunContext{}, setup = SetupState{};
  if (data[0] & kScriptDirectoryPreset) CopyText(run.settings.installDir, kDirCapacity, "C:\\");
  std::memcpy(run.script, data + 1, std::min<size_t>(size - 1, kScriptCapacity));  // may lack a 0
  std::memcpy(&before, &run, sizeof run);
  std::memcpy(&setupBefore, &setup, sizeof setup);
  ParseSetupScript(run, setup);
  SettingsBlock& s = run.settings;
  CheckThat(AllTerminated(s.windowTitle, s.installTitle, s.installDir, s.command,
                          setup.classCheckText, setup.groupCheckText),
            "a field set by the script is not terminated");
  // It may change the settings' texts (a run of the block), the script's last byte, which it
  // clears, the boxes' labels (side by side) and the three switches at the start of setup.
  std::memcpy(before.settings.windowTitle, s.windowTitle, offsetof(SettingsBlock, reserved) - 4);
  std::memcpy(setupBefore.classCheckText, setup.classCheckText, 2 * sizeof setup.classCheckText);
  std::memcpy(&setupBefore, &setup, offsetof(SetupState, ddeState));
  before.script[kScriptCapacity - 1] = run.script[kScriptCapacity - 1];
  CheckThat(std::memcmp(&before, &run, sizeof run) == 0 &&
                std::memcmp(&setupBefore, &setup, sizeof setup) == 0,
            "the script changed what is not its fields");

  // The second reading, and the texts for the registry, WIN.INI and Program Manager made of each
  // line it carries out: whole, or as much of their start as fits.
  setup.classChecked = setup.groupChecked = 1;
  char out[64];  // shorter than many a text
  const auto wholeOrStart = [&out](const std::string& whole) {
    CheckThat(whole.starts_with(out) && strlen(out) == std::min(whole.size(), sizeof out - 1),
              "a text is neither whole nor the start of what it stands for");
  };
  cursor = run.script;
  for (int code; (code = NextActionLine(&cursor, setup)) != kNoDirective;) {
    CheckThat(AllTerminated(setup.classExt, setup.classTitle, setup.classKey, setup.groupName,
                            setup.itemTitle, setup.progPath, setup.iconPath),
              "a field without its end");
    const std::string program = setup.progPath, icon = setup.iconPath, ext = setup.classExt;
    CheckThat(
        (program + icon + ext + setup.groupName + setup.itemTitle).find('"') == std::string::npos,
        "a quote reached a field");
    if (code == kClass) {
      FormatOpenCommand(out, sizeof out, setup.progPath), wholeOrStart('"' + program + "\" \"%1\"");
      FormatClassIcon(out, sizeof out, setup.progPath), wholeOrStart(program + ",0");
      FormatIniExtension(out, sizeof out, setup.progPath, setup.classExt);
      wholeOrStart(program + " ^" + ext);
    } else {
      FormatGroupCommand(out, sizeof out, setup.groupName, setup.progPath, setup.itemTitle,
                         setup.iconPath);
      wholeOrStart("[CreateGroup(\"" + std::string(setup.groupName) + "\",0)]\n[AddItem(" +
                   program + "," + setup.itemTitle + (icon.empty() ? "" : "," + icon) + ")]");
    }
  }
  const char* parameters = SplitCommand(out, sizeof out, s.command);
  CheckThat(AllTerminated(out) && parameters >= s.command &&
                parameters <= s.command + strlen(s.command) && *parameters != ' ',
            "the command's parameters lie outside it, or begin with a blank");
  return 0;
}
