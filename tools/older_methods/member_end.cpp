#include "older_methods/member_end.h"

#include <cstdint>

DecodeStatus EndMember(BitReader& reader, WindowOutput& out, platform::FileHandle archive) {
  if (TookBitsPastTheEnd(reader)) FailReader(reader, kDecodeCutShort);
  // What a failed stream decoded after its fault never reaches the sink.
  if (reader.status != kDecodeDone) return reader.status;
  // The older encoders may leave bytes after their stream's end, which the other readers of
  // these archives pass over; a rest the file cannot hold is data cut short.
  if (reader.unloaded > INT32_MAX) return kDecodeCutShort;
  if (reader.unloaded != 0 &&
      platform::Seek(archive, static_cast<int32_t>(reader.unloaded), platform::kSeekCur) == -1) {
    return kDecodeReadFailed;
  }
  return out.Finish();
}
