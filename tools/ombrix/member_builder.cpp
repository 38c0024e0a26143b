#include "ombrix/member_builder.h"

#include "ombrix/file_bytes.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

MemberRecord BuildMember(const MemberSource& source, const MemberCompression& compression,
                         const EncoderProgress& progress) {
  StoredName name = StoredNameOf(source);
  if (source.isDirectory) return DirectoryMember(std::move(name.dirName), source.timeStamp);
  std::vector<uint8_t> bytes = ReadInputFile(source.diskPath.string(), kVanished);
  if (bytes.size() > kMaxEncoderInput) {
    throw ToolError(FormatMessage(kFileTooLarge, source.diskPath.c_str()));
  }
  const uint8_t attributes = kAttrArchive | (source.readOnly ? kAttrReadOnly : 0);
  MemberRecord member = StoredFileMember(std::move(name.dirName), std::move(name.fileName),
                                         std::move(bytes), source.timeStamp, attributes);
  CompressMember(member, compression, progress);
  return member;
}

void CompressMember(MemberRecord& member, const MemberCompression& compression,
                    const EncoderProgress& progress) {
  if (compression.method->kind != MethodKind::kCompressed || member.data.empty()) return;
  if (member.data.size() > kMaxEncoderInput) {
    throw ToolError(FormatMessage(kMemberTooLarge, member.fileName.value_or("").c_str()));
  }
  std::vector<uint8_t> packed =
      EncodeLzh(member.data, *compression.method, compression.level, progress);
  // Stored wins ties: it is read faster.
  if (packed.size() < member.data.size()) {
    member.method = std::string("-lh") + compression.method->letter + '-';
    member.data = std::move(packed);
  }
}
