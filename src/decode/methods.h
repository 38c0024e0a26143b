// The member methods the program knows, by the letter between "-lh" and "-": what the decoder,
// the encoder, the archive walk and the host tool all take a method's shape from.
#pragma once

#include <cstdint>

// kOlder: a method of older archivers, which only the host tool decodes (see OlderMethod).
enum class MethodKind : uint8_t { kStored, kCompressed, kDirectory, kOlder };

struct Method {
  char letter;  // the 5 of -lh5-
  MethodKind kind;
  uint8_t positionSlots;   // symbols of the position code (compressed methods)
  uint8_t slotCountWidth;  // bits of the position code's symbol count
  uint8_t reachBits;       // a match starts at most 2^reachBits bytes back (compressed methods)
};

// The method of a letter, or null when the program cannot read it.
const Method* FindMethod(char letter);
// The method named by a header's five method bytes, or null when the program cannot read it.
const Method* FindMethod(const char (&name)[5]);
