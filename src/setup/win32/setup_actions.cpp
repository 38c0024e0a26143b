#include "setup/win32/setup_actions.h"

#include <shellapi.h>

#include "setup/setup_fields.h"
#include "setup/setup_script.h"
#include "setup/win32/file_class.h"
#include "setup/win32/program_group.h"

namespace {

// The four fields of an action line, each into its destination; false when one does not fit.
bool TakeFields(const char* line, char* const (&fields)[4], const uint32_t (&capacities)[4]) {
  bool fit = true;
  for (int i = 0; i < 4; ++i) fit = TakeField(&line, fields[i], capacities[i]) && fit;
  return fit;
}

}  // namespace

void RunSetupActions(RunContext& run, SetupState& setup, HWND dialog) {
  const char* cursor = run.script;
  char line[kLineCapacity];
  for (int code; (code = NextDirective(&cursor, line)) != kNoDirective;) {
    if (code == kClass && setup.classChecked) {
      if (TakeFields(line, {setup.classExt, setup.classTitle, setup.progPath, setup.classKey},
                     {sizeof setup.classExt, sizeof setup.classTitle, sizeof setup.progPath,
                      sizeof setup.classKey})) {
        RegisterFileClass(run, setup);
      }
    } else if (code == kGroup && setup.groupChecked) {
      if (TakeFields(line, {setup.groupName, setup.itemTitle, setup.progPath, setup.iconPath},
                     {sizeof setup.groupName, sizeof setup.itemTitle, sizeof setup.progPath,
                      sizeof setup.iconPath})) {
        MakeProgramGroup(run, setup, dialog);
      }
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
