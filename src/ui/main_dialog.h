// The main dialog, in which the user confirms the directory and starts the extraction.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SfxDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
