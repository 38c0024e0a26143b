// The stub's own walk over a distributable or a plain LZH archive, for the host-tool commands
// that read the members' data.
#pragma once

#include <functional>
#include <string>

// Opens path as the stub opens its program file (a distributable by its settings block,
// anything else as an archive from its first byte) in a work area of its own, and hands every
// member whose header is sound to visit, with the file at the member's data. visit leaves the
// file past the data, or reports a failure, sets `failed` and returns false, which ends the walk
// as a failure ends the stub's. Returns 0 when every header and member was good and the check
// value, if the settings ask for one, matches; 1 otherwise.
int WalkMembers(const std::string& path, const std::function<bool()>& visit);
