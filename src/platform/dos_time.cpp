#include "platform/dos_time.h"

static bool IsLeapYear(uint32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

static uint32_t MonthDays(uint32_t year, uint32_t month) {
  static constexpr uint8_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kMonthDays[month] + (month == 1 && IsLeapYear(year) ? 1 : 0);
}

uint32_t UnixToDosTime(uint32_t seconds) {
  if (seconds < kDosFirstSecond) seconds = kDosFirstSecond;
  return DayToDosTime(seconds / 86400, seconds % 86400);
}

uint32_t DayToDosTime(uint32_t day, uint32_t secondOfDay) {
  uint32_t year = 1970;
  for (uint32_t length = 365; day >= length; length = IsLeapYear(year) ? 366 : 365) {
    day -= length;
    ++year;
  }
  uint32_t month = 0;
  for (; day >= MonthDays(year, month); ++month) day -= MonthDays(year, month);
  const uint32_t date = (year - 1980) << 9 | (month + 1) << 5 | (day + 1);
  const uint32_t time =
      secondOfDay / 3600 << 11 | secondOfDay % 3600 / 60 << 5 | secondOfDay % 60 / 2;
  return date << 16 | time;
}

int64_t DosToUnixTime(uint32_t dosTime) {
  // Month 0 is the December before, months 13 to 15 lie in the year after.
  const int32_t monthField = static_cast<int32_t>(dosTime >> 21 & 0x0F) - 1;
  const int32_t carry = monthField < 0 ? -1 : monthField / 12;
  const uint32_t year = 1980 + (dosTime >> 25) + static_cast<uint32_t>(carry);
  const auto month = static_cast<uint32_t>(monthField - carry * 12);
  int64_t days = static_cast<int64_t>(dosTime >> 16 & 0x1F) - 1;
  for (uint32_t y = 1970; y < year; ++y) days += IsLeapYear(y) ? 366 : 365;
  for (uint32_t m = 0; m < month; ++m) days += MonthDays(year, m);
  return days * 86400 + (dosTime >> 11 & 0x1F) * 3600 + (dosTime >> 5 & 0x3F) * 60 +
         (dosTime & 0x1F) * 2;
}
