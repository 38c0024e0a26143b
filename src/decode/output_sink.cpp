#include "decode/output_sink.h"

#include "base/error_report.h"
#include "base/messages.h"
#include "base/text.h"

void WriteOut(const OutputSink& sink, const uint8_t* bytes, uint32_t n,
              platform::FileHandle handle) {
  RunContext& run = sink.run;
  if (handle != platform::kNoFile) {
    if (!platform::WriteOutput(handle, bytes, n)) {
      ReportError(run, kWriteError, run.outPath);
      FatalStop(run, 1);
    }
    UpdateCrc(sink.crc, bytes, static_cast<int32_t>(n));
    return;
  }
  // A text sink keeps only the last piece it was given, as text: it ends at a zero byte.
  const char* text = reinterpret_cast<const char*>(bytes);
  if (sink.kind == kSinkNotice) {
    CopyBytes(run.scratch, kScratchCapacity, text, n);
  } else if (sink.kind == kSinkScript) {
    CopyBytes(run.script, kScriptCapacity, text, n);
  }
}

void FlushWindow(const OutputSink& sink, const uint8_t* window, uint32_t n) {
  WriteOut(sink, window, n, sink.run.outFile);
}
