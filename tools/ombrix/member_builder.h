// The member that `pack` writes for a file or directory: compressed with the chosen method when
// that makes it smaller, stored otherwise.
#pragma once

#include "lzh_encoder/lzh_encoder.h"
#include "ombrix/member_record.h"
#include "ombrix/member_sources.h"

struct MemberCompression {
  const Method* method;  // a stored method stores every member
  int level = kDefaultLevel;
  unsigned threads = 1;  // that one large member's segments may be parsed on
};

// Reads the source's file (a directory gives a directory member). Throws ToolError when the file
// has vanished, cannot be read or is too large for a member; what progress throws passes through.
MemberRecord BuildMember(const MemberSource& source, const MemberCompression& compression,
                         const EncoderProgress& progress);

// Compresses a stored member's data with the chosen method where that makes it smaller.
void CompressMember(MemberRecord& member, const MemberCompression& compression,
                    const EncoderProgress& progress);
