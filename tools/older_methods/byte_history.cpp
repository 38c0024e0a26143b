#include "older_methods/byte_history.h"

#include <cstring>

ByteHistory::ByteHistory() {
  // Runs of consecutive values, each given by its first value and length.
  constexpr struct {
    uint8_t first;
    uint8_t count;
  } kRuns[] = {{0x20, 0x60}, {0x00, 0x20}, {0xA0, 0x40}, {0x80, 0x20}, {0xE0, 0x20}};
  uint32_t rank = 0;
  for (const auto& run : kRuns) {
    for (uint32_t i = 0; i < run.count; ++i) order_[rank++] = static_cast<uint8_t>(run.first + i);
  }
}

void ByteHistory::MoveToFront(uint8_t byte) {
  // Recent bytes sit near the front, so the search is short where it matters.
  uint32_t rank = 0;
  while (order_[rank] != byte) ++rank;
  std::memmove(order_ + 1, order_, rank);
  order_[0] = byte;
}
