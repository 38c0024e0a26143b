#include "ombrix/test_command.h"

#include <iostream>

#include "archive/member_file.h"
#include "base/error_report.h"
#include "ombrix/code_page.h"
#include "ombrix/member_walk.h"
#include "ombrix/pe_signature.h"
#include "ombrix/printable.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// The decoder's file sink, CRC included, with the bytes thrown away.
constexpr char kDiscard[] = "/dev/null";

DecodeStatus TestMember(PassArea& area, std::ostream& out) {
  RunContext& run = area.run;
  const HeaderState& header = area.header;
  if (CurrentMethod(header).kind != MethodKind::kDirectory) {
    OutputSink discard = FileSink(area);
    discard.file = platform::CreateOutputFile(kDiscard);
    if (discard.file == platform::kNoFile) return FailOpen(run, kDiscard), kDecodeDone;
    const DecodeStatus status = DecodeCurrentMember(area, discard);
    platform::CloseOutput(discard.file);
    if (status != kDecodeDone) return status;
    if (!CheckDataCrc(run, area.crc, header, header.memberPath, nullptr)) return kDecodeDone;
  }
  out << Printable(FormatMessage(kMemberOk, ShownMemberPath(header).c_str())) << '\n';
  return kDecodeDone;
}

// A signature, where there is one, must still cover every byte.
bool TestSignature(const std::string& path, std::ostream& out) {
  const PeSignature signature = ReadPeSignature(path);
  if (signature.status == PeSignature::kNotCovering) {
    Complain(FormatMessage(kSignatureBroken, path.c_str(), DescribeSignature(signature).c_str()));
  } else if (signature.status == PeSignature::kCovers) {
    out << FormatMessage(kSignatureOk, DescribeSignature(signature).c_str()) << '\n';
  }
  return signature.status != PeSignature::kNotCovering;
}

}  // namespace

int TestArchive(const std::string& path, std::ostream& out, bool acceptMissingEndMark) {
  ToolJob job;
  job.endMarkRequired = !acceptMissingEndMark;
  job.member = [&out](PassArea& area) {
    return PassOverFailure(area, [&] { return TestMember(area, out); });
  };
  const int status = WalkMembers(path, job);
  return TestSignature(path, out) ? status : 1;
}

void AddTestCommand(CLI::App& app, int& status) {
  auto accept = std::make_shared<bool>(false);
  CLI::App* test = AddArchiveCommand(
      app, "test", "Decode every member of a distributable or LZH archive and check its CRC",
      kTestExitStatus, status,
      [accept](const std::string& path) { return TestArchive(path, std::cout, *accept); });
  test->add_flag("--accept-missing-end-mark", *accept,
                 "Pass an archive that ends without its end mark, as some archivers write them");
}
