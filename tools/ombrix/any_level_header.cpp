#include "ombrix/any_level_header.h"

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/error_report.h"
#include "older_methods/older_methods.h"
#include "ombrix/code_page.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

using namespace platform;

namespace {

constexpr uint32_t kPeekSize = 21;  // through the level byte, which every level has at 20
constexpr uint32_t kLevelAt = 20;
constexpr uint32_t kOldNameAt = 22;        // levels 0 and 1: name length at 21, then the name
constexpr uint32_t kLevel3FixedSize = 32;  // with the total size and the first extended size
constexpr uint32_t kExtendedLimit = 65536;
constexpr uint8_t kExtUnixTime = 0x54;

std::string linkTarget;  // of the member whose header was read last

uint32_t LoadLittle(const uint8_t* p, uint32_t bytes) {
  uint32_t value = 0;
  for (uint32_t i = bytes; i-- > 0;) value = value << 8 | p[i];
  return value;
}

// Archivers of MS-DOS, OS/2 and Atari TOS store names in capitals; as the other tools do, a name
// from them without a small letter comes out in small ones (never a Shift-JIS trail byte).
bool FoldsCase(uint8_t os) {
  return os == 0 || os == 'M' || os == '2' || os == 'a';
}

void LowerDosName(std::string& name) {
  for (char c : name)
    if (c >= 'a' && c <= 'z') return;
  for (size_t i = 0; i < name.size(); ++i) {
    if (ArchiveCodePage().IsLeadByte(static_cast<uint8_t>(name[i])))
      ++i;
    else if (name[i] >= 'A' && name[i] <= 'Z')
      name[i] = static_cast<char>(name[i] - 'A' + 'a');
  }
}

// What a header of any level says, in the shape of a level-2 header.
struct Facts {
  MemberHeader fixed{};
  std::string dirName, fileName;
  int32_t crcAt = -1;  // of the header CRC's field in the raw header
};

bool ReadMore(RunContext& run, std::vector<uint8_t>& raw, uint32_t count) {
  const size_t had = raw.size();
  raw.resize(had + count);
  return Read(run.program.file, raw.data() + had, count) == static_cast<int32_t>(count);
}

// The extended headers from the size at `at`, read as they come, each a type, its payload and
// the next one's size of `width` bytes.
bool WalkExtended(RunContext& run, std::vector<uint8_t>& raw, uint32_t at, uint32_t width,
                  Facts& facts) {
  for (uint32_t size = LoadLittle(&raw[at], width); size != 0;) {
    const uint32_t start = at + width;
    if (size < 1 + width || size > kExtendedLimit || raw.size() > kExtendedLimit) return false;
    if (!ReadMore(run, raw, size)) return false;
    const uint8_t type = raw[start];
    const uint32_t payload = size - 1 - width;
    const char* body = reinterpret_cast<const char*>(&raw[start + 1]);
    if (type == kExtHeaderCrc && payload >= 2) facts.crcAt = static_cast<int32_t>(start + 1);
    if (type == kExtFileName) facts.fileName.assign(body, payload);
    if (type == kExtDirName) facts.dirName.assign(body, payload);
    if (type == kExtAttributes && payload >= 2 && WritesDosAttributes(facts.fixed.osId)) {
      facts.fixed.dosAttribute = raw[start + 1];
    }
    if (type == kExtUnixTime && payload >= 4)
      facts.fixed.timeStamp = LoadLittle(&raw[start + 1], 4);
    at = start + size - width;
    size = LoadLittle(&raw[at], width);
  }
  return true;
}

uint32_t DosToUnixTime(uint32_t dos) {
  std::tm parts{};
  parts.tm_sec = static_cast<int>(dos & 0x1F) * 2;
  parts.tm_min = static_cast<int>(dos >> 5 & 0x3F);
  parts.tm_hour = static_cast<int>(dos >> 11 & 0x1F);
  parts.tm_mday = static_cast<int>(dos >> 16 & 0x1F);
  parts.tm_mon = static_cast<int>(dos >> 21 & 0x0F) - 1;
  parts.tm_year = static_cast<int>(dos >> 25) + 80;
  parts.tm_isdst = -1;  // the archiver wrote its local time, as lhasa reads it
  const time_t seconds = std::mktime(&parts);
  return seconds < 0 ? 0 : static_cast<uint32_t>(seconds);
}

// Levels 0 and 1: a one-byte size and an arithmetic checksum, a DOS time, the name in the base
// header; level 1 adds extended headers that its packed size counts.
bool ReadOldHeader(RunContext& run, std::vector<uint8_t>& raw, Facts& facts) {
  const uint32_t baseSize = raw[0] + 2u;
  if (baseSize < kOldNameAt + 2 || !ReadMore(run, raw, baseSize - kPeekSize)) return false;
  uint8_t sum = 0;
  for (uint32_t i = 2; i < baseSize; ++i) sum = static_cast<uint8_t>(sum + raw[i]);
  const uint32_t nameLength = raw[21];
  const bool level1 = raw[kLevelAt] == 1;
  if (sum != raw[1] || kOldNameAt + nameLength + (level1 ? 5 : 2) > baseSize) return false;
  std::memcpy(&facts.fixed, raw.data(), kLevelAt + 1);
  facts.fixed.timeStamp = DosToUnixTime(LoadLittle(&raw[15], 4));
  facts.fileName.assign(reinterpret_cast<const char*>(&raw[kOldNameAt]), nameLength);
  facts.fileName.resize(std::strlen(facts.fileName.c_str()));  // Amiga's comment after a 0 byte
  facts.fixed.dataCrc = static_cast<uint16_t>(LoadLittle(&raw[kOldNameAt + nameLength], 2));
  // PMarc keeps a member's comment where other archivers of level 0 keep their system's area.
  const bool comment = !level1 && std::memcmp(facts.fixed.method, "-pm", 3) == 0;
  const bool area = !comment && baseSize > kOldNameAt + nameLength + 2;
  facts.fixed.osId = area ? raw[kOldNameAt + nameLength + 2] : 0;
  if (!level1) return true;
  if (!WalkExtended(run, raw, baseSize - 2, 2, facts)) return false;
  const uint32_t extended = static_cast<uint32_t>(raw.size()) - baseSize;
  if (extended > facts.fixed.packedSize) return false;
  facts.fixed.packedSize -= extended;
  return true;
}

// Levels 2 and 3: the whole size first, a Unix time, extended headers inside it with a header CRC.
bool ReadNewHeader(RunContext& run, CrcState& crc, std::vector<uint8_t>& raw, Facts& facts) {
  const bool level3 = raw[kLevelAt] == 3;
  const uint32_t width = level3 ? 4 : 2;
  const uint32_t fixedSize = level3 ? kLevel3FixedSize : kFixedHeaderSize;
  if (!ReadMore(run, raw, fixedSize - kPeekSize)) return false;
  const uint32_t total = level3 ? LoadLittle(&raw[24], 4) : LoadLittle(&raw[0], 2);
  std::memcpy(&facts.fixed, raw.data(), kFixedHeaderSize - 2);
  // The chain is followed as it comes: one archiver counts the whole size 2 bytes short, and
  // another pads the header past its last extended header.
  if (!WalkExtended(run, raw, fixedSize - width, width, facts)) return false;
  if (total > kExtendedLimit ||
      (total > raw.size() && !ReadMore(run, raw, total - static_cast<uint32_t>(raw.size())))) {
    return false;
  }
  if (facts.crcAt < 0) return true;  // some archivers write none
  const uint16_t stored = static_cast<uint16_t>(LoadLittle(&raw[facts.crcAt], 2));
  raw[facts.crcAt] = raw[facts.crcAt + 1] = 0;
  crc.crc = 0;
  return UpdateCrc(crc, raw.data(), static_cast<int32_t>(raw.size())) == stored;
}

// The level-2 header of the facts, into the header buffer, under a header CRC of its own.
HeaderResult Rewrite(RunContext& run, CrcState& crc, HeaderState& state, Facts& facts) {
  std::vector<uint8_t> out(kFixedHeaderSize);
  const auto extend = [&](uint8_t type, const std::string& payload) {
    const size_t at = out.size() - 2;
    const auto size = static_cast<uint16_t>(payload.size() + 3);
    out[at] = static_cast<uint8_t>(size), out[at + 1] = static_cast<uint8_t>(size >> 8);
    out.push_back(type);
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), {0, 0});
  };
  // Some archivers store a directory as an empty file whose name ends in a separator.
  const std::string& last = facts.fileName.empty() ? facts.dirName : facts.fileName;
  if (!last.empty() && (last.back() == '/' || last.back() == '\\' || last.back() == '\xFF') &&
      facts.fixed.packedSize == 0 && facts.fixed.unpackedSize == 0) {
    std::memcpy(facts.fixed.method, "-lhd-", 5);
  }
  if (FoldsCase(facts.fixed.osId)) LowerDosName(facts.dirName), LowerDosName(facts.fileName);
  extend(kExtHeaderCrc, std::string(2, '\0'));
  if (!facts.fileName.empty()) extend(kExtFileName, facts.fileName);
  if (!facts.dirName.empty()) extend(kExtDirName, facts.dirName);
  if (out.size() > 0x7FFF || facts.fileName.size() > 0xFFFF || facts.dirName.size() > 0xFFFF) {
    return FailHeader(run), kHeaderFailed;
  }
  facts.fixed.headerSize = static_cast<int16_t>(out.size());
  facts.fixed.headerLevel = 2;
  facts.fixed.firstExtSize = 5;
  std::memcpy(out.data(), &facts.fixed, kFixedHeaderSize);
  crc.crc = 0;
  const uint16_t value = UpdateCrc(crc, out.data(), static_cast<int32_t>(out.size()));
  out[kFixedHeaderSize + 1] = static_cast<uint8_t>(value),
                         out[kFixedHeaderSize + 2] = static_cast<uint8_t>(value >> 8);
  state.header = static_cast<uint8_t*>(AllocZeroed(static_cast<uint32_t>(out.size())));
  if (state.header == nullptr) return ReportNoMemory(run), run.failed = true, kHeaderFailed;
  std::memcpy(state.header, out.data(), out.size());
  return CheckMemberHeader(run, crc, state);
}

