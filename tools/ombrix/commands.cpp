#include "ombrix/commands.h"

#include "ombrix/extract_command.h"
#include "ombrix/info_command.h"
#include "ombrix/pack_command.h"
#include "ombrix/test_command.h"

void AddCommands(CLI::App& app, int& status) {
  AddPackCommand(app, status);
  AddInfoCommand(app, status);
  AddTestCommand(app, status);
  AddExtractCommand(app, status);
}
