// Error boxes in the program's one format.
#pragma once

#include "base/run_context.h"

// Formats "\"subject\" message" in scratch, the one format of every box about a file.
const char* FormatAboutFile(RunContext& run, const char* message, const char* subject);

// Shows "\"subject\" message" with the error icon, owned by the dialog (none during the scan).
void ReportError(RunContext& run, const char* message, const char* subject);

// Each reports its message about the program file (FailOpen: about name), sets failed and
// returns false, so that callers can write `return FailRead(run);`.
bool FailRead(RunContext& run);
bool FailEof(RunContext& run);
bool FailHeader(RunContext& run);
bool FailOpen(RunContext& run, const char* name);

// "Not enough memory", alone, with the error icon: the one message without a subject.
void ReportNoMemory(RunContext& run);
