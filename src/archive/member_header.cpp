#include "archive/member_header.h"

#include "archive/crc16.h"
#include "archive/path_names.h"
#include "startup/error_report.h"
#include "startup/messages.h"
#include "startup/text.h"

using namespace platform;

static uint16_t LoadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

void ReleaseHeader() {
  if (work->header == nullptr) return;
  Release(work->header);
  work->header = nullptr;
  work->headerCrcField = nullptr;
  work->dirNamePtr = nullptr;
  work->fileNamePtr = nullptr;
}

void ReadExtendedHeader(uint8_t* data, uint32_t size) {
  uint8_t* payload = data + 1;
  const auto length = static_cast<uint16_t>(size - 3);
  switch (data[0]) {
    case kExtHeaderCrc:
      work->headerCrcField = payload;
      work->headerCrc = LoadU16(payload);
      break;
    case kExtFileName:
      work->fileNamePtr = payload;
      work->fileNameLen = length;
      break;
    case kExtDirName:
      work->dirNamePtr = payload;
      work->dirNameLen = length;
      break;
    case kExtAttributes: {
      const uint8_t os = CurrentHeader().osId;
      if (os == 'M' || os == 'W' || os == 'w') work->attributes = LoadU16(payload);
      break;
    }
    default:
      break;
  }
}

static bool MethodIsKnown(const char* method) {
  if (method[0] != '-' || method[1] != 'l' || method[2] != 'h' || method[4] != '-') return false;
  for (const char* letter = "04567d"; *letter != '\0'; ++letter) {
    if (method[3] == *letter) return true;
  }
  return false;
}

// The payload that each known type must hold; a shorter one cannot be what it claims.
static uint32_t MinimumPayload(uint8_t type) {
  return type == kExtHeaderCrc || type == kExtAttributes ? 2 : 0;
}

// Walks the extended-header chain. Each extended header must lie wholly inside the header
// buffer and be at least 3 bytes long (its type and the next size field); one that does not,
// or a CRC or attribute header without its 2 bytes, makes the header bad, so nothing is ever
// read outside the buffer.
static bool WalkExtendedHeaders(uint32_t headerSize) {
  uint8_t* header = work->header;
  uint32_t position = kFixedHeaderSize - 2;
  for (;;) {
    const uint32_t size = LoadU16(header + position);
    if (size == 0) return true;
    const uint32_t start = position + 2;
    if (size < 3 || start + size > headerSize) return false;
    if (size - 3 < MinimumPayload(header[start])) return false;
    ReadExtendedHeader(header + start, size);
    position += size;
  }
}

// Copies count name bytes as they are and terminates them.
static void CopyBytesExactly(char* dest, const uint8_t* source, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) dest[i] = static_cast<char>(source[i]);
  dest[count] = '\0';
}

// Joins directory and file name. Some archivers end a directory name without a separator, so
// one goes in between where the name lacks it; otherwise the last directory would run into the
// file name. A path that would not fit in memberPath makes the header bad rather than being
// cut, since a cut path would put the file somewhere else.
static bool BuildMemberPath() {
  const uint32_t dirLength = work->dirNamePtr ? work->dirNameLen : 0;
  const uint32_t fileLength = work->fileNamePtr ? work->fileNameLen : 0;
  char* path = work->memberPath;
  if (dirLength >= kPathCapacity) return false;
  CopyBytesExactly(path, work->dirNamePtr, dirLength);
  // The separator test runs over whole characters: a Shift-JIS trail byte can be a backslash.
  uint32_t length = dirLength;
  if (length != 0 && ConvertSeparators(path, '/') != path + length) path[length++] = '/';
  if (length + fileLength >= kPathCapacity) return false;
  CopyBytesExactly(path + length, work->fileNamePtr, fileLength);
  ConvertSeparators(path, '/');
  return true;
}

HeaderResult ReadMemberHeader() {
  ReleaseHeader();
  uint8_t sizeBytes[2];
  if (Read(work->archiveFile, sizeBytes, 2) != 2) return kArchiveEnd;
  const auto headerSize = static_cast<int16_t>(LoadU16(sizeBytes));
  if (headerSize == 0) return kArchiveEnd;
  if (headerSize < 0 || (work->header = static_cast<uint8_t*>(
                             AllocZeroed(static_cast<uint32_t>(headerSize)))) == nullptr) {
    ShowMessageBox(work->dialogWindow, kNotEnoughMemory, work->settings.windowTitle,
                   kBoxTaskModal | kBoxIconError);
    work->failed = 1;
    return kHeaderFailed;
  }
  // A header too small for its fixed part cannot be read without running off the buffer.
  if (headerSize < kFixedHeaderSize) return FailHeader(), kHeaderFailed;
  uint8_t* header = work->header;
  header[0] = sizeBytes[0];
  header[1] = sizeBytes[1];
  const auto rest = static_cast<uint32_t>(headerSize - 2);
  if (Read(work->archiveFile, header + 2, rest) != static_cast<int32_t>(rest)) {
    return FailHeader(), kHeaderFailed;
  }
  if (!MethodIsKnown(CurrentHeader().method)) return FailHeader(), kHeaderFailed;

  work->headerCrcField = nullptr;
  work->dirNameLen = 0;
  work->fileNamePtr = nullptr;
  work->fileNameLen = 0;
  work->attributes = CurrentHeader().dosAttribute;
  if (!WalkExtendedHeaders(static_cast<uint32_t>(headerSize)) || work->headerCrcField == nullptr) {
    return FailHeader(), kHeaderFailed;
  }
  work->headerCrcField[0] = 0;
  work->headerCrcField[1] = 0;
  work->crc = 0;
  if (UpdateCrc(header, headerSize) != work->headerCrc) return FailHeader(), kHeaderFailed;
  if (!BuildMemberPath()) return FailHeader(), kHeaderFailed;
  return kHeaderRead;
}

int SkipMemberData() {
  // A size beyond the whole file would wrap to a backward seek and walk the archive again.
  const uint32_t packedSize = CurrentHeader().packedSize;
  if (packedSize > work->fileEnd) return FailEof();
  const int32_t position = Seek(work->archiveFile, static_cast<int32_t>(packedSize), kSeekCur);
  if (position == -1) return FailRead();
  if (static_cast<uint32_t>(position) > work->fileEnd) return FailEof();
  return 1;
}
