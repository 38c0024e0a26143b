// Member time stamps, seconds since 1970 in UTC, as the packed DOS date and time that files get.
#pragma once

#include <cstdint>

#include "platform/dos_time.h"

// Win32s keeps file times in local time: the hours of the TZ variable (EST5EDT, JST-9) move the
// stamp. A TZ without digits, unset, or too long for 99 characters leaves it alone.
uint32_t AdjustForTimeZone(uint32_t seconds);
