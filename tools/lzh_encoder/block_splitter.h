// Cuts a member's items into blocks. Each block pays for its own code lengths, and gains where
// its items' statistics differ from their neighbours'; the cuts are chosen by dynamic
// programming over the estimated size of every candidate block, at a grain of a few thousand
// items, and the blocks are written as soon as later items can no longer change them.
#pragma once

#include <vector>

#include "decode/methods.h"
#include "lzh_encoder/bit_writer.h"
#include "lzh_encoder/lzh_items.h"

class BlockSplitter {
 public:
  BlockSplitter(BitWriter& bits, const Method& method) : bits_(bits), method_(method) {}

  // Takes the items that follow those given before; writes the blocks that are settled.
  void Add(std::span<const Item> items);
  // Writes every block still held.
  void Finish();

 private:
  // Chooses the cuts of all held items and writes the blocks; the last stays held when more
  // items may join it.
  void WriteBlocks(bool keepLast);

  BitWriter& bits_;
  const Method method_;
  std::vector<Item> held_;
};
