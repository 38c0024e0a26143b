#include "ombrix/streamed_member.h"

#include <fstream>

#include "ombrix/data_crc.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

constexpr size_t kReadBytes = size_t{1} << 20;

// Reads the file through, handing each piece to take and onRead; returns its CRC and size.
std::pair<uint16_t, uint64_t> ReadThrough(const MemberSource& source,
                                          const std::function<void(std::span<const uint8_t>)>& take,
                                          const std::function<void(uint64_t)>& onRead) {
  std::ifstream in(source.diskPath, std::ios::binary);
  std::vector<uint8_t> piece(kReadBytes);
  uint16_t crc = 0;
  uint64_t size = 0;
  while (in) {
    in.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
    const auto got = static_cast<size_t>(in.gcount());
    if (got == 0) break;
    size += got;
    if (size > kMaxEncoderInput)
      throw ToolError(FormatMessage(kFileTooLarge, source.diskPath.c_str()));
    crc = Crc16({piece.data(), got}, crc);
    take({piece.data(), got});
    if (onRead) onRead(got);
  }
  if (in.bad() || (!in.eof() && in.fail())) {
    throw ToolError(FormatMessage(kCannotRead, source.diskPath.c_str()));
  }
  return {crc, size};
}

}  // namespace

MemberRecord WriteStreamedMember(OutputFile& output, const MemberSource& source,
                                 const MemberCompression& compression,
                                 const std::function<void(uint64_t bytes)>& onRead) {
  if (source.size > kMaxEncoderInput) {
    throw ToolError(FormatMessage(kFileTooLarge, source.diskPath.c_str()));
  }
  StoredName name = StoredNameOf(source);
  const uint8_t attributes = kAttrArchive | (source.readOnly ? kAttrReadOnly : 0);
  MemberRecord member = StoredFileMember(std::move(name.dirName), std::move(name.fileName), {},
                                         source.timeStamp, attributes);
  member.method = std::string("-lh") + compression.method->letter + '-';
  member.dataSize = 0;
  const uint64_t headerAt = output.Size();
  const size_t headerSize = EncodeMemberHeader(member).size();
  output.Write(EncodeMemberHeader(member));

  uint64_t packed = 0;
  LzhStreamEncoder encoder(*compression.method, compression.level, compression.threads, nullptr,
                           [&](std::span<const uint8_t> bytes) {
                             packed += bytes.size();
                             // Past the file's own size it is stored instead; stop writing.
                             if (packed <= source.size) output.Write(bytes);
                           });
  const auto [crc, size] = ReadThrough(
      source, [&](auto bytes) { encoder.Add(bytes); }, onRead);
  encoder.Finish();
  member.dataCrc = crc;
  member.unpackedSize = static_cast<uint32_t>(size);
  // Stored wins ties, as for the files compressed whole.
  // What went past the file's size as found was not written; a file that grew meanwhile is
  // stored too, from what it holds now.
  if (packed >= size || packed > source.size) {
    output.Truncate(headerAt);
    member.method = "-lh0-";
    member.dataSize = static_cast<uint32_t>(size);
    output.Write(EncodeMemberHeader(member));
    const auto again = ReadThrough(
        source, [&](auto bytes) { output.Write(bytes); }, nullptr);
    if (again != std::pair{crc, size}) {
      throw ToolError(FormatMessage(kChangedWhilePacked, source.diskPath.c_str()));
    }
    return member;
  }
  member.dataSize = static_cast<uint32_t>(packed);
  const std::vector<uint8_t> header = EncodeMemberHeader(member);
  if (header.size() != headerSize) throw std::logic_error("a streamed header changed its size");
  output.WriteAt(headerAt, header);
  return member;
}
