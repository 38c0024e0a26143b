#include "robot_output.h"

#include <windows.h>

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::string EscapeText(const std::wstring& text) {
  std::wstring escaped;
  for (const wchar_t c : text) {
    switch (c) {
      case L'\\':
        escaped += L"\\\\";
        break;
      case L'\n':
        escaped += L"\\n";
        break;
      case L'\r':
        escaped += L"\\r";
        break;
      case L'\t':
        escaped += L"\\t";
        break;
      default:
        escaped += c;
    }
  }
  return ToUtf8(escaped);
}

// Straight to the handle: the C runtime's text mode would turn each line feed into CR LF.
static void WriteLine(DWORD stream, const std::string& line) {
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
}

void PrintLine(const std::string& line) {
  WriteLine(STD_OUTPUT_HANDLE, line);
}

void PrintProblem(const std::string& line) {
  WriteLine(STD_ERROR_HANDLE, "robot: " + line);
}
