#include "lzh_block_writer.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <stdexcept>

#include "lzh_encoder/huffman_code.h"

namespace {

std::vector<uint16_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
  std::vector<uint16_t> codes(lengths.size());
  AssignCanonicalCodes(lengths, codes);
  return codes;
}

}  // namespace

LzhCodes EveryoneCodes(uint32_t positionCount) {
  LzhCodes codes{std::vector<uint8_t>(19, 4), std::vector<uint8_t>(510, 9),
                 std::vector<uint8_t>(positionCount, 4)};
  std::fill(codes.codeLength.begin() + 13, codes.codeLength.end(), 5);
  codes.literal[0] = codes.literal[1] = 8;
  if (positionCount == 14) codes.position[0] = codes.position[1] = 3;
  if (positionCount == 17) codes.position[15] = codes.position[16] = 5;
  return codes;
}

LzhCodes DeepCodes(uint32_t positionCount) {
  LzhCodes codes = EveryoneCodes(positionCount);
  std::fill(codes.literal.begin() + 2, codes.literal.begin() + 9, 8);
  for (uint8_t k = 0; k < 8; ++k) codes.literal[502 + k] = std::min<uint8_t>(10 + k, 16);
  for (uint32_t k = 0; k < positionCount; ++k)
    codes.position[k] = uint8_t(std::min(k + 1, positionCount - 1));
  return codes;
}

void LzhBlockWriter::PutSymbol(const Code& code, uint32_t symbol) {
  if (symbol >= code.lengths.size() || code.lengths[symbol] == 0) throw std::logic_error("no code");
  Put(code.values[symbol], code.lengths[symbol]);
}

// Lengths of 7 or more are 7 and a run of 1-bits; the code-length code's zero run is always 0.
LzhBlockWriter::Code LzhBlockWriter::PutSmallLengths(const std::vector<uint8_t>& lengths,
                                                     uint32_t countWidth, bool zeroRun) {
  size_t count = lengths.size();
  while (count > 0 && lengths[count - 1] == 0) --count;
  Put(static_cast<uint32_t>(count), countWidth);
  for (size_t i = 0; i < count; ++i) {
    Put(std::min<uint32_t>(lengths[i], 7), 3);
    for (uint32_t one = 7; one < lengths[i]; ++one) Put(1, 1);
    if (lengths[i] >= 7) Put(0, 1);
    if (zeroRun && i == 2) Put(0, 2);
  }
  return {lengths, CanonicalCodes(lengths)};
}

void LzhBlockWriter::PutCodeLengthCode(const std::vector<uint8_t>& lengths) {
  codeLength_ = PutSmallLengths(lengths, 5, true);
}

void LzhBlockWriter::PutPositionCode(const std::vector<uint8_t>& lengths) {
  position_ = PutSmallLengths(lengths, method_.slotCountWidth, false);
}

void LzhBlockWriter::PutLiteralCode(const std::vector<uint8_t>& lengths) {
  size_t count = lengths.size();
  while (count > 0 && lengths[count - 1] == 0) --count;
  Put(static_cast<uint32_t>(count), 9);
  for (size_t i = 0; i < count; ++i) PutSymbol(codeLength_, lengths[i] == 0 ? 0 : lengths[i] + 2u);
  literal_ = {lengths, CanonicalCodes(lengths)};
}

void LzhBlockWriter::StartBlock(uint16_t size, const LzhCodes& codes) {
  Put(size, 16);
  PutCodeLengthCode(codes.codeLength);
  PutLiteralCode(codes.literal);
  PutPositionCode(codes.position);
}

void LzhBlockWriter::Literal(uint8_t byte) {
  PutSymbol(literal_, byte);
  expected_.push_back(byte);
}

void LzhBlockWriter::Match(uint32_t length, uint32_t position) {
  PutSymbol(literal_, length + 253);
  // Position p of 2 or more is sent as the code of its bit width and the bits below its top one.
  const auto code = static_cast<uint32_t>(position <= 1 ? position : std::bit_width(position));
  PutSymbol(position_, code);
  if (code > 1) Put(position - (1u << (code - 1)), code - 1);
  for (uint32_t i = 0; i < length; ++i)
    expected_.push_back(expected_.at(expected_.size() - position - 1));
}

void LzhBlockWriter::Write(const char* words) {
  uint32_t random = 12345;
  char* next = nullptr;
  for (const char* at = words; *at != '\0'; at = next) {
    const char kind = *at;
    const auto number = static_cast<uint32_t>(std::strtoul(at + 1, &next, 10));
    if (kind == 'B' || kind == 'D')
      StartBlock(uint16_t(number),
                 (kind == 'B' ? EveryoneCodes : DeepCodes)(method_.positionSlots));
    for (uint32_t i = 0; kind == 'L' && i < number; ++i) {
      random = random * 1103515245 + 12345;
      Literal(uint8_t(random >> 16));
    }
    if (kind == 'M') Match(number, static_cast<uint32_t>(std::strtoul(next + 1, &next, 10)));
    while (*next == ' ') ++next;
  }
}
