#include "ombrix/extract_command.h"

#include <iostream>

#include "archive/extract_member.h"
#include "archive/path_macros.h"
#include "archive/path_names.h"
#include "base/text.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// The member goes under the target directory whatever drive or root its name gives; a macro at
// its start stands for a directory of a Windows system that lies on drive C: (see the help), so
// it too lands inside. Only the member's own names are fitted to the volume.
char* BuildContainedOutputPath(RunContext& run, char* memberPath, void* refused) {
  ExpandPathMacro(memberPath, kPathCapacity, LastComponent(memberPath), run.options.isWin32s);
  ConvertSeparators(memberPath, '/');
  const char* inside = NameInsideTarget(memberPath);
  if (inside == nullptr) {
    std::cerr << kToolErrorPrefix << FormatMessage(kUnsafeMemberPath, memberPath) << '\n';
    *static_cast<bool*>(refused) = true;
    return nullptr;
  }
  char* out = run.output.path;
  CopyText(out, kOutPathCapacity, run.extractDir);
  AppendText(out, kOutPathCapacity, "/");
  char* names = out + TextLength(out);
  AppendText(out, kOutPathCapacity, inside);
  return names;
}

}  // namespace

int ExtractArchive(const std::string& path, const std::string& dir) {
  bool refused = false;
  ToolJob job;
  job.extractDir = dir;
  job.member = [&refused](PassArea& area) {
    return PassOverFailure(area, [&] {
      return ExtractMember(area, {BuildContainedOutputPath, &refused});
    });
  };
  const int status = WalkMembers(path, job);
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
