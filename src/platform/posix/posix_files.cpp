// Files on Linux, as the Win32 calls that the seam stands for treat them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "platform/dos_time.h"
#include "platform/posix/confined_output.h"
#include "platform/posix/posix_platform.h"

namespace platform {

namespace {

std::string failureReason;

uint32_t DosTimeOf(int64_t seconds) {
  if (seconds < kDosFirstSecond || seconds >= kDosEndSecond) return 0;
  return DayToDosTime(static_cast<uint32_t>(seconds / 86400),
                      static_cast<uint32_t>(seconds % 86400));
}

}  // namespace

FileHandle OpenForRead(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) posix::NoteSystemFailure();
  return fd < 0 ? kNoFile : fd;
}

void CloseRead(FileHandle file) {
  ::close(static_cast<int>(file));
}

// Directories, read-only files and the rest, as Windows would report them.
uint32_t FileAttributes(const char* path) {
  if (posix::OutputConfined()) return posix::ConfinedAttributes(path, nullptr);
  struct stat info {};
  if (::stat(path, &info) != 0) return kNoAttributes;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory;
  return (info.st_mode & S_IWUSR) ? 0x20 : 0x21;
}

// As Windows's open of a directory fails, a directory has no time; a FIFO's writer is not waited
// for.
uint32_t ExistingFileTime(const char* path) {
  int64_t modified = 0;
  uint32_t attributes = kNoAttributes;
  if (posix::OutputConfined()) {
    attributes = posix::ConfinedAttributes(path, &modified);
  } else if (const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0) {
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
      attributes = S_ISDIR(info.st_mode) ? kAttributeDirectory : 0;
      modified = info.st_mtime;
    }
    ::close(fd);
  }
  if (attributes == kNoAttributes || attributes == kAttributeDirectory) return 0xFFFFFFFF;
  return DosTimeOf(modified);
}

namespace posix {

void NoteFailure(const char* reason) {
  failureReason = reason;
}

void NoteSystemFailure() {
  failureReason = std::strerror(errno);
}

std::string TakeFailureReason() {
  return std::exchange(failureReason, std::string());
}

int32_t Seek(FileHandle file, int32_t offset, int origin) {
  const int whence = origin == kSeekSet ? SEEK_SET : origin == kSeekCur ? SEEK_CUR : SEEK_END;
  const off_t position = ::lseek(static_cast<int>(file), offset, whence);
  // _llseek works in 32-bit signed positions.
  if (position < 0 || position > INT32_MAX) return -1;
  return static_cast<int32_t>(position);
}

int32_t Read(FileHandle file, void* buffer, uint32_t count) {
  uint32_t done = 0;
  while (done < count) {
    const ssize_t got =
        ::read(static_cast<int>(file), static_cast<char*>(buffer) + done, count - done);
    if (got < 0) return NoteSystemFailure(), -1;
    if (got == 0) break;
    done += static_cast<uint32_t>(got);
  }
  return static_cast<int32_t>(done);
}

FileHandle CreateOutputFile(const char* path) {
  if (OutputConfined()) return CreateConfined(path);
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) NoteSystemFailure();
  return fd < 0 ? kNoFile : fd;
}

bool WriteOutput(FileHandle file, const void* bytes, uint32_t count) {
  uint32_t done = 0;
  while (done < count) {
    const ssize_t put =
        ::write(static_cast<int>(file), static_cast<const char*>(bytes) + done, count - done);
    if (put < 0) return NoteSystemFailure(), false;
    if (put == 0) return NoteFailure(std::strerror(ENOSPC)), false;
    done += static_cast<uint32_t>(put);
  }
  return true;
}

bool CloseOutput(FileHandle file) {
  if (::close(static_cast<int>(file)) == 0) return true;
  NoteSystemFailure();
  return false;
}

void DeleteOutput(const char* path) {
  if (OutputConfined()) return DeleteConfined(path);
  ::unlink(path);
}

// A DOS time has no zone; the stub's files get it as UTC, and so do the tool's.
void SetOutputTime(FileHandle file, uint32_t dosDateTime) {
  const time_t seconds = DosToUnixTime(dosDateTime);
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ::futimens(static_cast<int>(file), times);
}

void MakeDirectory(const char* path) {
  if (OutputConfined()) return MakeConfinedDirectory(path);
  ::mkdir(path, 0777);
}

// Read-only is the one attribute a Linux file can carry: it takes away the write permissions.
void SetAttributes(const char* path, uint32_t attributes) {
  if (OutputConfined()) return SetConfinedAttributes(path, attributes);
  struct stat info {};
  if (::stat(path, &info) != 0) return;
  const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
  const mode_t mode = (attributes & 0x01) ? info.st_mode & ~writable : info.st_mode | S_IWUSR;
  ::chmod(path, mode & 07777);
}

}  // namespace posix
}  // namespace platform
