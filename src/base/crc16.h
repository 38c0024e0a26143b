// CRC-16/ARC through a 256-entry table, for member headers and member data.
#pragma once

#include <cstdint>

inline constexpr uint16_t kCrcPolynomial = 0xA001;

struct CrcState {
  uint16_t crcTable[256];
  // crcTable carried on through 1 to 7 further bytes, so that data is folded in 8 bytes a step.
  uint16_t crcWideTables[7][256];
  uint16_t crc;  // the running value
};

void BuildCrcTable(CrcState& state, uint16_t poly);

// Folds count bytes into state.crc and returns it; a count of 0 or less changes nothing.
uint16_t UpdateCrc(CrcState& state, const uint8_t* bytes, int32_t count);
