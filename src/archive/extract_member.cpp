#include "archive/extract_member.h"

#include "archive/dos_time.h"
#include "archive/member_file.h"
#include "archive/name_sanitizer.h"
#include "archive/path_names.h"
#include "decode/progress.h"

// The status line shows paths up to this many characters whole.
constexpr uint32_t kStatusWidth = 32;

DecodeStatus ExtractMember(PassArea& area, const OutputPathRule& rule) {
  RunContext& run = area.run;
  HeaderState& header = area.header;
  char* names = ReservedMemberOf(header.memberPath) == kOrdinaryMember
                    ? rule.build(run, header.memberPath, rule.context)
                    : nullptr;
  if (names == nullptr) return SkipMemberData(run, header), kDecodeDone;
  ConvertSeparators(run.output.path, '/');
  SanitizePath(names, area.longNames);
  ShortenForDisplay(run.scratch, kScratchCapacity, run.output.path, kStatusWidth);
  platform::SetItemText(run.dialogWindow, kStatusItem, run.scratch);
  ShowProgressText(run.dialogWindow, 0);
  CreateParentDirectories(run.output.path);
  MemberHeader& fixed = CurrentHeader(header);
  if (run.options.isWin32s) fixed.timeStamp = AdjustForTimeZone(fixed.timeStamp);
  const uint32_t memberTime = UnixToDosTime(fixed.timeStamp);
  if (CurrentMethod(header).kind == MethodKind::kDirectory) return kDecodeDone;
  switch (OpenMemberFile(run, memberTime)) {
    case kOpenCreated:
      break;
    case kOpenSkip:
      return SkipMemberData(run, header), kDecodeDone;
    case kOpenCancel:
      run.failed = true;
      return kDecodeDone;
    case kOpenFailed:
      return kDecodeDone;
  }
  const DecodeStatus status = DecodeCurrentMember(area, FileSink(area));
  if (status == kDecodeDone) FinishMemberFile(run, area.crc, header, memberTime);
  return status;
}
