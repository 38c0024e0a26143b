// Reading the headers of a linked PE image: PE32 for i686, the product, or PE32+ for x86-64, the
// test vehicle. The image writer rewrites them and the image tests check the result with this
// same reader, so both agree on every field's place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pe {

struct ImageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr size_t kLfanewField = 0x3C;
inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kPe32Magic = 0x10B;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kPe32PlusMagic = 0x20B;

// Field places relative to the "PE\0\0" signature. Up to the subsystem both forms of the optional
// header agree; the wider stack and heap sizes of PE32+ move its data directories.
inline constexpr size_t kNumberOfSectionsField = 6;
inline constexpr size_t kPointerToSymbolTableField = 12;
inline constexpr size_t kSizeOfOptionalHeaderField = 20;
inline constexpr size_t kOptionalHeader = 24;
inline constexpr size_t kSizeOfHeadersField = kOptionalHeader + 60;
inline constexpr size_t kCheckSumField = kOptionalHeader + 64;
inline constexpr size_t kDataDirectories = kOptionalHeader + 96;
inline constexpr size_t kDataDirectoriesPe32Plus = kOptionalHeader + 112;

// Field places relative to a section header or a debug directory entry.
inline constexpr size_t kSectionHeaderSize = 40;
inline constexpr size_t kSectionPointerToRawData = 20;
inline constexpr size_t kSectionPointerToRelocations = 24;
inline constexpr size_t kSectionPointerToLinenumbers = 28;
inline constexpr size_t kDebugEntrySize = 28;
inline constexpr size_t kDebugPointerToRawData = 24;

enum DataDirectory : size_t {
  kExportDirectory = 0,
  kImportDirectory = 1,
  kCertificateTable = 4,
  kBaseRelocations = 5,
  kDebugDirectory = 6,
};

struct DirectoryEntry {
  uint32_t address;
  uint32_t size;
};

struct Section {
  std::string name;
  size_t headerOffset;  // relative to the signature, like the fields above
  uint32_t virtualSize;
  uint32_t virtualAddress;
  uint32_t sizeOfRawData;
  uint32_t pointerToRawData;
  uint32_t pointerToRelocations;
  uint32_t pointerToLinenumbers;
};

struct PeImage {
  uint32_t peOffset;
  size_t directoriesOffset;  // relative to the signature: kDataDirectories or the PE32+ place
  uint32_t pointerToSymbolTable;
  uint16_t sizeOfOptionalHeader;
  uint32_t sectionAlignment;
  uint32_t fileAlignment;
  uint32_t sizeOfImage;
  uint32_t sizeOfHeaders;
  uint32_t checkSum;
  uint16_t subsystem;
  uint16_t majorSubsystemVersion;
  uint16_t minorSubsystemVersion;
  std::vector<DirectoryEntry> directories;
  std::vector<Section> sections;

  // Relative to the signature: where the section table ends, i.e. the headers' own length.
  size_t HeadersLength() const {
    return kOptionalHeader + sizeOfOptionalHeader + sections.size() * kSectionHeaderSize;
  }
  DirectoryEntry Directory(size_t index) const {
    return index < directories.size() ? directories[index] : DirectoryEntry{0, 0};
  }
  // The file offset of a data directory's entry.
  size_t DirectoryField(size_t index) const { return peOffset + directoriesOffset + 8 * index; }
};

inline uint32_t ReadLe(std::span<const uint8_t> bytes, size_t offset, size_t width) {
  if (offset > bytes.size() || bytes.size() - offset < width) {
    throw ImageError("image truncated: " + std::to_string(width) + " bytes at offset " +
                     std::to_string(offset) + " lie past its end");
  }
  uint32_t value = 0;
  for (size_t i = width; i-- > 0;) value = value << 8 | bytes[offset + i];
  return value;
}
inline uint16_t Read16(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<uint16_t>(ReadLe(bytes, offset, 2));
}
inline uint32_t Read32(std::span<const uint8_t> bytes, size_t offset) {
  return ReadLe(bytes, offset, 4);
}

