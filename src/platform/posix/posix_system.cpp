// The Windows system that the posix platform pretends, as the core asks about it.
#include "platform/posix/posix_system.h"

#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>

#include "platform/platform.h"

namespace platform {

namespace posix {
static WindowsSystem defaultSystem;
static WindowsSystem* systemInUse = &defaultSystem;

WindowsSystem& System() {
  return *systemInUse;
}
void UseSystem(WindowsSystem& system) {
  systemInUse = &system;
}
}  // namespace posix

using posix::System;

// Win32's convention for a text that does not fit: nothing written, the capacity it needs.
static uint32_t Answer(const std::string& text, char* buffer, uint32_t capacity) {
  if (text.empty()) return 0;
  if (text.size() >= capacity) return static_cast<uint32_t>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<uint32_t>(text.size());
}

uint32_t EnvironmentVariable(const char* name, char* buffer, uint32_t capacity) {
  const auto& environment = System().environment;
  const auto found = environment.find(name);
  return found == environment.end() ? 0 : Answer(found->second, buffer, capacity);
}

uint32_t WindowsDirectory(char* buffer, uint32_t capacity) {
  return Answer(System().windowsDirectory, buffer, capacity);
}

uint32_t SystemDirectory(char* buffer, uint32_t capacity) {
  return Answer(System().systemDirectory, buffer, capacity);
}

uint32_t SearchFile(const char* name, char* buffer, uint32_t capacity, char** filePart) {
  const auto& searchPath = System().searchPath;
  const auto found = searchPath.find(name);
  if (found == searchPath.end()) return 0;
  const uint32_t length = Answer(found->second, buffer, capacity);
  if (length < capacity) *filePart = buffer + found->second.find_last_of("\\/") + 1;
  return length;
}

bool ReadMachineString(const char* subKey, const char* valueName, char* buffer, uint32_t capacity) {
  const auto& registry = System().registry;
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
  return System().maxComponentLength;
}

static uint32_t CopyOut(const std::string& text, char* buffer, uint32_t capacity) {
  if (capacity == 0) return 0;
  const auto length = static_cast<uint32_t>(text.size() < capacity ? text.size() : capacity - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

uint32_t ModuleFileName(char* buffer, uint32_t capacity) {
  return CopyOut(System().moduleFileName, buffer, capacity);
}

uint32_t CurrentDirectory(char* buffer, uint32_t capacity) {
  const std::string& current = System().currentDirectory;
  if (!current.empty()) return CopyOut(current, buffer, capacity);
  char cwd[PATH_MAX];
  return ::getcwd(cwd, sizeof cwd) ? CopyOut(cwd, buffer, capacity) : 0;
}

bool IsWin32s() {
  return System().win32s;
}

char LowerChar(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsLeadByte(uint8_t byte) {
  const auto& isLeadByte = System().isLeadByte;
  return isLeadByte && isLeadByte(byte);
}

}  // namespace platform
