#pragma once

#include <CLI/CLI.hpp>

void AddTestCommand(CLI::App& app, int& status);
