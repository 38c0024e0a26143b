#include <functional>
#include <string>
#include <vector>

#include "decode/code_tables.h"
#include "decode_fixture.h"
#include "lzh_block_writer.h"
#include "startup/messages.h"

using CodeTableTest = DecodeTest;

// Lengths 1, 2, ..., 15, 16, 16 spread over the symbols: a complete code whose two longest
// codes take every tree level below either table.
static std::vector<uint8_t> DeepLengths(size_t symbolCount, size_t spacing) {
  std::vector<uint8_t> lengths(symbolCount, 0);
  for (size_t length = 1; length <= 16; ++length) {
    lengths[(length - 1) * spacing] = static_cast<uint8_t>(length);
  }
  lengths[16 * spacing] = 16;
  return lengths;
}

static std::vector<uint8_t> Encode(const std::vector<uint8_t>& lengths,
                                   const std::vector<uint32_t>& symbols) {
  const std::vector<uint32_t> codes = CanonicalCodes(lengths);
  LzhBitWriter bits;
  for (uint32_t symbol : symbols) bits.Put(codes[symbol], lengths[symbol]);
  bits.Put(0xABCD, 16);  // a marker behind the symbols
  return bits.Bytes();
}

struct LookupCase {
  const char* name;
  uint32_t symbolCount;
  uint32_t tableBits;
  std::vector<uint8_t> lengths;
};

class LookupTest : public CodeTableTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(LookupTest, EverySymbolDecodesToItselfAndConsumesItsCode) {
  const LookupCase& c = GetParam();
  std::vector<uint8_t> all = c.lengths;
  all.resize(c.symbolCount, 0);
  const bool literal = c.tableBits == kLiteralTableBits;
  uint8_t* lengths = literal ? work->literalLengths : work->smallLengths;
  uint16_t* table = literal ? work->literalTable : work->smallTable;
  std::copy(all.begin(), all.end(), lengths);
  BuildDecodeTable(c.symbolCount, lengths, c.tableBits, table);

  std::vector<uint32_t> symbols;
  for (uint32_t symbol = 0; symbol < c.symbolCount; ++symbol) {
    if (all[symbol] != 0) symbols.insert(symbols.begin(), symbol);
  }
  BitReader reader = StartOn(Encode(all, symbols));
  for (uint32_t symbol : symbols) {
    EXPECT_EQ(LookUpSymbol(reader, table, c.tableBits, c.symbolCount, lengths), symbol);
  }
  EXPECT_EQ(TakeBits(reader, 16), 0xABCDu);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LookupTest,
    ::testing::Values(LookupCase{"TwoCodesOfOneBit", 19, 8, {0, 1, 1}},
                      LookupCase{"LiteralCodesUpTo16Bits", 510, 12, DeepLengths(510, 30)},
                      LookupCase{"SmallCodesUpTo16Bits", 19, 8, DeepLengths(19, 1)},
                      LookupCase{"PositionCodesUpTo16Bits", 17, 8, DeepLengths(17, 1)}),
    [](const auto& test) { return std::string(test.param.name); });

// Small-code lengths as sent, what they read as, and one symbol then decoded by the built code.
struct SmallLengthsCase {
  const char* name;
  std::function<void(LzhBlockWriter&)> write;
  uint32_t symbolCount;
  uint32_t countWidth;
  uint32_t zeroRunIndex;
  std::vector<uint8_t> lengths;
  uint32_t probe;
};

static std::vector<uint8_t> Padded(std::vector<uint8_t> lengths, size_t count) {
  lengths.resize(count, 0);
  return lengths;
}

static const SmallLengthsCase kSmallLengths[] = {
    {"ZeroRunAfterTheThirdLength",
     [](LzhBlockWriter& w) {
       // positions 3, 4 and 5 are 0
       w.bits().PutFields({{7, 5}, {2, 3}, {2, 3}, {2, 3}, {3, 2}, {2, 3}});
     },
     19, 5, 3, Padded({2, 2, 2, 0, 0, 0, 2}, 19), 6},
    {"LongLengthsAreSevenPlusARunOfOnes",
     [](LzhBlockWriter& w) { w.PutCodeLengthCode(DeepLengths(19, 1)); }, 19, 5, 3,
     DeepLengths(19, 1), 16},
    {"AZeroRunPastTheCountSetsAllItsZerosAndEndsTheLengths",
     [](LzhBlockWriter& w) {
       // i goes from 3 to 6, past the count of 4
       w.bits().PutFields({{4, 5}, {1, 3}, {1, 3}, {0, 3}, {3, 2}});
     },
     19, 5, 3, Padded({1, 1}, 19), 1},
    {"LengthsSentBeyondTheSymbolsAreReadButNotBuilt",
     [](LzhBlockWriter& w) {
       w.bits().Put(15, 4);  // 15 position lengths for 14 symbols
       for (int i = 0; i < 14; ++i) w.bits().Put(i < 2 ? 3 : 4, 3);
       w.bits().Put(1, 3);  // position 14: would over-fill the code if it counted
     },
     14, 4, kNoZeroRun, Padded({3, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}, 14), 13},
};

class SmallLengthsTest : public CodeTableTest,
                         public ::testing::WithParamInterface<SmallLengthsCase> {};

