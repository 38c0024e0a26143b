// Controls of the posix platform: how its user interface answers, and the faults it injects.
// The host tool keeps the defaults; tests script the answers and record what was shown.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::posix {

// The operations on files whose calls a test can make fail.
enum class Fault {
  kCreate,
  kWrite,
  kRead,
  kSeek,
  kClose,
  kSetTime,
  kSetAttributes,
  kMakeDirectory
};

struct MessageBoxRecord {
  Window owner;
  std::string text;
  std::string caption;
  uint32_t style;
};

struct Hooks {
  // Answers each message box after it has been recorded; unset, the text goes to standard
  // error and the answer is Yes.
  std::function<int(const MessageBoxRecord&)> answerBox;
  // Takes the place of ending the process; must not return (tests throw).
  std::function<void(int)> endProcess;
  // Runs at every message pump, as the messages it dispatches would (a Cancel, say).
  std::function<void()> onPump;

  std::string moduleFileName;
  std::string currentDirectory;
  // The system the core asks about: by default a Windows system of its own, whose directories
  // lie on drive C: and so, once the host tool has dropped the drive, inside its target.
  std::map<std::string, std::string> environment{{"TEMP", "C:\\WINDOWS\\TEMP"}};
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\SYSTEM";
  // "subkey\\value" to its text; search-path names to where they are found.
  std::map<std::string, std::string> registry{
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", "C:\\Program Files"}};
  std::map<std::string, std::string> searchPath;
  uint32_t maxComponentLength = 255;
  bool win32s = false;
  bool codePage932 = false;  // lead bytes of Shift-JIS

  // Faults: a negative budget never runs out.
  int64_t allocationsBeforeFailure = -1;
  // Calls of an operation that succeed before every later one fails: a create gives no file, a
  // read -1, a write nothing, a seek -1, a close closes but says it failed, and the operations
  // whose failures the program ignores do nothing. An operation not named never fails.
  std::map<Fault, int64_t> callsBeforeFailure;
  bool failHalfway = false;  // a failing read or write moves half of its bytes, and stops short

  // What the program did.
  std::vector<MessageBoxRecord> boxes;
  std::vector<uint32_t> readSizes;
  std::vector<std::pair<int, std::string>> itemTexts;
  std::vector<std::string> deletedFiles;
  std::map<Fault, int> calls;
  int pumpCount = 0;
};

Hooks& GetHooks();
void ResetHooks();

}  // namespace platform::posix
