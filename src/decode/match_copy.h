// Copying a match inside the window, word by word, with the result of a byte-by-byte forward
// copy: a source that overlaps its destination repeats the bytes just written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decode/decoder_state.h"

inline void CopyWord(uint8_t* dest, const uint8_t* source) {
  uint64_t word;
  std::memcpy(&word, source, sizeof word);
  std::memcpy(dest, &word, sizeof word);
}

// Copies a match of length bytes from source to dest, both indexes into the window, neither
// range wrapping and the destination ending before the window's end. Exactly length bytes
// change, since the bytes past a match are still the window's oldest ones and a later match may
// reach back to them.
inline void CopyMatch(uint8_t* window, uint32_t dest, uint32_t source, uint32_t length) {
  uint8_t* const to = window + dest;
  const ptrdiff_t n = length;
  ptrdiff_t i = 0;
  ptrdiff_t back = static_cast<ptrdiff_t>(dest) - static_cast<ptrdiff_t>(source);
  if (back > 0 && back < 8) {
    // A pattern shorter than a word: copy bytes until a whole number of its periods, 8 bytes or
    // more, lies behind the destination, then copy words from that far back.
    static constexpr uint8_t kWordPeriod[8] = {0, 8, 8, 9, 8, 10, 12, 14};
    const ptrdiff_t period = kWordPeriod[back];
    const ptrdiff_t head = period - back;
    for (; i < head && i < n; ++i) to[i] = to[i - back];
    if (i == n) return;
    back = period;
  }
  // From here on back is 8 or more, or the source lies ahead of the destination, and either way
  // a word read never sees a byte that the same copy has yet to write.
  const uint32_t last = dest > source ? dest : source;
  if (last + length + 16 <= kWindowSize) {
    // Two words cover most matches without a loop; what they and the loop write past the match,
    // never more than 15 bytes, is put back afterwards.
    uint8_t saved[16];
    std::memcpy(saved, to + n, sizeof saved);
    CopyWord(to + i, to + i - back);
    CopyWord(to + i + 8, to + i + 8 - back);
    for (i += 16; i < n; i += 8) CopyWord(to + i, to + i - back);
    std::memcpy(to + n, saved, sizeof saved);
    return;
  }
  for (; i + 8 <= n; i += 8) CopyWord(to + i, to + i - back);
  for (; i < n; ++i) to[i] = to[i - back];
}
