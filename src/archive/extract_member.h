// Writing one ordinary member to disk: the steps that the stub's extraction and the host tool's
// share. Only the rule that turns the member's name into its output path differs.
#pragma once

#include "archive/archive_pass.h"

// Fills run.outPath for the member at memberPath, which it may rewrite on the way, and returns
// where in outPath the names begin that are to be fitted to the volume; null when the member is
// not to be written (the rule has said why).
struct OutputPathRule {
  char* (*build)(RunContext& run, char* memberPath, void* context);
  void* context;
};

// Builds the output path by the rule, fits its names to the volume, shows it in the status line,
// creates its directories, and for a file member settles an existing file, creates the file,
// decodes the data into it and finishes it. Returns false when the walk must end (failed is set).
bool ExtractMember(PassArea& area, const OutputPathRule& rule);
