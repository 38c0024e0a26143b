#include "window_report.h"

#include <cstdio>
#include <string>

#include "icon_reader.h"
#include "robot_output.h"
#include "window_finder.h"

static std::string Hex(DWORD value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
  return text;
}

static bool IsCheckable(DWORD style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

static void ReportControl(HWND control, const IconReader& icons, DWORD deadline) {
  const std::string id = std::to_string(GetDlgCtrlID(control));
  const std::wstring className = ReadClassName(control);
  const DWORD style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  PrintLine("item " + id + " " + ToUtf8(className) + " " + Hex(style) + " " +
            EscapeText(ReadWindowText(control)));
  if (CompareStringOrdinal(className.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL &&
      IsCheckable(style)) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    PrintLine("check " + id + " " + std::to_string(state));
  }
  if (CompareStringOrdinal(className.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL &&
      (style & SS_TYPEMASK) == SS_ICON) {
    PrintLine("icon " + id + " " + icons.Read(control, deadline));
  }
}

void ReportWindow(HWND window, const IconReader& icons, DWORD deadline) {
  PrintLine("caption " + EscapeText(ReadWindowText(window)));
  PrintLine("class " + EscapeText(ReadClassName(window)));
  PrintLine("style " + Hex(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE))));
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ReportControl(child, icons, deadline);
  }
}
