// Finding the program's windows among all top-level windows of the display.
#pragma once

#include <windows.h>

#include <string>

struct WindowQuery {
  std::wstring className;  // empty: any
  std::wstring caption;    // empty: any
  std::wstring exePath;    // Windows path of the owning program; empty: any process
  int controlId = 0;       // a child control the window must have; 0: none needed
};

// A visible top-level window that matches, or null.
HWND FindMatchingWindow(const WindowQuery& query);

// Window text through WM_GETTEXT, which reaches controls of other processes as well.
std::wstring ReadWindowText(HWND window);
std::wstring ReadClassName(HWND window);
