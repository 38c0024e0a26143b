// An LZH archive made by another archiver, to be carried inside a distributable as it is, once
// the stub's own walk has found that the stub can read every member.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ForeignArchive {
  std::vector<uint8_t> records;  // every member's header and data, without the end mark
  uint16_t crcXor = 0;           // of the members' data CRCs, for the check value
  bool hasNotice = false;
  bool hasScript = false;
};

// Reads the archive at path (a plain archive, or the archive of a distributable). Throws
// ToolError naming the first member the stub could not read: one whose header is not level 2, one
// with a method the stub does not know, or any header the walk refuses.
ForeignArchive ReadForeignArchive(const std::string& path);
