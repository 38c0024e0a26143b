#include "decode/output_sink.h"

#include "base/text.h"
#include "decode/progress.h"

DecodeStatus WriteOut(const OutputSink& sink, const uint8_t* bytes, uint32_t n) {
  if (sink.file == platform::kNoFile) {
    CopyBytes(sink.text, sink.textCapacity, reinterpret_cast<const char*>(bytes), n);
    return kDecodeDone;
  }
  if (!platform::WriteOutput(sink.file, bytes, n)) return kDecodeWriteFailed;
  UpdateCrc(sink.crc, bytes, static_cast<int32_t>(n));
  return kDecodeDone;
}

DecodeStatus ReportProgress(const OutputSink& sink, uint32_t done, uint32_t total) {
  if (sink.file == platform::kNoFile) return kDecodeDone;
  ShowProgressText(sink.dialog, ProgressPercent(done, total));
  platform::PumpMessages(sink.dialog);
  return *sink.cancelRequested ? kDecodeCancelled : kDecodeDone;
}
