#include "ombrix/member_walk.h"

#include <fstream>
#include <memory>

#include "archive/archive_pass.h"
#include "archive/member_header.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "ombrix/tool_work_area.h"
#include "startup/messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

bool HasSettingsBlock(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = static_cast<uint64_t>(in.tellg());
  char magic[2] = {};
  in.seekg(0);
  in.read(magic, 2);
  return in && magic[0] == 'M' && magic[1] == 'Z' && size >= kSettingsOffset + kSettingsSize;
}

int WalkMembers(const std::string& path, const MemberVisitor& visitor) {
  if (path.size() >= kPathCapacity) {
    throw ToolError(FormatMessage(kPathTooLong, path.c_str(), size_t{kPathCapacity - 1}));
  }
  ToolWorkArea area;
  CopyText(work->modulePath, kPathCapacity, path.c_str());
  const bool hasSettings = HasSettingsBlock(path);
  if (hasSettings) {
    ReadSettingsBlock();
  } else {
    CopyText(work->settings.windowTitle, sizeof work->settings.windowTitle, kDefaultCaption);
  }
  int longNames = 0;
  if (OpenArchive(nullptr, &longNames) == 0) return 1;
  if (visitor.opened) visitor.opened(hasSettings);
  while (ReadMemberHeader() == kHeaderRead) {
    AccumulateCheckValue();
    if (!visitor.member()) break;
  }
  platform::CloseRead(work->archiveFile);
  work->archiveFile = platform::kNoFile;
  if (visitor.walked) visitor.walked();
  VerifyCheckValue();
  return work->failed ? 1 : 0;
}

CLI::App* AddArchiveCommand(CLI::App& app, const char* name, const char* description,
                            const char* footer, int& status,
                            std::function<int(const std::string&)> run) {
  auto path = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(name, description);
  command->add_option("file", *path, "The distributable or archive")->required();
  command->footer(footer);
  command->callback([path, run = std::move(run), &status] {
    status = RunToolCommand([&] { return run(*path); });
  });
  return command;
}
