#include "ombrix/pack_command.h"

void AddPackCommand(CLI::App& app, int& status) {
  (void)app;
  (void)status;
}
