// What every subsystem of a run shares: the settings, the program-wide switches, the files of the
// pass under way and the names that reports give them, the failure flag, and the texts that
// several subsystems write and read. Error reports read it; the fatal stop cleans up from it.
#pragma once

#include <cstdint>

#include "base/settings_block.h"
#include "platform/platform.h"

inline constexpr uint32_t kPathCapacity = 260;
inline constexpr uint32_t kOutPathCapacity = 516;
inline constexpr uint32_t kDirCapacity = 256;
inline constexpr uint32_t kScratchCapacity = 1024;
inline constexpr uint32_t kScriptCapacity = 4096;

// Program-wide switches, resolved at start-up from the command line and the settings.
struct ProgramOptions {
  bool isWin32s;
  bool autoStart;
  bool dateCompare;
  bool overwriteSilently;
};

struct RunContext {
  SettingsBlock settings;
  ProgramOptions options;

  // Pass control
  bool failed;  // set once anything was reported or refused; ends the pass
  uint32_t fileEnd;
  bool cancelRequested;           // Cancel during extraction, seen at the next progress report
  platform::Window dialogWindow;  // owner of every box; null during the scan
  platform::FileHandle archiveFile;
  platform::FileHandle outFile;  // the member's file while it is written

  char modulePath[kPathCapacity];  // the program file: subject of messages about the archive
  char outPath[kOutPathCapacity];
  char extractDir[kDirCapacity];
  char scratch[kScratchCapacity];  // messages, status texts, the notice
  char script[kScriptCapacity];    // the setup script as decoded
};
