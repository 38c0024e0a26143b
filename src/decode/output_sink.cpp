#include "decode/output_sink.h"

#include "archive/crc16.h"
#include "startup/error_report.h"
#include "startup/messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

void WriteOut(const uint8_t* bytes, uint32_t n, platform::FileHandle handle) {
  if (handle != platform::kNoFile) {
    if (!platform::WriteOutput(handle, bytes, n)) {
      ReportError(kWriteError, work->outPath);
      FatalStop(1);
    }
    UpdateCrc(bytes, static_cast<int32_t>(n));
    return;
  }
  // A text sink keeps only the last piece it was given, as text: it ends at a zero byte.
  const char* text = reinterpret_cast<const char*>(bytes);
  if (work->sinkKind == kSinkNotice) {
    CopyBytes(work->scratch, kScratchCapacity, text, n);
  } else if (work->sinkKind == kSinkScript) {
    CopyBytes(work->script, kScriptCapacity, text, n);
  }
}

void FlushWindow(uint32_t n) {
  WriteOut(work->window, n, work->outFile);
}
