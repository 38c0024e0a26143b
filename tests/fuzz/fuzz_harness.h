// What every fuzz target needs around the core, and the control bits that lead its input.
#pragma once

#include <cstdio>
#include <filesystem>

#include "host_files.h"
#include "platform_double.h"
#include "process_ended.h"

// Aborts, so that the fuzzer keeps the input.
inline void CheckThat(bool condition, const char* message) {
  if (!condition) std::fprintf(stderr, "fuzz check failed: %s\n", message), std::abort();
}

template <size_t... capacity>
bool AllTerminated(const char (&... texts)[capacity]) {
  return ((std::char_traits<char>::find(texts, capacity, '\0') != nullptr) && ...);
}

// A file in a directory of this process's own, written with bytes when they are given.
inline std::string OwnPath(const char* name, const std::vector<uint8_t>& bytes = {}) {
  static const struct Directory {
    std::string path = (std::filesystem::temp_directory_path() / "ombrix-fuzz-XXXXXX").string();
    Directory() { CheckThat(mkdtemp(path.data()) != nullptr, "cannot make a directory"); }
    ~Directory() { std::filesystem::remove_all(path); }
  } directory;
  const std::string path = directory.path + "/" + name;
  if (!bytes.empty()) WriteBytes(path, bytes);
  return path;
}

inline constexpr uint8_t kTextsShiftJis = 1, kTextsLongNames = 2, kTextsWin32s = 4;
