// The stub's own walk over a distributable or a plain LZH archive, as the host-tool commands use
// it.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "archive/archive_pass.h"

// A distributable starts like any executable and is long enough to hold the settings block;
// anything else is walked as a plain archive from its first byte.
bool HasSettingsBlock(const std::string& path);

struct ToolJob {
  // Where the job writes members, as the stub's extraction directory.
  std::string extractDir;
  // Before the first member (or after the walk when there is none), once the archive is open;
  // says whether the file had a settings block.
  std::function<void(PassArea& area, bool hasSettings)> opened;
  // Each member whose header is sound, as an ArchiveJob's member.
  std::function<bool(PassArea& area)> member;
  // After the last member, before the check value is verified.
  std::function<void(PassArea& area)> walked;
  // Whether an archive that ends without its end mark fails; it is said either way.
  bool endMarkRequired = false;
  // Whether a plain archive is read as the stub reads one (level 2 only), not as any archiver's.
  bool asTheStub = false;
};

// The current member's path as UTF-8, a symbolic link's as "link -> target".
std::string ShownMemberPath(const HeaderState& header);

// Opens path as the stub opens its program file, in a pass area of its own, and walks every
// member. Returns 0 when every header and member was good and the check value, if the settings
// ask for one, matches; 1 otherwise.
int WalkMembers(const std::string& path, const ToolJob& job);

// Runs work on the current member, the archive file at its data. A member that fails for reasons
// of its own (its data, its CRC, its output) has been reported and set failed, or returns the
// decoding's failure, which is reported here and its partial file deleted; either way it is
// passed over, so that every later member is still tested or written. Returns false, which ends
// the walk, only when the archive itself cannot be read on.
bool PassOverFailure(PassArea& area, const std::function<DecodeStatus()>& work);

// Adds a command whose argument is one distributable or archive. run takes its path and gives
// the exit status; failures are reported as every command reports them. Returns the command, to
// which the caller may add options of its own.
CLI::App* AddArchiveCommand(CLI::App& app, const char* name, const char* description,
                            const char* footer, int& status,
                            std::function<int(const std::string&)> run);
