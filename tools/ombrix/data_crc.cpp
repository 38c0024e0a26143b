#include "ombrix/data_crc.h"

#include <algorithm>

#include "base/crc16.h"

uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t start) {
  static const CrcState tables = [] {
    CrcState state{};
    BuildCrcTable(state, kCrcPolynomial);
    return state;
  }();
  CrcState state = tables;
  state.crc = start;
  // UpdateCrc takes a signed count, so very large inputs go in slices.
  constexpr size_t kSlice = size_t{1} << 30;
  for (size_t done = 0; done < bytes.size(); done += kSlice) {
    UpdateCrc(state, bytes.data() + done,
              static_cast<int32_t>(std::min(kSlice, bytes.size() - done)));
  }
  return state.crc;
}
