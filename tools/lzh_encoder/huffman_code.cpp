#include "lzh_encoder/huffman_code.h"

#include <algorithm>
#include <cassert>
#include <vector>

#include "decode/code_tables.h"

namespace {

struct WeightedSymbol {
  uint64_t weight;
  uint32_t symbol;
};

// Moffat and Katajainen's in-place construction: weights ascending in, depths out, deepest first.
void ComputeHuffmanDepths(std::vector<uint64_t>& a) {
  const int n = static_cast<int>(a.size());
  int leaf = 0;
  int root = 0;
  for (int next = 0; next < n - 1; ++next) {
    for (int child = 0; child < 2; ++child) {
      uint64_t weight;
      if (leaf >= n || (root < next && a[root] < a[leaf])) {
        weight = a[root];
        a[root++] = static_cast<uint64_t>(next);
      } else {
        weight = a[leaf++];
      }
      a[next] = child == 0 ? weight : a[next] + weight;
    }
  }
  a[n - 2] = 0;
  for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
  int available = 1;
  int used = 0;
  uint64_t depth = 0;
  root = n - 2;
  int next = n - 1;
  while (available > 0) {
    while (root >= 0 && a[root] == depth) {
      ++used;
      --root;
    }
    while (available > used) {
      a[next--] = depth;
      --available;
    }
    available = 2 * used;
    ++depth;
    used = 0;
  }
}

// Package-merge: the optimal code within maxLength bits, for the rare frequencies whose Huffman
// code is deeper. Weights ascending in, depths out in the same order, the lightest deepest.
void ComputeLimitedDepths(std::vector<uint64_t>& weights, uint32_t maxLength) {
  struct Entry {
    uint64_t weight;
    bool leaf;
  };
  const size_t n = weights.size();
  std::vector<std::vector<Entry>> levels(maxLength);
  for (uint64_t weight : weights) levels[0].push_back({weight, true});
  for (uint32_t level = 1; level < maxLength; ++level) {
    const std::vector<Entry>& below = levels[level - 1];
    std::vector<Entry>& merged = levels[level];
    size_t leaf = 0;
    size_t pair = 0;
    while (leaf < n || pair + 1 < below.size()) {
      const bool takeLeaf =
          pair + 1 >= below.size() ||
          (leaf < n && weights[leaf] <= below[pair].weight + below[pair + 1].weight);
      if (takeLeaf) {
        merged.push_back({weights[leaf++], true});
      } else {
        merged.push_back({below[pair].weight + below[pair + 1].weight, false});
        pair += 2;
      }
    }
  }
  // Every leaf among the first items chosen at a level is one bit deeper; the packages among
  // them choose twice as many items of the level below.
  std::vector<uint64_t> depths(n, 0);
  size_t take = 2 * n - 2;
  for (uint32_t level = maxLength; level-- > 0 && take > 0;) {
    size_t leaves = 0;
    for (size_t i = 0; i < take; ++i) leaves += levels[level][i].leaf;
    for (size_t i = 0; i < leaves; ++i) ++depths[i];
    take = 2 * (take - leaves);
  }
  weights = std::move(depths);
}

}  // namespace

SymbolUse FindSymbolUse(std::span<const uint32_t> frequencies) {
  SymbolUse use{0, 0};
  for (uint32_t symbol = 0; symbol < frequencies.size(); ++symbol) {
    if (frequencies[symbol] == 0) continue;
    ++use.count;
    use.last = symbol;
  }
  return use;
}

void BuildCodeLengths(std::span<const uint32_t> frequencies, uint32_t maxLength,
                      std::span<uint8_t> lengths) {
  std::fill(lengths.begin(), lengths.end(), uint8_t{0});
  std::vector<WeightedSymbol> used;
  for (uint32_t symbol = 0; symbol < frequencies.size(); ++symbol) {
    if (frequencies[symbol] != 0) used.push_back({frequencies[symbol], symbol});
  }
  if (used.size() < 2) return;
  assert(used.size() <= (size_t{1} << maxLength));
  // Ties go by symbol, so that the same frequencies always give the same code.
  std::sort(used.begin(), used.end(), [](const WeightedSymbol& a, const WeightedSymbol& b) {
    return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
  });
  std::vector<uint64_t> work;
  work.reserve(used.size());
  for (const WeightedSymbol& entry : used) work.push_back(entry.weight);
  ComputeHuffmanDepths(work);
  // Depths come out deepest first; the first is the longest code.
  if (work[0] > maxLength) {
    for (size_t i = 0; i < used.size(); ++i) work[i] = used[i].weight;
    ComputeLimitedDepths(work, maxLength);
  }
  // work[i] is now the depth of the i-th lightest symbol, deepest first.
  for (size_t i = 0; i < used.size(); ++i) lengths[used[i].symbol] = static_cast<uint8_t>(work[i]);
}

void AssignCanonicalCodes(std::span<const uint8_t> lengths, std::span<uint16_t> codes) {
  uint32_t count[kMaxCodeLength + 1] = {};
  for (uint8_t length : lengths) ++count[length];
  count[0] = 0;
  uint32_t next[kMaxCodeLength + 2] = {};
  for (uint32_t length = 1; length <= kMaxCodeLength; ++length) {
    next[length + 1] = (next[length] + count[length]) << 1;
  }
  for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
    const uint8_t length = lengths[symbol];
    codes[symbol] = length == 0 ? 0 : static_cast<uint16_t>(next[length]++);
  }
}
