// The first part of the stub's file: an MZ header of 512 bytes, the zero range that packaging
// fills with the settings block, and a 16-bit program that says, when started under DOS, that
// the stub needs Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace imagewriter {

// The MZ header's own size: 32 paragraphs, so the DOS load module starts at file offset 512.
inline constexpr size_t kDosHeaderSize = 512;

// `message` is the text in the DOS code page with CR LF line ends; it may not contain '$',
// which ends the text for the DOS print call. e_lfanew is left zero for the caller.
std::vector<uint8_t> BuildDosProgram(std::span<const uint8_t> message);

}  // namespace imagewriter
