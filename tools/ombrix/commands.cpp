#include "ombrix/commands.h"

void AddCommands(CLI::App& app, int& status) {
  (void)app;
  status = 0;
}
