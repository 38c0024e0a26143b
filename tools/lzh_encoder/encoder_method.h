// The compressed methods the encoder writes, and what it must know of each.
#pragma once

#include <cstdint>
#include <optional>

struct EncoderMethod {
  char letter;              // the 5 of -lh5-
  uint32_t maxDistance;     // how far back a match may start
  uint32_t positionSlots;   // symbols of the position code
  uint32_t slotCountWidth;  // bits of the position code's length count
};

// -lh5- (8 KiB back), -lh6- (32 KiB) or -lh7- (64 KiB); nothing for any other letter.
std::optional<EncoderMethod> FindEncoderMethod(char letter);
