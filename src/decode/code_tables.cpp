#include "decode/code_tables.h"

// Rules for streams no encoder writes, each a bad table, so that nothing is ever written outside
// smallLengths, literalLengths, the tables or the 1019 tree nodes:
// - a length above 16 (the run of 1-bits can say up to 23): the code has no such lengths;
// - lengths whose weights sum to more than the code space: they would need more table entries
//   and tree nodes than exist, so only an empty code (sum 0) or a complete one (sum 65536) is
//   accepted;
// - a literal/length count above 510, or a zero run that would pass entry 509: there is no
//   entry to hold those lengths;
// - a constant symbol that the code does not have (19 or more, positionSlots or more, 510 or
//   511): it would decode to nothing.

static void FillEntries(uint16_t* entries, uint32_t count, uint16_t value) {
  for (uint32_t i = 0; i < count; ++i) entries[i] = value;
}

static void ClearLengths(uint8_t* lengths, uint32_t from, uint32_t to) {
  for (uint32_t i = from; i < to; ++i) lengths[i] = 0;
}

// A length of 7 or more is 7 followed by one 1-bit per further step and a closing 0-bit, all
// inside the 16-bit lookahead.
static uint32_t ReadLongLength(BitReader& reader) {
  const uint32_t lookahead = PeekBits(reader, kLookAheadBits);
  uint32_t ones = 0;
  while (ones < kLookAheadBits && (lookahead & (0x8000u >> ones)) != 0) ++ones;
  ShiftInBits(reader, ones);
  ShiftInBits(reader, 1);
  return 7 + ones;
}

void ReadSmallLengths(BitReader& reader, DecoderState& state, uint32_t symbolCount,
                      uint32_t countWidth, uint32_t zeroRunIndex) {
  uint8_t* lengths = state.smallLengths;
  const uint32_t count = TakeBits(reader, countWidth);
  if (count == 0) {
    const uint32_t constant = TakeBits(reader, countWidth);
    if (constant >= symbolCount) return FailReader(reader, kDecodeBadTable);
    ClearLengths(lengths, 0, symbolCount);
    FillEntries(state.smallTable, 1u << kSmallTableBits, MakeEntry(constant, 0));
    return;
  }
  // A count may exceed the symbols (up to 31 plus a zero run of 3); smallLengths has room for
  // all of them and the build looks at the first symbolCount only.
  uint32_t i = 0;
  while (i < count) {
    uint32_t length = TakeBits(reader, 3);
    if (length == 7) length = ReadLongLength(reader);
    lengths[i++] = static_cast<uint8_t>(length);
    if (i == zeroRunIndex) {
      const uint32_t zeros = TakeBits(reader, 2);
      ClearLengths(lengths, i, i + zeros);
      i += zeros;
    }
  }
  if (i < symbolCount) ClearLengths(lengths, i, symbolCount);
  if (!BuildDecodeTable(state, symbolCount, lengths, kSmallTableBits, state.smallTable)) {
    FailReader(reader, kDecodeBadTable);
  }
}

void ReadLiteralLengths(BitReader& reader, DecoderState& state) {
  uint8_t* lengths = state.literalLengths;
  const uint32_t count = TakeBits(reader, 9);
  if (count == 0) {
    const uint32_t constant = TakeBits(reader, 9);
    if (constant >= kLiteralSymbols) return FailReader(reader, kDecodeBadTable);
    ClearLengths(lengths, 0, kLiteralSymbols);
    FillEntries(state.literalTable, 1u << kLiteralTableBits, MakeEntry(constant, 0));
    return;
  }
  if (count > kLiteralSymbols) return FailReader(reader, kDecodeBadTable);
  uint32_t i = 0;
  while (i < count) {
    const uint32_t symbol = LookUpSymbol(reader, state, state.smallTable, kSmallTableBits,
                                         kCodeLengthSymbols, state.smallLengths);
    if (symbol > 2) {
      lengths[i++] = static_cast<uint8_t>(symbol - 2);
      continue;
    }
    const uint32_t zeros = symbol == 0   ? 1
                           : symbol == 1 ? TakeBits(reader, 4) + 3
                                         : TakeBits(reader, 9) + 20;
    if (zeros > kLiteralSymbols - i) return FailReader(reader, kDecodeBadTable);
    ClearLengths(lengths, i, i + zeros);
    i += zeros;
  }
  ClearLengths(lengths, i, kLiteralSymbols);
  if (!BuildDecodeTable(state, kLiteralSymbols, lengths, kLiteralTableBits, state.literalTable)) {
    FailReader(reader, kDecodeBadTable);
  }
}

