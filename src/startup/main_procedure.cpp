#include "startup/main_procedure.h"

#include "archive/archive_pass.h"
#include "archive/path_names.h"
#include "startup/command_line.h"
#include "startup/messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

using namespace platform;

// Reads the options and leaves an accepted directory in scratch, where the settings reader
// picks it up.
static CommandOptions TakeCommandLine(const char* tail) {
  TokenList tokens = TokenizeCommandTail(tail);
  const CommandOptions options = ReadOptions(tokens);
  FreeTokens(tokens);
  program.dirFromCommandLine = options.dirGiven;
  if (options.dirGiven) CopyText(work->scratch, kScratchCapacity, options.dir);
  return options;
}

int RunProgram(void* instance, const char* tail) {
  program.isWin32s = IsWin32s();
  program.instance = instance;
  work = static_cast<WorkArea*>(AllocZeroed(sizeof(WorkArea)));
  if (work == nullptr) {
    ShowMessageBox(nullptr, kNotEnoughMemory, kDefaultCaption, kBoxTaskModal | kBoxIconError);
    return 0;
  }
  const CommandOptions options = TakeCommandLine(tail);
  ModuleFileName(work->modulePath, kPathCapacity);
  work->modulePath[kPathCapacity - 1] = '\0';
  ReadSettingsBlock();

  const uint8_t flags = work->settings.flags;
  program.askRegist = 0;
  program.overwriteSilently = (flags & kFlagOverwrite) != 0;
  program.autoStart = ResolveAutoStart(options.autoStart, flags);
  program.dateCompare = ResolveDateCompare(options.noDateCompare, flags);

  if (RunArchivePass(nullptr, kScanMode) == 0) return 0;

  char* installDir = work->settings.installDir;
  ExpandPathMacro(installDir, "");
  if (installDir[0] == '\0') CurrentDirectory(installDir, kDirCapacity);

  const int result = RunMainDialog();
  Release(work);
  work = nullptr;
  return result;
}
