#include "archive_builder.h"

#include "ombrix/data_crc.h"

// Where the header CRC lies: the tool's headers carry it in the first extended header.
static constexpr size_t kHeaderCrcField = kFixedHeaderSize + 1;

uint16_t CheckValueOf(std::span<const Member> members) {
  uint16_t value = 0;
  for (const Member& member : members) value ^= member.dataCrc;
  return value;
}

std::vector<uint8_t> BuildArchive(std::span<const Member> members, ArchiveLayout layout) {
  std::vector<uint8_t> archive;
  if (layout.checkValue) archive.resize(2), PutU16(archive, 0, CheckValueOf(members));
  for (const Member& member : members) {
    std::vector<uint8_t> header = EncodeMemberHeader(member);
    if (member.editBeforeCrc) {
      member.editBeforeCrc(header);
      if (member.withHeaderCrc)
        PutU16(header, kHeaderCrcField, 0), PutU16(header, kHeaderCrcField, Crc16(header));
    }
    if (member.editAfterCrc) member.editAfterCrc(header);
    archive.insert(archive.end(), header.begin(), header.end());
    archive.insert(archive.end(), member.data.begin(), member.data.end());
  }
  if (layout.endMark) archive.push_back(0);
  return archive;
}
