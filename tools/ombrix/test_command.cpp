#include "ombrix/test_command.h"

#include <iostream>

#include "archive/member_header.h"
#include "decode/member_decoder.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"
#include "startup/error_report.h"
#include "startup/messages.h"
#include "startup/work_area.h"

namespace {

// The decoder's file sink, CRC included, with the bytes thrown away. outPath stays empty, so
// that a fatal stop, which deletes the output file, has nothing to delete.
constexpr char kDiscard[] = "/dev/null";

bool TestMember(std::ostream& out) {
  if (MethodLetter() != 'd') {
    work->outFile = platform::CreateOutputFile(kDiscard);
    if (work->outFile == platform::kNoFile) return FailOpen(kDiscard) != 0;
    DecodeMemberData();
    platform::CloseOutput(work->outFile);
    work->outFile = platform::kNoFile;
    if (work->crc != CurrentHeader().dataCrc) {
      ReportError(kCrcError, work->memberPath);
      work->failed = 1;
      return false;
    }
  }
  out << FormatMessage(kMemberOk, work->memberPath) << '\n';
  return true;
}

}  // namespace

int TestArchive(const std::string& path, std::ostream& out) {
  MemberVisitor visitor;
  visitor.member = [&out] { return TestMember(out); };
  return WalkMembers(path, visitor);
}

void AddTestCommand(CLI::App& app, int& status) {
  AddArchiveCommand(app, "test",
                    "Decode every member of a distributable or LZH archive and check its CRC",
                    kTestExitStatus, status,
                    [](const std::string& path) { return TestArchive(path, std::cout); });
}
