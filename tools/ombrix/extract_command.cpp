#include "ombrix/extract_command.h"

#include <sys/time.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>

#include "archive/member_file.h"
#include "archive/member_header.h"
#include "decode/member_decoder.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

namespace {

namespace fs = std::filesystem;

bool IsReserved(std::string_view name) {
  return name == "!" || name == "$";
}

// A name from an archive may say anything. A drive or leading separators are dropped, so that
// rooted names land inside the target directory as other extractors place them; a ".." component
// could still climb out, and such a member is refused. Returns nullopt for a refused name.
std::optional<std::string_view> NameInsideTarget(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') name.remove_prefix(2);
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  for (size_t start = 0; start <= name.size();) {
    const size_t end = std::min(name.find('/', start), name.size());
    if (name.substr(start, end - start) == "..") return std::nullopt;
    start = end + 1;
  }
  return name;
}

void SetModificationTime(const fs::path& file, uint32_t seconds) {
  const timeval times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
  ::utimes(file.c_str(), times);
}

bool ExtractMember(const fs::path& dir, bool& refused) {
  const std::string name = work->memberPath;
  if (IsReserved(name)) return SkipMemberData() != 0;
  const std::optional<std::string_view> inside = NameInsideTarget(name);
  if (!inside) {
    std::cerr << kToolErrorPrefix << FormatMessage(kUnsafeMemberPath, name.c_str()) << '\n';
    refused = true;
    return SkipMemberData() != 0;
  }
  const fs::path target = dir / *inside;
  if (MethodLetter() == 'd') {
    fs::create_directories(target);
    return true;
  }
  fs::create_directories(target.parent_path());
  if (target.native().size() >= kOutPathCapacity) {
    throw ToolError(FormatMessage(kPathTooLong, target.c_str(), size_t{kOutPathCapacity - 1}));
  }
  CopyText(work->outPath, kOutPathCapacity, target.c_str());
  if (OpenMemberFile() != kOpenCreated) return false;
  DecodeMemberData();
  if (!FinishMemberFile()) return false;
  SetModificationTime(target, CurrentHeader().timeStamp);
  return true;
}

}  // namespace

int ExtractArchive(const std::string& path, const std::string& dir) {
  bool refused = false;
  MemberVisitor visitor;
  visitor.member = [&dir, &refused] { return ExtractMember(dir, refused); };
  const int status = WalkMembers(path, visitor);
  return refused ? 1 : status;
}

void AddExtractCommand(CLI::App& app, int& status) {
  auto dir = std::make_shared<std::string>(".");
  CLI::App* extract = AddArchiveCommand(
      app, "extract", "Write the members of a distributable or LZH archive into a directory",
      kExtractExitStatus, status,
      [dir](const std::string& path) { return ExtractArchive(path, *dir); });
  extract->add_option("-d,--directory", *dir, "Where to write the members (default: here)");
}
