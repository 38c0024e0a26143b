#include "archive/archive_pass.h"

#include "archive/crc16.h"
#include "archive/member_file.h"
#include "archive/member_header.h"
#include "archive/path_names.h"
#include "decode/member_decoder.h"
#include "setup/setup_script.h"
#include "startup/error_report.h"
#include "startup/messages.h"
#include "startup/work_area.h"

using namespace platform;

// The volume of the extraction directory decides between long and 8.3 names.
static int VolumeTakesLongNames() {
  const char* dir = work->extractDir;
  char root[4] = {0, 0, '\\', 0};
  const char* rootArg = nullptr;
  if (dir[0] != '\0' && dir[1] == ':') {
    root[0] = dir[0];
    root[1] = ':';
    rootArg = root;
  }
  return MaxComponentLength(rootArg) == 255;
}

int OpenArchive(Window window, int* longNames) {
  work->dialogWindow = window;
  work->failed = 0;
  work->archiveFile = OpenForRead(work->modulePath);
  if (work->archiveFile == kNoFile) return FailOpen(work->modulePath);
  work->fileEnd = static_cast<uint32_t>(Seek(work->archiveFile, 0, kSeekEnd));
  const int32_t position =
      Seek(work->archiveFile, static_cast<int32_t>(work->settings.archiveOffset), kSeekSet);
  if (position == -1 || static_cast<uint32_t>(position) > work->fileEnd) {
    CloseRead(work->archiveFile);
    work->archiveFile = kNoFile;
    return position == -1 ? FailRead() : FailEof();
  }
  *longNames = VolumeTakesLongNames();
  if (work->settings.flags & kFlagCheckValue) {
    uint8_t value[2] = {static_cast<uint8_t>(work->checkValue),
                        static_cast<uint8_t>(work->checkValue >> 8)};
    Read(work->archiveFile, value, 2);
    work->checkValue = static_cast<uint16_t>(value[0] | value[1] << 8);
  }
  BuildCrcTable(kCrcPolynomial);
  program.crcXor = 0;
  return 1;
}

static bool IsReserved(char name) {
  return work->memberPath[0] == name && work->memberPath[1] == '\0';
}

void AccumulateCheckValue() {
  program.crcXor ^= CurrentHeader().dataCrc;
}

void VerifyCheckValue() {
  if (!work->failed && (work->settings.flags & kFlagCheckValue) &&
      program.crcXor != work->checkValue) {
    ReportError(kTamperedData, work->modulePath);
    work->failed = 1;
  }
}

// One member of the scan: only the notice and the script are decoded, into memory.
static bool ScanMember() {
  AccumulateCheckValue();
  if (IsReserved('!')) {
    // An empty notice must not show whatever scratch held before.
    work->scratch[0] = '\0';
    work->sinkKind = kSinkNotice;
  } else if (IsReserved('$')) {
    work->sinkKind = kSinkScript;
  } else {
    return SkipMemberData() != 0;
  }
  work->outFile = kNoFile;
  DecodeMemberData();
  if (work->failed) {
    work->sinkKind = kSinkFile;
    return false;
  }
  if (work->sinkKind == kSinkNotice) {
    const int answer = ShowMessageBox(work->dialogWindow, work->scratch, work->settings.windowTitle,
                                      kBoxTaskModal | kBoxIconQuestion | kBoxYesNo);
    if (answer == kAnswerNo) work->failed = 1;
  } else {
    ParseSetupScript();
  }
  work->sinkKind = kSinkFile;
  return true;
}

// One member of the extraction: every ordinary member goes to its file.
static bool ExtractMember(int longNames) {
  if (IsReserved('!') || IsReserved('$')) return SkipMemberData() != 0;
  PrepareOutputPath(longNames);
  const bool isDirectory = MethodLetter() == 'd';
  if (!isDirectory) {
    switch (OpenMemberFile()) {
      case kOpenSkip:
        return SkipMemberData() != 0;
      case kOpenCreated:
        break;
      default:
        return false;
    }
  }
  DecodeMemberData();
  if (work->failed) {
    if (!isDirectory) DiscardMemberFile();
    return false;
  }
  return isDirectory || FinishMemberFile();
}

int RunArchivePass(Window window, int mode) {
  int longNames = 0;
  if (OpenArchive(window, &longNames) == 0) return 0;
  for (;;) {
    const HeaderResult result = ReadMemberHeader();
    if (result != kHeaderRead) break;
    if (!(mode == kScanMode ? ScanMember() : ExtractMember(longNames))) break;
  }
  CloseRead(work->archiveFile);
  work->archiveFile = kNoFile;  // a later stop must not close it twice
  if (mode == kScanMode) VerifyCheckValue();
  ReleaseHeader();
  return work->failed ? 0 : 1;
}
