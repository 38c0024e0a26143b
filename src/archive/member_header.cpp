#include "archive/member_header.h"

#include "archive/path_names.h"
#include "base/error_report.h"

using namespace platform;

static uint16_t LoadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void ReleaseHeader(HeaderState& state) {
  if (state.header == nullptr) return;
  Release(state.header);
  state.header = nullptr;
  state.headerCrcField = nullptr;
  state.dirNamePtr = nullptr;
  state.fileNamePtr = nullptr;
}

// Applies one extended header: data is its type byte, size its whole size.
static void ReadExtendedHeader(HeaderState& state, uint8_t* data, uint32_t size) {
  uint8_t* payload = data + 1;
  const auto length = static_cast<uint16_t>(size - 3);
  switch (data[0]) {
    case kExtHeaderCrc:
      state.headerCrcField = payload;
      state.headerCrc = LoadU16(payload);
      break;
    case kExtFileName:
      state.fileNamePtr = payload;
      state.fileNameLen = length;
      break;
    case kExtDirName:
      state.dirNamePtr = payload;
      state.dirNameLen = length;
      break;
    case kExtAttributes: {
      if (WritesDosAttributes(CurrentHeader(state).osId)) state.attributes = LoadU16(payload);
      break;
    }
    default:
      break;
  }
}

// The payload that each known type must hold; a shorter one cannot be what it claims.
static uint32_t MinimumPayload(uint8_t type) {
  return type == kExtHeaderCrc || type == kExtAttributes ? 2 : 0;
}

// Walks the extended-header chain. Each extended header must lie wholly inside the header
// buffer and be at least 3 bytes long (its type and the next size field); one that does not,
// or a CRC or attribute header without its 2 bytes, makes the header bad, so nothing is ever
// read outside the buffer.
static bool WalkExtendedHeaders(HeaderState& state, uint32_t headerSize) {
  uint8_t* header = state.header;
  uint32_t position = kFixedHeaderSize - 2;
  for (;;) {
    const uint32_t size = LoadU16(header + position);
    if (size == 0) return true;
    const uint32_t start = position + 2;
    if (size < 3 || start + size > headerSize) return false;
    if (size - 3 < MinimumPayload(header[start])) return false;
    ReadExtendedHeader(state, header + start, size);
    position += size;
  }
}

// Copies count name bytes as they are and terminates them.
static void CopyBytesExactly(char* dest, const uint8_t* source, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) dest[i] = static_cast<char>(source[i]);
  dest[count] = '\0';
}

// Whether a '/'-separated path has a ".." component, which would lead out of the directory the
// user chose without a word.
static bool LeadsUp(const char* path) {
  for (const char* c = path; *c != '\0'; ++c) {
    if ((c == path || c[-1] == '/') && c[0] == '.' && c[1] == '.' && (c[2] == '/' || c[2] == '\0'))
      return true;
  }
  return false;
}

// Joins directory and file name. Some archivers end a directory name without a separator, so
// one goes in between where the name lacks it and a file name follows (or the member is a
// directory); otherwise the last directory would run into the file name. A path that would not
// fit in memberPath makes the header bad rather than being cut, since a cut path would put the
// file somewhere else.
static bool BuildMemberPath(HeaderState& state) {
  const uint32_t dirLength = state.dirNamePtr ? state.dirNameLen : 0;
  const uint32_t fileLength = state.fileNamePtr ? state.fileNameLen : 0;
  char* path = state.memberPath;
  if (dirLength >= kPathCapacity) return false;
  CopyBytesExactly(path, state.dirNamePtr, dirLength);
  // The separator test runs over whole characters: a Shift-JIS trail byte can be a backslash.
  uint32_t length = dirLength;
  const bool named = fileLength != 0 || CurrentMethod(state).kind == MethodKind::kDirectory;
  if (length != 0 && ConvertSeparators(path, '/') != path + length && named) path[length++] = '/';
  if (length + fileLength >= kPathCapacity) return false;
  CopyBytesExactly(path + length, state.fileNamePtr, fileLength);
  ConvertSeparators(path, '/');
  return !LeadsUp(path);
}

HeaderResult ReadMemberHeader(RunContext& run, CrcState& crc, HeaderState& state) {
  ReleaseHeader(state);
  uint8_t sizeBytes[2];
  // A short read is the archive's end; a failing one is not, or a damaged disk would pass for a
  // complete archive and the members after it would be silently missing.
  const int32_t got = Read(run.program.file, sizeBytes, 2);
  if (got == -1) return FailRead(run), kHeaderFailed;
  // One byte of 0 is the end mark that archivers write; nothing at all may be an archive cut short.
  if (got != 2) return got == 1 && sizeBytes[0] == 0 ? kArchiveEnd : kArchiveCut;
  const auto headerSize = static_cast<int16_t>(LoadU16(sizeBytes));
  if (headerSize == 0) return kArchiveEnd;
  if (headerSize < 0 || (state.header = static_cast<uint8_t*>(
                             AllocZeroed(static_cast<uint32_t>(headerSize)))) == nullptr) {
    ReportNoMemory(run);
    run.failed = true;
    return kHeaderFailed;
  }
  // A header too small for its fixed part cannot be read without running off the buffer.
  if (headerSize < kFixedHeaderSize) return FailHeader(run), kHeaderFailed;
  uint8_t* header = state.header;
  header[0] = sizeBytes[0];
  header[1] = sizeBytes[1];
  const auto rest = static_cast<uint32_t>(headerSize - 2);
  if (Read(run.program.file, header + 2, rest) != static_cast<int32_t>(rest)) {
    return FailHeader(run), kHeaderFailed;
  }
  return CheckMemberHeader(run, crc, state);
}

HeaderResult CheckMemberHeader(RunContext& run, CrcState& crc, HeaderState& state) {
  uint8_t* header = state.header;
  const auto headerSize = static_cast<uint16_t>(LoadU16(header));
  const MemberHeader& fixed = CurrentHeader(state);
  const Method* method = FindMethod(fixed.method);
  if (method == nullptr) return FailHeader(run), kHeaderFailed;
  state.method = method;
  // Passes that skip a member by one size and copy it by the other must see the same members.
  if ((method->kind == MethodKind::kStored && fixed.packedSize != fixed.unpackedSize) ||
      (method->kind == MethodKind::kDirectory && fixed.packedSize != 0)) {
    return FailHeader(run), kHeaderFailed;
  }

  state.headerCrcField = nullptr;
  state.dirNameLen = 0;
  state.fileNamePtr = nullptr;
  state.fileNameLen = 0;
  state.attributes = CurrentHeader(state).dosAttribute;
  if (!WalkExtendedHeaders(state, headerSize) || state.headerCrcField == nullptr) {
    return FailHeader(run), kHeaderFailed;
  }
  state.headerCrcField[0] = 0;
  state.headerCrcField[1] = 0;
  crc.crc = 0;
  if (UpdateCrc(crc, header, headerSize) != state.headerCrc) return FailHeader(run), kHeaderFailed;
  if (!BuildMemberPath(state)) return FailHeader(run), kHeaderFailed;
  return kHeaderRead;
}

bool SkipMemberData(RunContext& run, const HeaderState& state) {
  // A size beyond the whole file would wrap to a backward seek and walk the archive again.
  const uint32_t packedSize = CurrentHeader(state).packedSize;
  if (packedSize > run.program.end) return FailEof(run);
  const int32_t position = Seek(run.program.file, static_cast<int32_t>(packedSize), kSeekCur);
  if (position == -1) return FailRead(run);
  if (static_cast<uint32_t>(position) > run.program.end) return FailEof(run);
  return true;
}
