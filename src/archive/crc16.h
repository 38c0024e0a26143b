// CRC-16/ARC through a 256-entry table held in the work area.
#pragma once

#include <cstdint>

inline constexpr uint16_t kCrcPolynomial = 0xA001;

void BuildCrcTable(uint16_t poly);

// Folds count bytes into work->crc and returns it; a count of 0 or less changes nothing.
uint16_t UpdateCrc(const uint8_t* bytes, int32_t count);
