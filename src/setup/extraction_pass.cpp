#include "setup/extraction_pass.h"

#include "archive/extract_member.h"
#include "archive/output_path.h"

namespace {

// The member goes under the extraction directory, or where a drive, a root or a macro at the
// start of its path sends it; every name after a drive is fitted to the volume.
char* BuildStubOutputPath(RunContext& run, char* memberPath, void*) {
  char* out = run.outPath;
  BuildOutputPath(out, run.extractDir, memberPath, run.options.isWin32s);
  return out[0] != '\0' && out[1] == ':' ? out + 2 : out;
}

bool ExtractOrdinaryMember(PassArea& area, void*) {
  if (ReservedSinkOf(area.header.memberPath) != kSinkFile) {
    return SkipMemberData(area.run, area.header) != 0;
  }
  return ExtractMember(area, {BuildStubOutputPath, nullptr});
}

}  // namespace

int RunExtractionPass(PassArea& area, platform::Window dialog) {
  return RunArchivePass(area, dialog, {ExtractOrdinaryMember, nullptr, nullptr});
}
