#include "archive/path_macros.h"

#include "archive/path_names.h"
#include "base/run_context.h"
#include "base/text.h"

using namespace platform;

namespace {

// Tried in this order; the first that the text starts with is used.
constexpr char kMacros[] = "%WORK%\0%WinDir%\0%WinRoot%\0%SystemDir%\0%ProgramFiles%\0%Search%";
enum Macro { kWork, kWinDir, kWinRoot, kSystemDir, kProgramFiles, kSearch, kNoMacro };

// Each of the system's answers is taken only when it fits; anything longer counts as none. A
// call that found nothing need not have written anything, so out is cleared for it too.
void TakeAnswer(uint32_t length, char* out) {
  if (length == 0 || length >= kDirCapacity) out[0] = '\0';
}

void WindowsDrive(char* out) {
  TakeAnswer(WindowsDirectory(out, kDirCapacity), out);
  if (out[0] != '\0') out[2] = '\0';
}

// The directory a macro stands for, in out (256 bytes); false when it is not to be expanded.
bool Replacement(Macro macro, const char* fileName, bool isWin32s, char* out) {
  out[0] = '\0';
  switch (macro) {
    case kWork:
      GetTempDirectory(kDirCapacity, out);
      break;
    case kWinDir:
      TakeAnswer(WindowsDirectory(out, kDirCapacity), out);
      break;
    case kWinRoot:
      WindowsDrive(out);
      break;
    case kSystemDir:
      TakeAnswer(SystemDirectory(out, kDirCapacity), out);
      break;
    case kProgramFiles:
      if (!isWin32s) {
        ReadRegistryString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "",
                           out, kDirCapacity);
      }
      if (out[0] == '\0') WindowsDrive(out);
      break;
    case kSearch: {
      if (fileName[0] == '\0') return false;
      char* filePart = nullptr;
      const uint32_t length = SearchFile(fileName, out, kDirCapacity, &filePart);
      if (length != 0 && length < kDirCapacity && filePart > out) {
        filePart[-1] = '\0';  // the directory, without the separator before the file's name
      } else {
        TakeAnswer(SystemDirectory(out, kDirCapacity), out);
      }
      break;
    }
    case kNoMacro:
      break;
  }
  return true;
}

}  // namespace

uint32_t GetTempDirectory(uint32_t capacity, char* out) {
  out[0] = '\0';
  char found[kDirCapacity];
  TakeAnswer(EnvironmentVariable("TEMP", found, kDirCapacity), found);
  if (found[0] == '\0') TakeAnswer(EnvironmentVariable("TMP", found, kDirCapacity), found);
  if (found[0] == '\0') {
    TakeAnswer(WindowsDirectory(found, kDirCapacity), found);
    if (found[0] != '\0') {
      AppendSeparator(found, kDirCapacity);
      AppendText(found, kDirCapacity, "TEMP");
      MakeDirectory(found);
    } else {
      TakeAnswer(CurrentDirectory(found, kDirCapacity), found);
    }
  }
  const uint32_t length = TextLength(found);
  if (length == 0) return 0;
  if (capacity <= length) return length + 1;
  CopyText(out, capacity, found);
  return length;
}

void ReadRegistryString(const char* subKey, const char* valueName, const char* fallback, char* out,
                        uint32_t capacity) {
  if (!ReadMachineString(subKey, valueName, out, capacity)) CopyText(out, capacity, fallback);
}

char* ExpandPathMacro(char* text, uint32_t capacity, const char* fileName, bool isWin32s) {
  int macro = 0;
  uint32_t length = 0;
  for (const char* name = kMacros; macro < kNoMacro; name += length + 1, ++macro) {
    length = TextLength(name);
    if (ComparePrefix(text, name, length)) break;
  }
  char replacement[kDirCapacity];
  if (macro != kNoMacro &&
      Replacement(static_cast<Macro>(macro), fileName, isWin32s, replacement)) {
    const char* rest = text + length;
    const uint32_t room = capacity < kPathCapacity ? capacity : kPathCapacity;
    if (TextLength(replacement) + TextLength(rest) < room) {
      char expanded[kPathCapacity];
      CopyText(expanded, sizeof expanded, replacement);
      AppendText(expanded, sizeof expanded, rest);
      CopyText(text, capacity, expanded);
    }
  }
  return ConvertSeparators(text, '\\');
}
