// The member that `pack` writes for a file or directory: compressed with the chosen method when
// that makes it smaller, stored otherwise.
#pragma once

#include <optional>

#include "lzh_encoder/lzh_encoder.h"
#include "ombrix/lzh_writer.h"
#include "ombrix/member_sources.h"

struct MemberCompression {
  std::optional<EncoderMethod> method;  // none: every member stored
  int level = kDefaultLevel;
};

// Reads the source's file (a directory gives a directory member). Throws ToolError when the file
// has vanished, cannot be read or is too large for a member; what progress throws passes through.
Member BuildMember(const MemberSource& source, const MemberCompression& compression,
                   const EncoderProgress& progress);
