// Hand-made compressed members, for what the encoder never writes: blocks of 65536 symbols, codes
// of up to 16 bits, matches at chosen distances, the raw fields of broken streams.
#pragma once

#include <cstdint>
#include <vector>

#include "decode/methods.h"
#include "lzh_encoder/bit_writer.h"

class LzhBlockWriter {
 public:
  explicit LzhBlockWriter(char method) : method_(*FindMethod(method)) {}

  void Put(uint32_t value, uint32_t width) { bits_.Put(value, width); }  // most significant first
  // A block of size symbols (0: 65536) and the first `codes` of its codes: literals of 8 or 9 bits,
  // lengths 249 to 256 of 10 to 16, slot k of k + 1 (the last two alike), past both lookup tables.
  void StartBlock(uint16_t size, int codes = 3);
  void Match(uint32_t length, uint32_t position);  // 3 to 256 bytes from position + 1 back
  // "B<n>" starts a block of n symbols, "L<n>" puts n pseudo-random literals (a stored member's
  // bytes as they are), "M<length>,<position>" a match.
  void Write(const char* words);

  std::vector<uint8_t> bytes() const { return BitWriter(bits_).Finish(); }  // padded with 0s
  const std::vector<uint8_t>& expected() const { return expected_; }

 private:
  using Code = std::vector<uint32_t>;  // each symbol's code value << 5 | its length
  void PutSymbol(const Code& code, uint32_t s) { Put(code.at(s) >> 5, code[s] & 31); }

  BitWriter bits_;
  const Method& method_;
  Code literal_, position_;
  std::vector<uint8_t> expected_;
};
