#include "ombrix/whole_file.h"

#include <cerrno>
#include <fstream>

// For a file that opened, so that ENOENT keeps meaning that there was none.
static std::nullopt_t Unreadable() {
  errno = EIO;
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 0) return Unreadable();
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  // A file that shrinks while it is read comes back short, which is a failure to read it.
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return Unreadable();
  return bytes;
}
