#include "ombrix/foreign_archive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "archive/archive_pass.h"
#include "archive/member_file.h"
#include "base/error_report.h"
#include "ombrix/any_level_header.h"
#include "ombrix/code_page.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/posix_system.h"

namespace {

// Keeps the walk's message boxes instead of showing them, so that the failure can be told once,
// in the words that fit it.
class CapturedBoxes {
 public:
  CapturedBoxes()
      : saved_(platform::posix::AnswerBoxesWith([this](const char* text) {
          if (text_.empty()) text_ = text;
          return platform::kAnswerYes;
        })) {}
  ~CapturedBoxes() { platform::posix::AnswerBoxesWith(saved_); }
  CapturedBoxes(const CapturedBoxes&) = delete;
  CapturedBoxes& operator=(const CapturedBoxes&) = delete;

  const std::string& text() const { return text_; }

 private:
  platform::posix::BoxAnswer saved_;
  std::string text_;
};

void Append(std::vector<uint8_t>& to, const void* bytes, size_t count) {
  const auto* begin = static_cast<const uint8_t*>(bytes);
  to.insert(to.end(), begin, begin + count);
}

// The current member's level-2 header as the walk checked it, its CRC put back where the check
// zeroed it.
std::vector<uint8_t> CheckedHeader(const HeaderState& state) {
  const auto size = static_cast<uint16_t>(CurrentHeader(state).headerSize);
  std::vector<uint8_t> header(state.header, state.header + size);
  const size_t crcAt = static_cast<size_t>(state.headerCrcField - state.header);
  PutU16(header, crcAt, state.headerCrc);
  return header;
}

// The current member's data as it lies in the archive, the file left after it.
bool ReadRawData(PassArea& area, std::vector<uint8_t>& to) {
  const uint32_t size = CurrentHeader(area.header).packedSize;
  if (size > area.run.program.end) return FailEof(area.run);
  const size_t at = to.size();
  to.resize(at + size);
  return platform::Read(area.run.program.file, to.data() + at, size) ==
             static_cast<int32_t>(size) ||
         FailEof(area.run);
}

// Decodes the current member into memory, its CRC checked; false after reporting a failure.
bool DecodeToMemory(PassArea& area, std::vector<uint8_t>& bytes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
  if (!file) throw ToolError(FormatMessage(kCannotWrite, "a temporary file", std::strerror(errno)));
  OutputSink sink = FileSink(area);
  sink.file = fileno(file.get());
  const DecodeStatus status = DecodeCurrentMember(area, sink);
  if (status != kDecodeDone) return ReportDecodeFailure(area.run, status), false;
  if (!CheckDataCrc(area.run, area.crc, area.header, area.header.memberPath, nullptr)) return false;
  bytes.resize(CurrentHeader(area.header).unpackedSize);
  std::rewind(file.get());
  return std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

// A member of an older method as the packer writes a file of the same name, time and attributes.
MemberRecord Recompressed(const HeaderState& state, std::vector<uint8_t> bytes,
                          const MemberCompression& compression) {
  const MemberHeader& fixed = CurrentHeader(state);
  std::string dirName(reinterpret_cast<const char*>(state.dirNamePtr),
                      state.dirNamePtr ? state.dirNameLen : 0);
  std::string fileName(reinterpret_cast<const char*>(state.fileNamePtr),
                       state.fileNamePtr ? state.fileNameLen : 0);
  MemberRecord member =
      StoredFileMember(std::move(dirName), std::move(fileName), std::move(bytes), fixed.timeStamp,
                       static_cast<uint8_t>(kAttrArchive | (state.attributes & 0x07)));
  CompressMember(member, compression, nullptr);
  return member;
}

}  // namespace

ForeignArchive ReadForeignArchive(const std::string& path, const MemberCompression& compression) {
  ForeignArchive archive;
  ToolJob job;
  job.member = [&](PassArea& area) {
    const HeaderState& state = area.header;
    if (!CurrentLinkTarget().empty()) {
      throw ToolError(FormatMessage(kForeignLink, path.c_str(), ShownMemberPath(state).c_str()));
    }
    archive.hasNotice |= ReservedMemberOf(state.memberPath) == kNoticeText;
    archive.hasScript |= ReservedMemberOf(state.memberPath) == kScriptText;
    if (CurrentMethod(state).kind != MethodKind::kOlder) {
      const std::vector<uint8_t> header = CheckedHeader(state);
      Append(archive.records, header.data(), header.size());
      return ReadRawData(area, archive.records);
    }
    std::vector<uint8_t> bytes;
    if (!DecodeToMemory(area, bytes)) return false;
    const MemberRecord member = Recompressed(state, std::move(bytes), compression);
    const std::vector<uint8_t> header = EncodeMemberHeader(member);
    Append(archive.records, header.data(), header.size());
    Append(archive.records, member.data.data(), member.data.size());
    return true;
  };
  job.walked = [&](PassArea& area) { archive.crcXor = area.header.crcXor; };
  CapturedBoxes boxes;
  if (WalkMembers(path, job) != 0) {
    throw ToolError(FormatMessage(
        kForeignRefused, path.c_str(),
        boxes.text().empty() ? "a member cannot be read (see above)" : boxes.text().c_str()));
  }
  return archive;
}
