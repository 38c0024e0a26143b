// The byte values ranked by how lately each was written. PMarc's methods send a literal as its
// rank here rather than as itself, so that the bytes a text keeps using cost few bits.
#pragma once

#include <cstdint>

class ByteHistory {
 public:
  // The ranking every member starts from: printable ASCII first, then the control characters,
  // then the upper half in the order the encoder expects.
  ByteHistory();

  // The byte of a rank; ranks come from tables that never pass 255.
  uint8_t At(uint32_t rank) const { return order_[rank & 0xFF]; }

  // Ranks a byte just written first, the others keeping their order behind it.
  void MoveToFront(uint8_t byte);

 private:
  uint8_t order_[256];
};
