// The stub's own walk over a distributable or a plain LZH archive, shared by the host-tool
// commands.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

// A distributable starts like any executable and is long enough to hold the settings block;
// anything else is walked as a plain archive from its first byte.
bool HasSettingsBlock(const std::string& path);

struct MemberVisitor {
  // After the settings are read and the archive is positioned; says whether the file had a
  // settings block.
  std::function<void(bool hasSettings)> opened;
  // Each member whose header is sound, with the file at the member's data. Leaves the file past
  // the data, or reports a failure, sets `failed` and returns false, which ends the walk as a
  // failure ends the stub's.
  std::function<bool()> member;
  // After the last member, before the check value is verified.
  std::function<void()> walked;
};

// Opens path as the stub opens its program file, in a work area of its own, and walks every
// member. Returns 0 when every header and member was good and the check value, if the settings
// ask for one, matches; 1 otherwise.
int WalkMembers(const std::string& path, const MemberVisitor& visitor);

// Adds a command whose argument is one distributable or archive. run takes its path and gives
// the exit status; failures are reported as every command reports them. Returns the command, to
// which the caller may add options of its own.
CLI::App* AddArchiveCommand(CLI::App& app, const char* name, const char* description,
                            const char* footer, int& status,
                            std::function<int(const std::string&)> run);
