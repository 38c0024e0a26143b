#include "ombrix/regular_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/file_kind.h"

struct stat RequireRegularFile(const std::string& path, const char* missingMessage) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) throw ToolError(FormatMessage(missingMessage, path.c_str()));
    throw ToolError(FormatMessage(kCannotReadBecause, path.c_str(), std::strerror(errno)));
  }
  if (S_ISREG(info.st_mode)) return info;
  throw ToolError(
      FormatMessage(kNotRegularFile, path.c_str(), platform::posix::FileKind(info.st_mode)));
}
