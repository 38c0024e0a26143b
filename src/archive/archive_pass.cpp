#include "archive/archive_pass.h"

#include "base/error_report.h"
#include "base/messages.h"

using namespace platform;

// The volume of the extraction directory decides between long and 8.3 names.
static bool VolumeTakesLongNames(const char* dir) {
  char root[4] = {0, 0, '\\', 0};
  const char* rootArg = nullptr;
  if (dir[0] != '\0' && dir[1] == ':') {
    root[0] = dir[0];
    root[1] = ':';
    rootArg = root;
  }
  return MaxComponentLength(rootArg) == 255;
}

// The opening steps. false after reporting, with nothing left open.
static bool OpenArchive(PassArea& area, Window window) {
  RunContext& run = area.run;
  run.dialogWindow = window;
  run.failed = false;
  run.program.file = OpenForRead(run.program.path);
  if (run.program.file == kNoFile) return FailOpen(run, run.program.path);
  // Without the file's size no skip could be checked against its end.
  const int32_t end = Seek(run.program.file, 0, kSeekEnd);
  run.program.end = static_cast<uint32_t>(end);
  const int32_t position =
      end == -1
          ? -1
          : Seek(run.program.file, static_cast<int32_t>(run.settings.archiveOffset), kSeekSet);
  if (position == -1 || static_cast<uint32_t>(position) > run.program.end) {
    CloseRead(run.program.file);
    run.program.file = kNoFile;
    return position == -1 ? FailRead(run) : FailEof(run);
  }
  area.longNames = VolumeTakesLongNames(run.extractDir);
  HeaderState& header = area.header;
  if (run.settings.flags & kFlagCheckValue) {
    uint8_t value[2];
    const int32_t got = Read(run.program.file, value, 2);
    if (got != 2) {
      CloseRead(run.program.file);
      run.program.file = kNoFile;
      return got == -1 ? FailRead(run) : FailEof(run);
    }
    header.checkValue = static_cast<uint16_t>(value[0] | value[1] << 8);
  }
  BuildCrcTable(area.crc, kCrcPolynomial);
  header.crcXor = 0;
  return true;
}

void VerifyCheckValue(PassArea& area) {
  RunContext& run = area.run;
  if (!run.failed && (run.settings.flags & kFlagCheckValue) &&
      area.header.crcXor != area.header.checkValue) {
    ReportError(run, kTamperedData, run.program.path);
    run.failed = true;
  }
}

void ReportDecodeFailure(RunContext& run, DecodeStatus status) {
  run.failed = true;
  if (status == kDecodeWriteFailed) ReportError(run, kWriteError, run.output.path);
  if (status == kDecodeBadTable) ReportError(run, kBadTable, run.program.path);
  if (status == kDecodeReadFailed) ReportError(run, kReadError, run.program.path);
  if (status == kDecodeCutShort) ReportError(run, kUnexpectedEof, run.program.path);
}

bool RunArchivePass(PassArea& area, Window window, const ArchiveJob& job) {
  RunContext& run = area.run;
  if (!OpenArchive(area, window)) return false;
  HeaderResult result;
  while ((result = job.readHeader(run, area.crc, area.header)) == kHeaderRead) {
    area.header.crcXor ^= CurrentHeader(area.header).dataCrc;
    if (!job.member(area, job.context)) break;
  }
  area.header.cut = result == kArchiveCut;
  CloseRead(run.program.file);
  run.program.file = kNoFile;  // a later stop must not close it twice
  if (job.finish != nullptr) job.finish(area, job.context);
  ReleaseHeader(area.header);
  return !run.failed;
}
