#include "lzh_block_writer.h"

#include <bit>
#include <stdexcept>

void LzhBitWriter::Put(uint32_t value, uint32_t width) {
  for (uint32_t bit = width; bit-- > 0;) {
    if (used_ == 0) bytes_.push_back(0);
    if ((value >> bit) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> used_);
    used_ = (used_ + 1) % 8;
  }
}

LzhCodes EveryoneCodes(uint32_t positionCount) {
  LzhCodes codes;
  codes.codeLength.assign(19, 4);
  for (size_t i = 13; i < 19; ++i) codes.codeLength[i] = 5;
  codes.literal.assign(510, 9);
  codes.literal[0] = codes.literal[1] = 8;
  if (positionCount == 14) {
    codes.position.assign(14, 4);
    codes.position[0] = codes.position[1] = 3;
  } else {
    codes.position.assign(17, 4);
    codes.position[15] = codes.position[16] = 5;
  }
  return codes;
}

std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
  uint32_t count[24] = {};
  for (uint8_t length : lengths) ++count[length];
  count[0] = 0;
  uint32_t next[24] = {};
  uint32_t code = 0;
  for (uint32_t length = 1; length < 24; ++length) {
    code = (code + count[length - 1]) << 1;
    next[length] = code;
  }
  std::vector<uint32_t> codes(lengths.size());
  for (size_t symbol = 0; symbol < lengths.size(); ++symbol) {
    if (lengths[symbol] != 0) codes[symbol] = next[lengths[symbol]]++;
  }
  return codes;
}

LzhBlockWriter::LzhBlockWriter(char method)
    : positionCount_(method == '6' || method == '7' ? 17 : 14),
      positionWidth_(method == '6' || method == '7' ? 5 : 4) {}

LzhBlockWriter::Code LzhBlockWriter::MakeCode(const std::vector<uint8_t>& lengths) {
  return {lengths, CanonicalCodes(lengths)};
}

void LzhBlockWriter::PutSymbol(const Code& code, uint32_t symbol) {
  if (symbol >= code.lengths.size() || code.lengths[symbol] == 0) {
    throw std::logic_error("symbol without a code");
  }
  bits_.Put(code.values[symbol], code.lengths[symbol]);
}

void LzhBlockWriter::PutSmallLengths(const std::vector<uint8_t>& lengths, uint32_t countWidth,
                                     bool zeroRun) {
  size_t count = lengths.size();
  while (count > 0 && lengths[count - 1] == 0) --count;
  bits_.Put(static_cast<uint32_t>(count), countWidth);
  for (size_t i = 0; i < count; ++i) {
    if (lengths[i] < 7) {
      bits_.Put(lengths[i], 3);
    } else {
      bits_.Put(7, 3);
      for (uint32_t one = 7; one < lengths[i]; ++one) bits_.Put(1, 1);
      bits_.Put(0, 1);
    }
    if (zeroRun && i == 2) bits_.Put(0, 2);
  }
}

void LzhBlockWriter::PutCodeLengthCode(const std::vector<uint8_t>& lengths) {
  PutSmallLengths(lengths, 5, true);
  codeLengthCode_ = MakeCode(lengths);
}

void LzhBlockWriter::PutLiteralCode(const std::vector<uint8_t>& lengths) {
  size_t count = lengths.size();
  while (count > 0 && lengths[count - 1] == 0) --count;
  bits_.Put(static_cast<uint32_t>(count), 9);
  for (size_t i = 0; i < count; ++i) PutCodeLengthSymbol(lengths[i] == 0 ? 0 : lengths[i] + 2u);
  literalCode_ = MakeCode(lengths);
}

void LzhBlockWriter::PutPositionCode(const std::vector<uint8_t>& lengths) {
  PutSmallLengths(lengths, positionWidth_, false);
  positionCode_ = MakeCode(lengths);
}

void LzhBlockWriter::StartBlock(uint16_t size, const LzhCodes& codes) {
  PutBlockSize(size);
  PutCodeLengthCode(codes.codeLength);
  PutLiteralCode(codes.literal);
  PutPositionCode(codes.position);
}

void LzhBlockWriter::Literal(uint8_t byte) {
  PutSymbol(literalCode_, byte);
  expected_.push_back(byte);
}

void LzhBlockWriter::Match(uint32_t length, uint32_t position) {
  PutSymbol(literalCode_, length + 253);
  // Position p of 2 or more is sent as the code of its bit width and the bits below its top one.
  const auto code = static_cast<uint32_t>(position <= 1 ? position : std::bit_width(position));
  PutSymbol(positionCode_, code);
  if (code > 1) bits_.Put(position - (1u << (code - 1)), code - 1);
  for (uint32_t i = 0; i < length; ++i) {
    expected_.push_back(expected_.at(expected_.size() - position - 1));
  }
}
