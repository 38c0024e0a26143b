#include "archive/member_file.h"

#include "base/error_report.h"
#include "base/messages.h"

using namespace platform;

bool OpenMemberFile(RunContext& run) {
  run.outFile = CreateOutputFile(run.outPath);
  return run.outFile != kNoFile || FailOpen(run, run.outPath);
}

bool CheckDataCrc(RunContext& run, const CrcState& crc, const HeaderState& header,
                  const char* subject) {
  if (crc.crc == CurrentHeader(header).dataCrc) return true;
  ReportError(run, kCrcError, subject);
  run.failed = 1;
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
    run.failed = 1;
    return false;
  }
  if (CheckDataCrc(run, crc, header, run.outPath)) return true;
  DeleteOutput(run.outPath);
  return false;
}
