#include "ombrix/settings_writer.h"

#include <bit>
#include <cstring>

#include "ombrix/code_page.h"
#include "ombrix/tool_error.h"
#include "ombrix/tool_messages.h"

// The block is copied as it lies in memory, which is its file layout only on a little-endian host.
static_assert(std::endian::native == std::endian::little);

// The text as the stub shows it, in the archive's code page, its size counted there.
template <size_t capacity>
static void PutText(char (&field)[capacity], const std::string& utf8, const char* name) {
  const CodePage& codePage = ArchiveCodePage();
  const std::optional<std::string> text = codePage.FromUtf8(utf8);
  if (!text) throw ToolError(FormatMessage(kTextNotInCodePage, name, codePage.Number()));
  if (text->size() >= capacity) throw ToolError(FormatMessage(kTextTooLong, name, capacity - 1));
  std::memcpy(field, text->data(), text->size());
}

SettingsBlock MakeSettingsBlock(const PackSettings& settings) {
  SettingsBlock block{};
  block.archiveOffset = settings.archiveOffset;
  PutText(block.windowTitle, settings.windowTitle, kWindowTitleField);
  PutText(block.installTitle, settings.installTitle, kInstallTitleField);
  PutText(block.installDir, settings.installDir, kInstallDirField);
  PutText(block.command, settings.command, kCommandField);
  block.flags = settings.flags;
  block.keepAttributes = settings.keepAttributes ? 1 : 0;
  return block;
}

void PutSettingsBlock(std::vector<uint8_t>& stub, const SettingsBlock& block,
                      const std::string& stubName) {
  if (stub.size() < kSettingsOffset + kSettingsSize) {
    throw ToolError(FormatMessage(kStubTooSmall, stubName.c_str(), stub.size()));
  }
  std::memcpy(stub.data() + kSettingsOffset, &block, kSettingsSize);
}
