#include "archive/dos_time.h"

#include "platform/platform.h"

static bool IsLeapYear(uint32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

uint32_t UnixToDosTime(uint32_t seconds) {
  constexpr uint32_t kSecondsTo1980 = 315532800;
  if (seconds < kSecondsTo1980) seconds = kSecondsTo1980;
  uint32_t days = seconds / 86400;
  const uint32_t rest = seconds % 86400;
  uint32_t year = 1970;
  for (uint32_t length = 365; days >= length; length = IsLeapYear(year) ? 366 : 365) {
    days -= length;
    ++year;
  }
  static constexpr uint8_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  uint32_t month = 0;
  for (;; ++month) {
    const uint32_t length = kMonthDays[month] + (month == 1 && IsLeapYear(year) ? 1 : 0);
    if (days < length) break;
    days -= length;
  }
  const uint32_t date = (year - 1980) << 9 | (month + 1) << 5 | (days + 1);
  const uint32_t time = rest / 3600 << 11 | rest % 3600 / 60 << 5 | rest % 60 / 2;
  return date << 16 | time;
}

uint32_t AdjustForTimeZone(uint32_t seconds) {
  char zone[100];
  const uint32_t length = platform::EnvironmentVariable("TZ", zone, sizeof zone);
  if (length == 0 || length >= sizeof zone) return seconds;
  const char* p = zone;
  while (*p != '\0' && *p != '+' && *p != '-' && (*p < '0' || *p > '9')) ++p;
  const bool east = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  uint32_t hours = 0;
  for (; *p >= '0' && *p <= '9'; ++p) hours = hours * 10 + static_cast<uint32_t>(*p - '0');
  return east ? seconds + hours * 3600 : seconds - hours * 3600;
}
