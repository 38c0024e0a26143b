#include "archive/member_file.h"

#include "base/error_report.h"
#include "base/messages.h"

using namespace platform;

// An existing file is skipped without a word when it is as new as the member and dates are
// compared; otherwise it is replaced silently when the settings say so, or the user is asked.
static int DecideOverwrite(RunContext& run, uint32_t memberTime) {
  const uint32_t existing = ExistingFileTime(run.output.path);
  const char* question = FormatAboutFile(run, kOverwriteQuestion, run.output.path);
  if (run.options.dateCompare && existing >= memberTime) return kAnswerNo;
  if (run.options.overwriteSilently) return kAnswerYes;
  return ShowMessageBox(run.dialogWindow, question, run.settings.windowTitle,
                        kBoxTaskModal | kBoxIconQuestion | kBoxYesNoCancel);
}

OpenResult OpenMemberFile(RunContext& run, uint32_t memberTime) {
  const uint32_t attributes = FileAttributes(run.output.path);
  if (attributes != kNoAttributes) {
    const int answer = DecideOverwrite(run, memberTime);
    if (answer == kAnswerCancel) return kOpenCancel;
    if (answer == kAnswerNo) return kOpenSkip;
    // Kept attributes may have made the old file read-only; it must still be replaced.
    if (run.settings.keepAttributes && !(attributes & kAttributeDirectory)) {
      SetAttributes(run.output.path, kAttributeNormal);
    }
  }
  run.output.file = CreateOutputFile(run.output.path);
  if (run.output.file == kNoFile) return FailOpen(run, run.output.path), kOpenFailed;
  return kOpenCreated;
}

void DiscardMemberFile(RunContext& run) {
  const FileHandle file = run.output.file;
  run.output.file = kNoFile;
  if (file == 0 || file == kNoFile) return;  // 0: none was ever opened
  CloseOutput(file);
  DeleteOutput(run.output.path);
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
  SetOutputTime(run.output.file, memberTime);
  const bool closed = CloseOutput(run.output.file);
  run.output.file = kNoFile;
  if (!closed) {
    DeleteOutput(run.output.path);
    ReportError(run, kCloseError, run.output.path);
    run.failed = true;
    return false;
  }
  if (!CheckDataCrc(run, crc, header, run.output.path, run.output.path)) return false;
  if (run.settings.keepAttributes) SetAttributes(run.output.path, header.attributes);
  return true;
}
