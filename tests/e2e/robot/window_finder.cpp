#include "window_finder.h"

#include <vector>

static constexpr UINT kReplyLimitMs = 2000;

std::wstring ReadWindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyLimitMs,
                           &length)) {
    return {};
  }
  std::vector<wchar_t> buffer(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(),
                           reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG, kReplyLimitMs,
                           &copied)) {
    return {};
  }
  return std::wstring(buffer.data(), copied);
}

std::wstring ReadClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

static std::wstring ReadImagePath(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = MAX_PATH * 2;
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) path[0] = L'\0';
  CloseHandle(process);
  return path;
}

static bool Matches(HWND window, const WindowQuery& query) {
  if (!IsWindowVisible(window)) return false;
  if (!query.className.empty() && ReadClassName(window) != query.className) return false;
  if (!query.caption.empty() && ReadWindowText(window) != query.caption) return false;
  if (query.controlId != 0 && GetDlgItem(window, query.controlId) == nullptr) return false;
  return query.exePath.empty() ||
         CompareStringOrdinal(ReadImagePath(window).c_str(), -1, query.exePath.c_str(), -1, TRUE) ==
             CSTR_EQUAL;
}

struct Search {
  const WindowQuery* query;
  HWND found;
};

static BOOL CALLBACK CheckWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  if (!Matches(window, *search->query)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindMatchingWindow(const WindowQuery& query) {
  Search search{&query, nullptr};
  EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
