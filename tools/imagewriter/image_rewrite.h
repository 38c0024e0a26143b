// The post-link rewrite: the stub's own DOS program goes in front and the linked PE headers and
// sections move behind it, with every file offset the headers hold moved along.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace imagewriter {

// PE headers start on this boundary behind the DOS program.
inline constexpr size_t kPeHeaderAlignment = 8;

// Throws pe::ImageError for an image whose layout it cannot move without loss.
std::vector<uint8_t> RewriteImage(std::span<const uint8_t> linked,
                                  std::span<const uint8_t> dosProgram);

}  // namespace imagewriter
