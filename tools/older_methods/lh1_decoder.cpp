// -lh1-: a 4 KiB window whose literals and match lengths share one adaptive Huffman code, which
// both ends grow symbol by symbol, and whose match positions carry their upper 6 bits in a fixed
// code and their lower 6 bits as they are.
#include <array>

#include "decode/bit_reader.h"
#include "older_methods/member_end.h"
#include "older_methods/older_decoders.h"
#include "older_methods/window_output.h"

namespace {

constexpr uint32_t kSymbols = 314;  // 256 literals, then match lengths 3 to 60
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kNodes = 2 * kSymbols - 1;
constexpr uint32_t kRoot = kNodes - 1;
// The root's weight at which every weight is halved, so that recent symbols count more and no
// weight outgrows 16 bits.
constexpr uint16_t kMaxWeight = 0x8000;
constexpr uint32_t kReach = 4096;

// A Huffman tree that keeps its nodes in order of weight: node n's weight never exceeds node
// n+1's. A symbol's weight goes up by one each time it is decoded, and keeping that order is all
// it takes for the tree to stay a Huffman code of the weights; the encoder does the same, so both
// trees agree at every symbol. Which node sits where among equal weights decides the codes, so
// each step breaks ties exactly as the encoder does.
class AdaptiveCode {
 public:
  // Every symbol starts at weight 1, paired off in symbol order.
  AdaptiveCode() {
    for (uint32_t n = 0; n < kSymbols; ++n) {
      weight_[n] = 1;
      child_[n] = static_cast<uint16_t>(kNodes + n);
      leaf_[n] = static_cast<uint16_t>(n);
    }
    for (uint32_t pair = 0, n = kSymbols; n < kNodes; pair += 2, ++n) {
      weight_[n] = weight_[pair] + weight_[pair + 1];
      child_[n] = static_cast<uint16_t>(pair);
      parent_[pair] = parent_[pair + 1] = static_cast<uint16_t>(n);
    }
    // Above every weight, so that the search for a node's new place stops at the root.
    weight_[kNodes] = 0xffff;
    parent_[kRoot] = 0;
  }

  // Walks from the root taking one bit per level, then counts the symbol in. Bits come 16 at a
  // time, since a code is seldom longer; whatever the stream holds, the walk ends at a leaf.
  uint32_t Decode(BitReader& reader) {
    uint32_t bits = PeekBits(reader, 16);
    uint32_t used = 0;
    uint32_t node = child_[kRoot];
    while (node < kNodes) {
      if (used == 16) {
        ShiftInBits(reader, 16);
        bits = PeekBits(reader, 16);
        used = 0;
      }
      node = child_[node + (bits >> (15 - used) & 1)];
      ++used;
    }
    ShiftInBits(reader, used);
    const uint32_t symbol = node - kNodes;
    CountIn(symbol);
    return symbol;
  }

 private:
  // Adds one to the weight of the symbol's leaf and of every node above it. A node that would
  // outweigh its right neighbour first trades places with the last node of its old weight, so
  // the order holds; its subtree goes with it, and the climb goes on from its new place.
  void CountIn(uint32_t symbol) {
    if (weight_[kRoot] == kMaxWeight) Rebuild();
    uint32_t node = leaf_[symbol];
    do {
      const uint16_t raised = static_cast<uint16_t>(weight_[node] + 1);
      if (raised > weight_[node + 1]) {
        uint32_t last = node + 1;
        while (raised > weight_[last + 1]) ++last;
        weight_[node] = weight_[last];
        weight_[last] = raised;
        const uint16_t moving = child_[node];
        const uint16_t staying = child_[last];
        child_[last] = moving;
        Adopt(moving, last);
        child_[node] = staying;
        Adopt(staying, node);
        node = last;
      } else {
        weight_[node] = raised;
      }
      node = parent_[node];
    } while (node != 0);  // node 0 is always a leaf, so only the root's parent is 0
  }

