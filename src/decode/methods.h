// The member methods the program knows, by the letter between "-lh" and "-".
#pragma once

#include <cstdint>

enum class MethodKind : uint8_t { kStored, kCompressed, kDirectory };

struct Method {
  char letter;
  MethodKind kind;
  uint16_t np;    // position codes (compressed methods)
  uint16_t pBit;  // width of the position code's count
};

// The method named by a header's five method bytes, or null when the program cannot read it.
const Method* FindMethod(const char (&name)[5]);
