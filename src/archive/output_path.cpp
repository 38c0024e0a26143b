#include "archive/output_path.h"

#include "archive/path_macros.h"
#include "archive/path_names.h"
#include "base/run_context.h"
#include "base/text.h"

static bool HasDrive(const char* path) {
  return path[0] != '\0' && path[1] == ':';
}

void BuildOutputPath(char* out, const char* dir, char* memberPath, bool isWin32s) {
  ExpandPathMacro(memberPath, kPathCapacity, LastComponent(memberPath), isWin32s);
  if (HasDrive(memberPath)) {
    CopyText(out, kOutPathCapacity, memberPath);
    return;
  }
  CopyText(out, kOutPathCapacity, dir);
  if (memberPath[0] == '\\' || memberPath[0] == '/') {
    if (HasDrive(out)) {
      out[2] = '\0';
    } else {
      out[0] = '\0';
    }
  } else if (out[0] != '\0' && !(HasDrive(out) && out[2] == '\0')) {
    AppendSeparator(out, kOutPathCapacity);
  }
  AppendText(out, kOutPathCapacity, memberPath);
}
