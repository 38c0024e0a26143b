#include "setup/setup_script.h"

#include "base/text.h"
#include "setup/setup_fields.h"

namespace {

// Tried in this order; every keyword ends in '=', so none is a prefix of another.
constexpr char kKeywords[] =
    "$WindowTitle=\0$InstallTitle=\0$InstallDir=\0$ClassTitle=\0$Class=\0$GroupTitle=\0"
    "$Group=\0$Command=\0$AskRegist=";

// The four fields of an action line, in order, each into its destination and every one taken
// even after one that does not fit; false when one does not.
template <size_t a, size_t b, size_t c, size_t d>
bool TakeFields(const char* line, char (&first)[a], char (&second)[b], char (&third)[c],
                char (&fourth)[d]) {
  bool fit = TakeField(&line, first, a);
  fit &= TakeField(&line, second, b);
  fit &= TakeField(&line, third, c);
  fit &= TakeField(&line, fourth, d);
  return fit;
}

}  // namespace

int MatchDirective(const char** cursor) {
  const char* keyword = kKeywords;
  for (int code = kWindowTitle; code <= kAskRegist; ++code) {
    const uint32_t length = TextLength(keyword);
    if (ComparePrefix(*cursor, keyword, length)) {
      *cursor += length;
      return code;
    }
    keyword += length + 1;
  }
  return kNoDirective;
}

int NextDirective(const char** cursor, char (&line)[kLineCapacity]) {
  const char* p = *cursor;
  for (;;) {
    while (*p != '\0' && !IsLineByte(*p)) ++p;
    if (*p == '\0') break;
    const int code = MatchDirective(&p);
    if (code != kNoDirective) {
      uint32_t length = 0;
      while (length + 1 < kLineCapacity && IsLineByte(p[length])) {
        line[length] = p[length];
        ++length;
      }
      line[length] = '\0';
    }
    while (IsLineByte(*p)) ++p;
    if (code != kNoDirective) {
      *cursor = p;
      return code;
    }
  }
  *cursor = p;
  return kNoDirective;
}

void ParseSetupScript(RunContext& run, SetupState& setup) {
  // The sink always terminates the script; the last byte is cleared anyway so that the walk
  // can never leave the buffer.
  run.script[kScriptCapacity - 1] = '\0';
  SettingsBlock& settings = run.settings;
  const char* cursor = run.script;
  char line[kLineCapacity];
  for (int code; (code = NextDirective(&cursor, line)) != kNoDirective;) {
    switch (code) {
      case kWindowTitle:
        CopyWholeCharacters(settings.windowTitle, sizeof settings.windowTitle, line);
        break;
      case kInstallTitle:
        CopyWholeCharacters(settings.installTitle, sizeof settings.installTitle, line);
        break;
      case kInstallDir:
        if (settings.installDir[0] == '\0') {
          CopyWholeCharacters(settings.installDir, sizeof settings.installDir, line);
        }
        break;
      case kClassTitle:
        CopyWholeCharacters(setup.classCheckText, sizeof setup.classCheckText, line);
        setup.classChecked = 1;
        break;
      case kGroupTitle:
        CopyWholeCharacters(setup.groupCheckText, sizeof setup.groupCheckText, line);
        setup.groupChecked = 1;
        break;
      case kCommand:
        CopyWholeCharacters(settings.command, sizeof settings.command, line);
        break;
      case kAskRegist:
        setup.askRegist = 1;
        break;
      default:  // the class and group lines act after the extraction
        break;
    }
  }
}

int NextActionLine(const char** cursor, SetupState& setup) {
  char line[kLineCapacity];
  for (int code; (code = NextDirective(cursor, line)) != kNoDirective;) {
    if (code == kClass && setup.classChecked &&
        TakeFields(line, setup.classExt, setup.classTitle, setup.progPath, setup.classKey)) {
      return code;
    }
    if (code == kGroup && setup.groupChecked &&
        TakeFields(line, setup.groupName, setup.itemTitle, setup.progPath, setup.iconPath)) {
      return code;
    }
  }
  return kNoDirective;
}
