#pragma once

#include <CLI/CLI.hpp>

void AddPackCommand(CLI::App& app, int& status);
