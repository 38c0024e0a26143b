// The seam's operations that tests observe, over the posix platform's own.
#include "platform_double.h"

#include <cerrno>
#include <cstring>

#include "platform/posix/posix_platform.h"
#include "process_ended.h"

namespace platform_double {

Hooks& GetHooks() {
  static Hooks hooks;
  platform::posix::UseSystem(hooks);
  return hooks;
}

Hooks& ResetHooks() {
  platform::posix::AnswerBoxesWith([](const char*) { return platform::kAnswerYes; });
  return GetHooks() = Hooks{};
}

// Counts the call, and says whether the test has made it fail.
static bool Fails(Fault operation) {
  auto& hooks = GetHooks();
  ++hooks.calls[operation];
  const auto budget = hooks.callsBeforeFailure.find(operation);
  if (budget == hooks.callsBeforeFailure.end() || budget->second < 0) return false;
  if (budget->second > 0) return --budget->second, false;
  return platform::posix::NoteFailure(std::strerror(EIO)), true;
}

}  // namespace platform_double

namespace platform {

using platform_double::Fails;
using platform_double::Fault;
using platform_double::GetHooks;

int32_t Seek(FileHandle file, int32_t offset, int origin) {
  return Fails(Fault::kSeek) ? -1 : posix::Seek(file, offset, origin);
}

int32_t Read(FileHandle file, void* buffer, uint32_t count) {
  const bool fails = Fails(Fault::kRead);
  if (fails && !GetHooks().failHalfway) return -1;
  return posix::Read(file, buffer, fails ? count / 2 : count);
}

FileHandle CreateOutputFile(const char* path) {
  return Fails(Fault::kCreate) ? kNoFile : posix::CreateOutputFile(path);
}

bool WriteOutput(FileHandle file, const void* bytes, uint32_t count) {
  const bool fails = Fails(Fault::kWrite);
  if (fails && !GetHooks().failHalfway) return false;
  const uint32_t allowed = fails ? count / 2 : count;
  return posix::WriteOutput(file, bytes, allowed) && allowed == count;
}

bool CloseOutput(FileHandle file) {
  const bool fails = Fails(Fault::kClose);
  return posix::CloseOutput(file) && !fails;
}

void DeleteOutput(const char* path) {
  GetHooks().deletedFiles.emplace_back(path);
  posix::DeleteOutput(path);
}

void SetOutputTime(FileHandle file, uint32_t dosDateTime) {
  if (!Fails(Fault::kSetTime)) posix::SetOutputTime(file, dosDateTime);
}

void MakeDirectory(const char* path) {
  if (!Fails(Fault::kMakeDirectory)) posix::MakeDirectory(path);
}

void SetAttributes(const char* path, uint32_t attributes) {
  if (!Fails(Fault::kSetAttributes)) posix::SetAttributes(path, attributes);
}

void* AllocZeroed(uint32_t size) {
  auto& budget = GetHooks().allocationsBeforeFailure;
  return budget == 0 ? nullptr : (budget -= budget > 0, posix::AllocZeroed(size));
}

int ShowMessageBox(Window owner, const char* text, const char* caption, uint32_t style) {
  auto& hooks = GetHooks();
  hooks.boxes.push_back({owner, text, caption});
  if (hooks.answerBox) return hooks.answerBox(hooks.boxes.back());
  return posix::ShowMessageBox(owner, text, caption, style);
}

// The tests go on after the stub's end.
void EndProcess(int status) {
  throw ProcessEnded{status};
}

void SetItemText(Window, int itemId, const char* text) {
  GetHooks().itemTexts.emplace_back(itemId, text);
}

void PumpMessages(Window) {
  ++GetHooks().pumpCount;
  if (GetHooks().onPump) GetHooks().onPump();
}

}  // namespace platform
