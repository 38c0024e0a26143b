#include "ombrix/extract_command.h"

#include <iostream>

#include "archive/extract_member.h"
#include "archive/path_names.h"
#include "base/text.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// The member goes under the target directory, whatever drive or root its name gives.
void BuildContainedOutputPath(RunContext& run, const char* memberPath) {
  char* out = run.outPath;
  CopyText(out, kOutPathCapacity, run.extractDir);
  AppendText(out, kOutPathCapacity, "/");
  AppendText(out, kOutPathCapacity, NameInsideTarget(memberPath));
}

bool ExtractToolMember(PassArea& area, bool& refused) {
  const char* name = area.header.memberPath;
  if (ReservedSinkOf(name) != kSinkFile) return SkipMemberData(area.run, area.header) != 0;
  if (NameInsideTarget(name) == nullptr) {
    std::cerr << kToolErrorPrefix << FormatMessage(kUnsafeMemberPath, name) << '\n';
    refused = true;
    return SkipMemberData(area.run, area.header) != 0;
  }
  return ExtractMember(area, BuildContainedOutputPath);
}

}  // namespace

int ExtractArchive(const std::string& path, const std::string& dir) {
  bool refused = false;
  ToolJob job;
  job.extractDir = dir;
  job.member = [&refused](PassArea& area) { return ExtractToolMember(area, refused); };
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
