#include "icon_reader.h"

#include <cstdint>
#include <cstdlib>

#include "robot_output.h"

namespace {

using Pixels = std::vector<uint32_t>;

// Share of the icon's opaque pixels that must agree; anti-aliased edges may spoil a few.
constexpr int kMatchPercent = 90;
constexpr int kChannelTolerance = 8;
constexpr DWORD kPollMs = 50;

// A top-down 32-bit bitmap that a DC can draw into.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  Pixels Take() const {
    GdiFlush();
    return Pixels(bits_, bits_ + static_cast<size_t>(width_) * height_);
  }

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  uint32_t* bits_ = nullptr;
};

Pixels DrawOn(HICON icon, int width, int height, COLORREF background) {
  Canvas canvas(width, height);
  const RECT all = {0, 0, width, height};
  const HBRUSH brush = CreateSolidBrush(background);
  FillRect(canvas.dc(), &all, brush);
  DeleteObject(brush);
  DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  return canvas.Take();
}

bool Close(uint32_t a, uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int difference =
        static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (std::abs(difference) > kChannelTolerance) return false;
  }
  return true;
}

// The icon's opaque pixels are those that come out the same on black and on white.
bool LooksLike(const Pixels& screen, HICON icon, int width, int height) {
  if (icon == nullptr) return false;
  const Pixels onBlack = DrawOn(icon, width, height, RGB(0, 0, 0));
  const Pixels onWhite = DrawOn(icon, width, height, RGB(255, 255, 255));
  int opaque = 0;
  int agreeing = 0;
  for (size_t i = 0; i < screen.size(); ++i) {
    if (onBlack[i] != onWhite[i]) continue;
    ++opaque;
    if (Close(screen[i], onBlack[i])) ++agreeing;
  }
  return opaque > 0 && agreeing * 100 >= opaque * kMatchPercent;
}

RECT ScreenRect(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

// Another window may lie on top: the pixels are the control's only while its own top-level
// window is the one seen at the corners and the centre.
bool IsUncovered(HWND control, const RECT& area) {
  const HWND root = GetAncestor(control, GA_ROOT);
  const POINT probes[] = {{area.left, area.top},
                          {area.right - 1, area.top},
                          {area.left, area.bottom - 1},
                          {area.right - 1, area.bottom - 1},
                          {(area.left + area.right) / 2, (area.top + area.bottom) / 2}};
  for (const POINT& probe : probes) {
    if (GetAncestor(WindowFromPoint(probe), GA_ROOT) != root) return false;
  }
  return true;
}

Pixels Capture(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  Canvas canvas(width, height);
  const HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
  ReleaseDC(nullptr, screen);
  return canvas.Take();
}

// The IDI_ names are integer resources spelt for the ANSI calls.
LPCWSTR StandardIcon(LPCSTR id) {
  return MAKEINTRESOURCEW(static_cast<WORD>(reinterpret_cast<uintptr_t>(id)));
}

BOOL CALLBACK AddResourceName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
      IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name)) : name);
  return TRUE;
}

}  // namespace

IconReader::IconReader(const std::wstring& programPath) {
  candidates_ = {{"error", StandardIcon(IDI_ERROR)},
                 {"question", StandardIcon(IDI_QUESTION)},
                 {"warning", StandardIcon(IDI_WARNING)},
                 {"information", StandardIcon(IDI_INFORMATION)}};
  if (programPath.empty()) return;
  program_ = LoadLibraryExW(programPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (program_ == nullptr) return;
  EnumResourceNamesW(program_, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, AddResourceName,
                     reinterpret_cast<LONG_PTR>(&resourceNames_));
  // "#n" is also how FindResource takes a numeric name.
  for (const std::wstring& name : resourceNames_)
    candidates_.push_back({ToUtf8(name), name.c_str()});
}

IconReader::~IconReader() {
  if (program_ != nullptr) FreeLibrary(program_);
}

std::string IconReader::Match(const Pixels& screen, int width, int height) const {
  for (const Candidate& candidate : candidates_) {
    const bool own = IS_INTRESOURCE(candidate.resource) == FALSE;
    const HICON icon = own ? static_cast<HICON>(LoadImageW(program_, candidate.resource, IMAGE_ICON,
                                                           width, height, 0))
                           : LoadIconW(nullptr, candidate.resource);
    const bool matches = LooksLike(screen, icon, width, height);
    if (own && icon != nullptr) DestroyIcon(icon);
    if (matches) return candidate.name;
  }
  return {};
}

std::string IconReader::Read(HWND control, DWORD deadline) const {
  if (!IsWindowVisible(control)) return "hidden";
  DWORD_PTR icon = 0;
  SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
  if (icon == 0) return "none";
  const RECT area = ScreenRect(control);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return "hidden";
  // Until a window has painted, the screen still shows what lay there before, which may be
  // another icon: a kind counts once two captures in a row agree on it.
  std::string previous;
  do {
    std::string name;
    if (IsUncovered(control, area)) {
      const Pixels screen = Capture(area);
      if (IsUncovered(control, area)) name = Match(screen, width, height);
    }
    if (!name.empty() && name == previous) return name;
    previous = name;
    Sleep(kPollMs);
  } while (static_cast<int32_t>(deadline - GetTickCount()) > 0);
  return "unknown";
}
