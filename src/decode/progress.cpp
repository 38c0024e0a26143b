#include "decode/progress.h"

#include "base/error_report.h"
#include "base/messages.h"
#include "base/status_lines.h"
#include "base/text.h"

static uint32_t Percentage(uint32_t done, uint32_t total) {
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

void ShowProgressText(RunContext& run, uint32_t percent) {
  char* text = run.scratch;
  CopyText(text, kScratchCapacity, kExtractProgress);
  AppendDecimal(text, kScratchCapacity, percent);
  AppendText(text, kScratchCapacity, kPercentSign);
  platform::SetItemText(run.dialogWindow, kProgressItem, text);
}

void ReportProgress(RunContext& run, uint32_t done, uint32_t total) {
  ShowProgressText(run, Percentage(done, total));
  platform::PumpMessages(run.dialogWindow);
  if (run.cancelRequested != 0) FatalStop(run, 1);
}
