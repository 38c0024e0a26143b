#include "setup/win32/file_class.h"

#include <windows.h>

#include "archive/path_names.h"
#include "base/error_report.h"
#include "base/messages.h"
#include "base/text.h"
#include "setup/setup_texts.h"

namespace {

// Sets the default value of a key below HKEY_CLASSES_ROOT; failures pass unnoticed.
void SetClassValue(const char* keyPath, const char* text) {
  char path[kKeyPathCapacity];
  CopyText(path, sizeof path, keyPath);
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, const_cast<char*>("(standard)"),
                      REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      &disposition) == ERROR_SUCCESS) {
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), TextLength(text) + 1);
  }
  if (key != nullptr) RegCloseKey(key);
}

}  // namespace

bool MakeShortPath(const char* dir, const char* name, char* dest, uint32_t capacity) {
  char joined[kDirCapacity];
  if (!JoinedPathFits(dir, name)) return false;
  CopyText(joined, sizeof joined, dir);
  AppendText(joined, sizeof joined, "\\");
  AppendText(joined, sizeof joined, name);
  const DWORD length = GetShortPathNameA(joined, dest, capacity);
  if (length == 0 || length >= capacity) CopyText(dest, capacity, joined);
  return true;
}

void RegisterFileClass(RunContext& run, SetupState& setup) {
  // Whatever would make the line fail is found before the user is asked about it; the key is
  // measured only where it is used, which WIN.INI is not.
  if (!run.options.isWin32s && !ClassKeyFits(setup.classKey)) return;
  if (!JoinedPathFits(run.extractDir, setup.progPath)) return;
  if (setup.askRegist &&
      MessageBoxA(static_cast<HWND>(run.dialogWindow),
                  FormatAboutFile(run, kSetClassQuestion, setup.classTitle),
                  run.settings.windowTitle, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDNO) {
    return;
  }
  char* program = setup.progPath;
  MakeShortPath(run.extractDir, program, program, kDirCapacity);
  ConvertSeparators(program, '\\');
  CharLowerA(setup.classExt);
  char* text = setup.ddeCommand;
  if (run.options.isWin32s) {
    FormatIniExtension(text, sizeof setup.ddeCommand, program, setup.classExt);
    const char* key = setup.classExt[0] != '\0' ? setup.classExt + 1 : setup.classExt;
    WriteProfileStringA("Extensions", key, text);
    return;
  }
  SetClassValue(setup.classExt, setup.classKey);
  SetClassValue(setup.classKey, setup.classTitle);
  char* suffix = setup.classKey + TextLength(setup.classKey);
  const uint32_t room = static_cast<uint32_t>(sizeof setup.classKey - (suffix - setup.classKey));
  FormatOpenCommand(text, sizeof setup.ddeCommand, program);
  CopyText(suffix, room, kOpenCommandKey);
  SetClassValue(setup.classKey, text);
  FormatClassIcon(text, sizeof setup.ddeCommand, program);
  CopyText(suffix, room, kDefaultIconKey);
  SetClassValue(setup.classKey, text);
}
