// One member's data decoded or copied into a file or a text, the program file going on past it.
// Input: a control byte (bits 0-1 the method of "0567", 2-3 the file, notice, script or file, then
// cancel, failing writes, reads, halfway), the unpacked size in 3 bytes (modulo 4 windows and 1),
// then the data.
#include <memory>

#include "decode_into_sink.h"
#include "fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return -1;
  const char method = "0567"[data[0] & 3];
  const uint32_t unpacked = (data[1] | data[2] << 8 | data[3] << 16) % ((1 << 18) + 1);
  std::vector<uint8_t> file(data + 4, data + size);
  file.insert(file.end(), {0x2A, 0x00, '-', 'l', 'h', '5', '-', 0x00});
  auto area = std::make_unique<PassArea>();
  RunContext& run = area->run;
  const int freeAtStart = LowestFreeDescriptor();
  auto& hooks = platform_double::ResetHooks();
  if (data[0] & 16) hooks.onPump = [&run] { run.cancelRequested = 1; };
  using enum platform_double::Fault;  // failing from an early call, outright or halfway
  if (data[0] & 32) hooks.callsBeforeFailure[kWrite] = data[1] & 3;
  if (data[0] & 64) hooks.callsBeforeFailure[kRead] = data[2] & 3;
  hooks.failHalfway = data[0] & 128;
  BuildCrcTable(area->crc, kCrcPolynomial);
  try {
    DecodeIntoSink(*area, OwnPath("program.exe", file).c_str(), OwnPath("member.out").c_str(),
                   method, uint32_t(size - 4), unpacked, uint8_t((data[0] >> 2 & 3) % 3));
    const int32_t position = platform::Seek(run.program.file, 0, platform::kSeekCur);
    platform::CloseRead(run.program.file);
    if (run.output.file != platform::kNoFile) platform::CloseOutput(run.output.file);
    // A stored copy reads its size exactly, the decoder no further than its data.
    CheckThat(method == '0' ? position == int32_t(unpacked) : uint32_t(position) <= size - 4,
              "read too far");
  } catch (const ProcessEnded& ended) {
    CheckThat(ended.status == 1 && run.output.file == platform::kNoFile &&
                  run.program.file == platform::kNoFile && access(run.output.path, F_OK) != 0,
              "the stop ended with another status, left a file open or kept the partial output");
  }
  unlink(run.output.path);
  CheckThat(LowestFreeDescriptor() == freeAtStart, "an input left a descriptor open or closed one");
  return 0;
}
