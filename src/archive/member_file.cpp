#include "archive/member_file.h"

#include "base/error_report.h"
#include "base/messages.h"

using namespace platform;

// An existing file is skipped without a word when it is as new as the member and dates are
// compared; otherwise it is replaced silently when the settings say so, or the user is asked.
static int DecideOverwrite(RunContext& run, uint32_t memberTime) {
  const uint32_t existing = ExistingFileTime(run.outPath);
  const char* question = FormatAboutFile(run, kOverwriteQuestion, run.outPath);
  if (run.options.dateCompare && existing >= memberTime) return kAnswerNo;
  if (run.options.overwriteSilently) return kAnswerYes;
  return ShowMessageBox(run.dialogWindow, question, run.settings.windowTitle,
                        kBoxTaskModal | kBoxIconQuestion | kBoxYesNoCancel);
}

OpenResult OpenMemberFile(RunContext& run, uint32_t memberTime) {
  const uint32_t attributes = FileAttributes(run.outPath);
  if (attributes != kNoAttributes) {
    const int answer = DecideOverwrite(run, memberTime);
    if (answer == kAnswerCancel) return kOpenCancel;
    if (answer == kAnswerNo) return kOpenSkip;
    // Kept attributes may have made the old file read-only; it must still be replaced.
    if (run.settings.keepAttributes && !(attributes & kAttributeDirectory)) {
      SetAttributes(run.outPath, kAttributeNormal);
    }
  }
  run.outFile = CreateOutputFile(run.outPath);
  if (run.outFile == kNoFile) return FailOpen(run, run.outPath), kOpenFailed;
  return kOpenCreated;
}

bool CheckDataCrc(RunContext& run, const CrcState& crc, const HeaderState& header,
                  const char* subject, const char* output) {
  if (crc.crc == CurrentHeader(header).dataCrc) return true;
  if (output != nullptr) DeleteOutput(output);
  ReportError(run, kCrcError, subject);
  run.failed = true;
  return false;
}

bool FinishMemberFile(RunContext& run, const CrcState& crc, const HeaderState& header,
                      uint32_t memberTime) {
  SetOutputTime(run.outFile, memberTime);
  const bool closed = CloseOutput(run.outFile);
  run.outFile = kNoFile;
  if (!closed) {
    DeleteOutput(run.outPath);
    ReportError(run, kCloseError, run.outPath);
    run.failed = true;
    return false;
  }
  if (!CheckDataCrc(run, crc, header, run.outPath, run.outPath)) return false;
  if (run.settings.keepAttributes) SetAttributes(run.outPath, header.attributes);
  return true;
}
