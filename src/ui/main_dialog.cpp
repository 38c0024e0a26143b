#include "ui/main_dialog.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <dde.h>

#include "base/messages.h"
#include "base/text.h"
#include "setup/win32/extraction_pass.h"
#include "setup/win32/program_group.h"
#include "ui/dialog_items.h"
#include "ui/directory_chooser.h"

namespace {

constexpr UINT_PTR kAutoStartTimer = 1;
constexpr UINT kAutoStartDelayMs = 700;
constexpr int kDisabledForThePass[] = {IDOK, kBrowseButton, kDirectoryBox, kGroupBox, kClassBox};

// The dialog procedure reaches the work area through these; there is one dialog per process.
struct Dialog {
  HINSTANCE instance;
  PassArea* area;
  SetupState* setup;
  DialogState* state;
  HICON icon;
  bool choosing;  // the directory chooser is open
};
Dialog dialog;

void CentreOnScreen(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
             (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, FALSE);
}

// A check box the setup script offered starts checked and enabled with the script's label; one
// it did not offer stays unchecked and disabled with the template's.
void ShowCheckBox(HWND window, int id, uint32_t checked, const char* label) {
  if (label[0] != '\0') SetDlgItemTextA(window, id, label);
  CheckDlgButton(window, id, checked);
  EnableWindow(GetDlgItem(window, id), checked != 0);
}

void Initialise(HWND window) {
  RunContext& run = dialog.area->run;
  SetupState& setup = *dialog.setup;
  const SettingsBlock& settings = run.settings;
  setup.ddeState = 0;
  SetWindowTextA(window, settings.windowTitle);
  if (settings.installTitle[0] != '\0')
    SetDlgItemTextA(window, kDirectoryLabel, settings.installTitle);
  SetDlgItemTextA(window, kDirectoryBox, settings.installDir);
  SendDlgItemMessageA(window, kDirectoryBox, EM_LIMITTEXT, kDirCapacity - 1, 0);
  ShowCheckBox(window, kGroupBox, setup.groupChecked, setup.groupCheckText);
  ShowCheckBox(window, kClassBox, setup.classChecked, setup.classCheckText);
  CentreOnScreen(window);
  dialog.state->extracting = false;
  run.cancelRequested = false;
  dialog.icon = LoadIconA(dialog.instance, "IDI_ICON1");
  if (run.options.autoStart) SetTimer(window, kAutoStartTimer, kAutoStartDelayMs, nullptr);
}

void RemoveQuotes(char* text) {
  char* to = text;
  for (const char* from = text; *from != '\0'; ++from) {
    if (*from != '"') *to++ = *from;
  }
  *to = '\0';
}

// OK, pressed or posted by the timer. The timer goes first, so that it cannot post a second OK;
// one that it posted already, or any OK while a pass runs or the chooser is open, is ignored.
INT_PTR Start(HWND window) {
  KillTimer(window, kAutoStartTimer);
  if (dialog.state->extracting || dialog.choosing) return TRUE;
  RunContext& run = dialog.area->run;
  char* dir = run.extractDir;
  if (GetDlgItemTextA(window, kDirectoryBox, dir, kDirCapacity) == 0) dir[0] = '\0';
  RemoveQuotes(dir);
  if (dir[0] == '\\' && dir[1] == '\\') {
    MessageBoxA(window, kInvalidDirectory, run.settings.windowTitle, MB_TASKMODAL | MB_ICONWARNING);
    return FALSE;
  }
  for (int id : kDisabledForThePass) EnableWindow(GetDlgItem(window, id), FALSE);
  SetFocus(GetDlgItem(window, IDCANCEL));
  SendDlgItemMessageA(window, IDCANCEL, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  dialog.state->extracting = true;
  RunExtractionPass(*dialog.area, *dialog.setup, window);
  EndDialog(window, 1);
  return TRUE;
}

// The chosen directory goes into the box, in quotes when it holds a blank; OK takes them off.
void Browse(HWND window) {
  KillTimer(window, kAutoStartTimer);
  ChooserState& chooser = dialog.state->chooser;
  chooser.caption = dialog.area->run.settings.windowTitle;
  dialog.choosing = true;
  const bool chosen = ChooseDirectory(window, dialog.instance, chooser);
  dialog.choosing = false;
  if (!chosen) return;
  char shown[kDirCapacity + 2];
  shown[0] = '\0';
  bool blank = false;
  for (const char* c = chooser.directory; *c != '\0'; ++c) blank = blank || *c == ' ';
  if (blank) AppendText(shown, sizeof shown, "\"");
  AppendText(shown, sizeof shown, chooser.directory);
  if (blank) AppendText(shown, sizeof shown, "\"");
  SetDlgItemTextA(window, kDirectoryBox, shown);
}

// The boxes are plain check boxes: the fields hold the state and the dialog shows it.
void Toggle(HWND window, int id, uint32_t& checked) {
  checked = checked == 0 ? 1 : 0;
  CheckDlgButton(window, id, checked);
}

INT_PTR Command(HWND window, int id) {
  switch (id) {
    case IDOK:
      return Start(window);
    case IDCANCEL:
      if (dialog.state->extracting) {
        dialog.area->run.cancelRequested = true;
      } else {
        EndDialog(window, 0);
      }
      return TRUE;
    case kBrowseButton:
      Browse(window);
      break;
    case kGroupBox:
      Toggle(window, id, dialog.setup->groupChecked);
      break;
    case kClassBox:
      Toggle(window, id, dialog.setup->classChecked);
      break;
    default:
      break;
  }
  return FALSE;
}

// Minimised, the dialog shows its own icon.
void PaintIcon(HWND window) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  const int mode = GetMapMode(dc);
  SendMessageA(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SetMapMode(dc, MM_TEXT);
  DrawIcon(dc, 0, 0, dialog.icon);
  SetMapMode(dc, mode);
  EndPaint(window, &paint);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(window);
      return TRUE;
    case WM_COMMAND:
      return Command(window, LOWORD(wParam));
    case WM_TIMER:
      KillTimer(window, kAutoStartTimer);
      PostMessageA(window, WM_COMMAND, IDOK, 0);
      return FALSE;
    case WM_PAINT:
      if (IsIconic(window)) PaintIcon(window);
      return FALSE;
    case WM_ERASEBKGND:
      return IsIconic(window) ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(dialog.icon);
    case WM_CLOSE:
      DestroyIcon(dialog.icon);
      return FALSE;
    case WM_DDE_ACK:
      OnDdeAck(*dialog.setup, window, reinterpret_cast<HWND>(wParam), lParam);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunMainDialog(void* instance, PassArea& area, SetupState& setup, DialogState& state) {
  dialog = {static_cast<HINSTANCE>(instance), &area, &setup, &state, nullptr, false};
  return static_cast<int>(
      DialogBoxParamA(dialog.instance, "SfxDialog", nullptr, MainDialogProc, 0));
}