inline void WriteLe(std::span<uint8_t> bytes, size_t offset, size_t width, uint32_t value) {
  ReadLe(bytes, offset, width);  // the same bounds as reading
  for (size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void Write16(std::span<uint8_t> bytes, size_t offset, uint16_t value) {
  WriteLe(bytes, offset, 2, value);
}
inline void Write32(std::span<uint8_t> bytes, size_t offset, uint32_t value) {
  WriteLe(bytes, offset, 4, value);
}

inline std::string Hex(uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

inline bool IsPowerOfTwo(uint32_t value) {
  return value != 0 && (value & (value - 1)) == 0;
}
inline size_t AlignUp(size_t value, size_t unit) {
  return (value + unit - 1) / unit * unit;
}

inline PeImage ParsePeImage(std::span<const uint8_t> bytes) {
  if (Read16(bytes, 0) != 0x5A4D) throw ImageError("no MZ signature");
  PeImage image{};
  image.peOffset = Read32(bytes, kLfanewField);
  if (Read32(bytes, image.peOffset) != 0x4550) {
    throw ImageError("no PE signature at e_lfanew " + std::to_string(image.peOffset));
  }
  const size_t pe = image.peOffset;
  const uint16_t machine = Read16(bytes, pe + 4);
  const uint16_t magic = Read16(bytes, pe + kOptionalHeader);
  size_t dataDirectories = 0;
  if (machine == kMachineI386 && magic == kPe32Magic) {
    dataDirectories = kDataDirectories;
  } else if (machine == kMachineAmd64 && magic == kPe32PlusMagic) {
    dataDirectories = kDataDirectoriesPe32Plus;
  } else {
    throw ImageError("machine " + Hex(machine) + " with optional header magic " + Hex(magic) +
                     " is neither an i386 PE32 nor an x86-64 PE32+ image");
  }
  image.directoriesOffset = dataDirectories;
  image.pointerToSymbolTable = Read32(bytes, pe + kPointerToSymbolTableField);
  image.sizeOfOptionalHeader = Read16(bytes, pe + kSizeOfOptionalHeaderField);

  const size_t optional = pe + kOptionalHeader;
  image.sectionAlignment = Read32(bytes, optional + 32);
  image.fileAlignment = Read32(bytes, optional + 36);
  image.majorSubsystemVersion = Read16(bytes, optional + 48);
  image.minorSubsystemVersion = Read16(bytes, optional + 50);
  image.sizeOfImage = Read32(bytes, optional + 56);
  image.sizeOfHeaders = Read32(bytes, optional + 60);
  image.checkSum = Read32(bytes, optional + 64);
  image.subsystem = Read16(bytes, optional + 68);
  if (!IsPowerOfTwo(image.fileAlignment) || image.fileAlignment < 512 ||
      image.fileAlignment > 65536 || image.sectionAlignment < image.fileAlignment) {
    throw ImageError("file alignment " + std::to_string(image.fileAlignment) +
                     " or section alignment " + std::to_string(image.sectionAlignment) +
                     " out of range");
  }

  const uint32_t directoryCount = Read32(bytes, pe + dataDirectories - 4);
  if (directoryCount > 16 ||
      dataDirectories - kOptionalHeader + 8 * directoryCount > image.sizeOfOptionalHeader) {
    throw ImageError(std::to_string(directoryCount) +
                     " data directories do not fit the optional header");
  }
  for (size_t i = 0; i < directoryCount; ++i) {
    const size_t entry = pe + dataDirectories + 8 * i;
    image.directories.push_back({Read32(bytes, entry), Read32(bytes, entry + 4)});
  }

  const size_t sectionCount = Read16(bytes, pe + kNumberOfSectionsField);
  for (size_t i = 0; i < sectionCount; ++i) {
    const size_t header = kOptionalHeader + image.sizeOfOptionalHeader + i * kSectionHeaderSize;
    const size_t at = pe + header;
    Section section{};
    ReadLe(bytes, at, kSectionHeaderSize);
    for (size_t c = 0; c < 8 && bytes[at + c] != 0; ++c) section.name += char(bytes[at + c]);
    section.headerOffset = header;
    section.virtualSize = Read32(bytes, at + 8);
    section.virtualAddress = Read32(bytes, at + 12);
    section.sizeOfRawData = Read32(bytes, at + 16);
    section.pointerToRawData = Read32(bytes, at + kSectionPointerToRawData);
    section.pointerToRelocations = Read32(bytes, at + kSectionPointerToRelocations);
    section.pointerToLinenumbers = Read32(bytes, at + kSectionPointerToLinenumbers);
    if (section.sizeOfRawData != 0 &&
        uint64_t{section.pointerToRawData} + section.sizeOfRawData > bytes.size()) {
      throw ImageError("section " + section.name + " lies past the end of the file");
    }
    image.sections.push_back(section);
  }
  if (image.sections.empty()) throw ImageError("image has no sections");
  return image;
}

// The file offset of `length` bytes at `rva`, which must lie in one section's raw data.
inline size_t RvaToFileOffset(const PeImage& image, uint32_t rva, uint32_t length) {
  for (const Section& section : image.sections) {
    if (rva >= section.virtualAddress &&
        uint64_t{rva} - section.virtualAddress + length <= section.sizeOfRawData) {
      return section.pointerToRawData + (rva - section.virtualAddress);
    }
  }
  throw ImageError("RVA " + std::to_string(rva) + " (+" + std::to_string(length) +
                   ") lies in no section's file data");
}

inline std::string ReadCString(std::span<const uint8_t> bytes, size_t offset) {
  std::string text;
  for (;; ++offset) {
    if (offset >= bytes.size()) throw ImageError("unterminated name in the image");
    if (bytes[offset] == 0) return text;
    text += char(bytes[offset]);
  }
}

}  // namespace pe
