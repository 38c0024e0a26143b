#include "base/crc16.h"

#include "base/build_profile.h"

void BuildCrcTable(CrcState& state, uint16_t poly) {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ poly : r >> 1;
    state.crcTable[i] = static_cast<uint16_t>(r);
  }
  const uint16_t* previous = state.crcTable;
  for (auto& table : state.crcWideTables) {
    for (uint32_t i = 0; i < 256; ++i) {
      table[i] = static_cast<uint16_t>(previous[i] >> 8 ^ state.crcTable[previous[i] & 0xFF]);
    }
    previous = table;
  }
}

static uint32_t LoadLittleEndian32(const uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Folds 8 bytes in one step: each byte's table entry is carried on through the bytes after it.
static inline uint32_t FoldWord(const CrcState& area, uint32_t crc, const uint8_t* bytes) {
  const uint16_t(*wide)[256] = area.crcWideTables;
  const uint32_t low = LoadLittleEndian32(bytes) ^ crc;
  const uint32_t high = LoadLittleEndian32(bytes + 4);
  return wide[6][low & 0xFF] ^ wide[5][low >> 8 & 0xFF] ^ wide[4][low >> 16 & 0xFF] ^
         wide[3][low >> 24] ^ wide[2][high & 0xFF] ^ wide[1][high >> 8 & 0xFF] ^
         wide[0][high >> 16 & 0xFF] ^ area.crcTable[high >> 24];
}

// The product of two polynomials modulo the CRC's, in the register's order (bit 15 is x^0).
static uint32_t MultiplyModulo(uint32_t poly, uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t bit = 0x8000; bit != 0; bit >>= 1) {
    if (a & bit) product ^= b;
    b = (b & 1) ? (b >> 1) ^ poly : b >> 1;
  }
  return product;
}

// x to the power 8 * count, modulo the CRC's polynomial: what running on over count zero bytes
// multiplies a CRC by.
static uint32_t ZeroBytesFactor(uint32_t poly, uint32_t count) {
  uint32_t factor = 0x8000;
  for (uint32_t power = 0x0080; count != 0;
       count >>= 1, power = MultiplyModulo(poly, power, power)) {
    if (count & 1) factor = MultiplyModulo(poly, factor, power);
  }
  return factor;
}

uint16_t UpdateCrc(CrcState& state, const uint8_t* bytes, int32_t count) {
  const CrcState& area = state;
  uint32_t crc = area.crc;
  int32_t done = 0;
  // A long run is cut into four lanes whose CRCs are computed side by side, since each step
  // waits on the one before, and then joined: the CRC of a lane followed by another is the
  // first one carried over the second's length in zero bytes, plus the second one.
  const int32_t laneWords = kFastPaths ? count / 32 : 0;
  if (laneWords >= 8) {
    const int32_t lane = laneWords * 8;
    uint32_t lanes[4] = {crc, 0, 0, 0};
    for (int32_t i = 0; i < lane; i += 8) {
      for (int32_t k = 0; k < 4; ++k) lanes[k] = FoldWord(area, lanes[k], bytes + k * lane + i);
    }
    // The table's entry for 0x80 is the polynomial itself: seven plain shifts, then one reduction.
    const uint32_t poly = area.crcTable[0x80];
    const uint32_t factor = ZeroBytesFactor(poly, static_cast<uint32_t>(lane));
    crc = lanes[0];
    for (int32_t k = 1; k < 4; ++k) crc = MultiplyModulo(poly, crc, factor) ^ lanes[k];
    done = 4 * lane;
  }
  for (; done + 8 <= count; done += 8) crc = FoldWord(area, crc, bytes + done);
  for (; done < count; ++done) crc = area.crcTable[(crc ^ bytes[done]) & 0xFF] ^ crc >> 8;
  state.crc = static_cast<uint16_t>(crc);
  return state.crc;
}
