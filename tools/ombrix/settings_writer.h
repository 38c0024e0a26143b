// Fills the settings block that packaging writes into the stub at file offset 512.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/settings_block.h"

struct PackSettings {
  uint32_t archiveOffset = 0;
  std::string windowTitle;
  std::string installTitle;
  std::string installDir;
  std::string command;
  uint8_t flags = 0;
  bool keepAttributes = false;
};

// Throws ToolError naming the field when a text does not fit with its terminator; a text is
// never cut, since a cut directory or command would silently do something else.
SettingsBlock MakeSettingsBlock(const PackSettings& settings);

// The stub's first 1115 bytes must exist; throws ToolError otherwise.
void PutSettingsBlock(std::vector<uint8_t>& stub, const SettingsBlock& block,
                      const std::string& stubName);
