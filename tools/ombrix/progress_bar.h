// How far a long job has come, as one line on standard error that rewrites itself. Shown only
// when standard error is a terminal, so that logs and pipes get no control characters.
#pragma once

#include <chrono>
#include <cstdint>

class ProgressBar {
 public:
  // total is the amount of work, in bytes; nothing is shown while it is 0.
  explicit ProgressBar(uint64_t total);
  // Takes the line away again.
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Shows done bytes out of the total; redraws at most a few times a second.
  void Show(uint64_t done);

 private:
  uint64_t total_;
  bool shown_ = false;
  bool enabled_;
  std::chrono::steady_clock::time_point lastDraw_;
};