  // Makes node the parent of what child names: a leaf or a pair of nodes.
  void Adopt(uint16_t child, uint32_t node) {
    if (child >= kNodes) {
      leaf_[child - kNodes] = static_cast<uint16_t>(node);
    } else {
      parent_[child] = parent_[child + 1] = static_cast<uint16_t>(node);
    }
  }

  // Halves every symbol's weight (rounding up, so none reaches 0) and builds the tree anew: the
  // leaves keep their order, and each pair of lightest nodes not yet joined gets a parent placed
  // after every node not heavier than it.
  void Rebuild() {
    uint32_t leaves = 0;
    for (uint32_t n = 0; n < kNodes; ++n) {
      if (child_[n] >= kNodes) {
        weight_[leaves] = static_cast<uint16_t>((weight_[n] + 1) / 2);
        child_[leaves] = child_[n];
        ++leaves;
      }
    }
    for (uint32_t pair = 0, n = kSymbols; n < kNodes; pair += 2, ++n) {
      const uint16_t sum = static_cast<uint16_t>(weight_[pair] + weight_[pair + 1]);
      // The pair's own nodes weigh no more than sum, so the new node lands above them.
      uint32_t place = n;
      while (weight_[place - 1] > sum) --place;
      std::memmove(&weight_[place + 1], &weight_[place], (n - place) * sizeof weight_[0]);
      std::memmove(&child_[place + 1], &child_[place], (n - place) * sizeof child_[0]);
      weight_[place] = sum;
      child_[place] = static_cast<uint16_t>(pair);
    }
    for (uint32_t n = 0; n < kNodes; ++n) Adopt(child_[n], n);
  }

  uint16_t weight_[kNodes + 1];
  uint16_t child_[kNodes];   // a leaf holds kNodes + its symbol, a parent its left child
  uint16_t parent_[kNodes];  // of every node but the root
  uint16_t leaf_[kSymbols];  // each symbol's node
};

// The upper 6 bits of a position by the code's first 8 bits: shorter codes for the nearer
// positions, assigned in order of length and then of value.
struct UpperCode {
  uint8_t upper;
  uint8_t length;
};

constexpr std::array<UpperCode, 256> MakeUpperCodes() {
  // How many of the 64 values have a code of 3, 4, ... 8 bits.
  constexpr uint8_t kCountByLength[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
  std::array<UpperCode, 256> table{};
  uint32_t code = 0;
  uint8_t upper = 0;
  for (uint8_t length = 1; length <= 8; ++length) {
    for (uint32_t i = 0; i < kCountByLength[length]; ++i, ++code, ++upper) {
      const uint32_t span = 1u << (8 - length);
      for (uint32_t j = 0; j < span; ++j) table[code * span + j] = {upper, length};
    }
    code <<= 1;
  }
  return table;
}

constexpr std::array<UpperCode, 256> kUpperCodes = MakeUpperCodes();

// The distance back of a match: its code, then the lower 6 bits, 14 bits at most.
uint32_t DecodeDistance(BitReader& reader) {
  const uint32_t bits = PeekBits(reader, 16);
  const UpperCode code = kUpperCodes[bits >> 8];
  const uint32_t lower = bits >> (10 - code.length) & 63;
  ShiftInBits(reader, code.length + 6u);
  return (static_cast<uint32_t>(code.upper) << 6 | lower) + 1;
}

}  // namespace

DecodeStatus DecodeLh1(const OutputSink& sink, DecoderState& state, platform::FileHandle archive,
                       const MemberData& member) {
  WindowOutput out(sink, state, member.unpackedSize);
  // A match may reach back before the first byte, where the window holds spaces.
  out.PresetSpaces(kReach);
  BitReader reader = StartBitReader(archive, state, member.packedSize);
  AdaptiveCode code;
  while (!out.Finished() && reader.status == kDecodeDone) {
    const uint32_t symbol = code.Decode(reader);
    if (symbol < 256) {
      out.Put(static_cast<uint8_t>(symbol));
    } else {
      const uint32_t length = symbol - 256 + kMinMatch;
      out.Copy(DecodeDistance(reader), length);
    }
  }
  return EndMember(reader, out, archive);
}
