// A small encoder for hand-built compressed members: raw bit fields for streams no encoder would
// write, and blocks of literals and matches in chosen codes, with what they expand to.
#pragma once

#include <cstdint>
#include <vector>

#include "decode/methods.h"
#include "lzh_encoder/bit_writer.h"

struct LzhCodes {
  std::vector<uint8_t> codeLength, literal, position;  // of 19, 510 and positionSlots symbols
};

// Complete codes: every symbol has one of 3 to 9 bits, or in the deep codes the lengths 249 to 256
// and the positions of 8 bits and more take codes of up to 16 bits, below both lookup tables.
LzhCodes EveryoneCodes(uint32_t positionCount);
LzhCodes DeepCodes(uint32_t positionCount);

class LzhBlockWriter {
 public:
  explicit LzhBlockWriter(char method) : method_(*FindMethod(method)) {}

  void Put(uint32_t value, uint32_t width) { bits_.Put(value, width); }  // most significant first
  // A block header for size symbols (0 meaning 65536) in the stream's form; each code then
  // serves the symbols that follow.
  void StartBlock(uint16_t size, const LzhCodes& codes);
  void PutPositionCode(const std::vector<uint8_t>& lengths);
  void PutCodeLengthCode(const std::vector<uint8_t>& lengths);
  void PutLiteralCode(const std::vector<uint8_t>& lengths);
  void Literal(uint8_t byte);
  void Match(uint32_t length, uint32_t position);  // 3 to 256 bytes from position + 1 back
  // Words: "B<n>" or "D<n>" start a block of n symbols (0: 65536) in the complete or the deep
  // codes, "L<n>" puts n pseudo-random literals, "M<length>,<position>" a match.
  void Write(const char* words);

  std::vector<uint8_t> bytes() const { return BitWriter(bits_).Finish(); }  // padded with 0s
  const std::vector<uint8_t>& expected() const { return expected_; }

 private:
  struct Code {
    std::vector<uint8_t> lengths;
    std::vector<uint16_t> values;
  };
  Code PutSmallLengths(const std::vector<uint8_t>& lengths, uint32_t countWidth, bool zeroRun);
  void PutSymbol(const Code& code, uint32_t symbol);

  BitWriter bits_;
  Code codeLength_, literal_, position_;
  const Method& method_;
  std::vector<uint8_t> expected_;
};
