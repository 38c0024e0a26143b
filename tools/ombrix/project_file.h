// A project file: the settings of `pack` in a TOML file that a publisher keeps beside the product
// and packs from again and again. Its keys are pack's own options, so that the command line and the
// file can never drift apart.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

// The type names that mark an option's value as a path, which a project file gives relative to its
// own folder: one that is read, and so must exist, and one that is written.
inline constexpr char kReadPathType[] = "PATH";
inline constexpr char kWrittenPathType[] = "FILE";

struct ProjectKey {
  enum class Kind { kFlag, kInteger, kText, kTexts };
  std::string name;  // the option's long name, or a positional's own
  CLI::Option* option;
  Kind kind;
};

// pack's options as a project file's keys, in the order pack declares them.
std::vector<ProjectKey> ProjectKeys(CLI::App& pack);

// Adds --project FILE to pack: each key of the file sets the option of its name that the command
// line leaves unset, paths given on the command line replacing the file's. A mistake in the file is
// a usage error that names the file, the line and the key.
void AddProjectOption(CLI::App& pack);
