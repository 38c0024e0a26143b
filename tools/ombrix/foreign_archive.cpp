#include "ombrix/foreign_archive.h"

#include <fstream>
#include <optional>

#include "archive/member_header.h"
#include "decode/methods.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "platform/posix/posix_system.h"

namespace {

constexpr uint8_t kWrappableLevel = 2;

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

uint32_t FilePosition(const PassArea& area) {
  return static_cast<uint32_t>(platform::Seek(area.run.program.file, 0, platform::kSeekCur));
}

// Where the first member's header starts: behind the check value, if the settings have one.
uint32_t FirstHeaderPosition(const PassArea& area) {
  const SettingsBlock& settings = area.run.settings;
  return settings.archiveOffset + ((settings.flags & kFlagCheckValue) ? 2 : 0);
}

// Why the stub cannot read the header at offset, when its fixed part tells: a method or a header
// level other than those it reads.
std::optional<std::string> DiagnoseHeader(const std::string& path, uint32_t offset) {
  MemberHeader header{};
  std::ifstream in(path, std::ios::binary);
  in.seekg(offset);
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header)) return std::nullopt;
  const std::string method(header.method, sizeof header.method);
  if (FindMethod(header.method) == nullptr) {
    return FormatMessage(kForeignMethod, path.c_str(), offset, method.c_str());
  }
  if (header.headerLevel != kWrappableLevel) {
    return FormatMessage(kForeignLevel, path.c_str(), offset, header.headerLevel);
  }
  return std::nullopt;
}

}  // namespace

ForeignArchive ReadForeignArchive(const std::string& path) {
  if (!std::ifstream(path, std::ios::binary)) {
    throw ToolError(FormatMessage(kCannotRead, path.c_str()));
  }
  ForeignArchive archive;
  uint32_t start = 0;
  uint32_t end = 0;
  std::optional<std::string> refusal;
  ToolJob job;
  job.asTheStub = true;
  job.opened = [&](PassArea& area, bool) { start = end = FirstHeaderPosition(area); };
  job.member = [&](PassArea& area) {
    const HeaderState& state = area.header;
    if (CurrentHeader(state).headerLevel != kWrappableLevel) {
      refusal = DiagnoseHeader(path, end);
      return false;
    }
    archive.hasNotice |= ReservedMemberOf(state.memberPath) == kNoticeText;
    archive.hasScript |= ReservedMemberOf(state.memberPath) == kScriptText;
    if (!SkipMemberData(area.run, state)) return false;
    end = FilePosition(area);
    return true;
  };
  job.walked = [&](PassArea& area) { archive.crcXor = area.header.crcXor; };
  CapturedBoxes boxes;
  const bool walked = WalkMembers(path, job) == 0;
  if (!refusal && !walked) refusal = DiagnoseHeader(path, end);
  if (!refusal && !walked)
    refusal = FormatMessage(kForeignRefused, path.c_str(), boxes.text().c_str());
  if (refusal) throw ToolError(*refusal);

  std::ifstream in(path, std::ios::binary);
  archive.records.resize(end - start);
  in.seekg(start);
  if (!in.read(reinterpret_cast<char*>(archive.records.data()),
               static_cast<std::streamsize>(archive.records.size()))) {
    throw ToolError(FormatMessage(kCannotRead, path.c_str()));
  }
  return archive;
}
