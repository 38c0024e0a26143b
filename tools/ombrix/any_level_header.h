// Plain archives from any archiver. Headers of levels 0, 1 and 3 are rewritten as the level-2
// header that the walk checks, so that one set of checks, one member path and the same jobs serve
// every level; a level-2 header is read as the stub reads it.
#pragma once

#include <string>

#include "archive/member_header.h"

// As ReadMemberHeader, for a header of any level. A member whose method the tool cannot decode is
// reported by name, failed set, and passed over: the walk goes on. A symbolic link, as Unix
// archivers store one, comes to the walk as a directory of the link's name.
HeaderResult ReadAnyLevelHeader(RunContext& run, CrcState& crc, HeaderState& state);

// The target, in the archive's code page, of the symbolic link that the header read last named;
// empty when it named none.
const std::string& CurrentLinkTarget();
void ForgetLinkTarget();
