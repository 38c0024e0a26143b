#include "setup/scan_pass.h"

#include "setup/setup_script.h"

using namespace platform;

namespace {

// Only the notice and the script are decoded, into memory; every other member is skipped.
bool ScanMember(PassArea& area, void* context) {
  RunContext& run = area.run;
  DecoderState& decoder = area.decoder;
  decoder.sinkKind = ReservedSinkOf(area.header.memberPath);
  if (decoder.sinkKind == kSinkFile) return SkipMemberData(run, area.header) != 0;
  // An empty notice must not show whatever scratch held before.
  if (decoder.sinkKind == kSinkNotice) run.scratch[0] = '\0';
  run.outFile = kNoFile;
  DecodeMemberData(SinkOf(area, decoder.sinkKind), decoder, CurrentMemberData(area.header));
  // A notice declined earlier ends the walk here; its No alone lets the headers after it be
  // checked.
  if (run.failed) {
    decoder.sinkKind = kSinkFile;
    return false;
  }
  if (decoder.sinkKind == kSinkNotice) {
    const int answer = ShowMessageBox(run.dialogWindow, run.scratch, run.settings.windowTitle,
                                      kBoxTaskModal | kBoxIconQuestion | kBoxYesNo);
    if (answer == kAnswerNo) run.failed = 1;
  } else {
    ParseSetupScript(run, *static_cast<SetupState*>(context));
  }
  decoder.sinkKind = kSinkFile;
  return true;
}

void FinishScan(PassArea& area, void*) {
  VerifyCheckValue(area);
}

}  // namespace

int RunScanPass(PassArea& area, SetupState& setup) {
  return RunArchivePass(area, nullptr, {ScanMember, FinishScan, &setup});
}
