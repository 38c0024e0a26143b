#include "ombrix/explain.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "archive/name_sanitizer.h"
#include "archive/output_path.h"
#include "archive/path_macros.h"
#include "archive/path_names.h"
#include "archive/program_settings.h"
#include "base/text.h"
#include "ombrix/code_page.h"
#include "ombrix/member_walk.h"
#include "ombrix/regular_file.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_system.h"
#include "setup/setup_fields.h"
#include "setup/setup_script.h"
#include "setup/setup_texts.h"

namespace {

using platform::posix::WindowsSystem;

// 64-bit Windows 10 or 11 installed on C:, which runs the stub as a 32-bit program, so that the
// registry gives it the folder of 32-bit programs. "User" stands for the user's name.
void MakeTypical(WindowsSystem& system) {
  system.environment = {{"TEMP", "C:\\Users\\User\\AppData\\Local\\Temp"}};
  system.windowsDirectory = "C:\\WINDOWS";
  system.systemDirectory = "C:\\WINDOWS\\system32";
  system.registry = {
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", "C:\\Program Files (x86)"}};
  system.searchPath.clear();  // %Search% finds nothing there and means the system folder
  system.maxComponentLength = 255;
  system.win32s = false;
}

// The platform answers as that system while paths are placed, and as the tool's own again after.
class TypicalWindows {
 public:
  TypicalWindows() : saved_(platform::posix::System()) { MakeTypical(platform::posix::System()); }
  ~TypicalWindows() { platform::posix::System() = saved_; }
  TypicalWindows(const TypicalWindows&) = delete;
  TypicalWindows& operator=(const TypicalWindows&) = delete;

 private:
  WindowsSystem saved_;
};

// Every message box of the walk is one of the stub's stops; the tool still shows it as it does.
class StopRecorder {
 public:
  explicit StopRecorder(std::vector<std::string>& stops) {
    previous_ = platform::posix::AnswerBoxesWith([this, &stops](const char* text) {
      stops.push_back(ArchiveCodePage().ToUtf8(text));
      return previous_ ? previous_(text) : platform::kAnswerYes;
    });
  }
  ~StopRecorder() { platform::posix::AnswerBoxesWith(previous_); }
  StopRecorder(const StopRecorder&) = delete;
  StopRecorder& operator=(const StopRecorder&) = delete;

 private:
  platform::posix::BoxAnswer previous_;
};

std::string Utf8(std::string_view text) {
  return ArchiveCodePage().ToUtf8(text);
}

std::string Joined(const char* dir, const char* name) {
  return std::string(dir) + "\\" + name;
}

std::string Lower(std::string text) {
  for (char& c : text) c = platform::LowerChar(c);
  return text;
}

// The path as written, and as the stub's macro expansion leaves it (expanded in place); the macro
// is named only when one was resolved.
WindowsPath Resolved(const std::string& written, const char* expanded) {
  std::string plain = written;
  ConvertSeparators(plain.data(), '\\');
  const size_t macroEnd = written.find('%', 1);
  const bool resolved =
      written.starts_with('%') && macroEnd != std::string::npos && plain != expanded;
  return {Utf8(written), Utf8(expanded), resolved ? written.substr(0, macroEnd + 1) : ""};
}

struct Collector {
  DistributableFacts facts;
  SetupState setup{};
  std::vector<std::string> memberPaths;  // in the archive's code page
  bool settled = false;
};

// The notice and the script are decoded as the scan decodes them, and the script read as it reads
// it; directives of several scripts add up.
bool ReadReserved(PassArea& area, Collector& collector) {
  RunContext& run = area.run;
  const bool notice = ReservedMemberOf(area.header.memberPath) == kNoticeText;
  char* text = notice ? run.notice : run.script;
  const uint32_t capacity = notice ? kNoticeCapacity : kScriptCapacity;
  text[0] = '\0';
  return PassOverFailure(area, [&] {
    const DecodeStatus status =
        DecodeCurrentMember(area, {platform::kNoFile, text, capacity, area.crc, nullptr, nullptr});
    if (status == kDecodeDone && notice) collector.facts.notice = Utf8(run.notice);
    if (status == kDecodeDone && !notice) {
      collector.facts.script = true;
      ParseSetupScript(run, collector.setup);
    }
    return status;
  });
}

bool OnMember(PassArea& area, Collector& collector) {
  if (ReservedMemberOf(area.header.memberPath) != kOrdinaryMember) {
    return ReadReserved(area, collector);
  }
  const MemberHeader& header = CurrentHeader(area.header);
  MemberFact member;
  member.path = ShownMemberPath(area.header);
  member.directory = CurrentMethod(area.header).kind == MethodKind::kDirectory;
  member.size = header.unpackedSize;
  member.time = header.timeStamp;
  collector.facts.members.push_back(member);
  collector.memberPaths.emplace_back(area.header.memberPath);
  return SkipMemberData(area.run, area.header);
}

// Where the stub writes the member under dir, on a volume that takes long names.
void Place(MemberFact& member, const std::string& memberPath, const WindowsPath& folder,
           const char* dir) {
  char path[kPathCapacity];
  char out[kOutPathCapacity];
  CopyText(path, sizeof path, memberPath.c_str());
  BuildOutputPath(out, dir, path, false);
  ConvertSeparators(out, '/');
  SanitizePath(out[0] != '\0' && out[1] == ':' ? out + 2 : out, true);
  ConvertSeparators(out, '\\');
  member.lands = Resolved(memberPath, path);
  member.lands.typical = Utf8(out);
  const std::string inside = Lower(folder.typical + "\\");
  if (Lower(member.lands.typical).starts_with(inside)) return;
  member.outside = !member.lands.macro.empty()                     ? "macro"
                   : memberPath.size() > 1 && memberPath[1] == ':' ? "drive"
                                                                   : "root";
}

FileClassFact DescribeClass(const SetupState& line, const char* dir) {
  FileClassFact fact;
  std::string extension = Lower(line.classExt);
  std::string program = Joined(dir, line.progPath);
  ConvertSeparators(program.data(), '\\');
  fact.extension = Utf8(extension);
  fact.description = Utf8(line.classTitle);
  fact.classKey = Utf8(line.classKey);
  fact.program = Utf8(program);
  fact.passedOver = !ClassKeyFits(line.classKey) || !JoinedPathFits(dir, line.progPath);
  char text[kScratchCapacity];
  const std::string root = "HKEY_CLASSES_ROOT\\";
  fact.registry.push_back({root + fact.extension, fact.classKey});
  fact.registry.push_back({root + fact.classKey, fact.description});
  FormatOpenCommand(text, sizeof text, program.c_str());
  fact.registry.push_back({root + fact.classKey + kOpenCommandKey, Utf8(text)});
  FormatClassIcon(text, sizeof text, program.c_str());
  fact.registry.push_back({root + fact.classKey + kDefaultIconKey, Utf8(text)});
  FormatIniExtension(text, sizeof text, program.c_str(), extension.c_str());
  fact.winIniKey = fact.extension.empty() ? "" : fact.extension.substr(1);
  fact.winIniValue = Utf8(text);
  return fact;
}

// Program Manager is given the paths as the script joins them, without a separator's change.
GroupFact DescribeGroup(const SetupState& line, const char* dir) {
  GroupFact fact;
  const std::string program = Joined(dir, line.progPath);
  const std::string icon = line.iconPath[0] != '\0' ? Joined(dir, line.iconPath) : "";
  fact.group = Utf8(line.groupName);
  fact.item = Utf8(line.itemTitle);
  fact.program = Utf8(program);
  fact.icon = Utf8(icon);
  fact.passedOver =
      !JoinedPathFits(dir, line.progPath) || (!icon.empty() && !JoinedPathFits(dir, line.iconPath));
  char text[kScratchCapacity];
  FormatGroupCommand(text, sizeof text, line.groupName, program.c_str(), line.itemTitle,
                     icon.c_str());
  fact.ddeCommand = Utf8(text);
  return fact;
}

// What the stub does once the whole archive has been read: the folder as start-up settles it, the
// members placed under it, and the script's second reading with every line told, offered or not.
void Settle(PassArea& area, Collector& collector) {
  collector.settled = true;
  RunContext& run = area.run;
  DistributableFacts& facts = collector.facts;
  const SettingsBlock& settings = run.settings;
  facts.windowTitle = Utf8(settings.windowTitle);
  facts.installTitle = Utf8(settings.installTitle);
  facts.autoStart = ResolveAutoStart(kOptionNotGiven, settings.flags);
  facts.overwrite = (settings.flags & kFlagOverwrite) != 0;
  facts.dateCompare = ResolveDateCompare(kOptionNotGiven, settings.flags);
  facts.keepAttributes = settings.keepAttributes != 0;
  const SetupState& setup = collector.setup;
  if (setup.classChecked) facts.classBox = Utf8(setup.classCheckText);
  if (setup.groupChecked) facts.groupBox = Utf8(setup.groupCheckText);
  facts.askBeforeClass = setup.askRegist != 0;
  if (settings.flags & kFlagCheckValue) {
    facts.checkValue = {area.header.checkValue, area.header.crcXor, !run.failed};
  }
  // A member whose ".." made its header bad is still in the walk's state.
  if (run.failed && NameInsideTarget(area.header.memberPath) == nullptr) {
    facts.leadsUp = Utf8(area.header.memberPath);
  }

  const TypicalWindows typical;
  char dir[kDirCapacity];
  CopyText(dir, sizeof dir, settings.installDir);
  ExpandPathMacro(dir, sizeof dir, "", false);
  if (dir[0] == '\0') CopyText(dir, sizeof dir, ".");
  facts.folder = Resolved(settings.installDir, dir);
  for (size_t i = 0; i < facts.members.size(); ++i) {
    Place(facts.members[i], collector.memberPaths[i], facts.folder, dir);
  }
  SetupState line = setup;
  line.classChecked = line.groupChecked = 1;
  const char* cursor = run.script;
  for (int code; (code = NextActionLine(&cursor, line)) != kNoDirective;) {
    if (code == kClass) {
      facts.classes.push_back(DescribeClass(line, dir));
      facts.classes.back().offered = setup.classChecked != 0;
    } else {
      facts.groups.push_back(DescribeGroup(line, dir));
      facts.groups.back().offered = setup.groupChecked != 0;
    }
  }
  if (settings.command[0] != '\0') {
    char program[kDirCapacity];
    const char* parameters = SplitCommand(program, sizeof program, settings.command);
    facts.command = {Utf8(settings.command), Utf8(program), Utf8(parameters), Utf8(dir)};
  }
}

}  // namespace

DistributableFacts CollectFacts(const std::string& path) {
  if (!HasSettingsBlock(path)) {
    RequireRegularFile(path, kNotFound);
    throw ToolError(FormatMessage(kNotADistributable, path.c_str()));
  }
  Collector collector;
  collector.facts.file = path;
  const StopRecorder recorder(collector.facts.stops);
  ToolJob job;
  job.member = [&](PassArea& area) { return OnMember(area, collector); };
  job.walked = [&](PassArea& area) { Settle(area, collector); };
  WalkMembers(path, job);
  // An archive that could not even be opened still has its settings to tell.
  if (!collector.settled) {
    const auto area = std::make_unique<PassArea>();
    CopyText(area->run.program.path, kPathCapacity, path.c_str());
    ReadSettingsBlock(area->run, nullptr);
    area->run.failed = true;
    Settle(*area, collector);
  }
  return std::move(collector.facts);
}

int ExplainDistributable(const std::string& path, FactsView view, std::ostream& out) {
  const DistributableFacts facts = CollectFacts(path);
  if (view == FactsView::kJson) {
    WriteFactsJson(out, facts);
  } else {
    WriteExplanation(out, facts);
  }
  return facts.stops.empty() ? 0 : 1;
}
