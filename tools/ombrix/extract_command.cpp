#include "ombrix/extract_command.h"

#include <filesystem>
#include <iostream>
#include <set>

#include "archive/extract_member.h"
#include "archive/path_macros.h"
#include "archive/path_names.h"
#include "base/text.h"
#include "ombrix/any_level_header.h"
#include "ombrix/code_page.h"
#include "ombrix/member_walk.h"
#include "ombrix/printable.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/confined_output.h"
#include "platform/posix/posix_platform.h"

namespace {

// The longest name of one directory entry that Linux file systems hold.
constexpr size_t kMaxComponent = 255;

// What one extraction has done so far.
struct Extraction {
  std::set<std::string> written;  // the output paths of its members
  bool refused = false;           // a member it would not write
  bool placed = false;            // the member at hand has an output path
};

size_t LongestComponent(const char* path) {
  size_t longest = 0, length = 0;
  for (const char* c = path; *c != '\0'; ++c) {
    length = *c == '/' ? 0 : length + 1;
    longest = std::max(longest, length);
  }
  return longest;
}

// The member goes under the target directory whatever drive or root its name gives; a macro at
// its start stands for a directory of a Windows system that lies on drive C: (see the help), so
// it too lands inside. Only the member's own names are fitted to the volume, and a name the file
// system could not hold whole is refused rather than cut, where two members could meet.
char* BuildContainedOutputPath(RunContext& run, char* memberPath, void* context) {
  auto& extraction = *static_cast<Extraction*>(context);
  ExpandPathMacro(memberPath, kPathCapacity, LastComponent(memberPath), run.options.isWin32s);
  ConvertSeparators(memberPath, '/');
  const char* inside = NameInsideTarget(memberPath);
  if (inside == nullptr || LongestComponent(inside) > kMaxComponent) {
    const std::string name = ArchiveCodePage().ToUtf8(memberPath);
    Complain(inside == nullptr ? FormatMessage(kUnsafeMemberPath, name.c_str())
                               : FormatMessage(kComponentTooLong, name.c_str(), kMaxComponent));
    extraction.refused = true;
    return nullptr;
  }
  char* out = run.output.path;
  CopyText(out, kOutPathCapacity, run.extractDir);
  AppendText(out, kOutPathCapacity, "/");
  char* names = out + TextLength(out);
  AppendText(out, kOutPathCapacity, inside);
  extraction.placed = true;
  return names;
}

// The output path as the user named the target, then the member's names as Linux has them.
std::string ShownOutputPath(const RunContext& run) {
  const std::string_view written = run.output.path;
  const size_t namesAt = std::min<size_t>(written.size(), TextLength(run.extractDir) + 1);
  return std::string(written.substr(0, namesAt)) +
         ArchiveCodePage().ToUtf8(written.substr(namesAt));
}

// A symbolic link takes its place as a file does; it is made, never followed, so where it points
// is its own affair.
void MakeLink(PassArea& area, Extraction& extraction) {
  RunContext& run = area.run;
  if (BuildContainedOutputPath(run, area.header.memberPath, &extraction) == nullptr) return;
  ConvertSeparators(run.output.path, '/');
  for (size_t n = TextLength(run.output.path); n > 0 && run.output.path[n - 1] == '/';) {
    run.output.path[--n] = '\0';
  }
  CreateParentDirectories(run.output.path);
  const std::string path = ShownOutputPath(run);
  if (!extraction.written.insert(path).second) {
    Complain(FormatMessage(kWrittenTwice, path.c_str()));
    run.failed = true;
    return;
  }
  const std::string target = ArchiveCodePage().ToUtf8(CurrentLinkTarget());
  switch (platform::posix::MakeConfinedLink(run.output.path, target)) {
    case platform::posix::Placed::kReplaced:
      std::cout << Printable(FormatMessage(kReplaced, path.c_str())) << '\n';
      break;
    case platform::posix::Placed::kFailed:
      Complain(FormatMessage(kLinkNotMade, path.c_str(), target.c_str(),
                             platform::posix::TakeFailureReason().c_str()));
      run.failed = true;
      break;
    default:
      break;
  }
}

// A member that was written whole and matched its CRC takes the place of what was there; one
// that the date comparison passed over is said to be kept.
void PlaceMember(PassArea& area, Extraction& extraction) {
  RunContext& run = area.run;
  const std::string path = ShownOutputPath(run);
  const bool directory = CurrentMethod(area.header).kind == MethodKind::kDirectory;
  if (!directory && !extraction.written.insert(path).second) {
    platform::DeleteOutput(run.output.path);
    Complain(FormatMessage(kWrittenTwice, path.c_str()));
    run.failed = true;
    return;
  }
  switch (platform::posix::PlaceOutput()) {
    case platform::posix::Placed::kNothing:
      if (directory) break;
      std::cout << Printable(FormatMessage(
                       platform::FileAttributes(run.output.path) == platform::kAttributeDirectory
                           ? kLeftForDirectory
                           : kKeptAsNew,
                       path.c_str()))
                << '\n';
      break;
    case platform::posix::Placed::kReplaced:
      std::cout << Printable(FormatMessage(kReplaced, path.c_str())) << '\n';
      break;
    case platform::posix::Placed::kCreated:
      break;
    case platform::posix::Placed::kFailed:
      Complain(
          FormatMessage(kCannotPlace, path.c_str(), platform::posix::TakeFailureReason().c_str()));
      run.failed = true;
      break;
  }
}

// Output stays beneath the target for as long as the extraction runs.
class Confinement {
 public:
  explicit Confinement(const std::string& dir) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    std::string prefix = dir;
    ConvertSeparators(prefix.data(), '/');
    const auto linuxName = [](std::string_view name) { return ArchiveCodePage().ToUtf8(name); };
    if (!platform::posix::ConfineOutput(dir.c_str(), prefix.c_str(), linuxName)) {
      throw ToolError(FormatMessage(kCannotUseTarget, dir.c_str(),
                                    platform::posix::TakeFailureReason().c_str()));
    }
  }
  ~Confinement() { platform::posix::EndConfinement(); }
  Confinement(const Confinement&) = delete;
  Confinement& operator=(const Confinement&) = delete;
};

}  // namespace

int ExtractArchive(const std::string& path, const std::string& dir) {
  Confinement confinement(dir);
  Extraction extraction;
  ToolJob job;
  job.extractDir = dir;
  job.member = [&extraction](PassArea& area) {
    return PassOverFailure(area, [&] {
      extraction.placed = false;
      if (!CurrentLinkTarget().empty()) return MakeLink(area, extraction), kDecodeDone;
      const DecodeStatus status = ExtractMember(area, {BuildContainedOutputPath, &extraction});
      if (status == kDecodeDone && !area.run.failed && extraction.placed) {
        PlaceMember(area, extraction);
      }
      return status;
    });
  };
  const int status = WalkMembers(path, job);
  return extraction.refused ? 1 : status;
}

void AddExtractCommand(CLI::App& app, int& status) {
  auto dir = std::make_shared<std::string>(".");
  CLI::App* extract = AddArchiveCommand(
      app, "extract", "Write the members of a distributable or LZH archive into a directory",
      kExtractExitStatus, status,
      [dir](const std::string& path) { return ExtractArchive(path, *dir); });
  extract
      ->add_option("-d,--directory", *dir,
                   "Where to write the members (default: here); made when it is missing")
      ->check(CLI::Validator(
          [](const std::string& value) { return value.empty() ? kEmptyDirectory : ""; }, "DIR"));
}
