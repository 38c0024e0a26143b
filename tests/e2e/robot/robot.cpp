// The end-to-end tests' hands and eyes under Wine: finds a window, reports what it shows and acts
// on it as a user would, in the order given (options may change between actions):
//
//   robot [--control ID] [--timeout MS] ACTION...
//     find CLASS CAPTION  wait for a visible top-level window ("" matches any) with control ID
//     dump                report the window (caption, owner's caption, screen rectangle) and its
//                         controls (id, class, style, check state, text), a line each
//     press ID | close    click a button | the close box
//     type ID TEXT        select all of an edit control and type TEXT into it key by key
//     gone                wait until the window has been destroyed
//
// Every wait ends after the timeout (10 s unless given). Exit codes: 0 done, 1 bad usage,
// 2 timeout, 3 the window refused an action (no such control, or a disabled one).
#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kReplyMs = 2000;

// UTF-8 straight to the handle: the C runtime's text mode would turn each line feed into CR LF.
// A problem goes on the same stream, where the harness reads it.
int Say(const std::wstring& line, int code = 0) {
  const std::wstring text = (code ? L"robot: " : L"") + line + L"\n";
  std::string bytes(text.size() * 3, '\0');
  DWORD size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), bytes.data(),
                                   int(bytes.size()), nullptr, nullptr);
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), size, &size, nullptr);
  return code;
}

DWORD_PTR Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReplyMs, &answer);
  return answer;
}

// Messages, not GetWindowText, which does not reach controls of other processes. Backslash,
// line feed, carriage return and tab are escaped, so that any text fits on one line.
std::wstring TextOf(HWND window) {
  std::vector<wchar_t> text(Ask(window, WM_GETTEXTLENGTH) + 1, L'\0');
  Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  std::wstring escaped;
  for (const wchar_t* c = text.data(); *c; ++c) {
    const size_t special = std::wstring(L"\\\n\r\t").find(*c);
    escaped += special == std::wstring::npos ? std::wstring(1, *c)
                                             : std::wstring{L'\\', L"\\nrt"[special]};
  }
  return escaped;
}

HWND Find(const std::wstring& kind, const std::wstring& caption, int control) {
  const wchar_t* name = kind.empty() ? nullptr : kind.c_str();
  for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, name, nullptr));) {
    if (IsWindowVisible(window) && (caption.empty() || TextOf(window) == caption) &&
        (control == 0 || GetDlgItem(window, control)))
      return window;
  }
  return nullptr;
}

void Dump(HWND window) {
  Say(L"caption " + TextOf(window));
  if (const HWND owner = GetWindow(window, GW_OWNER)) Say(L"owner " + TextOf(owner));
  RECT frame;
  GetWindowRect(window, &frame);
  Say(L"rect " + std::to_wstring(frame.left) + L" " + std::to_wstring(frame.top) + L" " +
      std::to_wstring(frame.right) + L" " + std::to_wstring(frame.bottom));
  for (HWND item = GetWindow(window, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
    wchar_t kind[256] = {};
    GetClassNameW(item, kind, 256);
    const bool button = std::wstring(kind) == L"Button";  // a push button answers 0
    Say(L"item " + std::to_wstring(GetDlgCtrlID(item)) + L" " + kind + L" " +
        std::to_wstring(static_cast<DWORD>(GetWindowLongW(item, GWL_STYLE))) + L" " +
        std::to_wstring(button ? Ask(item, BM_GETCHECK) : 0) + L" " + TextOf(item));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int control = 0;
  DWORD timeoutMs = 10000;
  HWND window = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::wstring word = argv[i];
    const int left = argc - i - 1;
    const DWORD deadline = GetTickCount() + timeoutMs;
    const auto waiting = [deadline] { return Sleep(50), int32_t(deadline - GetTickCount()) > 0; };
    // The control, by the id after the action, and whether a user could reach it.
    const HWND item = left >= 1 && window ? GetDlgItem(window, _wtoi(argv[i + 1])) : nullptr;
    const bool usable = item && IsWindowEnabled(item) && IsWindowVisible(item);
    if (word == L"--control" && left >= 1) {
      control = _wtoi(argv[++i]);
    } else if (word == L"--timeout" && left >= 1) {
      timeoutMs = wcstoul(argv[++i], nullptr, 10);
    } else if (word == L"find" && left >= 2) {
      const std::wstring kind = argv[++i], caption = argv[++i];
      while (!(window = Find(kind, caption, control)))
        if (!waiting()) return Say(L"no window " + caption + L" of " + kind, 2);
      Say(L"window");
    } else if (window == nullptr) {
      return Say(word + L" needs a window: find one first", 1);
    } else if (word == L"dump") {
      Dump(window);
    } else if (word == L"press" && left >= 1) {
      if (!usable) return Say(L"cannot press " + std::wstring(argv[i + 1]), 3);
      // Queued for the program's thread and not waited for, as the system's own clicks: a click
      // may open a modal loop, and what the robot sends later is handled after it or inside it.
      SendNotifyMessageW(item, BM_CLICK, 0, 0);
      ++i;
    } else if (word == L"type" && left >= 2) {
      if (!usable) return Say(L"cannot type into " + std::wstring(argv[i + 1]), 3);
      Ask(item, EM_SETSEL, 0, -1);
      for (const wchar_t* c = argv[i + 2]; *c; ++c) Ask(item, WM_CHAR, *c, 1);
      i += 2;
    } else if (word == L"close") {
      SendNotifyMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (word == L"gone") {
      while (IsWindow(window))
        if (!waiting()) return Say(L"the window stays", 2);
    } else {
      return Say(L"unknown action or missing argument: " + word, 1);
    }
  }
  return 0;
}
