// What the host program sets up on the posix platform: the Windows system that the core is told
// about, and how its message boxes are answered.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/platform.h"

namespace platform::posix {

// By default a Windows system of its own, whose directories lie on drive C: and so, once the host
// tool has dropped the drive, inside its target.
struct WindowsSystem {
  std::string moduleFileName;
  std::string currentDirectory;  // empty: the process's own
  std::map<std::string, std::string> environment{{"TEMP", "C:\\WINDOWS\\TEMP"}};
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\SYSTEM";
  // "subkey\\value" to its text; search-path names to where they are found.
  std::map<std::string, std::string> registry{
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", "C:\\Program Files"}};
  std::map<std::string, std::string> searchPath;
  uint32_t maxComponentLength = 255;
  bool win32s = false;
  // The lead bytes of its ANSI code page's two-byte characters; unset, it has none.
  std::function<bool(uint8_t)> isLeadByte;
};

// The system the core asks about: the default one until UseSystem puts another in its place.
WindowsSystem& System();
void UseSystem(WindowsSystem& system);

// Answers a message box from its text. Unset, the text goes to standard error and the answer is
// Yes. Returns the answer it replaces.
using BoxAnswer = std::function<int(const char* text)>;
BoxAnswer AnswerBoxesWith(BoxAnswer answer);

}  // namespace platform::posix
