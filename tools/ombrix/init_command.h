// `ombrix init`: a commented project file for a folder, which a publisher starts from.
#pragma once

#include <CLI/CLI.hpp>

void AddInitCommand(CLI::App& app, int& status);
