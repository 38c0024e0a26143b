// Archive areas built from the tool's member records, broken ones too.
#pragma once

#include <functional>
#include <span>

#include "ombrix/member_record.h"

inline constexpr size_t kFirstExtSizeOffset = offsetof(MemberHeader, firstExtSize);

struct Member : MemberRecord {
  Member() = default;
  // Implicit: a record is a member without edits.
  Member(MemberRecord record) : MemberRecord(std::move(record)) {}

  // Edits of the header bytes: the header CRC covers the first (which must not move the CRC
  // field), the second breaks it unless it changes nothing.
  std::function<void(std::vector<uint8_t>&)> editBeforeCrc, editAfterCrc;
};

// The XOR of the members' data CRCs: the check value.
uint16_t CheckValueOf(std::span<const Member> members);

struct ArchiveLayout {
  bool checkValue = false, endMark = true;
};
std::vector<uint8_t> BuildArchive(std::span<const Member> members, ArchiveLayout layout = {});
