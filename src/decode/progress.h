// The progress line of the extraction, which is also where the user gets a chance to cancel.
#pragma once

#include <cstdint>

#include "base/run_context.h"

// Writes "Extract... N%" into the progress line, formatted in scratch.
void ShowProgressText(RunContext& run, uint32_t percent);

// Shows "Extract... N%" for done of total bytes, lets pending messages through, and stops the
// process when Cancel was pressed meanwhile.
void ReportProgress(RunContext& run, uint32_t done, uint32_t total);
