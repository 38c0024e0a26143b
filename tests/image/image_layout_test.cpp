// The finished stub's file layout: what DOS, the Windows loader and packaging rely on.
#include <algorithm>

#include "base/settings_block.h"
#include "image_test_support.h"

namespace {

using StubLayoutTest = StubImageTest;

uint16_t MzField(const std::vector<uint8_t>& bytes, size_t offset) {
  return pe::Read16(bytes, offset);
}

TEST_F(StubLayoutTest, MzHeaderDescribesOnlyTheDosProgramBehindTheSettingsRange) {
  EXPECT_EQ(MzField(bytes_, 0x08), 32) << "e_cparhdr: the load module must start at 512";
  const size_t pages = MzField(bytes_, 0x04);
  const size_t lastPage = MzField(bytes_, 0x02);
  ASSERT_GT(pages, 0u);
  ASSERT_LT(lastPage, 512u);
  const size_t dosEnd = (pages - 1) * 512 + (lastPage == 0 ? 512 : lastPage);
  EXPECT_GT(dosEnd, kSettingsOffset + kSettingsSize) << "no DOS program behind the settings";
  EXPECT_LE(dosEnd, layout_.peOffset) << "the DOS program runs into the PE headers";

  const size_t entry = 512 + MzField(bytes_, 0x16) * 16u + MzField(bytes_, 0x14);
  EXPECT_EQ(entry, kSettingsOffset + kSettingsSize) << "e_cs:e_ip";
  EXPECT_EQ(MzField(bytes_, 0x06), 0) << "e_crlc";
  EXPECT_GE(MzField(bytes_, 0x18), 0x40) << "e_lfarlc";
  EXPECT_LE(MzField(bytes_, 0x18), 512) << "e_lfarlc";

  // The stack must lie in memory DOS allocates, clear of the code and the message.
  const size_t loadModuleEnd = pe::AlignUp(dosEnd - 512, 16);
  const size_t allocatedEnd = loadModuleEnd + MzField(bytes_, 0x0A) * 16u;
  const size_t stackTop = MzField(bytes_, 0x0E) * 16u + MzField(bytes_, 0x10);
  EXPECT_GE(stackTop, loadModuleEnd + 128);
  EXPECT_LE(stackTop, allocatedEnd);
  EXPECT_GE(MzField(bytes_, 0x0C), MzField(bytes_, 0x0A)) << "e_maxalloc below e_minalloc";
}

TEST_F(StubLayoutTest, SettingsRangeIsZeroAndNothingTheLoaderReadsLiesThere) {
  const auto first = bytes_.begin() + kSettingsOffset;
  EXPECT_TRUE(std::all_of(first, first + kSettingsSize, [](uint8_t b) { return b == 0; }));
  EXPECT_GE(layout_.peOffset, kSettingsOffset + kSettingsSize);
  EXPECT_EQ(layout_.Directory(pe::kCertificateTable).address, 0u);
  for (size_t i = 0; i < layout_.directories.size(); ++i) {
    const pe::DirectoryEntry entry = layout_.directories[i];
    if (i == pe::kCertificateTable || entry.address == 0) continue;
    EXPECT_NO_THROW(pe::RvaToFileOffset(layout_, entry.address, entry.size))
        << "data directory " << i << " is not backed by section data";
  }
}

TEST_F(StubLayoutTest, PeHeadersAreAlignedAndCoveredBySizeOfHeaders) {
  EXPECT_EQ(layout_.peOffset % 8, 0u);
  EXPECT_EQ(layout_.sizeOfHeaders % layout_.fileAlignment, 0u);
  EXPECT_GE(layout_.sizeOfHeaders, layout_.peOffset + layout_.HeadersLength());
  for (const pe::Section& section : layout_.sections) {
    EXPECT_LE(layout_.sizeOfHeaders, section.virtualAddress) << section.name;
  }
}

TEST_F(StubLayoutTest, SectionsAreAlignedApartAndEndTheFile) {
  size_t fileEnd = layout_.sizeOfHeaders;
  size_t memoryEnd = layout_.sizeOfHeaders;
  for (const pe::Section& section : layout_.sections) {
    SCOPED_TRACE(section.name);
    EXPECT_EQ(section.virtualAddress % layout_.sectionAlignment, 0u);
    EXPECT_GE(section.virtualAddress, memoryEnd) << "sections overlap in memory";
    memoryEnd = section.virtualAddress +
                pe::AlignUp(std::max(section.virtualSize, 1u), layout_.sectionAlignment);
    if (section.sizeOfRawData == 0) continue;
    EXPECT_EQ(section.pointerToRawData % layout_.fileAlignment, 0u);
    EXPECT_EQ(section.sizeOfRawData % layout_.fileAlignment, 0u);
    EXPECT_GE(section.pointerToRawData, fileEnd) << "sections overlap in the file";
    fileEnd = section.pointerToRawData + section.sizeOfRawData;
  }
  EXPECT_EQ(layout_.sizeOfImage, memoryEnd);
  // Packaging appends the archive at the end of the file, so nothing of the image may follow.
  EXPECT_EQ(bytes_.size(), fileEnd);
}

TEST_F(StubLayoutTest, IsAWindows4GuiProgram) {
  EXPECT_EQ(layout_.subsystem, 2);
  EXPECT_EQ(layout_.majorSubsystemVersion, 4);
  EXPECT_EQ(layout_.minorSubsystemVersion, 0);
}

}  // namespace
