// One member's level-2 header as it lies in the header buffer, and its validation.
#pragma once

#include <cstdint>

#include "base/crc16.h"
#include "base/run_context.h"
#include "decode/member_decoder.h"

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

// The systems whose archivers write an attributes extended header the walk takes.
inline bool WritesDosAttributes(uint8_t os) {
  return os == 'M' || os == 'W' || os == 'w';
}

// The header part of the work area: the current member's header buffer and what the walk took
// from it, and the check value of the archive.
struct HeaderState {
  uint8_t* header;  // allocated per member, released before the next
  uint8_t* headerCrcField;
  uint8_t* dirNamePtr;
  uint8_t* fileNamePtr;
  const Method* method;  // of the current member, found when its header was checked
  uint16_t headerCrc;
  uint16_t attributes;
  uint16_t dirNameLen;
  uint16_t fileNameLen;
  uint16_t checkValue;  // as the archive area stores it
  uint16_t crcXor;      // of the members' data CRCs so far
  bool cut;             // the walk ended without an end mark
  char memberPath[kPathCapacity];
};

inline const MemberHeader& CurrentHeader(const HeaderState& state) {
  return *reinterpret_cast<const MemberHeader*>(state.header);
}
inline MemberHeader& CurrentHeader(HeaderState& state) {
  return *reinterpret_cast<MemberHeader*>(state.header);
}

// The current member's method; the walk has made sure there is one.
inline const Method& CurrentMethod(const HeaderState& state) {
  return *state.method;
}

// What the decoder needs of the current member.
inline MemberData CurrentMemberData(const HeaderState& state) {
  const MemberHeader& header = CurrentHeader(state);
  return {CurrentMethod(state), header.packedSize, header.unpackedSize};
}

// The two names that are never written to disk: the notice and the setup script, which the scan
// decodes into their texts.
inline constexpr char kNoticeMember[] = "!";
inline constexpr char kScriptMember[] = "$";

enum ReservedMember : uint8_t { kOrdinaryMember, kNoticeText, kScriptText };

inline ReservedMember ReservedMemberOf(const char* memberPath) {
  if (memberPath[0] == '\0' || memberPath[1] != '\0') return kOrdinaryMember;
  return memberPath[0] == kNoticeMember[0]   ? kNoticeText
         : memberPath[0] == kScriptMember[0] ? kScriptText
                                             : kOrdinaryMember;
}

enum HeaderResult { kHeaderFailed = 0, kHeaderRead = 1, kArchiveEnd = 2, kArchiveCut = 3 };

// Releases the previous header, reads and validates the next one and builds memberPath.
// kArchiveEnd at the end mark, kArchiveCut where the file ends without one (both end the walk);
// kHeaderFailed after the failure has been reported and failed set.
HeaderResult ReadMemberHeader(RunContext& run, CrcState& crc, HeaderState& state);

// The checks of ReadMemberHeader on the level-2 header that lies whole in the header buffer, at
// least kFixedHeaderSize bytes: method and sizes, extended headers, header CRC, memberPath.
HeaderResult CheckMemberHeader(RunContext& run, CrcState& crc, HeaderState& state);

// Seeks past the current member's data. false after reporting a failure.
bool SkipMemberData(RunContext& run, const HeaderState& state);

void ReleaseHeader(HeaderState& state);
