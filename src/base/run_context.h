// What every subsystem of a run shares: the settings and the program-wide switches, the program
// file being read and the member being written, the failure flag, the dialog's fields that the
// passes read, and the texts that several subsystems write and read.
#pragma once

#include <cstdint>

#include "base/settings_block.h"
#include "platform/platform.h"

inline constexpr uint32_t kPathCapacity = 260;
inline constexpr uint32_t kOutPathCapacity = 516;
inline constexpr uint32_t kDirCapacity = 256;
inline constexpr uint32_t kScratchCapacity = 1024;
inline constexpr uint32_t kNoticeCapacity = 1024;
inline constexpr uint32_t kScriptCapacity = 4096;

// Program-wide switches, resolved at start-up from the command line and the settings.
struct ProgramOptions {
  bool isWin32s;
  bool autoStart;
  bool dateCompare;
  bool overwriteSilently;
};

// The program file, which holds the settings block and the archive: the subject of every message
// about the archive.
struct ProgramFile {
  char path[kPathCapacity];
  platform::FileHandle file;  // open during a pass
  uint32_t end;               // its size, which no skip may pass
};

// The file of the member being written.
struct MemberOutput {
  char path[kOutPathCapacity];
  platform::FileHandle file;  // open while the member's data is written
};

struct RunContext {
  SettingsBlock settings;
  ProgramOptions options;
  ProgramFile program;
  MemberOutput output;
  bool failed;  // set once anything was reported or refused; ends the pass

  // The dialog's, read by the passes.
  platform::Window dialogWindow;  // owner of every box; null during the scan
  bool cancelRequested;           // Cancel during extraction, seen at the next progress report
  char extractDir[kDirCapacity];

  char scratch[kScratchCapacity];  // a box's text, the status line, the command's split
  char notice[kNoticeCapacity];    // the notice as decoded, shown by the scan
  char script[kScriptCapacity];    // the setup script as decoded
};
