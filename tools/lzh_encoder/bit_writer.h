// Bit fields packed most significant bit first, in the order the decoder's bit reader takes
// them; the last byte is filled with zero bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
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
      PutWord(static_cast<uint32_t>(pending_ >> count_));
    }
  }

  // The whole bytes written since the last call, valid until the next Put; the bits of a byte
  // not yet whole stay. The buffer is kept, so a long member reuses the same pages throughout.
  std::span<const uint8_t> TakeBytes() { return {bytes_.data(), std::exchange(size_, 0)}; }

  // Pads the last byte and hands over the bytes; the writer is empty afterwards.
  std::vector<uint8_t> Finish() {
    while (count_ >= 8) {
      count_ -= 8;
      PutByte(static_cast<uint8_t>(pending_ >> count_));
    }
    if (count_ > 0) PutByte(static_cast<uint8_t>(pending_ << (8 - count_)));
    count_ = 0;
    pending_ = 0;
    bytes_.resize(std::exchange(size_, 0));
    return std::exchange(bytes_, {});
  }

 private:
  // Whole words at a time into room made ahead: a byte-by-byte push_back costs more than the
  // code that chooses the bits.
  void PutWord(uint32_t word) {
    if (bytes_.size() - size_ < 4) Grow();
    const uint8_t big[4] = {static_cast<uint8_t>(word >> 24), static_cast<uint8_t>(word >> 16),
                            static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
    std::memcpy(bytes_.data() + size_, big, 4);
    size_ += 4;
  }
  void PutByte(uint8_t byte) {
    if (bytes_.size() == size_) Grow();
    bytes_[size_++] = byte;
  }
  void Grow() { bytes_.resize(std::max<size_t>(2 * bytes_.size(), 4096)); }

  std::vector<uint8_t> bytes_;  // the first size_ are written, the rest is room
  size_t size_ = 0;
  uint64_t pending_ = 0;  // the low count_ bits are still to be written
  uint32_t count_ = 0;
};
