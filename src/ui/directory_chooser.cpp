#include "ui/directory_chooser.h"

#include <commdlg.h>
#include <dlgs.h>

#include "base/messages.h"
#include "base/text.h"

namespace {

// The hook has no parameter of its own to reach the chooser's fields by; one chooser runs at a
// time.
ChooserState* openChooser;

}  // namespace

bool ChooseDirectory(HWND owner, HINSTANCE instance, ChooserState& chooser) {
  openChooser = &chooser;
  chooser.fileName[0] = '\0';
  OPENFILENAMEA request = {};
  // The size of the record before its later extensions, which the old-style dialog expects.
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  request.hwndOwner = owner;
  request.hInstance = instance;
  request.lpstrFile = chooser.fileName;
  request.nMaxFile = kPathCapacity;
  request.lpstrTitle = kChooserTitle;
  request.Flags =
      OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_PATHMUSTEXIST;
  request.lpfnHook = GetDirDlgHookProc;
  request.lpTemplateName = "GetDirDialog";
  return GetOpenFileNameA(&request) != 0;
}

UINT_PTR CALLBACK GetDirDlgHookProc(HWND chooser, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || LOWORD(wParam) != IDOK) return 0;
  const int focus = GetDlgCtrlID(GetFocus());
  if (focus == lst2 || focus == cmb2) return 0;
  ChooserState& state = *openChooser;
  // The box takes 255 characters: a longer directory is refused rather than cut, and the chooser
  // stays open on it.
  const DWORD length = GetCurrentDirectoryA(kDirCapacity, state.directory);
  if (length == 0 || length >= kDirCapacity) {
    MessageBoxA(chooser, kInvalidDirectory, state.caption, MB_TASKMODAL | MB_ICONWARNING);
    return 1;
  }
  // The common dialog ends when its hook posts IDABORT, and GetOpenFileNameA then returns the
  // lParam given here.
  PostMessageA(chooser, WM_COMMAND, IDABORT, 1);
  return 0;
}
