// The end-to-end tests' hands and eyes under Wine: finds a window of the program under test,
// reports what it shows and presses its buttons. Actions run in the order given:
//
//   robot [--exe WINDOWS-PATH] [--control ID] [--timeout MS] ACTION...
//     find CLASS CAPTION   wait for a visible top-level window ("" matches anything) of the
//                          program given by --exe that has the control given by --control
//     dump                 report the found window and its controls
//     press BUTTON         press a button of the found window, by id or text
//     set ID TEXT          replace the text of a control of the found window
//     gone                 wait until the found window has been destroyed
//
// Every wait ends after the timeout (10 s unless given). Exit codes: 0 done, 1 bad usage,
// 2 timeout, 3 the window refused an action.
#include <windows.h>

#include <cwchar>
#include <string>

#include "control_actions.h"
#include "robot_output.h"
#include "window_finder.h"
#include "window_report.h"

namespace {

enum ExitCode { kDone = 0, kUsage = 1, kTimeout = 2, kRefused = 3 };

constexpr DWORD kPollMs = 50;

struct Session {
  WindowQuery query;
  DWORD timeoutMs = 10000;
  HWND window = nullptr;
};

DWORD Deadline(const Session& session) {
  return GetTickCount() + session.timeoutMs;
}

bool Before(DWORD deadline) {
  return static_cast<int32_t>(deadline - GetTickCount()) > 0;
}

int Find(Session& session, const wchar_t* className, const wchar_t* caption) {
  session.query.className = className;
  session.query.caption = caption;
  const DWORD deadline = Deadline(session);
  for (;;) {
    session.window = FindMatchingWindow(session.query);
    if (session.window != nullptr) break;
    if (!Before(deadline)) {
      PrintProblem("timeout waiting for window \"" + ToUtf8(caption) + "\" of class \"" +
                   ToUtf8(className) + "\"");
      return kTimeout;
    }
    Sleep(kPollMs);
  }
  char handle[32];
  snprintf(handle, sizeof handle, "0x%08lx",
           static_cast<unsigned long>(reinterpret_cast<uintptr_t>(session.window)));
  PrintLine(std::string("window ") + handle);
  return kDone;
}

int WaitGone(const Session& session) {
  const DWORD deadline = Deadline(session);
  while (IsWindow(session.window)) {
    if (!Before(deadline)) {
      PrintProblem("timeout waiting for the window to close");
      return kTimeout;
    }
    Sleep(kPollMs);
  }
  PrintLine("gone");
  return kDone;
}

int Press(const Session& session, const wchar_t* button) {
  std::string problem;
  const int id = PressButton(session.window, button, problem);
  if (id == 0) {
    PrintProblem("cannot press \"" + ToUtf8(button) + "\": " + problem);
    return kRefused;
  }
  PrintLine("pressed " + std::to_string(id));
  return kDone;
}

int SetText(const Session& session, const wchar_t* id, const wchar_t* text) {
  std::string problem;
  const int control = static_cast<int>(wcstol(id, nullptr, 10));
  if (!ReplaceItemText(session.window, control, text, problem)) {
    PrintProblem("cannot set the text of " + ToUtf8(id) + ": " + problem);
    return kRefused;
  }
  PrintLine("set " + std::to_string(control));
  return kDone;
}

int Usage(const std::string& reason) {
  PrintProblem(reason);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Session session;
  for (int i = 1; i < argc; ++i) {
    const std::wstring word = argv[i];
    const int left = argc - i - 1;
    int result = kDone;
    if (word == L"--exe" && left >= 1) {
      session.query.exePath = argv[++i];
    } else if (word == L"--control" && left >= 1) {
      session.query.controlId = static_cast<int>(wcstol(argv[++i], nullptr, 10));
    } else if (word == L"--timeout" && left >= 1) {
      session.timeoutMs = static_cast<DWORD>(wcstoul(argv[++i], nullptr, 10));
    } else if (word == L"find" && left >= 2) {
      result = Find(session, argv[i + 1], argv[i + 2]);
      i += 2;
    } else if (session.window == nullptr) {
      return Usage("\"" + ToUtf8(word) + "\" needs a window: find one first");
    } else if (word == L"dump") {
      ReportWindow(session.window, IconReader(session.query.exePath), Deadline(session));
    } else if (word == L"press" && left >= 1) {
      result = Press(session, argv[++i]);
    } else if (word == L"set" && left >= 2) {
      result = SetText(session, argv[i + 1], argv[i + 2]);
      i += 2;
    } else if (word == L"gone") {
      result = WaitGone(session);
    } else {
      return Usage("unknown action or missing argument: \"" + ToUtf8(word) + "\"");
    }
    if (result != kDone) return result;
  }
  return kDone;
}
