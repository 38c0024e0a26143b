// How the stub ends when a member's data cannot be decoded: no later member, setup action or
// command may run after it.
#pragma once

#include "archive/archive_pass.h"

// Shows the failure, closes and deletes a partly written output file, closes the program file and
// ends the process with status 1.
[[noreturn]] void StopAfterDecodeFailure(RunContext& run, DecodeStatus status);
