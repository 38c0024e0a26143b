// The one walk over the appended archive. What it does with each member is its job's: the scan
// and the extraction of the stub, and the host tool's commands, are all jobs of this walk.
#pragma once

#include "archive/member_header.h"
#include "base/crc16.h"
#include "base/run_context.h"
#include "decode/decoder_state.h"

// Everything a pass works on; the one zero-filled allocation that holds it is its caller's.
struct PassArea {
  RunContext run;
  CrcState crc;
  DecoderState decoder;
  HeaderState header;
  int longNames;  // the extraction volume takes long names
};

struct ArchiveJob {
  // Each member whose header is sound, the archive file at its data. Returns true with the file
  // past the data, or false after reporting a failure (failed set), which ends the walk.
  bool (*member)(PassArea& area, void* context);
  // Once the walk has ended and the archive is closed, also after a failure; may be null.
  void (*finish)(PassArea& area, void* context);
  void* context;
};

// Opens the program file (modulePath), positions it at the archive, reads the check value when
// the settings ask for one, and walks every member with the job. window owns the boxes of the
// pass: the dialog, or null during the scan. Returns 1 when nothing failed, 0 otherwise; when the
// archive cannot be opened or positioned it returns at once, without the job's finish.
int RunArchivePass(PassArea& area, platform::Window window, const ArchiveJob& job);

// The scan's closing test: when nothing has failed and the settings ask for a check value, the
// members' CRCs must give it; otherwise "Tampered DATA" is reported and failed set.
void VerifyCheckValue(PassArea& area);

// The sink of the current member: its output file, or the text of kind when there is none.
inline OutputSink SinkOf(PassArea& area, uint8_t kind) {
  return {area.run, area.crc, kind};
}
