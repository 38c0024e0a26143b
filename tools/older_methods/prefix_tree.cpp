#include "older_methods/prefix_tree.h"

inline constexpr uint32_t kMaxLength = 16;

void PrefixTree::SetSingle(uint32_t symbol) {
  nodes_.clear();
  root_ = static_cast<uint16_t>(kLeaf | symbol);
}

bool PrefixTree::Insert(uint32_t code, uint32_t length, uint32_t symbol) {
  // The walk keeps the parent's index, never a pointer: growing nodes_ may move them.
  constexpr uint32_t kAtRoot = ~0u;
  uint32_t parent = kAtRoot;
  uint32_t side = 0;
  const auto link = [&]() -> uint16_t& {
    return parent == kAtRoot ? root_ : nodes_[parent].child[side];
  };
  for (uint32_t bit = length; bit-- != 0;) {
    if (link() == kEmpty) {
      const auto node = static_cast<uint16_t>(nodes_.size());
      nodes_.push_back({{kEmpty, kEmpty}});
      link() = node;
    } else if ((link() & kLeaf) != 0) {
      return false;
    }
    parent = link();
    side = code >> bit & 1;
  }
  if (link() != kEmpty) return false;
  link() = static_cast<uint16_t>(kLeaf | symbol);
  return true;
}

bool PrefixTree::BuildCanonical(const uint8_t* lengths, uint32_t count) {
  nodes_.clear();
  root_ = kEmpty;
  uint32_t code = 0;
  for (uint32_t length = 1; length <= kMaxLength; ++length) {
    for (uint32_t symbol = 0; symbol < count; ++symbol) {
      if (lengths[symbol] != length) continue;
      // A code that no longer fits its length means the lengths overfill the code.
      if (code >> length != 0 || !Insert(code, length, symbol)) {
        nodes_.clear();
        root_ = kEmpty;
        return false;
      }
      ++code;
    }
    code <<= 1;
  }
  return true;
}

uint16_t PrefixTree::ParseLink(const char*& shape) {
  // Never steps past the end, even of a shape cut short.
  const char c = *shape;
  if (c != '\0') ++shape;
  if (c >= 'a' && c <= 'z') return static_cast<uint16_t>(kLeaf | (c - 'a'));
  if (c != '(') return kEmpty;
  const auto node = static_cast<uint16_t>(nodes_.size());
  nodes_.push_back({{kEmpty, kEmpty}});
  // Children are parsed into locals first: parsing them may grow the vector.
  const uint16_t zero = ParseLink(shape);
  const uint16_t one = ParseLink(shape);
  nodes_[node].child[0] = zero;
  nodes_[node].child[1] = one;
  if (*shape != ')') return kEmpty;
  ++shape;
  return node;
}

void PrefixTree::Parse(const char* shape) {
  nodes_.clear();
  root_ = *shape == '\0' ? kLeaf : ParseLink(shape);
}

uint32_t PrefixTree::Decode(BitReader& reader) const {
  uint16_t link = root_;
  while ((link & kLeaf) == 0) link = nodes_[link].child[TakeBits(reader, 1)];
  if (link == kEmpty) {
    FailReader(reader, kDecodeBadTable);
    return 0;
  }
  return link & ~kLeaf;
}
