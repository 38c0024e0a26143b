#include "archive/extract_member.h"

#include "archive/dos_time.h"
#include "archive/member_file.h"
#include "archive/path_names.h"
#include "base/status_lines.h"
#include "decode/member_decoder.h"
#include "decode/progress.h"

bool ExtractMember(PassArea& area, OutputPathRule rule) {
  RunContext& run = area.run;
  const HeaderState& header = area.header;
  rule(run, header.memberPath);
  ConvertSeparators(run.outPath, '/');
  platform::SetItemText(run.dialogWindow, kStatusItem, run.outPath);
  ShowProgressText(run, 0);
  CreateParentDirectories(run.outPath);
  if (CurrentMethod(header).kind == MethodKind::kDirectory) return true;
  const uint32_t memberTime = UnixToDosTime(CurrentHeader(header).timeStamp);
  if (!OpenMemberFile(run)) return false;
  DecodeMemberData(SinkOf(area, kSinkFile), area.decoder, CurrentMemberData(header));
  return FinishMemberFile(run, area.crc, header, memberTime);
}
