// One member's data decoded or copied into a file or a text, the program file standing at it and
// going on past it, as the archive pass hands it over. Input: a control byte, the unpacked size in
// 3 bytes (taken modulo 4 windows and 1), then the data.
#include <memory>

#include "decode_into_sink.h"
#include "fuzz_harness.h"
#include "reference_crc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return -1;
  const char method = kDecoderMethods[data[0] & 3];
  const auto sink = uint8_t((data[0] >> 2 & 3) % 3);
  const uint32_t unpacked = (data[1] | data[2] << 8 | data[3] << 16) % ((1 << 18) + 1);
  std::vector<uint8_t> file(data + 4, data + size);
  file.insert(file.end(), {0x2A, 0x00, '-', 'l', 'h', '5', '-', 0x00});
  auto area = std::make_unique<PassArea>();
  RunContext& run = area->run;
  const int freeAtStart = LowestFreeDescriptor();
  auto& hooks = platform_double::ResetHooks();
  if (data[0] & kDecoderCancel) hooks.onPump = [&run] { run.cancelRequested = 1; };
  // Failing from an early call on, outright or after half of the bytes.
  using enum platform_double::Fault;
  if (data[0] & kDecoderWriteFails) hooks.callsBeforeFailure[kWrite] = data[1] & 3;
  if (data[0] & kDecoderReadFails) hooks.callsBeforeFailure[kRead] = data[2] & 3;
  hooks.failHalfway = data[0] & kDecoderHalfway;
  BuildCrcTable(area->crc, kCrcPolynomial);
  try {
    DecodeIntoSink(*area, OwnPath("program.exe", file).c_str(), OwnPath("member.out").c_str(),
                   method, uint32_t(size - 4), unpacked, sink);
    const int32_t position = platform::Seek(run.program.file, 0, platform::kSeekCur);
    platform::CloseRead(run.program.file);
    // A stored copy reads its size exactly, the decoder no further; a last match may overrun 255.
    CheckThat(method == '0' ? position == int32_t(unpacked) : uint32_t(position) <= size - 4,
              "read too far");
    if (sink == kOrdinaryMember && platform::CloseOutput(run.output.file)) {
      const std::vector<uint8_t> output = ReadFileBytes(run.output.path);
      CheckThat(output.size() >= unpacked &&
                    output.size() - unpacked <= (method == '0' ? 0 : 255) &&
                    area->crc.crc == ReferenceCrc16(output),
                "the decoder wrote the wrong amount, or a CRC not of the bytes written");
    }
  } catch (const ProcessEnded& ended) {
    CheckThat(ended.status == 1 && run.output.file == platform::kNoFile &&
                  run.program.file == platform::kNoFile && access(run.output.path, F_OK) != 0,
              "the stop ended with another status, left a file open or kept the partial output");
  }
  unlink(run.output.path);
  CheckThat(LowestFreeDescriptor() == freeAtStart, "an input left a descriptor open or closed one");
  return 0;
}
