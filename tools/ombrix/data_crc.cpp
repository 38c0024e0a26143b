#include "ombrix/data_crc.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "archive/crc16.h"
#include "startup/work_area.h"

// The core keeps its CRC state in the work area; the tool lends it a private one for the length
// of each call, so that a pass under way in the caller's work area keeps its own crc.
static WorkArea* CrcArea() {
  static const std::unique_ptr<WorkArea> area = [] {
    auto fresh = std::make_unique<WorkArea>();
    WorkArea* saved = std::exchange(work, fresh.get());
    BuildCrcTable(kCrcPolynomial);
    work = saved;
    return fresh;
  }();
  return area.get();
}

uint16_t Crc16(std::span<const uint8_t> bytes) {
  WorkArea* saved = std::exchange(work, CrcArea());
  work->crc = 0;
  // UpdateCrc takes a signed count, so very large inputs go in slices.
  constexpr size_t kSlice = size_t{1} << 30;
  for (size_t done = 0; done < bytes.size(); done += kSlice) {
    const size_t count = std::min(kSlice, bytes.size() - done);
    UpdateCrc(bytes.data() + done, static_cast<int32_t>(count));
  }
  const uint16_t value = work->crc;
  work = saved;
  return value;
}
