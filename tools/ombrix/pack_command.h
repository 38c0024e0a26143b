// `ombrix pack`: a distributable from a stub, its settings and the files to extract, or with
// --plain a bare LZH archive.
#pragma once

#include <CLI/CLI.hpp>

#include "ombrix/packer.h"

void AddPackCommand(CLI::App& app, int& status);
