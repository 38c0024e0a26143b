#include "ombrix/test_command.h"

#include <iostream>

#include "archive/member_file.h"
#include "base/error_report.h"
#include "ombrix/member_walk.h"
#include "ombrix/tool_messages.h"

namespace {

// The decoder's file sink, CRC included, with the bytes thrown away. outPath stays empty, so
// that a fatal stop, which deletes the output file, has nothing to delete.
constexpr char kDiscard[] = "/dev/null";

bool TestMember(PassArea& area, std::ostream& out) {
  RunContext& run = area.run;
  const HeaderState& header = area.header;
  if (CurrentMethod(header).kind != MethodKind::kDirectory) {
    run.outFile = platform::CreateOutputFile(kDiscard);
    if (run.outFile == platform::kNoFile) return FailOpen(run, kDiscard) != 0;
    DecodeMemberData(SinkOf(area, kSinkFile), area.decoder, CurrentMemberData(header));
    platform::CloseOutput(run.outFile);
    run.outFile = platform::kNoFile;
    if (!CheckDataCrc(run, area.crc, header, header.memberPath, nullptr)) return false;
  }
  out << FormatMessage(kMemberOk, header.memberPath) << '\n';
  return true;
}

}  // namespace

int TestArchive(const std::string& path, std::ostream& out) {
  ToolJob job;
  job.member = [&out](PassArea& area) { return TestMember(area, out); };
  return WalkMembers(path, job);
}

void AddTestCommand(CLI::App& app, int& status) {
  AddArchiveCommand(app, "test",
                    "Decode every member of a distributable or LZH archive and check its CRC",
                    kTestExitStatus, status,
                    [](const std::string& path) { return TestArchive(path, std::cout); });
}
