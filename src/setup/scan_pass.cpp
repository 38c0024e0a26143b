#include "setup/scan_pass.h"

#include "setup/fatal_stop.h"
#include "setup/setup_script.h"

using namespace platform;

namespace {

// Only the notice and the script are decoded, into memory; every other member is skipped.
bool ScanMember(PassArea& area, void* context) {
  RunContext& run = area.run;
  const ReservedMember reserved = ReservedMemberOf(area.header.memberPath);
  if (reserved == kOrdinaryMember) return SkipMemberData(run, area.header);
  const bool notice = reserved == kNoticeText;
  // An empty notice must not show what an earlier one left.
  if (notice) run.notice[0] = '\0';
  char* text = notice ? run.notice : run.script;
  const uint32_t capacity = notice ? kNoticeCapacity : kScriptCapacity;
  const DecodeStatus status =
      DecodeCurrentMember(area, {kNoFile, text, capacity, area.crc, nullptr, nullptr});
  if (status != kDecodeDone) StopAfterDecodeFailure(run, status);
  // A notice declined earlier ends the walk here; its No alone lets the headers after it be
  // checked.
  if (run.failed) return false;
  if (notice) {
    const int answer = ShowMessageBox(run.dialogWindow, run.notice, run.settings.windowTitle,
                                      kBoxTaskModal | kBoxIconQuestion | kBoxYesNo);
    if (answer == kAnswerNo) run.failed = true;
  } else {
    ParseSetupScript(run, *static_cast<SetupState*>(context));
  }
  return true;
}

void FinishScan(PassArea& area, void*) {
  VerifyCheckValue(area);
}

}  // namespace

bool RunScanPass(PassArea& area, SetupState& setup) {
  return RunArchivePass(area, nullptr, {ScanMember, FinishScan, &setup});
}
