// Which icon an icon control of another process shows. Icon handles cannot be read across
// processes, so the control's pixels on the screen are compared with candidate icons drawn
// here: the standard ones and those of the program under test.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class IconReader {
 public:
  // programPath: the program whose own icons are candidates as well; empty for none.
  explicit IconReader(const std::wstring& programPath);
  ~IconReader();
  IconReader(const IconReader&) = delete;
  IconReader& operator=(const IconReader&) = delete;

  // "error", "question", "warning", "information", the resource name of one of the program's
  // icons, "none" when the control holds no icon, "hidden" for an invisible control, or
  // "unknown" when nothing matched before the deadline (a GetTickCount value).
  std::string Read(HWND control, DWORD deadline) const;

 private:
  struct Candidate {
    std::string name;
    LPCWSTR resource;  // standard icon, or a resource name of the program
  };
  std::string Match(const std::vector<uint32_t>& screen, int width, int height) const;

  HMODULE program_ = nullptr;
  std::vector<std::wstring> resourceNames_;
  std::vector<Candidate> candidates_;
};
