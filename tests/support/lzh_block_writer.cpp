#include "lzh_block_writer.h"

#include <algorithm>
#include <sstream>

#include "lzh_encoder/huffman_code.h"
#include "lzh_encoder/lzh_items.h"

// Each symbol's canonical code value above its length, which takes the low 5 bits.
static std::vector<uint32_t> CanonicalCode(const std::vector<uint8_t>& lengths) {
  std::vector<uint16_t> values(lengths.size());
  AssignCanonicalCodes(lengths, values);
  std::vector<uint32_t> code;
  for (size_t i = 0; i < lengths.size(); ++i) code.push_back(uint32_t{values[i]} << 5 | lengths[i]);
  return code;
}

void LzhBlockWriter::StartBlock(uint16_t size, int codes) {
  std::vector<uint8_t> literal(kLiteralSymbols, 9), position(method_.positionSlots);
  std::fill_n(literal.begin(), 9, 8);
  for (uint32_t k = 0; k < 8; ++k) literal[502 + k] = uint8_t(std::min(10 + k, 16u));
  for (size_t k = 0; k < position.size(); ++k)
    position[k] = uint8_t(std::min(k + 1, position.size() - 1));
  Put(size, 16);
  // The code-length code: symbols 0 to 12 of 4 bits, 13 to 18 of 5, no zeros after the third.
  if (codes >= 1) Put(19, 5);
  for (uint32_t s = 0; codes >= 1 && s < 19; ++s) {
    Put(s < 13 ? 4 : 5, 3);
    if (s == 2) Put(0, 2);
  }
  if (codes >= 2) Put(kLiteralSymbols, 9);
  for (size_t i = 0; codes >= 2 && i < literal.size(); ++i) {
    const uint32_t s = literal[i] + 2u;  // its code-length symbol, of the code 0 to 12, 26 to 31
    Put(s < 13 ? s : s + 13, s < 13 ? 4 : 5);
  }
  // A length of 7 or more is 7, a 1-bit for each step further and a 0-bit.
  if (codes >= 3) Put(uint32_t(position.size()), method_.slotCountWidth);
  for (size_t i = 0; codes >= 3 && i < position.size(); ++i) {
    Put(std::min<uint32_t>(position[i], 7), 3);
    if (position[i] >= 7) Put((1u << (position[i] - 6)) - 2, position[i] - 6u);
  }
  literal_ = CanonicalCode(literal);
  position_ = CanonicalCode(position);
}

void LzhBlockWriter::Match(uint32_t length, uint32_t position) {
  PutSymbol(literal_, LengthSymbol(length));
  const uint32_t slot = PositionSlot(position);
  PutSymbol(position_, slot);
  Put(position & ((1u << SlotExtraBits(slot)) - 1), SlotExtraBits(slot));
  for (uint32_t i = 0; i < length; ++i)
    expected_.push_back(expected_.at(expected_.size() - position - 1));
}

void LzhBlockWriter::Write(const char* words) {
  std::istringstream in(words);
  char kind = 0, comma = 0;
  uint32_t number = 0, position = 0, random = 12345;
  while (in >> kind >> number) {
    if (kind == 'B') StartBlock(uint16_t(number));
    if (kind == 'M' && in >> comma >> position) Match(number, position);
    for (uint32_t i = 0; kind == 'L' && i < number; ++i) {
      random = random * 1103515245 + 12345;
      expected_.push_back(uint8_t(random >> 16));
      if (method_.kind == MethodKind::kStored) Put(expected_.back(), 8);
      if (method_.kind != MethodKind::kStored) PutSymbol(literal_, expected_.back());
    }
  }
}
