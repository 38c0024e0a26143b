// The setup script's first reading on any text: the directive walk over a buffer of exactly the
// text's size, and ParseSetupScript over the script buffer as the decoder leaves it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz_harness.h"
#include "fuzz_inputs.h"
#include "setup/setup_script.h"
#include "startup/text.h"
#include "startup/work_area.h"

namespace {

void WalkDirectives(const uint8_t* text, size_t size) {
  std::vector<char> script(text, text + size);
  script.push_back('\0');
  const char* const end = &script.back();
  const char* cursor = script.data();
  char line[kLineCapacity];
  for (;;) {
    const char* before = cursor;
    const int code = NextDirective(&cursor, line);
    CheckThat(cursor >= before && cursor <= end, "the cursor left the script");
    if (code == kNoDirective) {
      CheckThat(cursor == end || *cursor == '\0', "the walk stopped before the end");
      return;
    }
    CheckThat(code >= kWindowTitle && code <= kAskRegist, "an unknown directive code");
    CheckThat(cursor > before, "a directive did not move the cursor");
    CheckThat(IsTerminated(line, sizeof line), "a directive's value is not terminated");
  }
}

// The first reading may change these and nothing else of the work area: the script's own last
// byte, which it clears, the texts of the directives, and the two check boxes.
void TakeScriptFields(const WorkArea& from, WorkArea& to) {
  const auto take = [](const auto& source, auto& dest) {
    std::memcpy(&dest, &source, sizeof dest);
  };
  take(from.settings.windowTitle, to.settings.windowTitle);
  take(from.settings.installTitle, to.settings.installTitle);
  take(from.settings.installDir, to.settings.installDir);
  take(from.settings.command, to.settings.command);
  take(from.classCheckText, to.classCheckText);
  take(from.groupCheckText, to.groupCheckText);
  take(from.classChecked, to.classChecked);
  take(from.groupChecked, to.groupChecked);
  take(from.script[kScriptCapacity - 1], to.script[kScriptCapacity - 1]);
}

void CheckFieldsTerminated(const WorkArea& area) {
  const SettingsBlock& settings = area.settings;
  CheckThat(IsTerminated(settings.windowTitle, sizeof settings.windowTitle) &&
                IsTerminated(settings.installTitle, sizeof settings.installTitle) &&
                IsTerminated(settings.installDir, sizeof settings.installDir) &&
                IsTerminated(settings.command, sizeof settings.command) &&
                IsTerminated(area.classCheckText, sizeof area.classCheckText) &&
                IsTerminated(area.groupCheckText, sizeof area.groupCheckText),
            "a field set by the script is not terminated");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return -1;
  const uint8_t options = data[0];
  const uint8_t* text = data + 1;
  const size_t textSize = size - 1;
  ResetPlatform().codePage932 = (options & kScriptShiftJis) != 0;

  WalkDirectives(text, textSize);

  StartWorkArea();
  if (options & kScriptDirectoryPreset) {
    CopyText(work->settings.installDir, sizeof work->settings.installDir, "C:\\Preset");
  }
  // A script that fills the whole buffer arrives without its terminator.
  std::memcpy(work->script, text, std::min<size_t>(textSize, kScriptCapacity));
  static WorkArea before;
  std::memcpy(&before, work, sizeof before);
  ParseSetupScript();
  CheckFieldsTerminated(*work);
  TakeScriptFields(*work, before);
  CheckThat(std::memcmp(&before, work, sizeof before) == 0,
            "the script changed the work area outside its fields");
  ReleaseWorkArea();
  return 0;
}