// A member of an older method is checked as one of the stub's compressed methods would be, whose
// rules are the same for it, then given back its own method.
HeaderResult RewriteOlder(RunContext& run, CrcState& crc, HeaderState& state, Facts& facts,
                          const OlderMethod& older) {
  std::memcpy(facts.fixed.method, "-lh5-", 5);
  const HeaderResult result = Rewrite(run, crc, state, facts);
  if (result != kHeaderRead) return result;
  std::memcpy(CurrentHeader(state).method, older.name, 5);
  state.method = &older;
  return result;
}

// Every level has its method at 2.
bool LooksLikeMethod(const uint8_t* header) {
  return header[2] == '-' && header[6] == '-';
}

// Where the member whose header of level 0, 1 or 2 is at `at` ends, when its checksum or CRC
// holds and its data lies within the file; 0 otherwise.
uint32_t MemberEnd(RunContext& run, CrcState& crc, uint32_t at) {
  std::vector<uint8_t> raw(kPeekSize);
  if (Seek(run.program.file, static_cast<int32_t>(at), kSeekSet) == -1 ||
      Read(run.program.file, raw.data(), kPeekSize) != static_cast<int32_t>(kPeekSize)) {
    return 0;
  }
  Facts facts;
  const bool read = raw[kLevelAt] <= 1   ? ReadOldHeader(run, raw, facts)
                    : raw[kLevelAt] == 2 ? ReadNewHeader(run, crc, raw, facts)
                                         : false;
  const int32_t data = Seek(run.program.file, 0, kSeekCur);
  const uint64_t end = uint64_t{static_cast<uint32_t>(data)} + facts.fixed.packedSize;
  return read && data != -1 && end <= run.program.end ? static_cast<uint32_t>(end) : 0;
}

