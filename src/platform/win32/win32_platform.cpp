// The platform that ships: each operation is the Win32 call it is named after.
#include <windows.h>
// After windows.h, whose types it uses.
#include <commdlg.h>

#include <cstdlib>

#include "platform/platform.h"

namespace platform {

FileHandle OpenForRead(const char* path) {
  const HFILE file = _lopen(path, OF_READ);
  return file == HFILE_ERROR ? kNoFile : static_cast<FileHandle>(file);
}

int32_t Seek(FileHandle file, int32_t offset, int origin) {
  return _llseek(static_cast<HFILE>(file), offset, origin);
}

int32_t Read(FileHandle file, void* buffer, uint32_t count) {
  return static_cast<int32_t>(_lread(static_cast<HFILE>(file), buffer, count));
}

void CloseRead(FileHandle file) {
  _lclose(static_cast<HFILE>(file));
}

FileHandle CreateOutputFile(const char* path) {
  const HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return reinterpret_cast<FileHandle>(file);
}

bool WriteOutput(FileHandle file, const void* bytes, uint32_t count) {
  DWORD written = 0;
  return WriteFile(reinterpret_cast<HANDLE>(file), bytes, count, &written, nullptr) &&
         written == count;
}

bool CloseOutput(FileHandle file) {
  return CloseHandle(reinterpret_cast<HANDLE>(file)) != 0;
}

void DeleteOutput(const char* path) {
  DeleteFileA(path);
}

void SetOutputTime(FileHandle file, uint32_t dosDateTime) {
  FILETIME time;
  DosDateTimeToFileTime(static_cast<WORD>(dosDateTime >> 16), static_cast<WORD>(dosDateTime),
                        &time);
  SetFileTime(reinterpret_cast<HANDLE>(file), nullptr, nullptr, &time);
}

void MakeDirectory(const char* path) {
  CreateDirectoryA(path, nullptr);
}

uint32_t FileAttributes(const char* path) {
  return GetFileAttributesA(path);
}

void SetAttributes(const char* path, uint32_t attributes) {
  SetFileAttributesA(path, attributes);
}

uint32_t ExistingFileTime(const char* path) {
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0xFFFFFFFF;
  FILETIME time = {};
  GetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  WORD dosDate = 0;
  WORD dosTime = 0;
  if (!FileTimeToDosDateTime(&time, &dosDate, &dosTime)) return 0;
  return static_cast<uint32_t>(dosDate) << 16 | dosTime;
}

uint32_t EnvironmentVariable(const char* name, char* buffer, uint32_t capacity) {
  return GetEnvironmentVariableA(name, buffer, capacity);
}

uint32_t WindowsDirectory(char* buffer, uint32_t capacity) {
  return GetWindowsDirectoryA(buffer, capacity);
}

uint32_t SystemDirectory(char* buffer, uint32_t capacity) {
  return GetSystemDirectoryA(buffer, capacity);
}

uint32_t SearchFile(const char* name, char* buffer, uint32_t capacity, char** filePart) {
  return SearchPathA(nullptr, name, nullptr, capacity, buffer, filePart);
}

bool ReadMachineString(const char* subKey, const char* valueName, char* buffer, uint32_t capacity) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  // A stored string need not end in a terminator: room is kept for one.
  DWORD size = capacity - 1;
  const LONG result =
      RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  buffer[result == ERROR_SUCCESS ? size : 0] = '\0';
  return result == ERROR_SUCCESS;
}

void FileTitle(const char* path, char* buffer, uint32_t capacity) {
  if (GetFileTitleA(path, buffer, static_cast<WORD>(capacity)) != 0) buffer[0] = '\0';
}

uint32_t MaxComponentLength(const char* root) {
  DWORD maxLength = 0;
  DWORD flags = 0;
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, &maxLength, &flags, nullptr, 0)) return 0;
  return maxLength;
}

void* AllocZeroed(uint32_t size) {
  return LocalAlloc(LPTR, size);
}

void Release(void* block) {
  LocalFree(block);
}

void EndProcess(int status) {
  exit(status);
}

uint32_t ModuleFileName(char* buffer, uint32_t capacity) {
  return GetModuleFileNameA(nullptr, buffer, capacity);
}

uint32_t CurrentDirectory(char* buffer, uint32_t capacity) {
  return GetCurrentDirectoryA(capacity, buffer);
}

bool IsWin32s() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version.dwPlatformId == VER_PLATFORM_WIN32s;
}

char LowerChar(char c) {
  const auto lowered = reinterpret_cast<UINT_PTR>(
      CharLowerA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<uint8_t>(c)))));
  return static_cast<char>(lowered);
}

bool IsLeadByte(uint8_t byte) {
  return IsDBCSLeadByte(byte) != 0;
}

int ShowMessageBox(Window owner, const char* text, const char* caption, uint32_t style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

void SetItemText(Window window, int itemId, const char* text) {
  SetDlgItemTextA(static_cast<HWND>(window), itemId, text);
}

void PumpMessages(Window window) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (IsDialogMessageA(static_cast<HWND>(window), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace platform
