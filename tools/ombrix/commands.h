// The host tool's commands, registered on its command line.
#pragma once

#include <CLI/CLI.hpp>

// Adds every command to app; each returns its exit status through the callback's result.
void AddCommands(CLI::App& app, int& status);
