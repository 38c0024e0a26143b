// The one seam between the portable core and the operating system. Every operation keeps the
// meaning of the Win32 call it stands for: a failed seek returns -1, a short read is a count,
// a message box returns IDYES, IDNO or IDCANCEL. The win32 platform is what ships; the posix
// platform serves the host tool and the tests.
#pragma once

#include <cstdint>

namespace platform {

using FileHandle = intptr_t;
using Window = void*;

inline constexpr FileHandle kNoFile = -1;  // INVALID_HANDLE_VALUE and HFILE_ERROR alike

// Seek origins, as _llseek takes them.
inline constexpr int kSeekSet = 0;
inline constexpr int kSeekCur = 1;
inline constexpr int kSeekEnd = 2;

// Message box styles and answers with their Win32 values.
inline constexpr uint32_t kBoxYesNoCancel = 0x00000003;
inline constexpr uint32_t kBoxYesNo = 0x00000004;
inline constexpr uint32_t kBoxIconError = 0x00000010;
inline constexpr uint32_t kBoxIconQuestion = 0x00000020;
inline constexpr uint32_t kBoxIconWarning = 0x00000030;
inline constexpr uint32_t kBoxTaskModal = 0x00002000;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// The program file, through the 16-bit-compatible calls (_lopen, _llseek, _lread, _lclose).
FileHandle OpenForRead(const char* path);
int32_t Seek(FileHandle file, int32_t offset, int origin);
int32_t Read(FileHandle file, void* buffer, uint32_t count);
void CloseRead(FileHandle file);

// Output files and directories.
FileHandle CreateOutputFile(const char* path);
bool WriteOutput(FileHandle file, const void* bytes, uint32_t count);  // true when all written
bool CloseOutput(FileHandle file);
void DeleteOutput(const char* path);
void SetOutputTime(FileHandle file, uint32_t dosDateTime);  // last write; failures are ignored
void MakeDirectory(const char* path);                       // failures are ignored

// Existing files.
inline constexpr uint32_t kNoAttributes = 0xFFFFFFFF;  // nothing at that path
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeNormal = 0x80;
uint32_t FileAttributes(const char* path);                  // GetFileAttributesA
void SetAttributes(const char* path, uint32_t attributes);  // failures are ignored
// The last write of the file at path in packed DOS form, read through a handle opened for
// reading. 0xFFFFFFFF when it cannot be opened, as a directory cannot; 0 when its time has no DOS
// form, so that the file counts as older than any member.
uint32_t ExistingFileTime(const char* path);

// Where things are. Each returns the length of what it wrote, or the capacity it would need
// (terminator included) when that is more than it was given, or 0 when there is nothing.
uint32_t EnvironmentVariable(const char* name, char* buffer, uint32_t capacity);
uint32_t WindowsDirectory(char* buffer, uint32_t capacity);
uint32_t SystemDirectory(char* buffer, uint32_t capacity);
// Finds name on the system's search path (SearchPathA, no extension); filePart receives where
// its file name starts in buffer.
uint32_t SearchFile(const char* name, char* buffer, uint32_t capacity, char** filePart);
// A string value under HKEY_LOCAL_MACHINE; false when the key cannot be opened for reading or
// the value cannot be read into capacity bytes.
bool ReadMachineString(const char* subKey, const char* valueName, char* buffer, uint32_t capacity);
// The file title of path (GetFileTitleA); buffer is left empty when there is none.
void FileTitle(const char* path, char* buffer, uint32_t capacity);

// The longest file-name component the volume of root accepts (GetVolumeInformationA); root null
// means the current directory's volume. 0 when the query fails.
uint32_t MaxComponentLength(const char* root);

// Process, memory and system facts.
void* AllocZeroed(uint32_t size);  // LocalAlloc(LPTR): null on failure
void Release(void* block);
[[noreturn]] void EndProcess(int status);
uint32_t ModuleFileName(char* buffer, uint32_t capacity);
uint32_t CurrentDirectory(char* buffer, uint32_t capacity);
bool IsWin32s();
char LowerChar(char c);  // CharLowerA on one character
bool IsLeadByte(uint8_t byte);

// The user interface.
int ShowMessageBox(Window owner, const char* text, const char* caption, uint32_t style);
void SetItemText(Window window, int itemId, const char* text);
void PumpMessages(Window window);

}  // namespace platform
