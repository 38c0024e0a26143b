#include "ombrix/file_bytes.h"

#include <cerrno>
#include <fstream>

#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

std::vector<uint8_t> ReadWholeFile(const std::string& path, const char* missingMessage) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) {
    throw ToolError(FormatMessage(errno == ENOENT ? missingMessage : kCannotRead, path.c_str()));
  }
  const std::streamoff size = in.tellg();
  if (size < 0) throw ToolError(FormatMessage(kCannotRead, path.c_str()));
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  // A file that shrinks while it is read comes back short, which is a failure to read it.
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) {
    throw ToolError(FormatMessage(kCannotRead, path.c_str()));
  }
  return bytes;
}
