// Seconds since 1970 in UTC and the packed DOS date and time that files get: the date in the high
// 16 bits, so that two values compare chronologically. DOS counts the years 1980 to 2107.
#pragma once

#include <cstdint>

inline constexpr uint32_t kDosFirstSecond = 315532800;  // 1980-01-01 00:00:00
inline constexpr int64_t kDosEndSecond = 4354819200;    // 2108-01-01 00:00:00

// Times before 1980, which DOS cannot hold, become 1980-01-01 00:00:00; seconds are halved.
uint32_t UnixToDosTime(uint32_t seconds);
// The same for the second of a day counted from 1970-01-01, which reaches the years past 2106 that
// 32-bit seconds cannot; the day must lie in the years DOS counts.
uint32_t DayToDosTime(uint32_t day, uint32_t secondOfDay);
// The second that a DOS time names. Fields out of their range carry into the next larger one, as
// timegm carries them.
int64_t DosToUnixTime(uint32_t dosTime);
