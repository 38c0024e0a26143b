#include "icon_reader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using Pixels = std::vector<uint32_t>;

struct StandardIcon {
  const char* kind;
  LPCSTR resource;
};

const StandardIcon kStandardIcons[] = {
    {"error", IDI_HAND},
    {"question", IDI_QUESTION},
    {"warning", IDI_EXCLAMATION},
    {"information", IDI_ASTERISK},
};

// Share of the icon's opaque pixels that must agree; anti-aliased edges and a slightly different
// background may spoil a few.
constexpr int kMatchPercent = 90;
constexpr int kChannelTolerance = 8;

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

Pixels CaptureClientArea(HWND control, int width, int height) {
  POINT origin = {0, 0};
  ClientToScreen(control, &origin);
  Canvas canvas(width, height);
  const HDC screen = GetDC(nullptr);
  BitBlt(canvas.dc(), 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY | CAPTUREBLT);
  ReleaseDC(nullptr, screen);
  return canvas.Take();
}

}  // namespace

const char* ReadIconKind(HWND control, DWORD deadline) {
  if (!IsWindowVisible(control)) return "hidden";
  DWORD_PTR icon = 0;
  SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
  if (icon == 0) return "none";
  RECT client = {};
  GetClientRect(control, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return "hidden";
  // The control may not have painted yet when its window has just appeared.
  do {
    const Pixels screen = CaptureClientArea(control, width, height);
    for (const StandardIcon& standard : kStandardIcons) {
      if (LooksLike(screen, LoadIconA(nullptr, standard.resource), width, height)) {
        return standard.kind;
      }
    }
    Sleep(50);
  } while (static_cast<int32_t>(deadline - GetTickCount()) > 0);
  return "unknown";
}
