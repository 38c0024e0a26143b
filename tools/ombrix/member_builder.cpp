#include "ombrix/member_builder.h"

#include "ombrix/code_page.h"
#include "ombrix/file_bytes.h"
#include "ombrix/printable.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

namespace {

// Text given as UTF-8 goes into the code page; text that is not UTF-8 is taken to be in it
// already, as a notice kept from earlier packs would be.
std::vector<uint8_t> InCodePage(std::vector<uint8_t> bytes, const std::filesystem::path& path) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!IsUtf8(text)) return bytes;
  const CodePage& codePage = ArchiveCodePage();
  const std::optional<std::string> converted = codePage.FromUtf8(text);
  if (!converted)
    throw ToolError(FormatMessage(kTextNotInCodePage, path.c_str(), codePage.Number()));
  return {converted->begin(), converted->end()};
}

}  // namespace

MemberRecord BuildMember(const MemberSource& source, const MemberCompression& compression,
                         const EncoderProgress& progress) {
  StoredName name = StoredNameOf(source);
  if (source.isDirectory) return DirectoryMember(std::move(name.dirName), source.timeStamp);
  std::vector<uint8_t> bytes = ReadInputFile(source.diskPath.string(), kVanished);
  if (source.codePageText) bytes = InCodePage(std::move(bytes), source.diskPath);
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
      EncodeLzh(member.data, *compression.method, compression.level, progress, compression.threads);
  // Stored wins ties: it is read faster.
  if (packed.size() < member.data.size()) {
    member.method = std::string("-lh") + compression.method->letter + '-';
    member.data = std::move(packed);
  }
}
