#include "imagewriter/link_tables.h"

#include <algorithm>
#include <map>
#include <string>

#include "imagewriter/pe_image.h"

namespace imagewriter {
namespace {

using pe::ImageError;

constexpr size_t kExportDirectorySize = 40;
constexpr size_t kImageBaseField = pe::kOptionalHeader + 28;
constexpr size_t kCharacteristicsField = 22;
constexpr uint16_t kRelocationsStripped = 0x0001;
constexpr uint16_t kHighLow = 3;

// Places, as RVAs, whose four bytes in rebased are those of image plus delta.
std::vector<uint32_t> FindFixups(std::span<const uint8_t> image, const pe::PeImage& layout,
                                 std::span<const uint8_t> rebased, uint32_t delta) {
  std::vector<uint32_t> fixups;
  for (const pe::Section& section : layout.sections) {
    const size_t start = section.pointerToRawData;
    const size_t end = start + section.sizeOfRawData;
    for (size_t at = start; at < end; ++at) {
      if (image[at] == rebased[at]) continue;
      // The first differing byte of a relocated value lies in its first four bytes.
      size_t place = at < start + 3 ? start : at - 3;
      while (place <= at && (place + 4 > end || uint32_t(pe::Read32(image, place) + delta) !=
                                                    pe::Read32(rebased, place))) {
        ++place;
      }
      if (place > at) throw ImageError("the links differ at " + pe::Hex(uint32_t(at)));
      fixups.push_back(uint32_t(section.virtualAddress + (place - start)));
      at = place + 3;
    }
  }
  return fixups;
}

// The .reloc format: per 4 KiB page, its RVA, the block's size and one entry per place, each
// block padded to four bytes.
std::vector<uint8_t> EncodeRelocations(const std::vector<uint32_t>& fixups) {
  std::map<uint32_t, std::vector<uint16_t>> pages;
  for (uint32_t rva : fixups)
    pages[rva & ~0xFFFu].push_back(uint16_t(kHighLow << 12 | (rva & 0xFFF)));
  std::vector<uint8_t> blocks;
  for (auto& [page, entries] : pages) {
    if (entries.size() % 2 != 0) entries.push_back(0);
    const size_t at = blocks.size();
    blocks.resize(at + 8 + 2 * entries.size());
    pe::Write32(blocks, at, page);
    pe::Write32(blocks, at + 4, uint32_t(8 + 2 * entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) pe::Write16(blocks, at + 8 + 2 * i, entries[i]);
  }
  return blocks;
}

}  // namespace

void PointExportDirectory(std::vector<uint8_t>& image) {
  const pe::PeImage layout = pe::ParsePeImage(image);
  const pe::Section& first = layout.sections.front();
  const size_t table = first.pointerToRawData;
  const uint32_t functions = pe::Read32(image, table + 20);
  const uint32_t names = pe::Read32(image, table + 24);
  const uint32_t nameTable = pe::Read32(image, table + 32);
  if (functions == 0 || names > functions || functions > 0xFFFF) {
    throw ImageError("the first section does not start with an export table");
  }
  // The table reaches as far as the last of its names.
  uint32_t end = pe::Read32(image, table + 12);
  for (uint32_t i = 0; i < names; ++i) {
    end = std::max(end, pe::Read32(image, pe::RvaToFileOffset(layout, nameTable + 4 * i, 4)));
  }
  const size_t lastName = pe::RvaToFileOffset(layout, end, 1);
  end += uint32_t(pe::ReadCString(image, lastName).size() + 1);
  if (end < first.virtualAddress + kExportDirectorySize) {
    throw ImageError("the export table's names lie before it");
  }
  pe::Write32(image, layout.DirectoryField(pe::kExportDirectory), first.virtualAddress);
  pe::Write32(image, layout.DirectoryField(pe::kExportDirectory) + 4, end - first.virtualAddress);
}

void AddBaseRelocations(std::vector<uint8_t>& image, std::span<const uint8_t> rebased) {
  const pe::PeImage layout = pe::ParsePeImage(image);
  // 32-bit places only: the x86-64 build is a test vehicle and needs none.
  if (layout.directoriesOffset != pe::kDataDirectories) {
    throw ImageError("base relocations are made for PE32 images only");
  }
  if (rebased.size() != image.size()) throw ImageError("the rebased link has another size");
  const uint32_t base = pe::Read32(image, layout.peOffset + kImageBaseField);
  const uint32_t delta = pe::Read32(rebased, layout.peOffset + kImageBaseField) - base;
  const std::vector<uint8_t> blocks = EncodeRelocations(FindFixups(image, layout, rebased, delta));

  const uint32_t imports = layout.Directory(pe::kImportDirectory).address;
  const auto host = std::ranges::find_if(layout.sections, [imports](const pe::Section& s) {
    return imports >= s.virtualAddress && imports < s.virtualAddress + s.virtualSize;
  });
  if (host == layout.sections.end()) throw ImageError("no section holds the import directory");
  const uint32_t at = uint32_t(pe::AlignUp(host->virtualSize, 4));
  const uint32_t virtualSize = at + uint32_t(blocks.size());
  const auto next = host + 1;
  if (next != layout.sections.end() && host->virtualAddress + virtualSize > next->virtualAddress) {
    throw ImageError("no room for " + std::to_string(blocks.size()) + " bytes of relocations in " +
                     host->name);
  }
  // The section's file data grows to hold them; the sections behind it move along.
  const uint32_t rawSize = uint32_t(pe::AlignUp(virtualSize, layout.fileAlignment));
  const uint32_t growth = rawSize - host->sizeOfRawData;
  std::vector<uint8_t> data(image.begin() + host->pointerToRawData,
                            image.begin() + host->pointerToRawData + host->sizeOfRawData);
  data.resize(rawSize);
  std::copy(blocks.begin(), blocks.end(), data.begin() + at);
  image.erase(image.begin() + host->pointerToRawData,
              image.begin() + host->pointerToRawData + host->sizeOfRawData);
  image.insert(image.begin() + host->pointerToRawData, data.begin(), data.end());
  for (auto section = next; section != layout.sections.end(); ++section) {
    const size_t field = layout.peOffset + section->headerOffset + pe::kSectionPointerToRawData;
    pe::Write32(image, field, section->pointerToRawData + growth);
  }
  const size_t header = layout.peOffset + host->headerOffset;
  pe::Write32(image, header + 8, virtualSize);
  pe::Write32(image, header + 16, rawSize);
  pe::Write32(image, layout.DirectoryField(pe::kBaseRelocations), host->virtualAddress + at);
  pe::Write32(image, layout.DirectoryField(pe::kBaseRelocations) + 4, uint32_t(blocks.size()));
  const size_t characteristics = layout.peOffset + kCharacteristicsField;
  pe::Write16(image, characteristics, pe::Read16(image, characteristics) & ~kRelocationsStripped);
}

}  // namespace imagewriter
