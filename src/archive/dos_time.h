// Member time stamps, seconds since 1970 in UTC, as the packed DOS date and time that files get:
// the date in the high 16 bits, so that two values compare chronologically.
#pragma once

#include <cstdint>

// Times before 1980, which DOS cannot hold, become 1980-01-01 00:00:00; seconds are halved.
uint32_t UnixToDosTime(uint32_t seconds);

// Win32s keeps file times in local time: the hours of the TZ variable (EST5EDT, JST-9) move the
// stamp. A TZ without digits, unset, or too long for 99 characters leaves it alone.
uint32_t AdjustForTimeZone(uint32_t seconds);
