// Plain archives from any archiver. Headers of levels 0, 1 and 3 are rewritten as the level-2
// header that the walk checks, so that one set of checks, one member path and the same jobs serve
// every level; a level-2 header is read as the stub reads it.
#pragma once

#include "archive/member_header.h"

// As ReadMemberHeader, for a header of any level. A member whose method the tool cannot decode, or
// a symbolic link, is reported by name, failed set, and passed over: the walk goes on.
HeaderResult ReadAnyLevelHeader(RunContext& run, CrcState& crc, HeaderState& state);
