#include "archive/crc16.h"

#include "startup/work_area.h"

void BuildCrcTable(uint16_t poly) {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ poly : r >> 1;
    work->crcTable[i] = static_cast<uint16_t>(r);
  }
}

uint16_t UpdateCrc(const uint8_t* bytes, int32_t count) {
  const uint16_t* table = work->crcTable;
  uint16_t crc = work->crc;
  for (int32_t i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>(table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8));
  }
  work->crc = crc;
  return crc;
}
