#include "lzh_block_writer.h"

#include <algorithm>
#include <sstream>

#include "lzh_encoder/huffman_code.h"
#include "lzh_encoder/lzh_items.h"

static LzhBlockWriter::Code CanonicalCode(const std::vector<uint8_t>& lengths) {
  std::vector<uint16_t> values(lengths.size());
  AssignCanonicalCodes(lengths, values);
  return {lengths, values};
}

void LzhBlockWriter::StartBlock(uint16_t size, int codes, bool zeroRun) {
  std::vector<uint8_t> literal(kLiteralSymbols, 9), position(method_.positionSlots);
  std::fill_n(literal.begin(), 9, 8);
  for (uint32_t k = 0; k < 8; ++k) literal[502 + k] = uint8_t(std::min(10 + k, 16u));
  for (size_t k = 0; k < position.size(); ++k)
    position[k] = uint8_t(std::min(k + 1, position.size() - 1));
  literal_ = CanonicalCode(literal), position_ = CanonicalCode(position);
  Put(size, 16);
  // The code-length code: symbols 0 to 12 of 4 bits, 13 to 18 of 5, no zeros after the third;
  // or, with the zero run, 3 zeros there and the other 16 symbols of 4 bits.
  if (codes >= 1) Put(19, 5);
  for (uint32_t s = 0; codes >= 1 && s < 19; s += zeroRun && s == 2 ? 4 : 1)
    Put(s < 13 || zeroRun ? 4 : 5, 3), Put(s == 2 && zeroRun ? 3 : 0, s == 2 ? 2 : 0);
  // Literal length n is code-length symbol n + 2: 4 bits below 13, else the 5-bit 26 to 31; with
  // the zero run, the 4-bit n - 1.
  if (codes >= 2) Put(kLiteralSymbols, 9);
  for (const uint32_t n : codes >= 2 ? literal : std::vector<uint8_t>{})
    Put(zeroRun ? n - 1 : n < 11 ? n + 2 : n + 15, n < 11 || zeroRun ? 4 : 5);
  // A length of 7 or more is 7, a 1-bit for each step further and a 0-bit.
  if (codes >= 3) Put(uint32_t(position.size()), method_.slotCountWidth);
  for (const uint32_t n : codes >= 3 ? position : std::vector<uint8_t>{})
    Put(std::min(n, 7u), 3), Put(n < 7 ? 0 : (1u << (n - 6)) - 2, n < 7 ? 0 : n - 6);
}

void LzhBlockWriter::Write(const char* words) {
  std::istringstream in(words);
  char kind = 0, comma = 0;
  uint32_t number = 0, position = 0, random = 12345;
  while (in >> kind >> number) {
    if (kind == 'B' || kind == 'Z') StartBlock(uint16_t(number), 3, kind == 'Z');
    for (uint32_t i = 0; kind == 'L' && i < number; ++i) {
      random = random * 1103515245 + 12345;
      expected_.push_back(uint8_t(random >> 16));
      PutSymbol(literal_, expected_.back());
    }
    if (kind != 'M' || !(in >> comma >> position)) continue;
    PutSymbol(literal_, LengthSymbol(number));
    const uint32_t slot = PositionSlot(position), extraBits = SlotExtraBits(slot);
    PutSymbol(position_, slot);
    Put(position & ((1u << extraBits) - 1), extraBits);
    for (uint32_t i = 0; i < number; ++i)
      expected_.push_back(expected_.at(expected_.size() - position - 1));
  }
}
