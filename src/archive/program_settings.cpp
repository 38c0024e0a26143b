#include "archive/program_settings.h"

#include "base/messages.h"
#include "base/text.h"

using namespace platform;

void ReadSettingsBlock(RunContext& run, const char* commandLineDir) {
  // No error is reported here: an unreadable block shows up as a failed scan.
  const FileHandle file = OpenForRead(run.program.path);
  if (file != kNoFile) {
    if (Seek(file, kSettingsOffset, kSeekSet) != -1) Read(file, &run.settings, kSettingsSize);
    CloseRead(file);
  }
  SettingsBlock& settings = run.settings;
  // The block comes from outside: its texts are terminated here so every later reader is safe.
  settings.windowTitle[sizeof settings.windowTitle - 1] = '\0';
  settings.installTitle[sizeof settings.installTitle - 1] = '\0';
  settings.installDir[sizeof settings.installDir - 1] = '\0';
  settings.command[sizeof settings.command - 1] = '\0';
  if (settings.windowTitle[0] == '\0') {
    CopyText(settings.windowTitle, sizeof settings.windowTitle, kDefaultCaption);
  }
  if (commandLineDir != nullptr) {
    CopyText(settings.installDir, sizeof settings.installDir, commandLineDir);
  }
}

bool ResolveAutoStart(OptionState given, uint8_t flags) {
  if (given == kOptionOn) return true;
  if (given == kOptionOff) return false;
  return (flags & kFlagAutoStart) != 0;
}

bool ResolveDateCompare(OptionState noDateCompare, uint8_t flags) {
  if (noDateCompare == kOptionOn) return false;
  return (flags & kFlagNoDateCompare) == 0;
}
