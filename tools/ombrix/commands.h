// The host tool's commands, registered on its command line.
#pragma once

#include <CLI/CLI.hpp>

// Adds every command to app; each returns its exit status through the callback's result.
void AddCommands(CLI::App& app, int& status);

// The whole command line, as main takes it, with the tool's platform: the exit status, which is
// 2 for a mistake in the call.
int RunCommandLine(int argc, const char* const* argv);
