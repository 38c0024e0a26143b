#include "control_actions.h"

#include <cwchar>

#include "window_finder.h"

static std::wstring WithoutMnemonic(const std::wstring& text) {
  std::wstring plain;
  for (const wchar_t c : text) {
    if (c != L'&') plain += c;
  }
  return plain;
}

static bool IsNumber(const std::wstring& text) {
  if (text.empty()) return false;
  for (const wchar_t c : text) {
    if (!iswdigit(c)) return false;
  }
  return true;
}

static HWND FindButton(HWND dialog, const std::wstring& button) {
  if (IsNumber(button))
    return GetDlgItem(dialog, static_cast<int>(wcstol(button.c_str(), nullptr, 10)));
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (CompareStringOrdinal(ReadClassName(child).c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL &&
        CompareStringOrdinal(WithoutMnemonic(ReadWindowText(child)).c_str(), -1, button.c_str(), -1,
                             TRUE) == CSTR_EQUAL) {
      return child;
    }
  }
  return nullptr;
}

int PressButton(HWND dialog, const std::wstring& button, std::string& problem) {
  const HWND control = FindButton(dialog, button);
  if (control == nullptr) {
    problem = "no such button";
    return 0;
  }
  if (!IsWindowEnabled(control) || !IsWindowVisible(control)) {
    problem = "button cannot be pressed";
    return 0;
  }
  const int id = GetDlgCtrlID(control);
  // Posted like the notification of a real click, which a modal box may be waiting for.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  return id;
}

bool ReplaceItemText(HWND dialog, int id, const std::wstring& text, std::string& problem) {
  const HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) {
    problem = "no such control";
    return false;
  }
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                           SMTO_ABORTIFHUNG, 2000, &result)) {
    problem = "control did not answer";
    return false;
  }
  return true;
}
