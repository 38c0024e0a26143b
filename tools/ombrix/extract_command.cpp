#include "ombrix/extract_command.h"

#include <algorithm>
#include <cstring>
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

// MacLHA stored a Macintosh file as a MacBinary header, the data fork padded to 128 bytes and no
// resource fork; the other extractors write the data fork alone, and so does this one. The header
// is known by what MacLHA writes in it: the member's own name, no resource fork, nothing from
// byte 99 on (none of the later MacBinary versions' fields), a data fork the member holds whole,
// and a modification date within 14 hours of the member's, as the Mac's local time is in any time
// zone from the header's. The data fork's length, or 0 when the member is no such file.
constexpr uint32_t kMacBinarySize = 128;
constexpr uint32_t kMacEpoch = 2082844800;  // 1904 to 1970 in seconds
constexpr int64_t kZoneSpan = 14 * 3600;

uint32_t MacDataFork(const HeaderState& header) {
  const MemberHeader& member = CurrentHeader(header);
  uint8_t mac[kMacBinarySize];
  if (member.osId != 'm' || member.unpackedSize < 2 * kMacBinarySize ||
      !platform::posix::ReadPendingStart(mac, sizeof mac)) {
    return 0;
  }
  const auto big = [&mac](size_t at) {
    return uint32_t{mac[at]} << 24 | uint32_t{mac[at + 1]} << 16 | mac[at + 2] << 8 | mac[at + 3];
  };
  const uint32_t data = big(83);
  const uint32_t padded = (data + kMacBinarySize - 1) / kMacBinarySize * kMacBinarySize;
  const int64_t dateGap = int64_t{big(95)} - kMacEpoch - member.timeStamp;
  const bool named = mac[1] >= 1 && mac[1] <= 63 && mac[1] == header.fileNameLen &&
                     std::memcmp(&mac[2], header.fileNamePtr, mac[1]) == 0;
  const bool tailClear = std::all_of(&mac[99], std::end(mac), [](uint8_t b) { return b == 0; });
  const bool macBinary = mac[0] == 0 && mac[74] == 0 && mac[82] == 0 && named && tailClear &&
                         big(87) == 0 && data != 0 &&
                         member.unpackedSize - kMacBinarySize == padded && dateGap >= -kZoneSpan &&
                         dateGap <= kZoneSpan;
  return macBinary ? data : 0;
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
        const uint32_t dataFork = MacDataFork(area.header);
        if (dataFork == 0 || platform::posix::KeepPendingStretch(kMacBinarySize, dataFork)) {
          PlaceMember(area, extraction);
        } else {
          Complain(FormatMessage(kCannotPlace, ShownOutputPath(area.run).c_str(),
                                 platform::posix::TakeFailureReason().c_str()));
          platform::DeleteOutput(area.run.output.path);
          area.run.failed = true;
        }
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
