#include "ombrix/file_bytes.h"

#include <cerrno>

#include "ombrix/regular_file.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "ombrix/whole_file.h"

std::vector<uint8_t> ReadInputFile(const std::string& path, const char* missingMessage) {
  RequireRegularFile(path, missingMessage);
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path);
  if (!bytes) {
    throw ToolError(FormatMessage(errno == ENOENT ? missingMessage : kCannotRead, path.c_str()));
  }
  return std::move(*bytes);
}
