#include "ombrix/extract_command.h"

void AddExtractCommand(CLI::App& app, int& status) {
  (void)app;
  (void)status;
}
