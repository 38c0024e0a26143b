#include "imagewriter/dos_program.h"

#include <algorithm>
#include <initializer_list>

#include "base/settings_block.h"
#include "imagewriter/pe_image.h"

namespace imagewriter {
namespace {

constexpr size_t kParagraph = 16;
constexpr size_t kStackSize = 256;
// The settings block sits at the start of the load module, so the code follows it there.
constexpr size_t kCodeOffset = kSettingsOffset + kSettingsSize - kDosHeaderSize;
static_assert(kSettingsOffset == kDosHeaderSize);

uint8_t LowByte(size_t value) {
  return static_cast<uint8_t>(value & 0xFF);
}
uint8_t HighByte(size_t value) {
  return static_cast<uint8_t>(value >> 8 & 0xFF);
}

// Entered with CS at the load module and DS at the PSP.
std::vector<uint8_t> AssembleDosCode(size_t messageOffset) {
  std::vector<uint8_t> code;
  const auto emit = [&code](std::initializer_list<uint8_t> instruction) {
    code.insert(code.end(), instruction);
  };
  emit({0x0E});                                                   // push cs
  emit({0x1F});                                                   // pop ds
  emit({0xBA, LowByte(messageOffset), HighByte(messageOffset)});  // mov dx, message
  emit({0xB4, 0x09});                                             // mov ah, 09h: print up to '$'
  emit({0xCD, 0x21});                                             // int 21h
  emit({0xB8, 0x01, 0x4C});  // mov ax, 4C01h: end with exit code 1
  emit({0xCD, 0x21});        // int 21h
  return code;
}

}  // namespace

std::vector<uint8_t> BuildDosProgram(std::span<const uint8_t> message) {
  if (std::ranges::find(message, uint8_t{'$'}) != message.end()) {
    throw pe::ImageError("the DOS message may not contain '$'");
  }
  const size_t messageOffset = kCodeOffset + AssembleDosCode(0).size();
  std::vector<uint8_t> program(kDosHeaderSize + kCodeOffset);
  const std::vector<uint8_t> code = AssembleDosCode(messageOffset);
  program.insert(program.end(), code.begin(), code.end());
  program.insert(program.end(), message.begin(), message.end());
  program.push_back('$');

  // The stack sits in the code's own segment, right behind the load module.
  const size_t loadModuleSize = program.size() - kDosHeaderSize;
  const size_t stackTop = pe::AlignUp(loadModuleSize, kParagraph) + kStackSize;
  if (stackTop > 0xFFFE) throw pe::ImageError("the DOS message does not fit one segment");

  const auto field = [&program](size_t offset, size_t value) {
    pe::Write16(program, offset, static_cast<uint16_t>(value));
  };
  field(0x00, 0x5A4D);                                  // e_magic "MZ"
  field(0x02, program.size() % 512);                    // e_cblp: bytes in the last page
  field(0x04, pe::AlignUp(program.size(), 512) / 512);  // e_cp: pages
  field(0x06, 0);                                       // e_crlc: no relocations
  field(0x08, kDosHeaderSize / kParagraph);             // e_cparhdr
  field(0x0A, kStackSize / kParagraph);                 // e_minalloc
  field(0x0C, kStackSize / kParagraph);                 // e_maxalloc
  field(0x0E, 0);                                       // e_ss
  field(0x10, stackTop);                                // e_sp
  field(0x14, kCodeOffset);                             // e_ip
  field(0x16, 0);                                       // e_cs
  field(0x18, 0x40);                                    // e_lfarlc: an empty table
  return program;
}

}  // namespace imagewriter