// Where the archive at `at` ends, past its end mark or at the file's end; 0 when a header of it
// does not hold.
uint32_t ArchiveEnd(RunContext& run, CrcState& crc, uint32_t at) {
  for (uint8_t size = 1; at != 0; at = MemberEnd(run, crc, at)) {
    if (Seek(run.program.file, static_cast<int32_t>(at), kSeekSet) == -1) return 0;
    const int32_t got = Read(run.program.file, &size, 1);
    if (got == 0) return at;
    if (got == 1 && size == 0) return at + 1;
  }
  return 0;
}

// Self-extracting programs of MS-DOS, the Amiga and Atari TOS carry their archive inside, after
// their code or in the midst of it, and may carry a small archive of their own before it, as a
// help text: what is extracted is the last whole archive found. Those programs are all well under
// 64 KiB, and looking no further keeps a large file that is no archive from being read through.
// 0 when there is none.
constexpr uint32_t kProgramLimit = 65536;

uint32_t FindArchiveInside(RunContext& run, CrcState& crc) {
  std::vector<uint8_t> head(kProgramLimit + 7);
  const int32_t got = Seek(run.program.file, 0, kSeekSet) == -1
                          ? -1
                          : Read(run.program.file, head.data(), static_cast<uint32_t>(head.size()));
  uint32_t found = 0;
  for (uint32_t at = 1; static_cast<int32_t>(at + 7) <= got; ++at) {
    const char* method = reinterpret_cast<const char*>(&head[at + 2]);
    const bool named = std::memcmp(method, "-lh", 3) == 0 || std::memcmp(method, "-lz", 3) == 0 ||
                       std::memcmp(method, "-pm", 3) == 0;
    const uint32_t end = named && method[4] == '-' ? ArchiveEnd(run, crc, at) : 0;
    if (end != 0) found = at, at = end - 1;  // its members' data is no program of its own
  }
  return found;
}

}  // namespace

