#include "ombrix/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/platform.h"
#include "platform/posix/file_kind.h"
#include "platform/posix/interrupt_guard.h"
#include "platform/posix/posix_platform.h"

namespace {

// The system's reason for the failure just seen, or a general one where a test made it up.
std::string Reason() {
  std::string reason = platform::posix::TakeFailureReason();
  return reason.empty() ? std::strerror(EIO) : reason;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path), tempPath_(path + ".XXXXXX") {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    throw ToolError(
        FormatMessage(kOutputNotRegular, path.c_str(), platform::posix::FileKind(info.st_mode)));
  }
  fd_ = ::mkstemp(tempPath_.data());
  if (fd_ < 0) throw ToolError(FormatMessage(kCannotWrite, path_.c_str(), std::strerror(errno)));
  platform::posix::GuardAgainstInterrupt(AT_FDCWD, tempPath_.c_str());
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(tempPath_.c_str());
  platform::posix::ReleaseInterruptGuard();
}

void OutputFile::Write(std::span<const uint8_t> bytes) {
  if (size_ + bytes.size() > kMaxOutputSize) {
    throw ToolError(FormatMessage(kOutputTooLarge, static_cast<unsigned>(kMaxOutputSize)));
  }
  WriteAt(size_, bytes);
  size_ += bytes.size();
}

void OutputFile::Truncate(uint64_t size) {
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    throw ToolError(FormatMessage(kCannotWrite, path_.c_str(), Reason().c_str()));
  }
  size_ = size;
}

// Through the platform that the stub's walk uses, so that the same faults reach both.
void OutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  const auto position = static_cast<int32_t>(offset);  // the packer stops short of 2 GiB
  if (platform::Seek(fd_, position, platform::kSeekSet) != position ||
      !platform::WriteOutput(fd_, bytes.data(), static_cast<uint32_t>(bytes.size()))) {
    throw ToolError(FormatMessage(kCannotWrite, path_.c_str(), Reason().c_str()));
  }
}

void OutputFile::Commit() {
  // mkstemp makes the file private; the output gets the mode a new file would have.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const bool closed = ::fchmod(fd_, 0666 & ~mask) == 0 && ::close(fd_) == 0;
  fd_ = -1;
  if (!closed || std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    throw ToolError(FormatMessage(kCannotWrite, path_.c_str(), std::strerror(errno)));
  }
  committed_ = true;
}
