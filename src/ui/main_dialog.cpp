#include "ui/main_dialog.h"

#include <windows.h>

namespace {

// Until the dialog's controls exist, OK and Cancel simply end it.
INT_PTR CALLBACK SfxDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam) == IDOK);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

}  // namespace

int RunMainDialog(void* instance, PassArea&, SetupState&) {
  return static_cast<int>(
      DialogBoxParamA(static_cast<HINSTANCE>(instance), "SfxDialog", nullptr, SfxDialogProc, 0));
}
