#include "base/error_report.h"

#include "base/messages.h"
#include "base/text.h"

using namespace platform;

const char* FormatAboutFile(RunContext& run, const char* message, const char* subject) {
  // An over-long subject is cut so that the quotes and the message always fit in scratch.
  char* text = run.scratch;
  text[0] = '\0';
  AppendText(text, kScratchCapacity, "\"");
  const uint32_t tail = TextLength(message) + 3;  // closing quote, blank, message, terminator
  const uint32_t room = kScratchCapacity > tail + 1 ? kScratchCapacity - tail : 2;
  AppendText(text, room, subject);
  AppendText(text, kScratchCapacity, "\" ");
  AppendText(text, kScratchCapacity, message);
  return text;
}

void ReportError(RunContext& run, const char* message, const char* subject) {
  ShowMessageBox(run.dialogWindow, FormatAboutFile(run, message, subject), run.settings.windowTitle,
                 kBoxTaskModal | kBoxIconError);
}

static bool Fail(RunContext& run, const char* message, const char* subject) {
  ReportError(run, message, subject);
  run.failed = true;
  return false;
}

bool FailRead(RunContext& run) {
  return Fail(run, kReadError, run.program.path);
}
bool FailEof(RunContext& run) {
  return Fail(run, kUnexpectedEof, run.program.path);
}
bool FailHeader(RunContext& run) {
  return Fail(run, kBadHeader, run.program.path);
}
bool FailOpen(RunContext& run, const char* name) {
  return Fail(run, kOpenError, name);
}

void ReportNoMemory(RunContext& run) {
  ShowMessageBox(run.dialogWindow, kNotEnoughMemory, run.settings.windowTitle,
                 kBoxTaskModal | kBoxIconError);
}
