#include "ombrix/member_walk.h"

#include <fstream>
#include <memory>

#include "archive/member_file.h"
#include "archive/program_settings.h"
#include "base/messages.h"
#include "base/text.h"
#include "ombrix/any_level_header.h"
#include "ombrix/code_page.h"
#include "ombrix/regular_file.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// The walk's area, zero-filled as the stub's, with any header buffer given back however the walk
// ends.
struct ToolPassArea {
  std::unique_ptr<PassArea> area = std::make_unique<PassArea>();
  ToolPassArea() = default;
  ToolPassArea(const ToolPassArea&) = delete;
  ToolPassArea& operator=(const ToolPassArea&) = delete;
  ~ToolPassArea() { ReleaseHeader(area->header); }
};

struct WalkState {
  const ToolJob& job;
  bool hasSettings;
  bool opened = false;

  void Open(PassArea& area) {
    if (opened) return;
    opened = true;
    if (job.opened) job.opened(area, hasSettings);
  }
};

bool OnMember(PassArea& area, void* context) {
  auto& state = *static_cast<WalkState*>(context);
  state.Open(area);
  return state.job.member(area);
}

// The stub reads on to the file's end as the walk does; a reader of the archive is told.
void OnFinish(PassArea& area, void* context) {
  auto& state = *static_cast<WalkState*>(context);
  state.Open(area);
  if (area.header.cut && !area.run.failed) {
    Complain(FormatMessage(kNoEndMark, area.run.program.path));
    area.run.failed = state.job.endMarkRequired;
  }
  if (state.job.walked) state.job.walked(area);
  VerifyCheckValue(area);
}

}  // namespace

bool HasSettingsBlock(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = static_cast<uint64_t>(in.tellg());
  char magic[2] = {};
  in.seekg(0);
  in.read(magic, 2);
  return in && magic[0] == 'M' && magic[1] == 'Z' && size >= kSettingsOffset + kSettingsSize;
}

std::string ShownMemberPath(const HeaderState& header) {
  const CodePage& codePage = ArchiveCodePage();
  const std::string path = codePage.ToUtf8(header.memberPath);
  const std::string& target = CurrentLinkTarget();
  if (target.empty()) return path;
  return path.substr(0, path.find_last_not_of('/') + 1) + " -> " + codePage.ToUtf8(target);
}

int WalkMembers(const std::string& path, const ToolJob& job) {
  if (path.size() >= kPathCapacity) {
    throw ToolError(FormatMessage(kPathTooLong, path.c_str(), size_t{kPathCapacity - 1}));
  }
  if (job.extractDir.size() >= kDirCapacity) {
    throw ToolError(FormatMessage(kPathTooLong, job.extractDir.c_str(), size_t{kDirCapacity - 1}));
  }
  RequireRegularFile(path, kNotFound);
  ForgetLinkTarget();  // a distributable's headers never name one
  ToolPassArea holder;
  PassArea& area = *holder.area;
  RunContext& run = area.run;
  run.output.file = platform::kNoFile;
  CopyText(run.program.path, kPathCapacity, path.c_str());
  CopyText(run.extractDir, kDirCapacity, job.extractDir.c_str());
  WalkState state{job, HasSettingsBlock(path)};
  if (state.hasSettings) {
    ReadSettingsBlock(run, nullptr);
  } else {
    CopyText(run.settings.windowTitle, sizeof run.settings.windowTitle, kDefaultCaption);
  }
  // The settings decide about existing files as the stub's do with no options on its command line,
  // except that nobody is there to answer a question: what the stub would ask about is replaced.
  run.options.dateCompare = ResolveDateCompare(kOptionNotGiven, run.settings.flags);
  run.options.overwriteSilently = true;
  return RunArchivePass(
             area, nullptr,
             {OnMember, OnFinish, &state,
              state.hasSettings || job.asTheStub ? ReadMemberHeader : ReadAnyLevelHeader})
             ? 0
             : 1;
}

bool PassOverFailure(PassArea& area, const std::function<DecodeStatus()>& work) {
  RunContext& run = area.run;
  const int32_t dataStart = platform::Seek(run.program.file, 0, platform::kSeekCur);
  const bool failedBefore = run.failed;
  run.failed = false;
  const DecodeStatus status = work();
  if (status != kDecodeDone) {
    ReportDecodeFailure(run, status);
    DiscardMemberFile(run);
  }
  const bool memberFailed = run.failed;
  run.failed = run.failed || failedBefore;
  if (!memberFailed) return true;
  const uint64_t next =
      uint64_t{static_cast<uint32_t>(dataStart)} + CurrentHeader(area.header).packedSize;
  return status != kDecodeReadFailed && dataStart != -1 && next <= run.program.end &&
         platform::Seek(run.program.file, static_cast<int32_t>(next), platform::kSeekSet) != -1;
}

CLI::App* AddArchiveCommand(CLI::App& app, const char* name, const char* description,
                            const char* footer, int& status,
                            std::function<int(const std::string&)> run) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(name, description);
  command->add_option("file", *path, "The distributable or archive")->required();
  AddCodePageOption(*command);
  command->footer(footer);
  command->callback([path, run = std::move(run), &status] {
    status = RunToolCommand([&] { return run(*path); });
  });
  return command;
}
