#pragma once

#include <CLI/CLI.hpp>

void AddExtractCommand(CLI::App& app, int& status);
