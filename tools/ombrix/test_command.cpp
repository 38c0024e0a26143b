#include "ombrix/test_command.h"

void AddTestCommand(CLI::App& app, int& status) {
  (void)app;
  (void)status;
}
