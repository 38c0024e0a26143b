#include "setup/win32/extraction_pass.h"

#include "archive/extract_member.h"
#include "archive/output_path.h"
#include "setup/fatal_stop.h"
#include "setup/win32/setup_actions.h"

namespace {

// The member goes under the extraction directory, or where a drive, a root or a macro at the
// start of its path sends it; every name after a drive is fitted to the volume.
char* BuildStubOutputPath(RunContext& run, char* memberPath, void*) {
  char* out = run.output.path;
  BuildOutputPath(out, run.extractDir, memberPath, run.options.isWin32s);
  return out[0] != '\0' && out[1] == ':' ? out + 2 : out;
}

bool ExtractOrdinaryMember(PassArea& area, void*) {
  const DecodeStatus status = ExtractMember(area, {BuildStubOutputPath, nullptr});
  if (status != kDecodeDone) StopAfterDecodeFailure(area.run, status);
  return !area.run.failed;
}

void FinishExtraction(PassArea& area, void* setup) {
  RunSetupActions(area.run, *static_cast<SetupState*>(setup),
                  static_cast<HWND>(area.run.dialogWindow));
  LaunchCommand(area.run);
}

}  // namespace

bool RunExtractionPass(PassArea& area, SetupState& setup, HWND dialog) {
  return RunArchivePass(area, dialog, {ExtractOrdinaryMember, FinishExtraction, &setup});
}
