#include "setup/win32/setup_actions.h"

#include <shellapi.h>

#include "setup/setup_fields.h"
#include "setup/setup_script.h"
#include "setup/win32/file_class.h"
#include "setup/win32/program_group.h"

void RunSetupActions(RunContext& run, SetupState& setup, HWND dialog) {
  const char* cursor = run.script;
  for (int code; (code = NextActionLine(&cursor, setup)) != kNoDirective;) {
    if (code == kClass) {
      RegisterFileClass(run, setup);
    } else {
      MakeProgramGroup(run, setup, dialog);
    }
  }
  PostMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, 0);
}

void LaunchCommand(RunContext& run) {
  if (run.settings.command[0] == '\0' || run.failed) return;
  const char* parameters = SplitCommand(run.scratch, kScratchCapacity, run.settings.command);
  ShellExecuteA(static_cast<HWND>(run.dialogWindow), nullptr, run.scratch,
                parameters[0] != '\0' ? parameters : nullptr, run.extractDir, SW_SHOW);
}
