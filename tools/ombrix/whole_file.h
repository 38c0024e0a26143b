// A whole file read into memory. Needs nothing else of the tool, so that the image writer, a
// build program of the stub, reads its files the same way.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// Nothing when the file cannot be opened or read to its end; errno is then ENOENT only when
// there is no such file.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path);
