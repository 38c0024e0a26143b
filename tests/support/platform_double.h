// The posix platform with faults a test injects and a record of what the program did.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/posix_system.h"

namespace platform_double {

// clang-format off
enum class Fault {
  kCreate, kWrite, kRead, kSeek, kClose, kSetTime, kSetAttributes, kMakeDirectory };
// clang-format on

struct MessageBoxRecord {
  platform::Window owner;
  std::string text, caption;
};

// The lead bytes of a Japanese Windows system (code page 932), for the cases of two-byte names.
inline bool ShiftJisLeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct Hooks : platform::posix::WindowsSystem {
  std::function<int(const MessageBoxRecord&)> answerBox;  // unset, the platform answers
  std::function<void()> onPump;  // what the messages a pump dispatches would do (a Cancel, say)
  int64_t allocationsBeforeFailure = -1;  // a negative budget never runs out
  // Calls of an operation that succeed before every later one fails, as a failing disk goes on
  // failing: a failed close still closes, and an operation whose failure the program ignores
  // does nothing.
  std::map<Fault, int64_t> callsBeforeFailure;
  bool failHalfway = false;  // a failing read or write moves half of its bytes, and stops short
  std::vector<MessageBoxRecord> boxes;
  std::vector<std::pair<int, std::string>> itemTexts;
  std::vector<std::string> deletedFiles;
  std::map<Fault, int> calls;
  int pumpCount = 0;
};

// The hooks, which are also the system the platform pretends; fresh ones answer every box Yes.
Hooks& GetHooks();
Hooks& ResetHooks();

}  // namespace platform_double
