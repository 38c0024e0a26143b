// The stub's own entry point: it takes the command tail and ends with exit(), which lets the
// program do without the runtime's start-up code.
#include <windows.h>

#include <cstdlib>

#include "startup/command_line.h"
#include "startup/main_procedure.h"
#include "ui/main_dialog.h"

extern "C" [[noreturn]] void StubEntry() {
  exit(RunProgram(GetModuleHandleA(nullptr), SkipProgramName(GetCommandLineA()), RunMainDialog));
}
