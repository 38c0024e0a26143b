#include "setup/extraction_pass.h"

#include "archive/extract_member.h"
#include "base/text.h"

namespace {

// The member goes under the extraction directory.
void BuildStubOutputPath(RunContext& run, const char* memberPath) {
  char* out = run.outPath;
  CopyText(out, kOutPathCapacity, run.extractDir);
  const uint32_t length = TextLength(out);
  if (length > 0 && out[length - 1] != '/' && out[length - 1] != '\\') {
    AppendText(out, kOutPathCapacity, "/");
  }
  AppendText(out, kOutPathCapacity, memberPath);
}

bool ExtractOrdinaryMember(PassArea& area, void*) {
  if (ReservedSinkOf(area.header.memberPath) != kSinkFile) {
    return SkipMemberData(area.run, area.header) != 0;
  }
  return ExtractMember(area, BuildStubOutputPath);
}

}  // namespace

int RunExtractionPass(PassArea& area, platform::Window dialog) {
  return RunArchivePass(area, dialog, {ExtractOrdinaryMember, nullptr, nullptr});
}
