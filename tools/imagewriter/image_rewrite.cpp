#include "imagewriter/image_rewrite.h"

#include <algorithm>
#include <limits>
#include <string>

#include "imagewriter/pe_image.h"

namespace imagewriter {
namespace {

using pe::ImageError;

void CheckMovable(std::span<const uint8_t> linked, const pe::PeImage& image) {
  // A signature covers the old layout and would no longer match.
  if (image.Directory(pe::kCertificateTable).address != 0) {
    throw ImageError("the image is signed (certificate table present)");
  }
  for (size_t i = 0; i < image.directories.size(); ++i) {
    const pe::DirectoryEntry entry = image.directories[i];
    if (i != pe::kCertificateTable && entry.address != 0 && entry.address < image.sizeOfHeaders) {
      throw ImageError("data directory " + std::to_string(i) + " lies inside the headers");
    }
  }
  if (image.sizeOfHeaders % image.fileAlignment != 0 || image.sizeOfHeaders > linked.size()) {
    throw ImageError("SizeOfHeaders " + std::to_string(image.sizeOfHeaders) + " is not sound");
  }
  const size_t headersEnd = image.peOffset + image.HeadersLength();
  if (headersEnd > image.sizeOfHeaders) {
    throw ImageError("the section table runs past SizeOfHeaders");
  }
  // Whatever lies there would be dropped with the old header padding.
  if (!std::all_of(linked.begin() + static_cast<std::ptrdiff_t>(headersEnd),
                   linked.begin() + image.sizeOfHeaders, [](uint8_t b) { return b == 0; })) {
    throw ImageError("unknown data between the section table and the first section");
  }
}

}  // namespace

std::vector<uint8_t> RewriteImage(std::span<const uint8_t> linked,
                                  std::span<const uint8_t> dosProgram) {
  const pe::PeImage image = pe::ParsePeImage(linked);
  CheckMovable(linked, image);

  const size_t peOffset = pe::AlignUp(dosProgram.size(), kPeHeaderAlignment);
  const size_t sizeOfHeaders = pe::AlignUp(peOffset + image.HeadersLength(), image.fileAlignment);
  const auto lowest = std::ranges::min_element(image.sections, {}, &pe::Section::virtualAddress);
  if (sizeOfHeaders > lowest->virtualAddress) {
    throw ImageError("the moved headers (" + std::to_string(sizeOfHeaders) +
                     " bytes) would overlap section " + lowest->name + " in memory");
  }
  // Both sizes are multiples of FileAlignment, so the sections stay aligned.
  const int64_t delta = int64_t(sizeOfHeaders) - int64_t(image.sizeOfHeaders);
  const auto moved = [&image, delta](uint32_t offset, const std::string& what) -> uint32_t {
    if (offset == 0) return 0;
    if (offset < image.sizeOfHeaders) throw ImageError(what + " points into the headers");
    const int64_t result = offset + delta;
    if (result > std::numeric_limits<uint32_t>::max()) {
      throw ImageError(what + " would move past 4 GiB");
    }
    return static_cast<uint32_t>(result);
  };

  std::vector<uint8_t> out(dosProgram.begin(), dosProgram.end());
  out.resize(peOffset);
  const auto oldHeaders = linked.begin() + image.peOffset;
  out.insert(out.end(), oldHeaders,
             oldHeaders + static_cast<std::ptrdiff_t>(image.HeadersLength()));
  out.resize(sizeOfHeaders);
  out.insert(out.end(), linked.begin() + image.sizeOfHeaders, linked.end());

  pe::Write32(out, pe::kLfanewField, static_cast<uint32_t>(peOffset));
  pe::Write32(out, peOffset + pe::kSizeOfHeadersField, static_cast<uint32_t>(sizeOfHeaders));
  // Packaging writes the settings block and appends the archive afterwards, so any checksum
  // would go stale; zero says the image carries none.
  pe::Write32(out, peOffset + pe::kCheckSumField, 0);
  pe::Write32(out, peOffset + pe::kPointerToSymbolTableField,
              moved(image.pointerToSymbolTable, "the symbol table"));
  for (const pe::Section& section : image.sections) {
    const size_t header = peOffset + section.headerOffset;
    pe::Write32(out, header + pe::kSectionPointerToRawData,
                moved(section.pointerToRawData, "section " + section.name));
    pe::Write32(out, header + pe::kSectionPointerToRelocations,
                moved(section.pointerToRelocations, "relocations of " + section.name));
    pe::Write32(out, header + pe::kSectionPointerToLinenumbers,
                moved(section.pointerToLinenumbers, "line numbers of " + section.name));
  }

  const pe::DirectoryEntry debug = image.Directory(pe::kDebugDirectory);
  if (debug.address != 0) {
    if (debug.size % pe::kDebugEntrySize != 0) {
      throw ImageError("debug directory size " + std::to_string(debug.size) + " is not sound");
    }
    const size_t table = moved(
        static_cast<uint32_t>(pe::RvaToFileOffset(image, debug.address, debug.size)), "debug");
    for (size_t entry = table; entry < table + debug.size; entry += pe::kDebugEntrySize) {
      const size_t field = entry + pe::kDebugPointerToRawData;
      pe::Write32(out, field, moved(pe::Read32(out, field), "debug data"));
    }
  }
  return out;
}

}  // namespace imagewriter
