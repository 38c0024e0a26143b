#include "decode_fixture.h"

#include <filesystem>

#include "archive/crc16.h"
#include "archive/member_header.h"
#include "decode/member_decoder.h"
#include "platform/platform.h"
#include "startup/text.h"

void DecodeTest::SetUp() {
  CoreTest::SetUp();
  BuildCrcTable(kCrcPolynomial);
  work->outFile = platform::kNoFile;
  work->archiveFile = platform::kNoFile;
  work->dialogWindow = reinterpret_cast<platform::Window>(0x1234);
  outPath_ = TempPath("member.out");
}

void DecodeTest::TearDown() {
  if (work->archiveFile != platform::kNoFile) platform::CloseRead(work->archiveFile);
  CoreTest::TearDown();
}

void DecodeTest::UseMember(char method, const std::vector<uint8_t>& data, uint32_t unpackedSize) {
  std::vector<uint8_t> file = data;
  file.insert(file.end(), kNextHeader.begin(), kNextHeader.end());
  CopyText(work->modulePath, kPathCapacity, WriteFile("program.exe", file).c_str());
  work->archiveFile = platform::OpenForRead(work->modulePath);
  work->header = static_cast<uint8_t*>(platform::AllocZeroed(kFixedHeaderSize));
  MemberHeader& header = CurrentHeader();
  header.headerSize = kFixedHeaderSize;
  const char name[5] = {'-', 'l', 'h', method, '-'};
  std::copy(name, name + 5, header.method);
  header.packedSize = static_cast<uint32_t>(data.size());
  header.unpackedSize = unpackedSize;
}

BitReader DecodeTest::StartOn(const std::vector<uint8_t>& bytes) {
  UseMember('5', bytes, 0);
  work->inPos = 0xFFFFFFFF;
  work->compLeft = static_cast<uint32_t>(bytes.size());
  return StartBitReader();
}

std::vector<uint8_t> DecodeTest::DecodeToFile() {
  CopyText(work->outPath, kOutPathCapacity, outPath_.c_str());
  work->outFile = platform::CreateOutputFile(work->outPath);
  work->sinkKind = kSinkFile;
  DecodeMemberData();
  platform::CloseOutput(work->outFile);
  work->outFile = platform::kNoFile;
  return ReadFileBytes(outPath_);
}

void DecodeTest::DecodeToMemory(uint8_t kind) {
  work->outFile = platform::kNoFile;
  work->sinkKind = kind;
  DecodeMemberData();
}

std::vector<uint8_t> DecodeTest::FollowingBytes() {
  std::vector<uint8_t> bytes(kNextHeader.size() + 1);
  const int32_t got =
      platform::Read(work->archiveFile, bytes.data(), static_cast<uint32_t>(bytes.size()));
  bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return bytes;
}

bool DecodeTest::OutputExists() const {
  return std::filesystem::exists(outPath_);
}

std::vector<std::string> DecodeTest::ProgressTexts() const {
  std::vector<std::string> texts;
  for (const auto& [item, text] : platform::posix::GetHooks().itemTexts) {
    if (item == 102) texts.push_back(text);
  }
  return texts;
}
