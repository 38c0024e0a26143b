#include "setup/fatal_stop.h"

using namespace platform;

static bool IsOpen(FileHandle file) {
  return file != 0 && file != kNoFile;
}

void StopAfterDecodeFailure(RunContext& run, DecodeStatus status) {
  ReportDecodeFailure(run, status);
  // The partial output goes before the archive closes, and both handles are marked invalid
  // first, so that nothing reached during the exit can touch them.
  const FileHandle out = run.outFile;
  const FileHandle archive = run.archiveFile;
  run.outFile = kNoFile;
  run.archiveFile = kNoFile;
  if (IsOpen(out)) {
    CloseOutput(out);
    DeleteOutput(run.outPath);
  }
  if (IsOpen(archive)) CloseRead(archive);
  EndProcess(1);
}
