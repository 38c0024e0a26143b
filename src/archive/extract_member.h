// Writing one ordinary member to disk: the steps that the stub's extraction and the host tool's
// share. Only the rule that turns the member's name into its output path differs.
#pragma once

#include "archive/archive_pass.h"

// Fills run.outPath for the member at memberPath.
using OutputPathRule = void (*)(RunContext& run, const char* memberPath);

// Builds the output path by rule, shows it in the status line, creates its directories, and for
// a file member creates the file, decodes the data into it and gives the CRC verdict. Returns
// false when the walk must end (failed is set then).
bool ExtractMember(PassArea& area, OutputPathRule rule);
