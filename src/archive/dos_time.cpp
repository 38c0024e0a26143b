#include "archive/dos_time.h"

#include "platform/platform.h"

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
