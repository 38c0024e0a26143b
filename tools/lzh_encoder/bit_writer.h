// Bit fields packed most significant bit first, in the order the decoder's bit reader takes
// them; the last byte is filled with zero bits.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

class BitWriter {
 public:
  // The low `width` bits of value; width is at most 32 and the bits above it are zero.
  void Put(uint32_t value, uint32_t width) {
    pending_ = pending_ << width | value;
    count_ += width;
    if (count_ >= 32) {
      count_ -= 32;
      const auto word = static_cast<uint32_t>(pending_ >> count_);
      bytes_.push_back(static_cast<uint8_t>(word >> 24));
      bytes_.push_back(static_cast<uint8_t>(word >> 16));
      bytes_.push_back(static_cast<uint8_t>(word >> 8));
      bytes_.push_back(static_cast<uint8_t>(word));
    }
  }

  // The whole bytes written so far, handed over; the bits of a byte not yet whole stay.
  std::vector<uint8_t> TakeBytes() { return std::exchange(bytes_, {}); }

  // Pads the last byte and hands over the bytes; the writer is empty afterwards.
  std::vector<uint8_t> Finish() {
    while (count_ >= 8) {
      count_ -= 8;
      bytes_.push_back(static_cast<uint8_t>(pending_ >> count_));
    }
    if (count_ > 0) bytes_.push_back(static_cast<uint8_t>(pending_ << (8 - count_)));
    count_ = 0;
    pending_ = 0;
    return std::move(bytes_);
  }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t pending_ = 0;  // the low count_ bits are still to be written
  uint32_t count_ = 0;
};
