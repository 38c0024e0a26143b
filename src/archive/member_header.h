// One member's level-2 header as it lies in the header buffer, and its validation.
#pragma once

#include <cstdint>

#include "startup/work_area.h"

#pragma pack(push, 1)
struct MemberHeader {
  int16_t headerSize;
  char method[5];
  uint32_t packedSize;
  uint32_t unpackedSize;
  uint32_t timeStamp;
  uint8_t dosAttribute;
  uint8_t headerLevel;
  uint16_t dataCrc;
  uint8_t osId;
  uint16_t firstExtSize;
};
#pragma pack(pop)

// The fixed part, up to and including the first extended header's size.
inline constexpr int32_t kFixedHeaderSize = 26;
static_assert(sizeof(MemberHeader) == kFixedHeaderSize);

inline constexpr uint8_t kExtHeaderCrc = 0x00;
inline constexpr uint8_t kExtFileName = 0x01;
inline constexpr uint8_t kExtDirName = 0x02;
inline constexpr uint8_t kExtAttributes = 0x40;

// The member whose header is in work->header.
inline MemberHeader& CurrentHeader() {
  return *reinterpret_cast<MemberHeader*>(work->header);
}
inline char MethodLetter() {
  return CurrentHeader().method[3];
}

enum HeaderResult { kHeaderFailed = 0, kHeaderRead = 1, kArchiveEnd = 2 };

// Releases the previous header, reads and validates the next one and builds memberPath.
// kArchiveEnd at the end mark or when fewer than 2 bytes remain; kHeaderFailed after the
// failure has been reported and failed set.
HeaderResult ReadMemberHeader();

// Applies one extended header: data is its type byte, size its whole size.
void ReadExtendedHeader(uint8_t* data, uint32_t size);

// Seeks past the current member's data. 1 on success, 0 after reporting a failure.
int SkipMemberData();

void ReleaseHeader();
