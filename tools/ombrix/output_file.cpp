#include "ombrix/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/platform.h"

namespace {

// What the signal handler removes: one output is made at a time, and the handler may only read
// memory that is there for the whole run.
char gTempPath[4096];
volatile std::sig_atomic_t gHaveTempPath = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTempAndDie(int signal) {
  if (gHaveTempPath) ::unlink(gTempPath);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void GuardTempPath(const std::string& path) {
  if (path.size() >= sizeof gTempPath) return;
  std::memcpy(gTempPath, path.c_str(), path.size() + 1);
  gHaveTempPath = 1;
  for (const int signal : kCleanupSignals) std::signal(signal, RemoveTempAndDie);
}

void ReleaseTempPath() {
  for (const int signal : kCleanupSignals) std::signal(signal, SIG_DFL);
  gHaveTempPath = 0;
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : path_(path), tempPath_(path + ".XXXXXX") {
  fd_ = ::mkstemp(tempPath_.data());
  if (fd_ < 0) throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
  GuardTempPath(tempPath_);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(tempPath_.c_str());
  ReleaseTempPath();
}

void OutputFile::Write(std::span<const uint8_t> bytes) {
  WriteAt(size_, bytes);
  size_ += bytes.size();
}

// Through the platform that the stub's walk uses, so that the same faults reach both.
void OutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  const auto position = static_cast<int32_t>(offset);  // the packer stops short of 2 GiB
  if (platform::Seek(fd_, position, platform::kSeekSet) != position ||
      !platform::WriteOutput(fd_, bytes.data(), static_cast<uint32_t>(bytes.size()))) {
    throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
  }
}

void OutputFile::Commit() {
  // mkstemp makes the file private; the output gets the mode a new file would have.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const bool closed = ::fchmod(fd_, 0666 & ~mask) == 0 && ::close(fd_) == 0;
  fd_ = -1;
  if (!closed || std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    throw ToolError(FormatMessage(kCannotWrite, path_.c_str()));
  }
  committed_ = true;
}
