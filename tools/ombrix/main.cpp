// ombrix: packs self-extracting distributables and inspects, tests and extracts them.
#include <CLI/CLI.hpp>

#include "ombrix/commands.h"
#include "ombrix/tool_error.h"

int main(int argc, char** argv) {
  CLI::App app{"ombrix - self-extracting LZH archives for 32-bit Windows"};
  app.require_subcommand(1);
  UseToolPlatform();
  int status = 0;
  AddCommands(app, status);
  CLI11_PARSE(app, argc, argv);
  return status;
}
