// An LZH archive made by another archiver, of any header level, carried into a distributable: each
// member re-headed as level 2, its data kept where the stub reads its method and compressed again
// where it does not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ombrix/member_builder.h"

struct ForeignArchive {
  std::vector<uint8_t> records;  // every member's header and data, without the end mark
  uint16_t crcXor = 0;           // of the members' data CRCs, for the check value
  bool hasNotice = false;
  bool hasScript = false;
};

// Reads the archive at path (a plain archive, or the archive of a distributable). A member of an
// older method is decoded, its CRC checked, and compressed as compression says. Throws ToolError
// when a member cannot be carried: a method the tool cannot decode, a symbolic link, a bad header
// or bad data; nothing is carried in part.
ForeignArchive ReadForeignArchive(const std::string& path, const MemberCompression& compression);
