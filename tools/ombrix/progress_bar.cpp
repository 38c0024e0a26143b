#include "ombrix/progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressBar::ProgressBar(uint64_t total)
    : total_(total), enabled_(total > 0 && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
  if (shown_) std::fprintf(stderr, "\r%*s\r", kBarWidth + 40, "");
}

void ProgressBar::Show(uint64_t done) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (shown_ && now - lastDraw_ < kRedrawInterval) return;
  lastDraw_ = now;
  shown_ = true;
  const uint64_t part = done < total_ ? done : total_;
  const int filled = static_cast<int>(part * kBarWidth / total_);
  char bar[kBarWidth + 1];
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = '\0';
  std::fprintf(stderr, "\rpacking [%s] %3d%% %.1f/%.1f MB", bar,
               static_cast<int>(part * 100 / total_), static_cast<double>(part) / 1e6,
               static_cast<double>(total_) / 1e6);
  std::fflush(stderr);
}
