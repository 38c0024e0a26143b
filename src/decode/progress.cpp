#include "decode/progress.h"

#include "base/messages.h"
#include "base/text.h"

uint32_t ProgressPercent(uint32_t done, uint32_t total) {
  if (total == 0) return 0;
  const uint32_t hundredth = total / 100;
  if (hundredth == 0) return 100;
  const uint32_t percent = done / hundredth;
  return percent > 100 ? 100 : percent;
}

static void AppendDecimal(char* text, uint32_t capacity, uint32_t value) {
  char digits[11];
  uint32_t i = sizeof digits - 1;
  digits[i] = '\0';
  do {
    digits[--i] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  AppendText(text, capacity, digits + i);
}

void ShowProgressText(platform::Window dialog, uint32_t percent) {
  char text[sizeof kExtractProgress + sizeof "100%"];
  CopyText(text, sizeof text, kExtractProgress);
  AppendDecimal(text, sizeof text, percent);
  AppendText(text, sizeof text, kPercentSign);
  platform::SetItemText(dialog, kProgressItem, text);
}
