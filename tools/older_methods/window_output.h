// Decoded bytes of an older method on their way to the sink. Every older method reaches back at
// most a few KiB, so the decoder's 64 KiB window serves as their ring: bytes are kept there and
// handed on each time it fills, and a match reads back through it by distance.
#pragma once

#include <cstdint>

#include "decode/member_decoder.h"

class WindowOutput {
 public:
  // Output of a member of size bytes; the window starts as zeros.
  WindowOutput(const OutputSink& sink, DecoderState& state, uint32_t size);

  // Lays n bytes into the window as if they came just before the member's first byte, for the
  // methods that start from a dictionary of their own.
  void Preset(const uint8_t* bytes, uint32_t n);
  // The same with n spaces, where the encoders of these methods start their window.
  void PresetSpaces(uint32_t n);

  // Whether the member is whole, or the output has failed; either way decoding stops.
  bool Finished() const { return produced_ == size_ || status_ != kDecodeDone; }

  void Put(uint8_t byte) {
    if (Finished()) return;
    window_[produced_++ & kMask] = byte;
    if ((produced_ & kMask) == 0) Flush();
  }

  // The byte distance places back (1: the last one put), from the ring, whatever was put there.
  uint8_t Back(uint32_t distance) const { return window_[(produced_ - distance) & kMask]; }

  // Copies length bytes from distance back, byte by byte so that a copy may overlap itself; stops
  // at the member's end.
  void Copy(uint32_t distance, uint32_t length) {
    while (length-- != 0 && !Finished()) Put(Back(distance));
  }

  uint32_t Produced() const { return produced_; }

  // Hands on what is left and says how the output went.
  DecodeStatus Finish();

 private:
  static constexpr uint32_t kMask = kWindowSize - 1;
  void Flush();

  const OutputSink& sink_;
  uint8_t* window_;
  uint32_t size_;
  uint32_t produced_ = 0;
  uint32_t flushed_ = 0;  // bytes handed on so far
  DecodeStatus status_ = kDecodeDone;
};
