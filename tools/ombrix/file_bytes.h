// Whole files read into memory, for the stub and the members that `pack` writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Throws ToolError: with missingMessage (a format taking the path) when there is no such file,
// otherwise saying that it cannot be read.
std::vector<uint8_t> ReadInputFile(const std::string& path, const char* missingMessage);
