#include "archive/member_file.h"

#include "archive/member_header.h"
#include "archive/path_names.h"
#include "decode/progress.h"
#include "startup/dialog_items.h"
#include "startup/error_report.h"
#include "startup/messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

using namespace platform;

void PrepareOutputPath(int /*longNames*/) {
  char* out = work->outPath;
  CopyText(out, kOutPathCapacity, work->extractDir);
  const uint32_t length = TextLength(out);
  if (length > 0 && out[length - 1] != '/' && out[length - 1] != '\\') {
    AppendText(out, kOutPathCapacity, "/");
  }
  AppendText(out, kOutPathCapacity, work->memberPath);
  ConvertSeparators(out, '/');
  SetItemText(work->dialogWindow, kStatusItem, out);
  ShowProgressText(0);
}

OpenResult OpenMemberFile() {
  work->outFile = CreateOutputFile(work->outPath);
  if (work->outFile == kNoFile) return FailOpen(work->outPath), kOpenFailed;
  return kOpenCreated;
}

void DiscardMemberFile() {
  if (work->outFile != kNoFile) CloseOutput(work->outFile);
  work->outFile = kNoFile;
  DeleteOutput(work->outPath);
}

bool FinishMemberFile() {
  const bool closed = CloseOutput(work->outFile);
  work->outFile = kNoFile;
  const char* message = !closed                                ? kCloseError
                        : work->crc != CurrentHeader().dataCrc ? kCrcError
                                                               : nullptr;
  if (message == nullptr) return true;
  ReportError(message, work->outPath);
  DeleteOutput(work->outPath);
  work->failed = 1;
  return false;
}
