// The posix operations that a test double can wrap, each with the meaning of its namesake in
// platform/platform.h. posix_seam.cpp maps the seam straight onto them in the host tool; the
// rest of the seam the posix platform defines directly.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform::posix {

int32_t Seek(FileHandle file, int32_t offset, int origin);
int32_t Read(FileHandle file, void* buffer, uint32_t count);
FileHandle CreateOutputFile(const char* path);
bool WriteOutput(FileHandle file, const void* bytes, uint32_t count);
bool CloseOutput(FileHandle file);
void DeleteOutput(const char* path);
void SetOutputTime(FileHandle file, uint32_t dosDateTime);
void MakeDirectory(const char* path);
void SetAttributes(const char* path, uint32_t attributes);
void* AllocZeroed(uint32_t size);
int ShowMessageBox(Window owner, const char* text, const char* caption, uint32_t style);
[[noreturn]] void EndProcess(int status);

// Why the last file operation failed, in the system's words ("Permission denied") or in the
// platform's; the host tool adds it to the stub's message. Taking it clears it.
void NoteFailure(const char* reason);
void NoteSystemFailure();  // errno's
std::string TakeFailureReason();

}  // namespace platform::posix
