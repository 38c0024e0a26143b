// One block of a compressed member: its symbol count, the lengths of its three codes as the
// decoder reads them, and its items in those codes.
#pragma once

#include <span>

#include "decode/methods.h"
#include "lzh_encoder/bit_writer.h"
#include "lzh_encoder/lzh_items.h"

// At most 65535 items: a block size field of 0 would mean 65536 to the stub, which not every
// other reader agrees with.
inline constexpr uint32_t kMaxBlockItems = 65535;

// Writes a block of 1 to kMaxBlockItems items with codes made for exactly those items, given
// their CountItems: the splitter has them from its estimates, which spares a pass over the items.
void WriteBlock(BitWriter& bits, std::span<const Item> items, ItemCounts counts,
                const Method& method);
