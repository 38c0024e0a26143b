// The other end of the stub's setup actions. "witness progman LOG COUNT MS" is a Program Manager:
// a topmost "Progman" window that serves the PROGMAN topic, writes "initiate", "execute " and the
// command, "terminate" to LOG, a zero byte after each, and ends after COUNT terminates (exit code
// 0) or MS milliseconds (1). "witness heedless LOG COUNT MS" answers the first initiate alone,
// acknowledges no execute and ends after COUNT initiates; it closes Wine's own DDE servers first,
// so that no one else answers. "witness ARGUMENT..." is a command: it writes witness.txt beside
// itself (UTF-16), a line each: the current directory, its own short path, every argument.
#include <windows.h>
// dde.h needs the types of windows.h.
#include <dde.h>

#include <cstdio>
#include <string>

static FILE* logFile;      // the runtime flushes it at the end
static int countLeft = 0;  // terminates, or initiates when heedless
static bool heedless = false, answered = false;

static void Record(const std::string& text) {
  fwrite(text.c_str(), 1, text.size() + 1, logFile);
}

// An ANSI window: a command posted from an ANSI window to a Unicode one arrives converted.
static LRESULT CALLBACK ProgmanProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND client = reinterpret_cast<HWND>(wParam);
  char application[16] = {}, topic[16] = {};
  if (message == WM_DDE_INITIATE && GlobalGetAtomNameA(LOWORD(lParam), application, 16) &&
      GlobalGetAtomNameA(HIWORD(lParam), topic, 16) && !lstrcmpiA(application, "PROGMAN") &&
      !lstrcmpiA(topic, "PROGMAN")) {
    Record("initiate");
    // Sent, not posted, as the protocol has it; the atoms are the client's to delete.
    if (!heedless || !answered) {
      SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(GlobalAddAtomA("PROGMAN"), GlobalAddAtomA("PROGMAN")));
    }
    answered = true;
    if (heedless && --countLeft == 0) PostQuitMessage(0);
  } else if (message == WM_DDE_EXECUTE) {  // an execute's parameter is not packed
    Record("execute " + std::string(static_cast<const char*>(GlobalLock(HGLOBAL(lParam)))));
    GlobalUnlock(HGLOBAL(lParam));
    // The positive acknowledgement hands the memory back to the client.
    if (!heedless) {
      PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window),
                   ReuseDDElParam(lParam, WM_DDE_EXECUTE, WM_DDE_ACK, 0x8000, lParam));
    }
  } else if (message == WM_DDE_TERMINATE) {
    Record("terminate");
    PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
    if (--countLeft == 0) PostQuitMessage(0);
  } else if (message == WM_TIMER) {
    PostQuitMessage(1);
  } else {
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return 0;
}

// A window of the server names that Wine's shell registers ends when closed, as any window does.
static BOOL CALLBACK CloseDdeServer(HWND window, LPARAM) {
  char kind[32];
  if (GetClassNameA(window, kind, 32) && !lstrcmpA(kind, "WineDdeServerName")) {
    SendMessageA(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

static int ServeAsProgramManager(const wchar_t* log, int count, UINT limitMs) {
  logFile = _wfopen(log, L"wb");
  countLeft = count;
  if (heedless) EnumWindows(CloseDdeServer, 0);
  const WNDCLASSA kind = {0,       ProgmanProc, 0,       0,       nullptr,
                          nullptr, nullptr,     nullptr, nullptr, "Progman"};
  RegisterClassA(&kind);
  // Topmost: the broadcast reaches it before other servers, such as Wine's shell.
  const HWND window = CreateWindowExA(WS_EX_TOPMOST, "Progman", "Program Manager", WS_POPUP, 0, 0,
                                      8, 8, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, 1, limitMs, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return static_cast<int>(message.wParam);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  heedless = __argc == 5 && std::wstring(__wargv[1]) == L"heedless";
  if (__argc == 5 && (heedless || std::wstring(__wargv[1]) == L"progman")) {
    return ServeAsProgramManager(__wargv[2], _wtoi(__wargv[3]), wcstoul(__wargv[4], nullptr, 10));
  }
  wchar_t self[MAX_PATH] = {}, shortSelf[MAX_PATH] = {}, current[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetShortPathNameW(self, shortSelf, MAX_PATH);
  GetCurrentDirectoryW(MAX_PATH, current);
  std::wstring text = std::wstring(current) + L"\n" + shortSelf + L"\n";
  for (int i = 1; i < __argc; ++i) text += std::wstring(__wargv[i]) + L"\n";
  // Whole before it has its name: the test reads it as soon as the name is there.
  const std::wstring record = std::wstring(self, wcsrchr(self, L'\\') + 1) + L"witness.txt";
  FILE* file = _wfopen((record + L".part").c_str(), L"wb");
  fwrite(text.data(), sizeof(wchar_t), text.size(), file);
  fclose(file);
  return MoveFileW((record + L".part").c_str(), record.c_str()) ? 0 : 1;
}
