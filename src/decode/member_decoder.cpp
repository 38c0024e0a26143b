// Placeholder until the decoder lands: stored members only.
#include "decode/member_decoder.h"

#include "archive/member_header.h"
#include "startup/error_report.h"
#include "startup/work_area.h"

void DecodeMember() {}

void CopyStored(int32_t size) {
  while (size > 0) {
    const int32_t chunk = size < 65536 ? size : 65536;
    if (platform::Read(work->archiveFile, work->window, static_cast<uint32_t>(chunk)) != chunk) {
      FailRead();
      FatalStop(1);
    }
    size -= chunk;
  }
}

void DecodeMemberData() {
  work->crc = 0;
  work->inPos = 0xFFFFFFFF;
  const char method = MethodLetter();
  if (method == '0') {
    CopyStored(static_cast<int32_t>(CurrentHeader().unpackedSize));
  } else if (method != 'd') {
    DecodeMember();
  }
}
