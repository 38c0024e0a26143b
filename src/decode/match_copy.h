// Copying a match inside the window, word by word, with the result of a byte-by-byte forward
// copy: a source that overlaps its destination repeats the bytes just written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline void CopyWord(uint8_t* dest, const uint8_t* source) {
  uint64_t word;
  std::memcpy(&word, source, sizeof word);
  std::memcpy(dest, &word, sizeof word);
}

// Neither range may wrap around the window's end. Writes exactly length bytes, since the bytes
// past a match are still the window's oldest ones and a later match may reach back to them.
inline void CopyMatch(uint8_t* dest, const uint8_t* source, uint32_t length) {
  const ptrdiff_t n = length;
  ptrdiff_t i = 0;
  ptrdiff_t back = dest - source;
  if (back > 0 && back < 8) {
    // A pattern shorter than a word: copy bytes until a whole number of its periods, 8 bytes or
    // more, lies behind the destination, then copy words from that far back.
    static constexpr uint8_t kWordPeriod[8] = {0, 8, 8, 9, 8, 10, 12, 14};
    const ptrdiff_t period = kWordPeriod[back];
    const ptrdiff_t head = period - back;
    for (; i < head && i < n; ++i) dest[i] = dest[i - back];
    back = period;
  }
  for (; i + 8 <= n; i += 8) CopyWord(dest + i, dest + i - back);
  for (; i < n; ++i) dest[i] = dest[i - back];
}
