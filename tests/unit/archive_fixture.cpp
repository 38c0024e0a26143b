#include "archive_fixture.h"

#include "archive/archive_pass.h"
#include "startup/text.h"

namespace {
constexpr uint32_t kImageSize = 64;
}

Member TextMember(const std::string& dirName, const std::string& fileName,
                  const std::string& text) {
  return StoredFileMember(dirName, fileName, Bytes(text), 1700000000, kAttrArchive);
}

void ArchiveTest::UseArchive(const std::vector<uint8_t>& archive, uint8_t flags) {
  std::vector<uint8_t> file(kImageSize, 'I');
  file.insert(file.end(), archive.begin(), archive.end());
  fileSize_ = file.size();
  CopyText(work->modulePath, kPathCapacity, WriteFile("program.exe", file).c_str());
  work->settings.archiveOffset = kImageSize;
  work->settings.flags = flags;
  CopyText(work->settings.windowTitle, sizeof work->settings.windowTitle, kTestCaption);
}

void ArchiveTest::UseMembers(const std::vector<Member>& members, ArchiveLayout layout) {
  UseArchive(BuildArchive(members, layout), layout.checkValue ? kFlagCheckValue : 0);
}

std::vector<WalkedMember> ArchiveTest::Walk() {
  std::vector<WalkedMember> walked;
  int longNames = 0;
  if (OpenArchive(nullptr, &longNames) == 0) return walked;
  while (ReadMemberHeader() == kHeaderRead) {
    walked.push_back({work->memberPath, MethodLetter(), work->attributes});
    if (SkipMemberData() == 0) break;
  }
  platform::CloseRead(work->archiveFile);
  work->archiveFile = platform::kNoFile;
  return walked;
}
