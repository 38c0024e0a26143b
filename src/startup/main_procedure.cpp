#include "startup/main_procedure.h"

#include "archive/path_macros.h"
#include "base/messages.h"
#include "base/text.h"
#include "setup/scan_pass.h"
#include "startup/command_line.h"

using namespace platform;

// The scan, and the dialog when the scan finds nothing wrong; the program's exit code.
static int ScanThenShowDialog(void* instance, WorkArea& work, const char* tail,
                              MainDialog showDialog) {
  RunContext& run = work.pass.run;
  TokenList tokens = TokenizeCommandTail(tail);
  const CommandOptions given = ReadOptions(tokens);
  FreeTokens(tokens);
  ProgramOptions& options = run.options;
  ModuleFileName(run.program.path, kPathCapacity);
  run.program.path[kPathCapacity - 1] = '\0';
  ReadSettingsBlock(run, given.dirGiven ? given.dir : nullptr);

  const uint8_t flags = run.settings.flags;
  options.overwriteSilently = (flags & kFlagOverwrite) != 0;
  options.autoStart = ResolveAutoStart(given.autoStart, flags);
  options.dateCompare = ResolveDateCompare(given.noDateCompare, flags);

  if (!RunScanPass(work.pass, work.setup)) return 0;

  char* installDir = run.settings.installDir;
  ExpandPathMacro(installDir, kDirCapacity, "", options.isWin32s);
  if (installDir[0] == '\0') CurrentDirectory(installDir, kDirCapacity);
  return showDialog(instance, work.pass, work.setup, work.dialog);
}

int RunProgram(void* instance, const char* tail, MainDialog showDialog) {
  const bool isWin32s = IsWin32s();
  auto* work = static_cast<WorkArea*>(AllocZeroed(sizeof(WorkArea)));
  if (work == nullptr) {
    ShowMessageBox(nullptr, kNotEnoughMemory, kDefaultCaption, kBoxTaskModal | kBoxIconError);
    return 0;
  }
  work->pass.run.options.isWin32s = isWin32s;
  const int result = ScanThenShowDialog(instance, *work, tail, showDialog);
  Release(work);
  return result;
}
