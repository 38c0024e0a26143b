// The texts an archive brings, each ended by 0 after an options byte: the setup script; a directory
// and a member's path, made into its file's path, shown on the status line and made room for.
#include <algorithm>
#include <cstring>
#include <sstream>

#include "archive/name_sanitizer.h"
#include "archive/output_path.h"
#include "archive/path_names.h"
#include "base/text.h"
#include "fuzz_harness.h"
#include "setup/setup_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  const uint8_t options = data[0];
  std::string texts[3];  // the script, the directory, the member's path
  std::istringstream rest(std::string(data + 1, data + size));
  for (std::string& text : texts) std::getline(rest, text, '\0');
  auto& hooks = platform_double::ResetHooks();
  hooks.isLeadByte = nullptr;
  if (options & kTextsShiftJis) hooks.isLeadByte = platform_double::ShiftJisLeadByte;
  hooks.searchPath[texts[2].substr(texts[2].find_last_of("/\\:\xFF") + 1)] = "D:\\FOUND\\x";
  hooks.callsBeforeFailure[platform_double::Fault::kMakeDirectory] = 0;  // none made anywhere
  static RunContext run, before;
  static SetupState setup, setupBefore;
  run = RunContext{}, setup = SetupState{};
  std::memcpy(run.script, texts[0].data(), std::min<size_t>(texts[0].size(), kScriptCapacity));
  std::memcpy(&before, &run, sizeof run), std::memcpy(&setupBefore, &setup, sizeof setup);
  ParseSetupScript(run, setup);
  SettingsBlock& s = run.settings;
  CheckThat(AllTerminated(s.windowTitle, s.installTitle, s.installDir, s.command,
                          setup.classCheckText, setup.groupCheckText),
            "a field set by the script is not terminated");
  // An overrun inside a structure escapes the sanitizers: the script may change only the settings'
  // texts, the script's last byte (cleared), the boxes' labels and the switches before ddeState.
  std::memcpy(before.settings.windowTitle, s.windowTitle, offsetof(SettingsBlock, reserved) - 4);
  std::memcpy(setupBefore.classCheckText, setup.classCheckText, 2 * sizeof setup.classCheckText);
  std::memcpy(&setupBefore, &setup, offsetof(SetupState, ddeState));
  before.script[kScriptCapacity - 1] = run.script[kScriptCapacity - 1];
  CheckThat(
      !std::memcmp(&before, &run, sizeof run) && !std::memcmp(&setupBefore, &setup, sizeof setup),
      "the script changed what is not its fields");

  char member[kPathCapacity], inside[kPathCapacity];
  CopyText(run.extractDir, kDirCapacity, texts[1].c_str());
  CopyText(member, kPathCapacity, texts[2].c_str()), CopyText(inside, kPathCapacity, member);
  BuildOutputPath(run.output.path, run.extractDir, member, options & kTextsWin32s);
  CheckThat(AllTerminated(run.output.path, member), "a path without its end");
  ConvertSeparators(run.output.path, '/');
  char* names = run.output.path + (run.output.path[0] != '\0' && run.output.path[1] == ':' ? 2 : 0);
  SanitizePath(names, options & kTextsLongNames);
  const std::string once = run.output.path;
  SanitizePath(names, options & kTextsLongNames);
  CheckThat(once == run.output.path, "fitting names again changes them");
  char shown[40];
  ShortenForDisplay(shown, sizeof shown, run.output.path, 32);
  CheckThat(AllTerminated(shown), "a status line without its end");
  CreateParentDirectories(run.output.path);
  ConvertSeparators(inside, '/');
  const char* kept = NameInsideTarget(inside);
  CheckThat(
      !kept || (*kept != '/' && ("/" + std::string(kept) + "/").find("/../") == std::string::npos),
      "a name leads out of its target");
  return 0;
}
