#include "ombrix/info_command.h"

void AddInfoCommand(CLI::App& app, int& status) {
  (void)app;
  (void)status;
}
