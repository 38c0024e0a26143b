// Tables of the stub's image that the linker cannot write for it: the export directory of a table
// placed at the start of the first section by the stub's linker script, and base relocations
// worked out from a second link at another base. (The linker fails on either when it links with
// link-time optimisation.)
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace imagewriter {

// Points the export directory at the export table that starts the first section, after checking
// that one is there.
void PointExportDirectory(std::vector<uint8_t>& image);

// Adds HIGHLOW base relocations for every place where rebased, the same link at another base,
// differs by exactly the difference of the bases. They go behind the data of the section that
// holds the import directory, which must have room for them before the next section.
void AddBaseRelocations(std::vector<uint8_t>& image, std::span<const uint8_t> rebased);

}  // namespace imagewriter
