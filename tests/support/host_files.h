// The host's files past the platform under test; the lowest free descriptor shows a leak.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "ombrix/whole_file.h"

inline void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
// Empty when there is no such file.
inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  return ReadWholeFile(path).value_or(std::vector<uint8_t>{});
}
inline void SetFileTime(const std::filesystem::path& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}
inline int LowestFreeDescriptor() {
  const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  return ::close(probe), probe;
}