const std::string& CurrentLinkTarget() {
  return linkTarget;
}

void ForgetLinkTarget() {
  linkTarget.clear();
}

HeaderResult ReadAnyLevelHeader(RunContext& run, CrcState& crc, HeaderState& state) {
  for (;;) {
    ReleaseHeader(state);
    const int32_t start = Seek(run.program.file, 0, kSeekCur);
    std::vector<uint8_t> raw(kPeekSize);
    const int32_t got = Read(run.program.file, raw.data(), kPeekSize);
    if (got == -1 || start == -1) return FailRead(run), kHeaderFailed;
    if (start == 0 && got == static_cast<int32_t>(kPeekSize) && !LooksLikeMethod(raw.data())) {
      if (const uint32_t inside = FindArchiveInside(run, crc); inside != 0) {
        Seek(run.program.file, static_cast<int32_t>(inside), kSeekSet);
        continue;
      }
      Seek(run.program.file, kPeekSize, kSeekSet);
    }
    // Levels 0 and 1 end with a size byte of 0; level 2's end mark is a size of 0.
    const uint8_t level = raw[kLevelAt];
    if (got >= 1 && raw[0] == 0 &&
        (got < static_cast<int32_t>(kPeekSize) || level != 2 || raw[1] == 0)) {
      return kArchiveEnd;
    }
    if (got < static_cast<int32_t>(kPeekSize)) {
      return got == 0 ? kArchiveCut : (FailHeader(run), kHeaderFailed);
    }
    Facts facts;
    std::memcpy(&facts.fixed, raw.data(), 7);
    if (!LooksLikeMethod(raw.data())) {
      if (start != 0) return FailHeader(run), kHeaderFailed;
      Complain(FormatMessage(kNotAnArchive, run.program.path));
      return run.failed = true, kHeaderFailed;
    }
    const bool read = level <= 1   ? ReadOldHeader(run, raw, facts)
                      : level <= 3 ? ReadNewHeader(run, crc, raw, facts)
                                   : false;
    if (!read) return FailHeader(run), kHeaderFailed;
    // LArc's and PMarc's stored methods are the data as it is, as -lh0- is.
    const std::string method(facts.fixed.method, 5);
    if (method == "-lz4-" || method == "-pm0-") std::memcpy(facts.fixed.method, "-lh0-", 5);
    std::string name = facts.dirName + facts.fileName;
    for (char& c : name) c = c == '\xFF' ? '/' : c;
    // Unix archivers store a symbolic link as a directory named "link|target".
    const size_t bar = name.find('|');
    const bool link = facts.fixed.osId == 'U' && bar != std::string::npos &&
                      std::memcmp(facts.fixed.method, "-lhd-", 5) == 0;
    linkTarget.clear();
    if (link) {
      // The walk sees a directory of the link's name, which the jobs that know links make one.
      linkTarget = name.substr(bar + 1);
      facts.fileName.clear();
      facts.dirName = name.substr(0, bar);
      for (char& c : facts.dirName) c = c == '/' ? '\xFF' : c;
      return Rewrite(run, crc, state, facts);
    }
    if (FindMethod(facts.fixed.method) != nullptr) return Rewrite(run, crc, state, facts);
    const OlderMethod* older = FindOlderMethod(facts.fixed.method);
    if (older != nullptr) return RewriteOlder(run, crc, state, facts, *older);
    Complain(
        FormatMessage(kMethodNotSupported, ArchiveCodePage().ToUtf8(name).c_str(), method.c_str()));
    run.failed = true;
    const int32_t data = Seek(run.program.file, 0, kSeekCur);
    const uint64_t next = uint64_t{static_cast<uint32_t>(data)} + facts.fixed.packedSize;
    if (data == -1 || next > run.program.end) return FailEof(run), kHeaderFailed;
    Seek(run.program.file, static_cast<int32_t>(next), kSeekSet);
  }
}
