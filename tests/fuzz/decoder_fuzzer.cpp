// One member's data through the decoder or the stored copy, into a file or one of the two text
// sinks, as the archive pass hands it over: the program file stands at the member's first data
// byte and more bytes follow the member, where the next header would be.
#include <unistd.h>

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

#include "archive/crc16.h"
#include "archive/member_header.h"
#include "decode/member_decoder.h"
#include "fuzz_harness.h"
#include "fuzz_inputs.h"
#include "platform/platform.h"
#include "startup/text.h"
#include "startup/work_area.h"

namespace {

// What follows the member in the program file.
constexpr uint8_t kNextHeader[] = {0x2A, 0x00, '-', 'l', 'h', '5', '-', 0x00};

// The longest way a last match runs past the member's size.
constexpr uint32_t kMatchOverrun = 255;

// CRC-16/ARC through a table of the harness's own, apart from the decoder's. Not instrumented:
// its loop would teach the fuzzer nothing and cost as much as the decoding.
__attribute__((no_sanitize("coverage"))) uint16_t CrcOf(const std::vector<uint8_t>& bytes) {
  static const auto table = [] {
    std::array<uint16_t, 256> entries{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i;
      for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ kCrcPolynomial : r >> 1;
      entries[i] = static_cast<uint16_t>(r);
    }
    return entries;
  }();
  uint16_t crc = 0;
  for (const uint8_t byte : bytes)
    crc = static_cast<uint16_t>(table[(crc ^ byte) & 0xFF] ^ crc >> 8);
  return crc;
}

std::vector<uint8_t> ReadOutput() {
  std::ifstream in(OutputFilePath(), std::ios::binary | std::ios::ate);
  std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void UseMember(char method, uint32_t packedSize, uint32_t unpackedSize) {
  work->header = static_cast<uint8_t*>(platform::AllocZeroed(kFixedHeaderSize));
  MemberHeader& header = CurrentHeader();
  header.headerSize = kFixedHeaderSize;
  const char name[5] = {'-', 'l', 'h', method, '-'};
  std::memcpy(header.method, name, sizeof name);
  header.packedSize = packedSize;
  header.unpackedSize = unpackedSize;
}

// What must hold after the member came back complete.
void CheckCompleteMember(bool stored, DecoderSink sink, uint32_t packedSize) {
  const uint32_t unpackedSize = CurrentHeader().unpackedSize;
  const int32_t position = platform::Seek(work->archiveFile, 0, platform::kSeekCur);
  if (stored) {
    CheckThat(position == static_cast<int32_t>(unpackedSize),
              "the stored copy did not read exactly its size");
  } else {
    CheckThat(position >= 0 && static_cast<uint32_t>(position) <= packedSize,
              "the decoder read past the member's data");
    CheckThat(work->outCount >= unpackedSize && work->outCount - unpackedSize <= kMatchOverrun,
              "the decoder produced the wrong amount");
  }
  if (sink == kToFile) {
    const std::vector<uint8_t> output = ReadOutput();
    CheckThat(output.size() == (stored ? unpackedSize : work->outCount),
              "the file does not hold what was produced");
    CheckThat(work->crc == CrcOf(output), "the CRC is not that of the bytes written");
  } else {
    CheckThat(IsTerminated(work->scratch, kScratchCapacity) &&
                  IsTerminated(work->script, kScriptCapacity),
              "a text sink is not terminated");
    CheckThat(work->crc == 0, "a text sink changed the CRC");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kDecoderHeaderSize) return -1;
  const uint8_t control = data[kDecoderControlByte];
  const char method = kDecoderMethods[control & 3];
  const bool stored = method == '0';
  const auto sink = static_cast<DecoderSink>(((control >> kDecoderSinkShift) & 3) % 3);
  const uint32_t sizeField =
      data[kDecoderSizeByte] | data[kDecoderSizeByte + 1] << 8 | data[kDecoderSizeByte + 2] << 16;
  const uint32_t unpackedSize = sizeField % (kDecoderSizeLimit + 1);
  const auto packedSize = static_cast<uint32_t>(size - kDecoderHeaderSize);

  std::vector<uint8_t> file(data + kDecoderHeaderSize, data + size);
  file.insert(file.end(), std::begin(kNextHeader), std::end(kNextHeader));
  auto& hooks = ResetPlatform();
  if (control & kDecoderCancel) hooks.onPump = [] { work->cancelRequested = 1; };
  if (control & kDecoderWriteFails) hooks.writeBytesBeforeFailure = unpackedSize / 2;
  if (control & kDecoderReadFails) hooks.readBytesBeforeFailure = packedSize / 2;
  StartWorkArea();
  BuildCrcTable(kCrcPolynomial);
  work->dialogWindow = reinterpret_cast<platform::Window>(0x1234);
  CopyText(work->modulePath, kPathCapacity, WriteProgramFile(file.data(), file.size()).c_str());
  work->archiveFile = platform::OpenForRead(work->modulePath);
  CheckThat(IsOpen(work->archiveFile), "cannot open the program file");
  UseMember(method, packedSize, unpackedSize);
  work->outFile = platform::kNoFile;
  if (sink == kToFile) {
    CopyText(work->outPath, kOutPathCapacity, OutputFilePath().c_str());
    work->outFile = platform::CreateOutputFile(work->outPath);
    CheckThat(IsOpen(work->outFile), "cannot create the output file");
  }
  work->sinkKind = sink == kToFile ? kSinkFile : sink == kToNotice ? kSinkNotice : kSinkScript;

  try {
    DecodeMemberData();
    if (sink == kToFile) {
      platform::CloseOutput(work->outFile);
      work->outFile = platform::kNoFile;
    }
    CheckCompleteMember(stored, sink, packedSize);
    platform::CloseRead(work->archiveFile);
  } catch (const ProcessEnded& ended) {
    CheckThat(ended.status == 1, "a stop in the decoder with a status other than 1");
    CheckThat(!IsOpen(work->outFile) && !IsOpen(work->archiveFile), "the stop left a file open");
    CheckThat(sink != kToFile || access(OutputFilePath().c_str(), F_OK) != 0,
              "the stop kept the partial output file");
  }
  unlink(OutputFilePath().c_str());
  ReleaseWorkArea();
  CheckNoDescriptorLeft();
  return 0;
}
