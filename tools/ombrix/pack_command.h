// `ombrix pack`: a distributable from a stub, its settings and the files to extract, or with
// --plain a bare LZH archive.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ombrix/settings_writer.h"

struct PackOptions {
  bool plain = false;
  std::string stubPath;
  std::string outPath;
  PackSettings settings;  // archiveOffset is the stub's size
  bool checkValue = false;
  std::optional<std::string> noticePath;
  std::optional<std::string> scriptPath;
  std::optional<std::string> base;
  std::vector<std::string> paths;
};

// Writes options.outPath; throws ToolError, leaving an earlier file of that name untouched.
void Pack(const PackOptions& options);

void AddPackCommand(CLI::App& app, int& status);
