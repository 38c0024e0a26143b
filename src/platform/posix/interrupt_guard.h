// A file that must not outlive an interrupted run: the half-written output of `pack`, or the
// member being extracted under its temporary name. SIGINT, SIGTERM and SIGHUP remove it and then
// end the process as they would have ended it.
#pragma once

namespace platform::posix {

// Guards name, relative to the directory descriptor (AT_FDCWD for the current one), until
// ReleaseInterruptGuard; one file at a time, which is all a run writes at once.
void GuardAgainstInterrupt(int directory, const char* name);
void ReleaseInterruptGuard();

}  // namespace platform::posix
