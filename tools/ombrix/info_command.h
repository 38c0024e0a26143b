#pragma once

#include <CLI/CLI.hpp>

void AddInfoCommand(CLI::App& app, int& status);