static uint32_t GiveOutNode(DecoderState& state, uint32_t& avail) {
  state.treeLeft[avail] = 0;
  state.treeRight[avail] = 0;
  return avail++;
}

bool BuildDecodeTable(DecoderState& state, uint32_t symbolCount, const uint8_t* lengths,
                      uint32_t tableBits, uint16_t* table) {
  uint32_t count[kMaxCodeLength + 1] = {};
  for (uint32_t symbol = 0; symbol < symbolCount; ++symbol) {
    if (lengths[symbol] > kMaxCodeLength) return false;
    ++count[lengths[symbol]];
  }
  // Sums are kept wide so that an over-full code cannot pass as an empty one.
  uint32_t start[kMaxCodeLength + 2];
  start[1] = 0;
  for (uint32_t length = 1; length <= kMaxCodeLength; ++length) {
    start[length + 1] = start[length] + (count[length] << (kMaxCodeLength - length));
  }
  const uint32_t tableSize = 1u << tableBits;
  if (start[kMaxCodeLength + 1] == 0) {
    // No symbol at all: the table keeps its symbols and tree nodes, and since every length is
    // now 0 its entries must no longer consume any bits.
    for (uint32_t i = 0; i < tableSize; ++i) table[i] = MakeEntry(table[i] >> kEntrySymbolShift, 0);
    return true;
  }
  if (start[kMaxCodeLength + 1] != 1u << kMaxCodeLength) return false;

  const uint32_t jut = kMaxCodeLength - tableBits;
  uint32_t weight[kMaxCodeLength + 1];
  for (uint32_t length = 1; length <= kMaxCodeLength; ++length) {
    if (length <= tableBits) {
      start[length] >>= jut;
      weight[length] = 1u << (tableBits - length);
    } else {
      weight[length] = 1u << (kMaxCodeLength - length);
    }
  }
  // The entries past the short codes root the trees of the long ones. A complete code always
  // has short codes, so this tail never starts at entry 0 with long codes present.
  const uint32_t treeStart = start[tableBits + 1] >> jut;
  if (treeStart != 0) FillEntries(table + treeStart, tableSize - treeStart, 0);

  // A complete code of n symbols needs at most n - 1 nodes, numbered from n: 1018 at most for
  // the literal/length code, far below 510 for the small codes.
  uint32_t avail = symbolCount;
  const uint32_t mask = 1u << (kMaxCodeLength - 1 - tableBits);
  for (uint32_t symbol = 0; symbol < symbolCount; ++symbol) {
    const uint32_t length = lengths[symbol];
    if (length == 0) continue;
    uint32_t k = start[length];
    const uint32_t next = k + weight[length];
    if (length <= tableBits) {
      FillEntries(table + k, next - k, MakeEntry(symbol, length));
    } else {
      uint16_t& root = table[k >> jut];
      if (root == 0) root = MakeEntry(GiveOutNode(state, avail), 0);
      uint32_t node = root >> kEntrySymbolShift;
      for (uint32_t depth = length - tableBits;; --depth) {
        uint16_t& child = (k & mask) != 0 ? state.treeRight[node] : state.treeLeft[node];
        k <<= 1;
        if (depth == 1) {
          child = static_cast<uint16_t>(symbol);
          break;
        }
        if (child == 0) child = static_cast<uint16_t>(GiveOutNode(state, avail));
        node = child;
      }
    }
    start[length] = next;
  }
  return true;
}

uint32_t WalkTree(const DecoderState& state, uint32_t node, uint32_t symbolCount,
                  uint32_t lookahead, uint32_t mask) {
  // A built tree ends within 16 bits, but a block whose lengths were all 0 keeps older tables
  // whose nodes a different code may read in a circle: more steps than nodes is such a circle.
  for (uint32_t steps = 0; node >= symbolCount; ++steps) {
    if (steps == kTreeNodes) return symbolCount;
    node = (lookahead & mask) != 0 ? state.treeRight[node] : state.treeLeft[node];
    mask >>= 1;
  }
  return node;
}