TEST_P(SmallLengthsTest, ReadsTheLengthsAndBuildsTheirCode) {
  const SmallLengthsCase& c = GetParam();
  LzhBlockWriter writer('5');
  c.write(writer);
  LzhBitWriter& bits = writer.bits();
  bits.Put(CanonicalCodes(c.lengths)[c.probe], c.lengths[c.probe]);
  bits.Put(0xABCD, 16);
  std::fill(work->smallLengths, work->smallLengths + c.symbolCount, 9);
  BitReader reader = StartOn(bits.Bytes());
  ReadSmallLengths(reader, c.symbolCount, c.countWidth, c.zeroRunIndex);
  EXPECT_EQ(std::vector<uint8_t>(work->smallLengths, work->smallLengths + c.symbolCount),
            c.lengths);
  EXPECT_EQ(LookUpSymbol(reader, work->smallTable, 8, c.symbolCount, work->smallLengths), c.probe);
  EXPECT_EQ(TakeBits(reader, 16), 0xABCDu);
  EXPECT_TRUE(BoxTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(Streams, SmallLengthsTest, ::testing::ValuesIn(kSmallLengths),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(CodeTableTest, AConstantCodeGivesItsSymbolForNoBits) {
  LzhBitWriter bits;
  bits.PutFields({{0, 9}, {0x141, 9}, {0xABCD, 16}});
  BitReader reader = StartOn(bits.Bytes());
  ReadLiteralLengths(reader);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(LookUpSymbol(reader, work->literalTable, kLiteralTableBits, kLiteralSymbols,
                           work->literalLengths),
              0x141u);
  }
  EXPECT_EQ(TakeBits(reader, 16), 0xABCDu);
}

TEST_F(CodeTableTest, AWalkThatNeverLeavesTheTreeIsABadTable) {
  work->treeLeft[600] = 600;
  EXPECT_PROCESS_ENDS(WalkTree(600, kLiteralSymbols, 0, 0x08), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(kBadTable)});
}

// Block headers that describe no usable code. Each ends the process with "Bad table" before
// a byte is written, and the output file is deleted.
struct BadTableCase {
  std::string name;
  char method;
  std::function<void(LzhBlockWriter&)> write;
};

static const LzhCodes kEveryone5 = EveryoneCodes(14);

static void ValidCodeLengthCode(LzhBlockWriter& w) {
  w.PutBlockSize(1);
  w.PutCodeLengthCode(kEveryone5.codeLength);
}

static void ValidUpToPositions(LzhBlockWriter& w) {
  ValidCodeLengthCode(w);
  w.PutLiteralCode(kEveryone5.literal);
}

// A constant code whose symbol is out of range, after valid codes up to it (stage 0 is the
// code-length code, 1 the literal code, 2 the position code).
static BadTableCase Constant(char method, int stage, uint32_t width, uint32_t symbol) {
  static const char* const kStages[] = {"CodeLength", "Literal", "Position"};
  return {std::string(kStages[stage]) + "Constant" + std::to_string(symbol), method,
          [=](LzhBlockWriter& w) {
            if (stage == 0) w.PutBlockSize(1);
            if (stage == 1) ValidCodeLengthCode(w);
            if (stage == 2) ValidUpToPositions(w);
            w.bits().PutFields({{0, width}, {symbol, width}});
          }};
}

static const std::vector<BadTableCase> kBadTables = {
    {"LoneCodeOfOneBit", '5',
     [](LzhBlockWriter& w) {
       w.PutBlockSize(1);
       w.bits().PutFields({{1, 5}, {1, 3}});
     }},
    {"LengthAboveSixteenBesideACompleteCode", '5',
     [](LzhBlockWriter& w) {
       w.PutBlockSize(1);
       // 7 + 10 = 17
       w.bits().PutFields({{3, 5}, {1, 3}, {1, 3}, {7, 3}, {0b11111111110, 11}, {0, 2}});
     }},
    // Followed by a literal that would decode if the code were let through.
    {"OverFullPositionCodeWhoseSumWrapsToZero", '5',
     [](LzhBlockWriter& w) {
       ValidUpToPositions(w);
       w.bits().PutFields({{4, 4}, {1, 3}, {1, 3}, {1, 3}, {1, 3}});
       w.Literal('A');
     }},
    {"IncompletePositionCode", '5',
     [](LzhBlockWriter& w) {
       ValidUpToPositions(w);
       w.bits().PutFields({{2, 4}, {1, 3}, {2, 3}});
     }},
    // 510 good lengths and one more, then codes that would decode if it were let through.
    {"LiteralCountAbove510", '5',
     [](LzhBlockWriter& w) {
       ValidCodeLengthCode(w);
       w.bits().Put(511, 9);
       for (uint8_t length : kEveryone5.literal) w.PutCodeLengthSymbol(length + 2u);
       w.PutCodeLengthSymbol(3);
       w.PutPositionCode(kEveryone5.position);
     }},
    {"ZeroRunPastEntry509", '5',
     [](LzhBlockWriter& w) {
       ValidCodeLengthCode(w);
       w.bits().Put(510, 9);
       w.PutCodeLengthSymbol(2);
       w.bits().Put(480, 9);  // 500 zeros
       w.PutCodeLengthSymbol(1);
       w.bits().Put(8, 4);  // 11 more: one past entry 509
     }},
    Constant('5', 0, 5, 19),
    Constant('5', 1, 9, 510),
    Constant('5', 1, 9, 511),
    Constant('5', 2, 4, 14),
    Constant('7', 2, 5, 17),
};

class BadTableTest : public DecodeTest, public ::testing::WithParamInterface<BadTableCase> {};

TEST_P(BadTableTest, EndsTheProcessWithBadTableAndDeletesTheOutput) {
  LzhBlockWriter writer(GetParam().method);
  GetParam().write(writer);
  std::vector<uint8_t> data = writer.bits().Bytes();
  data.resize(data.size() + 8, 0);
  UseMember(GetParam().method, data, 10);
  EXPECT_PROCESS_ENDS(DecodeToFile(), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(kBadTable)});
  EXPECT_FALSE(OutputExists());
}

INSTANTIATE_TEST_SUITE_P(Streams, BadTableTest, ::testing::ValuesIn(kBadTables),
                         [](const auto& test) { return test.param.name; });
