// The file that `pack` writes, made under a temporary name beside its final one and renamed into
// place only when it is complete, so that a failure, or an interrupt, leaves an earlier file of
// that name as it was and nothing half-written behind.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// The stub seeks with signed 32-bit positions, so no byte of its file may lie beyond this.
inline constexpr uint64_t kMaxOutputSize = INT32_MAX;

class OutputFile {
 public:
  // Throws ToolError when the temporary file cannot be made, or when something other than a
  // regular file has the output's name.
  explicit OutputFile(const std::string& path);
  // Removes the temporary file unless it was committed.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Throws ToolError past kMaxOutputSize.
  void Write(std::span<const uint8_t> bytes);
  // Overwrites bytes written before, at offset from the start.
  void WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
  uint64_t Size() const { return size_; }
  // Drops what was written from size on.
  void Truncate(uint64_t size);

  // A name for the written bytes that fits the walk's path buffer however long the output's own
  // name is.
  std::string WalkPath() const { return "/proc/self/fd/" + std::to_string(fd_); }
  // Where the bytes lie until Commit, for another program to read them.
  const std::string& TempPath() const { return tempPath_; }

  // Gives the file the mode a new file would have and renames it into place.
  void Commit();

 private:
  std::string path_;
  std::string tempPath_;
  int fd_ = -1;
  uint64_t size_ = 0;
  bool committed_ = false;
};
