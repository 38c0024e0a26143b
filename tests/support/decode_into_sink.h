// One member's data into its new output file or the notice or script, stopping as the stub stops.
#pragma once

#include "archive/archive_pass.h"
#include "base/text.h"
#include "setup/fatal_stop.h"

inline void DecodeIntoSink(PassArea& area, const char* programPath, const char* outPath,
                           char method, uint32_t packedSize, uint32_t unpackedSize, uint8_t sink) {
  RunContext& run = area.run;
  CopyText(run.program.path, kPathCapacity, programPath);
  CopyText(run.output.path, kOutPathCapacity, outPath);
  run.program.file = platform::OpenForRead(run.program.path);
  run.output.file =
      sink == kOrdinaryMember ? platform::CreateOutputFile(run.output.path) : platform::kNoFile;
  OutputSink output = FileSink(area);
  if (sink == kNoticeText) output.text = run.notice, output.textCapacity = kNoticeCapacity;
  if (sink == kScriptText) output.text = run.script, output.textCapacity = kScriptCapacity;
  const DecodeStatus status = DecodeMemberData(output, area.decoder, run.program.file,
                                               {*FindMethod(method), packedSize, unpackedSize});
  if (status != kDecodeDone) StopAfterDecodeFailure(run, status);
}
