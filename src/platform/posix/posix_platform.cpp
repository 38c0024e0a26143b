// The platform on Linux: real files, and a user interface that the host tool and the tests
// control through the hooks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/platform.h"
#include "platform/posix/posix_hooks.h"

namespace platform {

namespace posix {
Hooks& GetHooks() {
  static Hooks hooks;
  return hooks;
}
void ResetHooks() {
  GetHooks() = Hooks{};
}
}  // namespace posix

using posix::Fault;
using posix::GetHooks;

// Counts the call, and says whether the test has made it fail.
static bool Fails(Fault operation) {
  auto& hooks = GetHooks();
  ++hooks.calls[operation];
  const auto budget = hooks.callsBeforeFailure.find(operation);
  if (budget == hooks.callsBeforeFailure.end() || budget->second < 0) return false;
  if (budget->second == 0) return true;
  --budget->second;
  return false;
}

FileHandle OpenForRead(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  return fd < 0 ? kNoFile : fd;
}

int32_t Seek(FileHandle file, int32_t offset, int origin) {
  if (Fails(Fault::kSeek)) return -1;
  const int whence = origin == kSeekSet ? SEEK_SET : origin == kSeekCur ? SEEK_CUR : SEEK_END;
  const off_t position = ::lseek(static_cast<int>(file), offset, whence);
  // _llseek works in 32-bit signed positions.
  if (position < 0 || position > INT32_MAX) return -1;
  return static_cast<int32_t>(position);
}

int32_t Read(FileHandle file, void* buffer, uint32_t count) {
  auto& hooks = GetHooks();
  hooks.readSizes.push_back(count);
  const bool fails = Fails(Fault::kRead);
  if (fails && !hooks.failHalfway) return -1;
  const uint32_t wanted = fails ? count / 2 : count;
  uint32_t done = 0;
  while (done < wanted) {
    const ssize_t got =
        ::read(static_cast<int>(file), static_cast<char*>(buffer) + done, wanted - done);
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<uint32_t>(got);
  }
  return static_cast<int32_t>(done);
}

void CloseRead(FileHandle file) {
  ::close(static_cast<int>(file));
}

FileHandle CreateOutputFile(const char* path) {
  if (Fails(Fault::kCreate)) return kNoFile;
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return fd < 0 ? kNoFile : fd;
}

bool WriteOutput(FileHandle file, const void* bytes, uint32_t count) {
  auto& hooks = GetHooks();
  const bool fails = Fails(Fault::kWrite);
  if (fails && !hooks.failHalfway) return false;
  const uint32_t allowed = fails ? count / 2 : count;
  uint32_t done = 0;
  while (done < allowed) {
    const ssize_t put =
        ::write(static_cast<int>(file), static_cast<const char*>(bytes) + done, allowed - done);
    if (put <= 0) return false;
    done += static_cast<uint32_t>(put);
  }
  return done == count;
}

bool CloseOutput(FileHandle file) {
  const bool fails = Fails(Fault::kClose);
  return ::close(static_cast<int>(file)) == 0 && !fails;
}

void DeleteOutput(const char* path) {
  GetHooks().deletedFiles.emplace_back(path);
  ::unlink(path);
}

// A DOS time has no zone; the stub's files get it as UTC, and so do the tool's.
void SetOutputTime(FileHandle file, uint32_t dosDateTime) {
  if (Fails(Fault::kSetTime)) return;
  std::tm parts{};
  parts.tm_year = static_cast<int>(dosDateTime >> 25) + 80;
  parts.tm_mon = static_cast<int>(dosDateTime >> 21 & 0x0F) - 1;
  parts.tm_mday = static_cast<int>(dosDateTime >> 16 & 0x1F);
  parts.tm_hour = static_cast<int>(dosDateTime >> 11 & 0x1F);
  parts.tm_min = static_cast<int>(dosDateTime >> 5 & 0x3F);
  parts.tm_sec = static_cast<int>(dosDateTime & 0x1F) * 2;
  const timespec times[2] = {{::timegm(&parts), 0}, {::timegm(&parts), 0}};
  ::futimens(static_cast<int>(file), times);
}

void MakeDirectory(const char* path) {
  if (Fails(Fault::kMakeDirectory)) return;
  ::mkdir(path, 0777);
}

// Directories, read-only files and the rest, as Windows would report them.
uint32_t FileAttributes(const char* path) {
  struct stat info {};
  if (::stat(path, &info) != 0) return kNoAttributes;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory;
  return (info.st_mode & S_IWUSR) ? 0x20 : 0x21;
}

// Read-only is the one attribute a Linux file can carry: it takes away the write permissions.
void SetAttributes(const char* path, uint32_t attributes) {
  if (Fails(Fault::kSetAttributes)) return;
  struct stat info {};
  if (::stat(path, &info) != 0) return;
  const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
  const mode_t mode = (attributes & 0x01) ? info.st_mode & ~writable : info.st_mode | S_IWUSR;
  ::chmod(path, mode & 07777);
}

uint32_t ExistingFileTime(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0xFFFFFFFF;
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  ::close(fd);
  std::tm parts{};
  if (!known || ::gmtime_r(&info.st_mtime, &parts) == nullptr || parts.tm_year < 80 ||
      parts.tm_year > 207) {
    return 0;
  }
  const uint32_t date = static_cast<uint32_t>(parts.tm_year - 80) << 9 |
                        static_cast<uint32_t>(parts.tm_mon + 1) << 5 |
                        static_cast<uint32_t>(parts.tm_mday);
  const uint32_t time = static_cast<uint32_t>(parts.tm_hour) << 11 |
                        static_cast<uint32_t>(parts.tm_min) << 5 |
                        static_cast<uint32_t>(parts.tm_sec / 2);
  return date << 16 | time;
}

// Win32's convention for a text that does not fit: nothing written, the capacity it needs.
static uint32_t Answer(const std::string& text, char* buffer, uint32_t capacity) {
  if (text.empty()) return 0;
  if (text.size() >= capacity) return static_cast<uint32_t>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<uint32_t>(text.size());
}

uint32_t EnvironmentVariable(const char* name, char* buffer, uint32_t capacity) {
  const auto& environment = GetHooks().environment;
  const auto found = environment.find(name);
  return found == environment.end() ? 0 : Answer(found->second, buffer, capacity);
}

uint32_t WindowsDirectory(char* buffer, uint32_t capacity) {
  return Answer(GetHooks().windowsDirectory, buffer, capacity);
}

uint32_t SystemDirectory(char* buffer, uint32_t capacity) {
  return Answer(GetHooks().systemDirectory, buffer, capacity);
}

uint32_t SearchFile(const char* name, char* buffer, uint32_t capacity, char** filePart) {
  const auto& searchPath = GetHooks().searchPath;
  const auto found = searchPath.find(name);
  if (found == searchPath.end()) return 0;
  const uint32_t length = Answer(found->second, buffer, capacity);
  if (length < capacity) *filePart = buffer + found->second.find_last_of("\\/") + 1;
  return length;
}

bool ReadMachineString(const char* subKey, const char* valueName, char* buffer, uint32_t capacity) {
  const auto& registry = GetHooks().registry;
  const auto found = registry.find(std::string(subKey) + "\\" + valueName);
  if (found == registry.end() || found->second.size() >= capacity) return false;
  std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
  return true;
}

void FileTitle(const char* path, char* buffer, uint32_t capacity) {
  const std::string text = path;
  const std::string title = text.substr(text.find_last_of("\\/:") + 1);
  if (title.empty() || Answer(title, buffer, capacity) >= capacity) buffer[0] = '\0';
}

uint32_t MaxComponentLength(const char* /*root*/) {
  return GetHooks().maxComponentLength;
}

void* AllocZeroed(uint32_t size) {
  auto& hooks = GetHooks();
  if (hooks.allocationsBeforeFailure == 0) return nullptr;
  if (hooks.allocationsBeforeFailure > 0) --hooks.allocationsBeforeFailure;
  return std::calloc(1, size == 0 ? 1 : size);
}

void Release(void* block) {
  std::free(block);
}

void EndProcess(int status) {
  auto& hooks = GetHooks();
  if (hooks.endProcess) hooks.endProcess(status);
  std::fflush(nullptr);
  std::_Exit(status);
}

static uint32_t CopyOut(const std::string& text, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  const auto length = static_cast<uint32_t>(text.size() < capacity ? text.size() : capacity - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

uint32_t ModuleFileName(char* buffer, uint32_t capacity) {
  return CopyOut(GetHooks().moduleFileName, buffer, capacity);
}

uint32_t CurrentDirectory(char* buffer, uint32_t capacity) {
  auto& hooks = GetHooks();
  if (!hooks.currentDirectory.empty()) return CopyOut(hooks.currentDirectory, buffer, capacity);
  char cwd[PATH_MAX];
  return ::getcwd(cwd, sizeof cwd) ? CopyOut(cwd, buffer, capacity) : 0;
}

bool IsWin32s() {
  return GetHooks().win32s;
}

char LowerChar(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsLeadByte(uint8_t byte) {
  if (!GetHooks().codePage932) return false;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int ShowMessageBox(Window owner, const char* text, const char* caption, uint32_t style) {
  auto& hooks = GetHooks();
  hooks.boxes.push_back({owner, text, caption, style});
  if (hooks.answerBox) return hooks.answerBox(hooks.boxes.back());
  std::fprintf(stderr, "%s\n", text);
  return kAnswerYes;
}

void SetItemText(Window /*window*/, int itemId, const char* text) {
  GetHooks().itemTexts.emplace_back(itemId, text);
}

void PumpMessages(Window /*window*/) {
  auto& hooks = GetHooks();
  ++hooks.pumpCount;
  if (hooks.onPump) hooks.onPump();
}

}  // namespace platform
