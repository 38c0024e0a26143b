// Writing one ordinary member to disk: the steps that the stub's extraction and the host tool's
// share. Only the rule that turns the member's name into its output path differs.
#pragma once

#include "archive/archive_pass.h"

// Fills run.output.path for the member at memberPath, which it may rewrite on the way, and returns
// where in output.path the names begin that are to be fitted to the volume; null when the member is
// not to be written (the rule has said why).
struct OutputPathRule {
  char* (*build)(RunContext& run, char* memberPath, void* context);
  void* context;
};

// Skips the notice and the script, which the scan has read. For any other member: builds the
// output path by the rule, fits its names to the volume, shows it in the status line, creates its
// directories, and for a file member settles an existing file, creates the file, decodes the data
// into it and finishes it. A failure other than the decoding's is reported and sets failed, which
// ends the walk; a failed decoding is returned, unreported, with the member's file still open, for
// the caller to decide.
DecodeStatus ExtractMember(PassArea& area, const OutputPathRule& rule);
