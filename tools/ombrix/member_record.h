// The members the tool writes, into distributables and plain .lzh files alike: each a level-2
// header, which EncodeMemberHeader alone lays out, and the data behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/member_header.h"

// Byte offsets inside a member header.
inline constexpr size_t kHeaderSizeOffset = offsetof(MemberHeader, headerSize);
inline constexpr size_t kMethodOffset = offsetof(MemberHeader, method);
inline constexpr size_t kPackedSizeOffset = offsetof(MemberHeader, packedSize);
inline constexpr size_t kUnpackedSizeOffset = offsetof(MemberHeader, unpackedSize);
inline constexpr size_t kTimeStampOffset = offsetof(MemberHeader, timeStamp);
inline constexpr size_t kDosAttributeOffset = offsetof(MemberHeader, dosAttribute);
inline constexpr size_t kHeaderLevelOffset = offsetof(MemberHeader, headerLevel);
inline constexpr size_t kDataCrcOffset = offsetof(MemberHeader, dataCrc);
inline constexpr size_t kOsIdOffset = offsetof(MemberHeader, osId);

inline constexpr uint8_t kDirSeparator = 0xFF;
inline constexpr uint8_t kAttrReadOnly = 0x01;
inline constexpr uint8_t kAttrHidden = 0x02;
inline constexpr uint8_t kAttrSystem = 0x04;
inline constexpr uint8_t kAttrDirectory = 0x10;
inline constexpr uint8_t kAttrArchive = 0x20;

// Members made by this tool say they come from Windows, so that the stub applies their
// attribute extended header. The attribute byte of the fixed part stays kAttrArchive: other
// level-2 readers refuse a header with anything else there.
inline constexpr uint8_t kOsWindows = 'W';

struct ExtHeader {
  uint8_t type;
  std::vector<uint8_t> data;  // stored as is; the size field is data.size() + 3
};

struct MemberRecord {
  std::string method = "-lh0-";  // any 5 bytes
  std::vector<uint8_t> data;     // the bytes stored after the header, already packed
  // The size of the data where it is written apart from the record, as a large file's is.
  std::optional<uint32_t> dataSize;
  uint32_t unpackedSize = 0;
  uint16_t dataCrc = 0;  // CRC-16 of the unpacked bytes
  uint32_t timeStamp = 0;
  uint8_t dosAttribute = kAttrArchive;
  uint8_t headerLevel = 2;
  uint8_t osId = kOsWindows;
  // Raw name bytes; the directory name separates and ends its components with kDirSeparator.
  // nullopt leaves the extended header out.
  std::optional<std::string> fileName;
  std::optional<std::string> dirName;
  std::optional<uint16_t> attributes;   // the 0x40 extended header
  bool withHeaderCrc = true;            // false leaves the required CRC extended header out
  std::vector<ExtHeader> extraHeaders;  // follow the ones above, in this order
};

// A stored (-lh0-) file member; attributes go into the extended header.
MemberRecord StoredFileMember(std::string dirName, std::string fileName, std::vector<uint8_t> bytes,
                              uint32_t timeStamp, uint8_t attributes);
// A directory (-lhd-) member; dirName ends with kDirSeparator.
MemberRecord DirectoryMember(std::string dirName, uint32_t timeStamp);

// Turns "a/b/" or "a/b" into the stored form "a\xFFb\xFF".
std::string ToStoredDirName(std::string_view slashPath);

void PutU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);
void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

std::vector<uint8_t> EncodeMemberHeader(const MemberRecord& member);
