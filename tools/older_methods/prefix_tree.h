// The prefix codes of PMarc's methods, walked one bit at a time. Their codes are short (13 bits
// at most) and of few symbols, and some are not canonical, so one binary tree serves them all
// where a lookup table would not pay.
#pragma once

#include <cstdint>
#include <vector>

#include "decode/bit_reader.h"

// A value sent as a base plus `bits` more bits, which say how far above the base it lies.
struct BitRange {
  uint16_t base;
  uint8_t bits;
};

inline uint32_t TakeRange(BitReader& reader, BitRange range) {
  return range.base + (range.bits == 0 ? 0 : TakeBits(reader, range.bits));
}

class PrefixTree {
 public:
  // A code with no symbols: until one is read, decoding from it is a bad table.
  PrefixTree() = default;

  // A code of one symbol, which takes no bits.
  void SetSingle(uint32_t symbol);

  // The canonical code of the given lengths (0: the symbol is unused), shorter codes first and
  // equal ones by symbol. false, leaving the code empty, when the lengths overfill it; a code
  // they leave part unfilled is kept, and only its unfilled codes are bad.
  bool BuildCanonical(const uint8_t* lengths, uint32_t count);

  // The code of a fixed tree written as nested pairs, "((ab)c)" for a=00 b=01 c=1, letters
  // naming the symbols from 0; "" is the code of the single symbol 0. Shapes are the decoders'
  // own constants, so a malformed one is a programming error and yields an empty code.
  void Parse(const char* shape);

  // The next symbol; a code the tree does not hold records a bad table in the reader.
  uint32_t Decode(BitReader& reader) const;

 private:
  // A link is a node's index, a leaf's symbol with kLeaf set, or kEmpty.
  static constexpr uint16_t kLeaf = 0x8000;
  static constexpr uint16_t kEmpty = 0xFFFF;
  struct Node {
    uint16_t child[2];
  };

  bool Insert(uint32_t code, uint32_t length, uint32_t symbol);
  uint16_t ParseLink(const char*& shape);

  // Every node comes after its parent, so a walk only ever moves forward through them.
  std::vector<Node> nodes_;
  uint16_t root_ = kEmpty;
};
