// The stub may only need DLLs that every 32-bit Windows system has, Win32s included: its C
// runtime is CRTDLL, since the oldest systems lack MSVCRT.
#include <algorithm>
#include <cctype>

#include "image_test_support.h"

namespace {

using StubImportsTest = StubImageTest;

std::string Upper(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

TEST_F(StubImportsTest, ImportsOnlySystemDllsAndTheCRuntime) {
  const std::vector<std::string> allowed = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL",
                                            "COMDLG32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
                                            "CRTDLL.DLL"};
  std::vector<std::string> imported;
  ASSERT_NO_THROW(imported = pe::ReadImportedDllNames(bytes_, layout_));
  // An import walk that found nothing would pass the check below vacuously.
  ASSERT_NE(std::ranges::find(imported, std::string("KERNEL32.DLL"), Upper), imported.end());
  for (const std::string& name : imported) {
    EXPECT_NE(std::ranges::find(allowed, Upper(name)), allowed.end()) << name << " imported";
  }
}

}  // namespace
