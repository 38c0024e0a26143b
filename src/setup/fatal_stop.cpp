#include "setup/fatal_stop.h"

using namespace platform;

static bool IsOpen(FileHandle file) {
  return file != 0 && file != kNoFile;
}

void StopAfterDecodeFailure(RunContext& run, DecodeStatus status) {
  ReportDecodeFailure(run, status);
  // The partial output goes before the archive closes, and both handles are marked invalid
  // first, so that nothing reached during the exit can touch them.
  const FileHandle out = run.output.file;
  const FileHandle archive = run.program.file;
  run.output.file = kNoFile;
  run.program.file = kNoFile;
  if (IsOpen(out)) {
    CloseOutput(out);
    DeleteOutput(run.output.path);
  }
  if (IsOpen(archive)) CloseRead(archive);
  EndProcess(1);
}
