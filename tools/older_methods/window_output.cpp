#include "older_methods/window_output.h"

#include <cstring>

WindowOutput::WindowOutput(const OutputSink& sink, DecoderState& state, uint32_t size)
    : sink_(sink), window_(state.window), size_(size) {
  std::memset(window_, 0, kWindowSize);
}

void WindowOutput::Preset(const uint8_t* bytes, uint32_t n) {
  std::memcpy(window_ + kWindowSize - n, bytes, n);
}

void WindowOutput::PresetSpaces(uint32_t n) {
  std::memset(window_ + kWindowSize - n, ' ', n);
}

void WindowOutput::Flush() {
  // Flushes fall on the window's end or the member's, so what is due never wraps.
  const uint32_t n = produced_ - flushed_;
  if (n == 0 || status_ != kDecodeDone) return;
  status_ = WriteOut(sink_, window_ + (flushed_ & kMask), n);
  if (status_ == kDecodeDone) status_ = ReportProgress(sink_, produced_, size_);
  flushed_ = produced_;
}

DecodeStatus WindowOutput::Finish() {
  Flush();
  return status_;
}
