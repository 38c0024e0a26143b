// The directory chooser: the old-style file-open dialog showing only directories and drives.
#pragma once

#include <windows.h>

#include "ui/main_dialog.h"

// Runs the chooser over owner. true when a directory was chosen, which is then in
// chooser.directory; false when the user cancelled or the chooser could not be shown.
bool ChooseDirectory(HWND owner, HINSTANCE instance, ChooserState& chooser);

// The chooser's hook, exported by name: OK takes the directory the chooser shows, unless the
// focus is in one of its lists, where OK opens the entry as the common dialog does.
extern "C" UINT_PTR CALLBACK GetDirDlgHookProc(HWND chooser, UINT message, WPARAM wParam,
                                               LPARAM lParam);
