// The one walk over the appended archive. What it does with each member is its job's: the scan
// and the extraction of the stub, and the host tool's commands, are all jobs of this walk.
#pragma once

#include "archive/member_header.h"
#include "base/crc16.h"
#include "base/run_context.h"
#include "decode/member_decoder.h"

// Everything a pass works on; the one zero-filled allocation that holds it is its caller's.
struct PassArea {
  RunContext run;
  CrcState crc;
  DecoderState decoder;
  HeaderState header;
  bool longNames;  // the extraction volume takes long names
};

struct ArchiveJob {
  // Each member whose header is sound, the archive file at its data. Returns true with the file
  // past the data, or false after reporting a failure (failed set), which ends the walk.
  bool (*member)(PassArea& area, void* context);
  // Once the walk has ended and the archive is closed, also after a failure; may be null.
  void (*finish)(PassArea& area, void* context);
  void* context;
  // The host tool reads the headers of plain archives of every level.
  HeaderResult (*readHeader)(RunContext& run, CrcState& crc, HeaderState& state) = ReadMemberHeader;
};

// Opens the program file, positions it at the archive, reads the check value when
// the settings ask for one, and walks every member with the job. window owns the boxes of the
// pass: the dialog, or null during the scan. Returns whether nothing failed; when the archive
// cannot be opened or positioned it returns at once, without the job's finish.
bool RunArchivePass(PassArea& area, platform::Window window, const ArchiveJob& job);

// The scan's closing test: when nothing has failed and the settings ask for a check value, the
// members' CRCs must give it; otherwise "Tampered DATA" is reported and failed set.
void VerifyCheckValue(PassArea& area);

// The current member's output file as a sink, its progress shown in the pass's dialog.
inline OutputSink FileSink(PassArea& area) {
  RunContext& run = area.run;
  return {run.output.file, nullptr, 0, area.crc, run.dialogWindow, &run.cancelRequested};
}

// Decodes the current member, the archive file standing at its data, into sink.
inline DecodeStatus DecodeCurrentMember(PassArea& area, const OutputSink& sink) {
  return DecodeMemberData(sink, area.decoder, area.run.program.file,
                          CurrentMemberData(area.header));
}

// Sets failed and shows what ended the decoding of the current member: nothing for Cancel,
// "Write ERROR" about the output file, the others about the program file.
void ReportDecodeFailure(RunContext& run, DecodeStatus status);
