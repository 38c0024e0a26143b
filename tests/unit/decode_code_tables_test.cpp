#include <functional>
#include <string>
#include <vector>

#include "decode/code_tables.h"
#include "decode_fixture.h"
#include "lzh_block_writer.h"
#include "startup/messages.h"

class CodeTableTest : public DecodeTest {
 protected:
  BitReader StartOn(const std::vector<uint8_t>& bytes) {
    UseMember('5', bytes, 0);
    work->inPos = 0xFFFFFFFF;
    work->compLeft = static_cast<uint32_t>(bytes.size());
    return StartBitReader();
  }
};

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

TEST_F(CodeTableTest, LengthsThatAreAllZeroKeepTheTableButConsumeNoBits) {
  const std::vector<uint8_t> lengths = {2, 2, 2, 2};
  std::copy(lengths.begin(), lengths.end(), work->smallLengths);
  BuildDecodeTable(19, work->smallLengths, 8, work->smallTable);
  std::fill(work->smallLengths, work->smallLengths + 19, 0);
  BuildDecodeTable(19, work->smallLengths, 8, work->smallTable);

  BitReader reader = StartOn({0b10'11'00'01, 0x5A});  // symbol 2 by the old code
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(LookUpSymbol(reader, work->smallTable, 8, 19, work->smallLengths), 2u);
  }
  EXPECT_EQ(TakeBits(reader, 16), 0xB15Au);
}

TEST_F(CodeTableTest, SmallLengthsTakeTheLongFormAndTheZeroRun) {
  LzhBitWriter bits;
  bits.Put(7, 5);  // seven lengths sent
  for (uint32_t length : {2, 2, 2}) bits.Put(length, 3);
  bits.Put(3, 2);     // positions 3, 4 and 5 are 0
  bits.Put(2, 3);     // position 6
  bits.Put(0b11, 2);  // symbol 6, the last code of length 2
  BitReader reader = StartOn(bits.Bytes());
  ReadSmallLengths(reader, 19, 5, 3);
  EXPECT_EQ(std::vector<uint8_t>(work->smallLengths, work->smallLengths + 19),
            (std::vector<uint8_t>{2, 2, 2, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(LookUpSymbol(reader, work->smallTable, 8, 19, work->smallLengths), 6u);
}

TEST_F(CodeTableTest, LongLengthsAreSevenPlusARunOfOnes) {
  const std::vector<uint8_t> lengths = DeepLengths(19, 1);
  LzhBlockWriter writer('5');
  writer.PutCodeLengthCode(lengths);
  writer.bits().Put(0xABCD, 16);
  BitReader reader = StartOn(writer.bits().Bytes());
  ReadSmallLengths(reader, 19, 5, 3);
  EXPECT_EQ(std::vector<uint8_t>(work->smallLengths, work->smallLengths + 19), lengths);
  EXPECT_EQ(TakeBits(reader, 16), 0xABCDu);
}

TEST_F(CodeTableTest, AZeroRunPastTheCountSetsAllItsZerosAndEndsTheLengths) {
  LzhBitWriter bits;
  bits.Put(4, 5);
  for (uint32_t length : {1, 1, 0}) bits.Put(length, 3);
  bits.Put(3, 2);  // i goes from 3 to 6, past the count of 4
  bits.Put(0xABCD, 16);
  std::fill(work->smallLengths, work->smallLengths + 19, 9);
  BitReader reader = StartOn(bits.Bytes());
  ReadSmallLengths(reader, 19, 5, 3);
  EXPECT_EQ(std::vector<uint8_t>(work->smallLengths, work->smallLengths + 19),
            (std::vector<uint8_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(TakeBits(reader, 16), 0xABCDu);
}

TEST_F(CodeTableTest, LengthsSentBeyondTheSymbolsAreReadButNotBuilt) {
  LzhBitWriter bits;
  bits.Put(15, 4);  // 15 position lengths for 14 symbols
  for (int i = 0; i < 2; ++i) bits.Put(3, 3);
  for (int i = 0; i < 12; ++i) bits.Put(4, 3);
  bits.Put(1, 3);  // position 14: would over-fill the code if it counted
  bits.Put(0xABCD, 16);
  BitReader reader = StartOn(bits.Bytes());
  ReadSmallLengths(reader, 14, 4, kNoZeroRun);
  EXPECT_EQ(TakeBits(reader, 16), 0xABCDu);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CodeTableTest, AConstantCodeGivesItsSymbolForNoBits) {
  LzhBitWriter bits;
  bits.Put(0, 9);
  bits.Put(0x141, 9);
  bits.Put(0xABCD, 16);
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
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(work->modulePath, kBadTable)});
}

// Block headers that describe no usable code. Each ends the process with "Bad table" before
// a byte is written, and the output file is deleted.
struct BadTableCase {
  const char* name;
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

static const std::vector<BadTableCase> kBadTables = {
    {"LoneCodeOfOneBit", '5',
     [](LzhBlockWriter& w) {
       w.PutBlockSize(1);
       w.bits().Put(1, 5);
       w.bits().Put(1, 3);
     }},
    {"LengthAboveSixteenBesideACompleteCode", '5',
     [](LzhBlockWriter& w) {
       w.PutBlockSize(1);
       w.bits().Put(3, 5);
       w.bits().Put(1, 3);
       w.bits().Put(1, 3);
       w.bits().Put(7, 3);
       w.bits().Put(0b11111111110, 11);  // 7 + 10 = 17
       w.bits().Put(0, 2);
     }},
    // Followed by a literal that would decode if the code were let through.
    {"OverFullPositionCodeWhoseSumWrapsToZero", '5',
     [](LzhBlockWriter& w) {
       ValidUpToPositions(w);
       w.bits().Put(4, 4);
       for (int i = 0; i < 4; ++i) w.bits().Put(1, 3);
       w.Literal('A');
     }},
    {"IncompletePositionCode", '5',
     [](LzhBlockWriter& w) {
       ValidUpToPositions(w);
       w.bits().Put(2, 4);
       w.bits().Put(1, 3);
       w.bits().Put(2, 3);
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
       w.bits().Put(15, 4);  // 18 more: up to entry 517
     }},
    {"CodeLengthConstant19", '5',
     [](LzhBlockWriter& w) {
       w.PutBlockSize(1);
       w.bits().Put(0, 5);
       w.bits().Put(19, 5);
     }},
    {"LiteralConstant510", '5',
     [](LzhBlockWriter& w) {
       ValidCodeLengthCode(w);
       w.bits().Put(0, 9);
       w.bits().Put(510, 9);
     }},
    {"LiteralConstant511", '5',
     [](LzhBlockWriter& w) {
       ValidCodeLengthCode(w);
       w.bits().Put(0, 9);
       w.bits().Put(511, 9);
     }},
    {"PositionConstant14", '5',
     [](LzhBlockWriter& w) {
       ValidUpToPositions(w);
       w.bits().Put(0, 4);
       w.bits().Put(14, 4);
     }},
    {"PositionConstant17", '7',
     [](LzhBlockWriter& w) {
       ValidUpToPositions(w);
       w.bits().Put(0, 5);
       w.bits().Put(17, 5);
     }},
};

class BadTableTest : public DecodeTest, public ::testing::WithParamInterface<BadTableCase> {};

TEST_P(BadTableTest, EndsTheProcessWithBadTableAndDeletesTheOutput) {
  LzhBlockWriter writer(GetParam().method);
  GetParam().write(writer);
  std::vector<uint8_t> data = writer.bits().Bytes();
  data.resize(data.size() + 8, 0);
  UseMember(GetParam().method, data, 10);
  EXPECT_PROCESS_ENDS(DecodeToFile(), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{ErrorText(work->modulePath, kBadTable)});
  EXPECT_FALSE(OutputExists());
}

INSTANTIATE_TEST_SUITE_P(Streams, BadTableTest, ::testing::ValuesIn(kBadTables),
                         [](const auto& test) { return std::string(test.param.name); });
