// The image writer on a fixture that has what the stub lacks (a symbol table, a debug
// directory), and on damaged copies of it.
#include "imagewriter/image_rewrite.h"

#include <functional>

#include "image_test_support.h"
#include "imagewriter/dos_program.h"
#include "imagewriter/dos_text.h"

namespace {

using ImageRewriteTest = FixtureImageTest;

std::vector<uint8_t> DosProgram() {
  return imagewriter::BuildDosProgram(imagewriter::ConvertToDosText("fixture"));
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& bytes, size_t offset, size_t size) {
  return {bytes.begin() + offset, bytes.begin() + offset + size};
}

// The first debug entry's data, which for the fixture is the build id record.
std::vector<uint8_t> DebugData(const std::vector<uint8_t>& bytes, const pe::PeImage& layout) {
  const pe::DirectoryEntry debug = layout.Directory(pe::kDebugDirectory);
  const size_t entry = pe::RvaToFileOffset(layout, debug.address, debug.size);
  return Slice(bytes, pe::Read32(bytes, entry + pe::kDebugPointerToRawData),
               pe::Read32(bytes, entry + 16));
}

TEST_F(ImageRewriteTest, EveryFileOffsetMovesWithItsData) {
  ASSERT_NE(layout_.pointerToSymbolTable, 0u) << "the fixture lost its symbol table";
  ASSERT_NE(layout_.Directory(pe::kDebugDirectory).address, 0u) << "the fixture lost its build id";
  const std::vector<uint8_t> dos = DosProgram();
  const std::vector<uint8_t> out = imagewriter::RewriteImage(bytes_, dos);
  const pe::PeImage moved = pe::ParsePeImage(out);
  ASSERT_NE(moved.sizeOfHeaders, layout_.sizeOfHeaders) << "nothing moved; the test proves nothing";

  EXPECT_EQ(Slice(out, 0, pe::kLfanewField), Slice(dos, 0, pe::kLfanewField));
  EXPECT_EQ(Slice(out, pe::kLfanewField + 4, dos.size() - pe::kLfanewField - 4),
            Slice(dos, pe::kLfanewField + 4, dos.size() - pe::kLfanewField - 4));
  EXPECT_EQ(moved.peOffset, pe::AlignUp(dos.size(), imagewriter::kPeHeaderAlignment));
  EXPECT_EQ(moved.sizeOfHeaders,
            pe::AlignUp(moved.peOffset + moved.HeadersLength(), layout_.fileAlignment));
  EXPECT_EQ(moved.checkSum, 0u);

  // Apart from the debug entry's file offset, no byte of any section may change.
  std::vector<uint8_t> restored = out;
  const pe::DirectoryEntry debug = layout_.Directory(pe::kDebugDirectory);
  const size_t entryField = pe::kDebugPointerToRawData;
  pe::Write32(
      restored, pe::RvaToFileOffset(moved, debug.address, debug.size) + entryField,
      pe::Read32(bytes_, pe::RvaToFileOffset(layout_, debug.address, debug.size) + entryField));
  ASSERT_EQ(moved.sections.size(), layout_.sections.size());
  for (size_t i = 0; i < moved.sections.size(); ++i) {
    const pe::Section& before = layout_.sections[i];
    const pe::Section& after = moved.sections[i];
    EXPECT_EQ(after.virtualAddress, before.virtualAddress) << before.name;
    EXPECT_EQ(Slice(restored, after.pointerToRawData, after.sizeOfRawData),
              Slice(bytes_, before.pointerToRawData, before.sizeOfRawData))
        << before.name;
  }
  // The symbol table and its string table run to the end of the file.
  EXPECT_EQ(
      Slice(out, moved.pointerToSymbolTable, out.size() - moved.pointerToSymbolTable),
      Slice(bytes_, layout_.pointerToSymbolTable, bytes_.size() - layout_.pointerToSymbolTable));
  const std::vector<uint8_t> buildId = DebugData(bytes_, layout_);
  EXPECT_EQ(std::string(buildId.begin(), buildId.begin() + 4), "RSDS");
  EXPECT_EQ(DebugData(out, moved), buildId);
}

TEST_F(ImageRewriteTest, RewritingTwiceChangesNothing) {
  const std::vector<uint8_t> once = imagewriter::RewriteImage(bytes_, DosProgram());
  EXPECT_EQ(imagewriter::RewriteImage(once, DosProgram()), once);
}

TEST_F(ImageRewriteTest, RefusesWhatItCannotMoveSafely) {
  const size_t peOffset = layout_.peOffset;
  const auto directory = [peOffset](size_t index) {
    return peOffset + pe::kDataDirectories + 8 * index;
  };
  const pe::Section& first = layout_.sections.front();
  const struct {
    const char* expected;
    std::function<void(std::vector<uint8_t>&)> damage;
  } cases[] = {
      {"no MZ signature", [](auto& b) { b[0] = 'X'; }},
      {"truncated", [](auto& b) { pe::Write32(b, pe::kLfanewField, uint32_t(b.size() - 2)); }},
      {"neither an i386 PE32", [peOffset](auto& b) { pe::Write16(b, peOffset + 4, 0x8664); }},
      {"neither an i386 PE32",
       [peOffset](auto& b) { pe::Write16(b, peOffset + pe::kOptionalHeader, 0x20B); }},
      {"signed",
       [&](auto& b) {
         pe::Write32(b, directory(pe::kCertificateTable), uint32_t(b.size() - 8));
         pe::Write32(b, directory(pe::kCertificateTable) + 4, 8);
       }},
      {"past the end of the file",
       [&](auto& b) { pe::Write32(b, peOffset + first.headerOffset + 16, uint32_t(b.size())); }},
      {"inside the headers", [&](auto& b) { pe::Write32(b, directory(pe::kImportDirectory), 64); }},
      {"unknown data", [&](auto& b) { b[peOffset + layout_.HeadersLength() + 1] = 0xCC; }},
      {"overlap",
       [&](auto& b) { pe::Write32(b, peOffset + first.headerOffset + 12, layout_.sizeOfHeaders); }},
      {"debug directory size",
       [&](auto& b) { pe::Write32(b, directory(pe::kDebugDirectory) + 4, 27); }},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> damaged = bytes_;
    c.damage(damaged);
    try {
      imagewriter::RewriteImage(damaged, DosProgram());
      ADD_FAILURE() << "accepted an image with " << c.expected;
    } catch (const pe::ImageError& error) {
      EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos)
          << "expected \"" << c.expected << "\", got \"" << error.what() << '"';
    }
  }
}

}  // namespace
