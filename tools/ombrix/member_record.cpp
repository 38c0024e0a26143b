#include "ombrix/member_record.h"

#include <stdexcept>

#include "ombrix/data_crc.h"

void PutU16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<uint8_t>(value);
  bytes.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  PutU16(bytes, offset, static_cast<uint16_t>(value));
  PutU16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

MemberRecord StoredFileMember(std::string dirName, std::string fileName, std::vector<uint8_t> bytes,
                              uint32_t timeStamp, uint8_t attributes) {
  MemberRecord member;
  member.unpackedSize = static_cast<uint32_t>(bytes.size());
  member.dataCrc = Crc16(bytes);
  member.data = std::move(bytes);
  member.timeStamp = timeStamp;
  member.attributes = attributes;
  member.fileName = std::move(fileName);
  if (!dirName.empty()) member.dirName = std::move(dirName);
  return member;
}

MemberRecord DirectoryMember(std::string dirName, uint32_t timeStamp) {
  MemberRecord member;
  member.method = "-lhd-";
  member.timeStamp = timeStamp;
  member.attributes = kAttrDirectory;
  // An empty file name, as other LZH tools write for directories.
  member.fileName = "";
  member.dirName = std::move(dirName);
  return member;
}

std::string ToStoredDirName(std::string_view slashPath) {
  std::string stored;
  for (const char c : slashPath) stored += c == '/' ? static_cast<char>(kDirSeparator) : c;
  if (!stored.empty() && stored.back() != static_cast<char>(kDirSeparator)) {
    stored += static_cast<char>(kDirSeparator);
  }
  return stored;
}

// Appends one extended header without its trailing size field: the caller writes the size of the
// next one (or the 0 that ends the chain) behind it.
static void AppendExtHeader(std::vector<uint8_t>& header, uint8_t type,
                            std::span<const uint8_t> data) {
  if (data.size() > 0xFFFF - 3) throw std::length_error("extended header too long");
  header.push_back(type);
  header.insert(header.end(), data.begin(), data.end());
  const size_t sizeField = header.size();
  header.resize(sizeField + 2);
  PutU16(header, sizeField, 0);
}

static std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::vector<uint8_t> EncodeMemberHeader(const MemberRecord& member) {
  if (member.method.size() != 5) throw std::invalid_argument("a method is 5 bytes");
  if (member.data.size() > UINT32_MAX) throw std::length_error("member data too long");
  std::vector<uint8_t> header(kFixedHeaderSize, 0);
  for (size_t i = 0; i < 5; ++i) header[kMethodOffset + i] = static_cast<uint8_t>(member.method[i]);
  PutU32(header, kPackedSizeOffset,
         member.dataSize.value_or(static_cast<uint32_t>(member.data.size())));
  PutU32(header, kUnpackedSizeOffset, member.unpackedSize);
  PutU32(header, kTimeStampOffset, member.timeStamp);
  header[kDosAttributeOffset] = member.dosAttribute;
  header[kHeaderLevelOffset] = member.headerLevel;
  PutU16(header, kDataCrcOffset, member.dataCrc);
  header[kOsIdOffset] = member.osId;

  // Each extended header's size goes into the size field that ends the previous one.
  std::optional<size_t> crcField;
  auto add = [&](uint8_t type, std::span<const uint8_t> data) {
    const size_t previousSizeField = header.size() - 2;
    if (type == kExtHeaderCrc && !crcField) crcField = header.size() + 1;
    AppendExtHeader(header, type, data);
    PutU16(header, previousSizeField, static_cast<uint16_t>(data.size() + 3));
  };
  const uint8_t zeroCrc[2] = {0, 0};
  if (member.withHeaderCrc) add(kExtHeaderCrc, zeroCrc);
  if (member.fileName) add(kExtFileName, Bytes(*member.fileName));
  if (member.dirName) add(kExtDirName, Bytes(*member.dirName));
  if (member.attributes) {
    const uint8_t attributes[2] = {static_cast<uint8_t>(*member.attributes),
                                   static_cast<uint8_t>(*member.attributes >> 8)};
    add(kExtAttributes, attributes);
  }
  for (const ExtHeader& extra : member.extraHeaders) add(extra.type, extra.data);

  // A first byte of 0 reads as the end mark to tools that look at one byte only, so such a
  // header grows by one padding byte behind the chain.
  if ((header.size() & 0xFF) == 0) header.push_back(0);
  if (header.size() > 0xFFFF) throw std::length_error("member header too long");
  PutU16(header, kHeaderSizeOffset, static_cast<uint16_t>(header.size()));

  if (crcField) PutU16(header, *crcField, Crc16(header));
  return header;
}
