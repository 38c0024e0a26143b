#include "ombrix/member_walk.h"

#include "archive/archive_pass.h"
#include "archive/member_header.h"
#include "ombrix/info_command.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "ombrix/tool_work_area.h"
#include "startup/messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

int WalkMembers(const std::string& path, const std::function<bool()>& visit) {
  if (path.size() >= kPathCapacity) {
    throw ToolError(FormatMessage(kPathTooLong, path.c_str(), size_t{kPathCapacity - 1}));
  }
  ToolWorkArea area;
  CopyText(work->modulePath, kPathCapacity, path.c_str());
  if (HasSettingsBlock(path)) {
    ReadSettingsBlock();
  } else {
    CopyText(work->settings.windowTitle, sizeof work->settings.windowTitle, kDefaultCaption);
  }
  int longNames = 0;
  if (OpenArchive(nullptr, &longNames) == 0) return 1;
  while (ReadMemberHeader() == kHeaderRead) {
    AccumulateCheckValue();
    if (!visit()) break;
  }
  platform::CloseRead(work->archiveFile);
  work->archiveFile = platform::kNoFile;
  VerifyCheckValue();
  return work->failed ? 1 : 0;
}
