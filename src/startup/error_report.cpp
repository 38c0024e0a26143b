#include "startup/error_report.h"

#include "startup/messages.h"
#include "startup/text.h"
#include "startup/work_area.h"

using namespace platform;

void ReportError(const char* message, const char* subject) {
  // An over-long subject is cut so that the quotes and the message always fit in scratch.
  char* text = work->scratch;
  text[0] = '\0';
  AppendText(text, kScratchCapacity, "\"");
  const uint32_t tail = TextLength(message) + 3;  // closing quote, blank, message, terminator
  const uint32_t room = kScratchCapacity > tail + 1 ? kScratchCapacity - tail : 2;
  AppendText(text, room, subject);
  AppendText(text, kScratchCapacity, "\" ");
  AppendText(text, kScratchCapacity, message);
  ShowMessageBox(work->dialogWindow, text, work->settings.windowTitle,
                 kBoxTaskModal | kBoxIconError);
}

static int Fail(const char* message, const char* subject) {
  ReportError(message, subject);
  work->failed = 1;
  return 0;
}

int FailRead() {
  return Fail(kReadError, work->modulePath);
}
int FailEof() {
  return Fail(kUnexpectedEof, work->modulePath);
}
int FailHeader() {
  return Fail(kBadHeader, work->modulePath);
}
int FailOpen(const char* name) {
  return Fail(kOpenError, name);
}

static bool IsOpen(FileHandle file) {
  return file != 0 && file != kNoFile;
}

void FatalStop(int status) {
  // The partial output goes before the archive closes, and both handles are marked invalid
  // first, so that nothing reached during the exit can touch them.
  const FileHandle out = work->outFile;
  const FileHandle archive = work->archiveFile;
  work->outFile = kNoFile;
  work->archiveFile = kNoFile;
  if (IsOpen(out)) {
    CloseOutput(out);
    DeleteOutput(work->outPath);
  }
  if (IsOpen(archive)) CloseRead(archive);
  EndProcess(status);
}
