// Archive areas built in memory from the tool's member records, deliberately broken ones too:
// a member may carry edits of its header bytes.
#pragma once

#include <functional>
#include <span>

#include "ombrix/member_record.h"

inline constexpr size_t kFirstExtSizeOffset = offsetof(MemberHeader, firstExtSize);

using HeaderEdit = std::function<void(std::vector<uint8_t>& header)>;

struct Member : MemberRecord {
  Member() = default;
  // Implicit: a record is a member without edits.
  Member(MemberRecord record) : MemberRecord(std::move(record)) {}

  // Run on the header bytes as the tool writes them: the first before the header CRC is
  // computed (the CRC then covers the change), the second after it has been stored (the CRC no
  // longer matches unless the edit leaves the bytes alone). Either may resize the header; the
  // first must not move the CRC field.
  HeaderEdit editBeforeCrc;
  HeaderEdit editAfterCrc;
};

// The XOR of the members' data CRCs, which the archive area carries first when the settings ask
// for a check value.
uint16_t CheckValueOf(std::span<const Member> members);

struct ArchiveLayout {
  bool checkValue = false;
  bool endMark = true;
};

// An archive area: the check value if asked for, each member's header and data, the end
// mark.
std::vector<uint8_t> BuildArchive(std::span<const Member> members, ArchiveLayout layout = {});
