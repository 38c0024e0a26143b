// CRC-16/ARC a bit at a time, from its definition: the measure of the core's table-driven one.
#pragma once

#include <cstdint>
#include <span>

inline uint16_t ReferenceCrc16(std::span<const uint8_t> bytes, uint16_t crc = 0) {
  for (const uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}
