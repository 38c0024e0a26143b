// What a window shows: its caption and class, then each direct child control in creation
// order with its id, class, style and text, the check state of check boxes and radio buttons,
// and the kind of icon that each icon control shows.
#pragma once

#include <windows.h>

#include "icon_reader.h"

void ReportWindow(HWND window, const IconReader& icons, DWORD deadline);
