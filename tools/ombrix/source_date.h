// SOURCE_DATE_EPOCH, the reproducible-builds convention: when it is set, no member of a pack is
// dated later than the time it gives, so that a tree checked out anew packs to the same bytes.
#pragma once

#include <cstdint>

// The latest time stamp a member may carry: SOURCE_DATE_EPOCH's seconds (beyond 32 bits the
// largest 32-bit time), or kNoLatestTime when it is unset or empty. Throws ToolError when it is
// not a number of seconds.
uint32_t LatestTimeFromEnvironment();
