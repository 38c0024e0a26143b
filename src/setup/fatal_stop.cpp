#include "setup/fatal_stop.h"

#include "archive/member_file.h"

using namespace platform;

void StopAfterDecodeFailure(RunContext& run, DecodeStatus status) {
  ReportDecodeFailure(run, status);
  // The partial output goes before the archive closes, and the archive's handle is marked
  // closed first, so that nothing reached during the exit can touch it.
  const FileHandle archive = run.program.file;
  run.program.file = kNoFile;
  DiscardMemberFile(run);
  if (archive != 0 && archive != kNoFile) CloseRead(archive);
  EndProcess(1);
}
