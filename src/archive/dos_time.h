// Member time stamps, seconds since 1970 in UTC, as the packed DOS date and time that files get:
// the date in the high 16 bits, so that two values compare chronologically.
#pragma once

#include <cstdint>

// Times before 1980, which DOS cannot hold, become 1980-01-01 00:00:00; seconds are halved.
uint32_t UnixToDosTime(uint32_t seconds);
