// Which standard icon an icon control of another process shows. Icon handles cannot be read
// across processes, so the control's pixels on the screen are compared with the standard icons
// drawn here.
#pragma once

#include <windows.h>

// "error", "question", "warning", "information", "none" when the control holds no icon,
// "hidden" for an invisible control, or "unknown" when nothing matched before the deadline
// (a GetTickCount value).
const char* ReadIconKind(HWND control, DWORD deadline);
