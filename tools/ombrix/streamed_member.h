// The member of a large file, written into the output as the file is read, so that packing
// holds a few segments of it and never the whole: compressed straight behind its header, whose
// sizes and CRC are filled in at the end, and written again stored where it did not shrink.
#pragma once

#include <functional>

#include "ombrix/member_builder.h"
#include "ombrix/output_file.h"

// Files larger than this are streamed; smaller ones are compressed whole, several at once.
inline constexpr uint64_t kStreamedFileBytes = uint64_t{4} << 20;

// Appends the member to output; onRead(n) is told of each n bytes read, on the calling thread.
// Returns the member's record, its data left out. Throws ToolError when the file cannot be read,
// has grown past what a member can hold, or changed while it was written a second time.
MemberRecord WriteStreamedMember(OutputFile& output, const MemberSource& source,
                                 const MemberCompression& compression,
                                 const std::function<void(uint64_t bytes)>& onRead);
