// Hand-made compressed members, for what the encoder never writes: blocks of 65536 symbols, codes
// of up to 16 bits, matches at chosen distances, the raw fields of broken streams.
#pragma once

#include <cstdint>
#include <vector>

#include "decode/methods.h"
#include "lzh_encoder/bit_writer.h"

class LzhBlockWriter {
 public:
  using Code = std::pair<std::vector<uint8_t>, std::vector<uint16_t>>;  // lengths, values
  explicit LzhBlockWriter(char method) : method_(*FindMethod(method)) {}

  void Put(uint32_t value, uint32_t width) { bits_.Put(value, width); }  // most significant first
  // A block of size symbols (0: 65536) and the first `codes` of its codes: literals of 8 or 9 bits,
  // lengths 249 to 256 of 10 to 16, slot k of k + 1 (the last two alike), past both lookup tables;
  // zeroRun leaves out code-length symbols 3 to 5 by the run of zeros after the third.
  void StartBlock(uint16_t size, int codes = 3, bool zeroRun = false);
  // "B<n>" starts a block of n symbols ("Z<n>" one with the zero run), "L<n>" puts n pseudo-random
  // literals, "M<length>,<position>" a match of 3 to 256 bytes from position + 1 back.
  void Write(const char* words);

  std::vector<uint8_t> bytes() const { return BitWriter(bits_).Finish(); }  // padded with 0s
  const std::vector<uint8_t>& expected() const { return expected_; }

 private:
  void PutSymbol(const Code& code, uint32_t s) { Put(code.second.at(s), code.first[s]); }

  BitWriter bits_;
  const Method& method_;
  Code literal_, position_;
  std::vector<uint8_t> expected_;
};
